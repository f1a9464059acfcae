#pragma once
// The DXF reader: LoadDXF reads one ASCII DXF file into the control's data base,
// dispatching each keyword pair to its loader; the loaders read their object's
// group codes through LoadEntity.
#include <cstdint>
#include <string>
#include <string_view>

#include "../control/dxf_control.h"

namespace kelvane {

// Reads FileName (a Windows path under the machine root) into the data base;
// `picture` is not used; `status` shows the progress bar when given. Returns
// the continue flag of the last handler. A failure raises 0x80040001 with the
// entity type and the procedures passed; the data base then goes back to what it
// held before the read.
bool LoadDXF(DXF& dxf, const std::string& FileName, PictureBox* picture, PictureBox* status);

// LoadDXF over the bytes `text` in place of the file's; FileName names the
// drawing (in messages and the drawing list) and is not opened.
bool LoadDXFText(DXF& dxf, const std::string& FileName, const std::string& text, PictureBox* status);

// True when the file has a line that trims to "SECTION".
bool MakeSureFileIsDXF(DXF& dxf, const std::string& FileName);
// The same for bytes in memory.
bool TextIsDXF(DXF& dxf, std::string_view text);

// Reads the group codes of one object into GroupValueTable, up to the next
// group 0 or 9, which is left for the scanner. The groups of an embedded
// object (from a group 101 on) are read but not kept.
bool LoadEntity(DXF& dxf);

// The header variables $EXTMIN and $EXTMAX.
bool DXFMinExtents(DXF& dxf);
bool DXFMaxExtents(DXF& dxf);

// One record of the LAYER table.
bool DXFNewLayer(DXF& dxf);

// Widens DrawingExtents to take in both points.
void CheckExtents(DXF& dxf, float X1, float Y1, float X2, float Y2);

// Loaders of LINE, POINT, SOLID and 3DFACE.
bool DXFLine(DXF& dxf);
bool DXFPoint(DXF& dxf);
bool DXFSolid(DXF& dxf);
bool DXF3DFace(DXF& dxf);

// ---- helpers the loaders share ----

// The layer number of group 8 (the layer is created when unknown).
std::int16_t LoaderLayer(DXF& dxf);
// The RGB colour of group 62; 0 (by layer) when absent or 256.
std::int32_t LoaderColor(DXF& dxf);

// One field of a block record: a 32-bit float, a 32-bit or 16-bit integer, a text.
struct BlockField {
  enum Kind { Single, Long, Integer, Text } kind;
  float s = 0;
  std::int32_t l = 0;
  std::string t;
  static BlockField S(float v) { return BlockField{Single, v, 0, {}}; }
  static BlockField L(std::int32_t v) { return BlockField{Long, 0, v, {}}; }
  static BlockField I(std::int16_t v) { return BlockField{Integer, 0, v, {}}; }
  static BlockField T(std::string v) { return BlockField{Text, 0, 0, std::move(v)}; }
};
// Appends a record (type line, then the fields separated by commas) to the block
// file being written; dropped when no block file is open.
void WriteBlockRecord(DXF& dxf, std::int32_t type, std::initializer_list<BlockField> fields);

// ---- while a read runs ----

// Yields to the host's message loop when 5 lines or more were read since the
// last yield. The scanner calls it between objects; a loader that reads a long
// object pair by pair calls it between its parts.
void MaybeYield(DXF& dxf);

// True while LoadDXF runs (it yields to the host's message loop, where the
// host's timers may call the control).
bool ReadIsRunning(const DXF& dxf);
// Raises 0x80040001 from `member` when a read is running.
void RefuseWhileReading(const DXF& dxf, std::string_view member);
// The message a member with a strError argument gives while a read is running.
std::string ReadRunningMessage(std::string_view member);

}  // namespace kelvane
