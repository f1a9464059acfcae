#pragma once
// The frame file formats the board software reads and writes. The host only
// carries the bytes; these parse them into frames and produce them from frames.
//
// Object file (format 5), all counts big-endian:
//   0-14   "MORVANTEOBJECT1"
//   15     title length (0-127)
//   16-17  number of frames
//   18-19  zero
//   20     the title, title-length bytes, then the frames (the body below)
// LAZR file (format 2):
//   0-3    "LAZR"
//   4-5    number of frames
//   6      the frames (the body below)
// Body of both, a frame after the other:
//   24-byte name (NUL-padded), flags (16), value (signed 16), point count (32),
//   then 12 bytes a point: X, Y, Z, F (signed 16, device units), colour (32).
// ILDA file (format 3): the published laser display exchange format. Sections
//   of a 32-byte header ("ILDA", three zero bytes, the format byte, 8-byte
//   frame name, 8-byte company name, record count, frame number, total frames
//   (16 each), projector, reserved) and records. Read: formats 0 (3D indexed,
//   8 bytes), 1 (2D indexed, 6 bytes), 4 (3D true colour, 10 bytes), 5 (2D
//   true colour, 8 bytes) and 2 (palette, r g b). A section of 0 records ends
//   the file. A point's status byte: bit 7 last point, bit 6 blanked. A
//   blanked point is stored with colour 0; a lit one with its colour as
//   0x00BBGGRR (indexed points through the palette in force). Written as
//   format 4 with its name from the frame's.
// Text frames (the extension formats ".DEC", ".SDF" and the others): lines of
//   text; the first "VXTEXTFRAMES"; then "FRAME <name>" starts a frame and
//   "x y z f colour" (decimal, colour in hex) adds a point to it.
#include <cstdint>
#include <string>
#include <vector>

#include "frame_store.h"

namespace winplat::hw::detail {

constexpr std::int32_t kFormatLazr = 2;
constexpr std::int32_t kFormatIlda = 3;
constexpr std::int32_t kFormatObject = 5;

// Parses a file of the given format; false when the bytes are not of it.
bool ParseFrameFile(std::int32_t format, const std::vector<std::uint8_t>& bytes, std::vector<StoredFrame>& frames);
// Produces the file of the given format (an unknown format code gives text frames).
std::vector<std::uint8_t> FormatFrameFile(std::int32_t format, const std::vector<StoredFrame>& frames,
                                          const std::string& title);

}  // namespace winplat::hw::detail

namespace winplat::hw::detail {

// The frame file and font dialogues share the dialogue commands (181, 85, 182)
// with the other file dialogues: true while one runs; its step answers them.
bool FrameFileDialogueRuns(BoardContext& board);
void FrameFileDialogueStep(BoardContext& board, const BoardCommand& command, BoardReply& reply);

// Frame files (36, 37, 86), the font load (71) and the laser text (68, 112-114).
void RegisterFrameFileCommands();
void RegisterLaserTextCommands();

// The font the board holds, read from its folder (laser_text_commands.cpp).
bool InstallFont(BoardContext& board, const std::vector<std::uint8_t>& bytes);

}  // namespace winplat::hw::detail
