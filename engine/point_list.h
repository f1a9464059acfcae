#pragma once
// The point list the frame builders fill, and the writing and reading of board
// frames through the frame buffer.
#include <cstdint>
#include <string>

#include "engine/engine.h"

namespace fieldray::engine {

// The most points the assembly list holds.
constexpr std::int16_t MaxAssemblyPoints = 32767;
// The largest board coordinate; drawing coordinates beyond +-6553.4 units are
// held at it.
constexpr std::int32_t BoardCoordinateLimit = 32767;

// Appends `holdCount` copies of the point, given in drawing units, to
// AssemblyPoints as X = 5 x, Y = -5 y. The caller's record is left unchanged.
void AddPoint(Engine& engine, const PointStruct& point, std::int32_t holdCount);

// Writes FrameBuffer as board frame `frame` named `name`, then empties both
// buffers. A refused write and any points held at the board's edge are shown in Msg.
void WriteFrameToBoard(Engine& engine, std::int32_t frame, const std::string& name);

// Msg takes `text`; while it still shows a frame that was not written, it
// reads that failure, "; " and `text` instead, whatever else it showed.
void SetMsgKeepingFrameFailure(Engine& engine, const std::string& text);

// Empties Msg while it still reads `text` (not empty): a text that has taken
// its place since stays.
void ClearMsgIf(Engine& engine, const std::string& text);

// Reads the boards' working frame into FrameBuffer.
void ReadWorkingFrame(Engine& engine);

// The boards' working frame number.
std::int32_t GetWorkingFrameNumber(Engine& engine);

// The points the boards hold in `frame`; 0 when it has none or they cannot say.
std::int32_t PointsOnBoard(Engine& engine, std::int32_t frame);

}  // namespace fieldray::engine
