// The field reader of temporary block files.
#include "block_records.h"

#include "dxfpairs.h"
#include "winplat/numeric.h"

namespace kelvane {

float SpooledRecord::S(std::size_t i) const {
  if (i >= kKept) return LeadingSingle(fields.at(i));
  if (!(singles_ & (1u << i))) {
    single_[i] = LeadingSingle(fields.at(i));  // a failed read is not kept: it fails again
    singles_ |= 1u << i;
  }
  return single_[i];
}

std::int32_t SpooledRecord::L(std::size_t i) const {
  if (i >= kKept) return winplat::CLng(LeadingDouble(fields.at(i)));
  if (!(longs_ & (1u << i))) {
    long_[i] = winplat::CLng(LeadingDouble(fields.at(i)));
    longs_ |= 1u << i;
  }
  return long_[i];
}

std::size_t FieldCount(std::int32_t type) {
  switch (type) {
    case 1: return 8;
    case 2: return 8;
    case 3: return 11;
    case 4: return 9;
    case 5: return 10;
    case 6: return 4;
    case 9: return 10;
    default: return 0;
  }
}

bool SpooledRecordReader::Field(std::string& out) {
  out.clear();
  const std::size_t n = text_.size();
  auto blank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; };
  while (pos_ < n && blank(text_[pos_])) ++pos_;
  if (pos_ >= n) return false;
  if (text_[pos_] == '"') {
    std::size_t end = text_.find('"', pos_ + 1);
    if (end == std::string::npos) end = n;
    out.assign(text_, pos_ + 1, end - pos_ - 1);
    pos_ = end < n ? end + 1 : n;
    while (pos_ < n && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  } else {
    std::size_t end = pos_;
    while (end < n && text_[end] != ',' && text_[end] != '\r' && text_[end] != '\n') ++end;
    out.assign(text_, pos_, end - pos_);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    pos_ = end;
  }
  if (pos_ < n && text_[pos_] == ',') ++pos_;
  return true;
}

bool SpooledRecordReader::Next(SpooledRecord& record) {
  std::string field;
  if (!Field(field)) return false;
  bool ok = true;
  double type = LeadingNumber(field, ok);
  if (!ok || type < 0 || type > 100) return false;
  record.type = static_cast<std::int32_t>(type);
  record.ForgetNumbers();
  const std::size_t count = FieldCount(record.type);
  if (count == 0) return false;
  record.fields.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    if (!Field(record.fields[i])) return false;
  return true;
}

}  // namespace kelvane
