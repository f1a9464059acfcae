#pragma once
// Reading the records of a temporary block file back: the type on its own,
// then the fields separated by commas (line breaks between fields carry no
// meaning), strings in double quotes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

struct SpooledRecord {
  std::int32_t type = 0;
  std::vector<std::string> fields;
  float S(std::size_t i) const;
  std::int32_t L(std::size_t i) const;
  const std::string& T(std::size_t i) const { return fields.at(i); }
  // Forgets the numbers read from the fields (after the fields change).
  void ForgetNumbers() const { singles_ = longs_ = 0; }

 private:
  // Each field's number, read at its first use (a record replayed by many
  // inserts reads its text once).
  static constexpr std::size_t kKept = 16;
  mutable std::uint32_t singles_ = 0, longs_ = 0;  // which fields are read
  mutable float single_[kKept] = {};
  mutable std::int32_t long_[kKept] = {};
};

// Number of fields of a record type; 0 for a type no loader writes.
std::size_t FieldCount(std::int32_t type);

// Reads records one by one from the text of a block file.
class SpooledRecordReader {
 public:
  explicit SpooledRecordReader(std::string text) : text_(std::move(text)) {}
  // False at the end of the text, or at a record of an unknown type or with
  // too few fields (the rest of the file is then not read).
  bool Next(SpooledRecord& record);

 private:
  bool Field(std::string& out);
  std::string text_;
  std::size_t pos_ = 0;
};

}  // namespace kelvane
