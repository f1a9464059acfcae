#pragma once
// The drawings the reading benchmarks share, generated and written under the
// benchmarks' own machine root.
#include <cstddef>
#include <string>

namespace benchdrawings {

// An R12 drawing of `entities` lines, points, solids and 3D faces on ten layers.
std::string GenerateDrawing(int entities);
// An R12 drawing of `inserts` INSERTs of `blocks` blocks of lines and arcs,
// padded with a comment to exactly `bytes` bytes.
std::string GenerateInsertDrawing(int blocks, int inserts, std::size_t bytes);
// Writes `text` as C:\bench\<name> under the benchmarks' machine root; its Windows path.
std::string WriteDrawing(const std::string& name, const std::string& text);
// The host path of a drawing written by WriteDrawing.
std::string HostOf(const std::string& name);

}  // namespace benchdrawings
