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
