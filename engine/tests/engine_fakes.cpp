#include "engine_fakes.h"

#include <cstring>

namespace enginetest {

namespace {

FakeBoard* board = nullptr;

std::string Join(std::initializer_list<long> values) {
  std::string out;
  for (long v : values) out += " " + std::to_string(v);
  return out;
}

void Log(const std::string& name, std::initializer_list<long> values = {}) {
  board->calls.push_back(name + Join(values));
}

}  // namespace

std::vector<std::string> FakeBoard::CallsNamed(const std::string& name) const {
  std::vector<std::string> out;
  for (const auto& c : calls) {
    if (c == name || c.rfind(name + " ", 0) == 0) out.push_back(c);
  }
  return out;
}

fieldray::engine::VexlibTable FakeBoard::Table() {
  board = this;
  fieldray::engine::VexlibTable t;
  t.OpenVXCommWindow = [] {
    Log("OpenVXCommWindow");
    return 0;
  };
  t.TB32BeepOnError = [](std::int32_t flag) {
    Log("TB32BeepOnError", {flag});
    return 0;
  };
  t.BeginSession = [](std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t* status) {
    Log("BeginSession", {p1, p2, p3, p4});
    *status = board->beginStatus;
    return board->beginStatus;
  };
  t.TB32AvailMemEx = [](std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d) {
    Log("TB32AvailMemEx");
    *a = board->memory[0];
    *b = board->memory[1];
    *c = board->memory[2];
    *d = board->memory[3];
    return 0;
  };
  t.SetWorkingScanners = [](std::int32_t mask) {
    Log("SetWorkingScanners", {mask});
    return 0;
  };
  t.SetWorkingFrame = [](std::int32_t frame) {
    Log("SetWorkingFrame", {frame});
    board->workingFrame = frame;
    return 0;
  };
  t.GetWorkingFrame = [](std::int32_t* frame) {
    Log("GetWorkingFrame");
    *frame = board->workingFrame;
    return 0;
  };
  t.SetWorkingScale = [](std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                         std::int32_t f) {
    Log("SetWorkingScale", {a, b, c, d, e, f});
    return 0;
  };
  t.DisplayPostTrans = [](float x, float y, float z) {
    board->calls.push_back("DisplayPostTrans " + std::to_string(x) + " " + std::to_string(y) + " " +
                           std::to_string(z));
    return 0;
  };
  t.DisplayGeometricCorrection = [](std::int32_t active, std::int32_t row, const std::int16_t* values) {
    Log("DisplayGeometricCorrection", {active, row});
    board->geoActive.push_back(active);
    board->geoRows.emplace_back(values, values + 130);
    return 0;
  };
  t.DisplayUpdate = [] {
    Log("DisplayUpdate");
    return 0;
  };
  t.DeleteFrames = [](std::int32_t from, std::int32_t to) {
    Log("DeleteFrames", {from, to});
    for (std::int32_t f = from; f <= to; ++f) board->frames.erase(f);
    return 0;
  };
  t.RGB4toRGB1 = [](std::int32_t* c1, std::int32_t* c2, std::int32_t* c3, std::int32_t* c4, std::int32_t* out) {
    *out = (*c1 & 0xFF) | (*c2 & 0xFF) << 8 | (*c3 & 0xFF) << 16 | (*c4 & 0xFF) << 24;
    return 0;
  };
  t.WriteFrame = [](const FrameStruct* header, const PointStruct* points) {
    Log("WriteFrame", {header->NumPoints});
    if (board->writeStatus != 0) return board->writeStatus;
    board->frames[board->workingFrame] = {*header, std::vector<PointStruct>(points, points + header->NumPoints)};
    return 0;
  };
  t.ReadFrameStruct = [](std::int32_t frame, FrameStruct* header) {
    Log("ReadFrameStruct", {frame});
    auto it = board->frames.find(frame);
    *header = it == board->frames.end() ? FrameStruct{} : it->second.first;
    return 0;
  };
  t.ReadFrame = [](FrameStruct* header, PointStruct* points) {
    Log("ReadFrame");
    auto it = board->frames.find(board->workingFrame);
    if (it == board->frames.end()) return -1;
    *header = it->second.first;
    const auto& pts = it->second.second;
    for (std::size_t i = 0; i < 6000; ++i) points[i] = i < pts.size() ? pts[i] : PointStruct{};
    return 0;
  };
  t.InvertPointsActive = [](std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                            std::int32_t f, std::int32_t* active) {
    Log("InvertPointsActive", {a, b, c, d, e, f});
    board->invertActive.assign(active, active + b);
    return 0;
  };
  return t;
}

}  // namespace enginetest
