#pragma once
// Building small DXF drawings for the loader tests: group pairs written out
// one a line, a BLOCKS section and an ENTITIES section.
#include <initializer_list>
#include <string>

namespace readertest {

// Lines of text joined with "\n" (each pair is two lines: code, value).
inline std::string Pairs(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

// A whole drawing: the block definitions (already BLOCK ... ENDBLK pairs), then the entities.
inline std::string Drawing(const std::string& blocks, const std::string& entities) {
  std::string text;
  if (!blocks.empty()) text += Pairs({"0", "SECTION", "2", "BLOCKS"}) + blocks + Pairs({"0", "ENDSEC"});
  text += Pairs({"0", "SECTION", "2", "ENTITIES"}) + entities + Pairs({"0", "ENDSEC", "0", "EOF"});
  return text;
}

// A block definition named `name` with base point (x, y) holding `body`.
inline std::string Block(const std::string& name, const std::string& x, const std::string& y, const std::string& body) {
  return Pairs({"0", "BLOCK", "8", "0", "2", name, "70", "0", "10", x, "20", y}) + body + Pairs({"0", "ENDBLK", "8", "0"});
}

inline std::string LineEntity(const std::string& layer, const std::string& x1, const std::string& y1,
                              const std::string& x2, const std::string& y2) {
  return Pairs({"0", "LINE", "8", layer, "10", x1, "20", y1, "11", x2, "21", y2});
}

}  // namespace readertest
