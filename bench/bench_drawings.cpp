// The drawings the reading benchmarks share.
#include "bench_drawings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "winplat/paths.h"

namespace benchdrawings {
namespace {

// Group code and value lines, the way CAD programs write them.
struct Writer {
  std::string out;
  void Pair(int code, const std::string& value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%3d", code);
    out += buffer;
    out += "\r\n";
    out += value;
    out += "\r\n";
  }
  void Number(int code, double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    Pair(code, buffer);
  }
  void Head() {
    Pair(0, "SECTION");
    Pair(2, "HEADER");
    Pair(9, "$ACADVER");
    Pair(1, "AC1009");
    Pair(0, "ENDSEC");
    Pair(0, "SECTION");
    Pair(2, "TABLES");
    Pair(0, "TABLE");
    Pair(2, "LAYER");
    Pair(70, "10");
    for (int i = 0; i < 10; ++i) {
      Pair(0, "LAYER");
      Pair(2, "LAYER" + std::to_string(i));
      Pair(70, "0");
      Pair(62, std::to_string(i + 1));
      Pair(6, "CONTINUOUS");
    }
    Pair(0, "ENDTAB");
    Pair(0, "ENDSEC");
  }
};

}  // namespace

std::string GenerateDrawing(int entities) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
  Writer w;
  w.out.reserve(static_cast<std::size_t>(entities) * 140 + 4096);
  w.Head();
  w.Pair(0, "SECTION");
  w.Pair(2, "ENTITIES");
  for (int i = 0; i < entities; ++i) {
    int kind = i % 20;  // mostly lines, as real drawings are
    const char* name = kind < 16 ? "LINE" : kind < 18 ? "3DFACE" : kind < 19 ? "SOLID" : "POINT";
    w.Pair(0, name);
    w.Pair(8, "LAYER" + std::to_string((i / 7) % 10));
    if (i % 3 == 0) w.Pair(62, std::to_string(1 + i % 255));
    int corners = kind < 16 ? 2 : kind < 19 ? 4 : 1;
    for (int c = 0; c < corners; ++c) {
      w.Number(10 + c, coordinate(random));
      w.Number(20 + c, coordinate(random));
      w.Number(30 + c, 0.0);
    }
  }
  w.Pair(0, "ENDSEC");
  w.Pair(0, "EOF");
  return w.out;
}

std::string GenerateInsertDrawing(int blocks, int inserts, std::size_t bytes) {
  std::mt19937 random(4711);
  std::uniform_real_distribution<double> coordinate(-50.0, 50.0);
  std::uniform_real_distribution<double> place(-4000.0, 4000.0);
  auto entities = [&](int perBlock) {
    Writer w;
    w.Head();
    w.Pair(0, "SECTION");
    w.Pair(2, "BLOCKS");
    for (int b = 0; b < blocks; ++b) {
      w.Pair(0, "BLOCK");
      w.Pair(8, "0");
      w.Pair(2, "PART" + std::to_string(b));
      w.Pair(70, "0");
      w.Number(10, 0.0);
      w.Number(20, 0.0);
      w.Number(30, 0.0);
      for (int i = 0; i < perBlock; ++i) {
        bool arc = i % 4 == 3;
        w.Pair(0, arc ? "ARC" : "LINE");
        w.Pair(8, "LAYER" + std::to_string((b + i) % 10));
        w.Number(10, coordinate(random));
        w.Number(20, coordinate(random));
        w.Number(30, 0.0);
        if (arc) {
          w.Number(40, 5.0 + i % 7);
          w.Number(50, 0.0);
          w.Number(51, 90.0 + i % 180);
        } else {
          w.Number(11, coordinate(random));
          w.Number(21, coordinate(random));
          w.Number(31, 0.0);
        }
      }
      w.Pair(0, "ENDBLK");
      w.Pair(8, "0");
    }
    w.Pair(0, "ENDSEC");
    w.Pair(0, "SECTION");
    w.Pair(2, "ENTITIES");
    for (int i = 0; i < inserts; ++i) {
      w.Pair(0, "INSERT");
      w.Pair(8, "LAYER" + std::to_string(i % 10));
      w.Pair(2, "PART" + std::to_string(i % blocks));
      w.Number(10, place(random));
      w.Number(20, place(random));
      w.Number(30, 0.0);
      if (i % 3 == 0) w.Number(50, 15.0 * (i % 24));
    }
    w.Pair(0, "ENDSEC");
    w.Pair(0, "EOF");
    return w.out;
  };
  // As many entities a block as fit, then a comment makes up the rest.
  int perBlock = 1;
  while (entities(perBlock + 1).size() + 16 <= bytes) ++perBlock;
  std::string body = entities(perBlock);
  std::size_t left = bytes - body.size();  // at least 16: "999", its text, two line ends
  std::string comment = "999\r\n" + std::string(left - 7, '-') + "\r\n";
  return comment + body;
}

std::string WriteDrawing(const std::string& name, const std::string& text) {
  // The reading benchmarks' own machine root (another benchmark may have taken another).
  const auto root = std::filesystem::temp_directory_path() / "fieldray-bench-root";
  if (winplat::MachineRoot() != root) {
    std::filesystem::create_directories(root);
    setenv("FIELDRAY_ROOT", root.c_str(), 1);
    winplat::ResetMachineRoot();
  }
  auto host = winplat::MachineRoot() / "C" / "bench" / name;
  std::filesystem::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary) << text;
  return "C:\\bench\\" + name;
}


std::string HostOf(const std::string& name) { return (winplat::MachineRoot() / "C" / "bench" / name).string(); }

}  // namespace benchdrawings
