#include "engine_fakes.h"

#include <algorithm>
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
    // The working frame is mirrored in X.
    auto it = board->frames.find(board->workingFrame);
    if (it != board->frames.end())
      for (PointStruct& p : it->second.second) p.X = -p.X;
    return 0;
  };
  t.DisplayFrame = [](std::int32_t frame) {
    Log("DisplayFrame", {frame});
    board->displayed = frame;
    return 0;
  };
  t.DisplayFreq3 = [](std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t* o1, std::int32_t* o2,
                      std::int32_t* o3) {
    Log("DisplayFreq3", {a, b, c});
    *o1 = a;
    *o2 = b;
    *o3 = c;
    return 0;
  };
  t.DisplaySkew = [](std::int32_t a, std::int32_t b, std::int32_t c) {
    Log("DisplaySkew", {a, b, c});
    return 0;
  };
  t.MergeFrames = [](std::int32_t a, std::int32_t b, std::int32_t c) {
    Log("MergeFrames", {a, b, c});
    auto& target = board->frames[b];
    auto it = board->frames.find(a);
    if (a != 0 && it != board->frames.end()) {
      target.second.insert(target.second.end(), it->second.second.begin(), it->second.second.end());
    }
    target.first.NumPoints = static_cast<std::int32_t>(target.second.size());
    return 0;
  };
  t.RGB4toRGB1 = [](std::int32_t* r, std::int32_t* g, std::int32_t* b, std::int32_t*, std::int32_t* out) {
    *out = *r | (*g << 8) | (*b << 16);
    return 0;
  };
  t.LoadFont = [](const char*, std::int32_t* status) {
    Log("LoadFont");
    *status = board->fontStatus;
    return board->fontStatus;
  };
  t.SetLaserChar = [](std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t p5,
                      std::int32_t p6, std::int32_t p7, std::int32_t p8, std::int32_t p9) {
    Log("SetLaserChar", {p1, p2, p3, p4, p5, p6, p7, p8, p9});
    return 0;
  };
  t.GetLaserCharExtent = [](std::int32_t, std::int32_t* w, std::int32_t* h) {
    *w = 400;
    *h = 1000;
    return 0;
  };
  // A character is one point at its start; it advances the position by 500.
  t.LaserChar = [](std::int32_t code, std::int32_t x, std::int32_t y, std::int32_t n, std::int32_t* ox,
                   std::int32_t* oy, std::int32_t* on) {
    Log("LaserChar", {code, x, y, n});
    auto& f = board->frames[board->workingFrame];
    f.second.resize(static_cast<std::size_t>(n - 1));
    PointStruct p{};
    p.X = x;
    p.Y = y;
    f.second.push_back(p);
    f.first.NumPoints = n;
    *ox = x + 500;
    *oy = y;
    *on = n;
    return 0;
  };
  t.SetLaserWindow = [](std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t m) {
    Log("SetLaserWindow", {a, b, c, d, m});
    return 0;
  };
  t.RedrawFrame = [](std::int32_t w, std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                     std::int32_t f, std::int32_t g, std::int32_t h) {
    Log("RedrawFrame", {w, a, b, c, d, f, g, h});
    return 0;
  };
  t.RedrawFrameFast = [](std::int32_t w, std::int32_t frame, std::int32_t flags, std::int32_t clear,
                         std::int32_t widths) {
    Log("RedrawFrameFast", {w, frame, flags, clear, widths});
    return 0;
  };
  // The frame whose name, without its trailing blanks, is the one asked for; 0 when none.
  t.FindFrame = [](const char* name, std::int32_t* frame) {
    board->calls.push_back(std::string("FindFrame ") + name);
    *frame = 0;
    for (const auto& [number, f] : board->frames) {
      std::string held(f.first.Name, sizeof f.first.Name);
      held.erase(held.find_last_not_of(std::string(" \0", 2)) + 1);
      if (held == name) {
        *frame = number;
        break;
      }
    }
    return board->findStatus;
  };
  t.LoadLFile = [](const char*, std::int32_t* from, std::int32_t*, std::int32_t, std::int32_t* status) {
    Log("LoadLFile");
    *status = board->loadStatus;
    if (board->loadStatus != 0) return board->loadStatus;
    std::int32_t n = *from;
    for (const std::string& name : board->calibrationNames) {
      auto& f = board->frames[n++];
      f.first = FrameStruct{};
      std::memset(f.first.Name, ' ', sizeof f.first.Name);
      std::memcpy(f.first.Name, name.data(), std::min(name.size(), sizeof f.first.Name));
    }
    return 0;
  };
  return t;
}

BusyWatch* BusyWatch::current_ = nullptr;

BusyWatch::BusyWatch(const fieldray::ProgramState& state, winplat::UINT periodMs) : state_(state) {
  current_ = this;
  timer_ = winplat::SetTimer(0, 0, periodMs, Tick);
}

BusyWatch::~BusyWatch() {
  winplat::KillTimer(0, timer_);
  current_ = nullptr;
}

void BusyWatch::Tick(winplat::HWND, winplat::UINT, winplat::UINT_PTR, std::uint32_t) {
  if (current_) current_->seen.push_back(current_->state_.EngineBusy);
}

}  // namespace enginetest
