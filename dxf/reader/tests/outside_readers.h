#pragma once
// Two DXF readers from elsewhere, to check that what the control writes reads
// anywhere: ezdxf (through the system's Python) and dxflib (linked when the
// build found it). Tests skip when one is absent.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace outside {

// One entity as a reader saw it. Numbers by kind: LINE x1 y1 x2 y2; CIRCLE
// x y r; ARC x y r start end; SOLID the four points in file order; TEXT and
// MTEXT x y height rotation (the insertion point); POINT x y; POLYLINE x y
// bulge per vertex.
struct Entity {
  std::string kind;
  std::string handle;  // empty when the reader gives none
  std::string layer;
  std::vector<double> numbers;
  std::string text;
};

struct Drawing {
  bool ok = false;
  std::string error;
  std::vector<Entity> entities;
  // The entities of one kind.
  std::vector<Entity> OfKind(const std::string& kind) const;
  std::vector<Entity> OnLayer(const std::string& layer) const;
  std::map<std::string, int> Counts() const;
};

// Empty when the reader is missing (the message says why).
std::string EzdxfMissing();
std::string DxflibMissing();

// Reads several files in one run of the reader.
std::vector<Drawing> ReadWithEzdxf(const std::vector<std::filesystem::path>& files);
Drawing ReadWithDxflib(const std::filesystem::path& file);

}  // namespace outside
