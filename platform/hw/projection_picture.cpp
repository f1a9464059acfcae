// The projection picture: the board's displayed frame traced as the scanners
// would draw it.
//
// The display transform, in the order the board applies it to a point in device
// units (each parameter only once it was set and shown by a display update):
//   pre-translation (66), minus the rotation centre (58), scale (57, 16383 =
//   1.0), size (39: X and Y by the first and second value, where 32768 (200.0)
//   drives the scanners' full range, both by the fourth, where 16384 (100.0) is
//   1.0; the program's start-up size 200, 200, 200, 100 thus maps the frame's
//   range onto the scanners' one to one), rotation (123: Z turns in the plane, X and Y tilt the picture
//   by their cosine; 16384 = a full turn), plus the rotation centre, position
//   (154, 16384 = half the range) and post-translation (60, 16383 = half the
//   range). A point outside the window (62, same units) is not lit. Then the
//   correction grid, when the last row loaded was flagged active: bilinear
//   between the 65 x 65 nodes, node (i, j) standing for (1024 i - 32768,
//   1024 j - 32768). The scanners run the frame in a loop, so the move from the
//   last point back to the first is traced too.
#include "winplat/hw/projection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "board_machine.h"
#include "display_state.h"
#include "frame_store.h"
#include "winplat/gdi.h"

namespace winplat::hw {
namespace {

using detail::DisplaySet;

constexpr double kHalfRange = 32768.0;
constexpr double kStep = 512.0;  // device units per traced piece of a move

struct Vec {
  double x = 0, y = 0;
};

class DisplayTransform {
 public:
  explicit DisplayTransform(const DisplaySet& set) : set_(set) {
    auto angle = [](std::int32_t v) { return v * 2.0 * std::numbers::pi / 16384.0; };
    if (Has(123)) {
      double z = angle(Val(123, 2));
      cosZ_ = std::cos(z);
      sinZ_ = std::sin(z);
      tiltX_ = std::cos(angle(Val(123, 0)));
      tiltY_ = std::cos(angle(Val(123, 1)));
    }
  }

  // A point in device units after the transform; false when the window hides it.
  bool Apply(Vec p, Vec& out) const {
    p.x += Coord(66, 0);
    p.y += Coord(66, 1);
    Vec c{Coord(58, 0), Coord(58, 1)};
    p.x -= c.x;
    p.y -= c.y;
    if (Has(57)) {
      p.x *= Val(57, 0) / 16383.0;
      p.y *= Val(57, 1) / 16383.0;
    }
    if (Has(39)) {
      double all = Val(39, 3) / 16384.0;
      p.x *= Val(39, 0) / 32768.0 * all;
      p.y *= Val(39, 1) / 32768.0 * all;
    }
    Vec r{p.x * cosZ_ - p.y * sinZ_, p.x * sinZ_ + p.y * cosZ_};
    r.x *= tiltY_;
    r.y *= tiltX_;
    r.x += c.x + Val(154, 0) * 2.0 + Coord(60, 0);
    r.y += c.y + Val(154, 1) * 2.0 + Coord(60, 1);
    bool visible = true;
    if (Has(62)) {
      visible = r.x >= Coord(62, 0) && r.x <= Coord(62, 1) && r.y >= Coord(62, 2) && r.y <= Coord(62, 3);
    }
    out = set_.gridActive != 0 ? Grid(r) : r;
    return visible;
  }

 private:
  bool Has(std::uint16_t code) const { return set_.slots[code].count > 0; }
  std::int32_t Val(std::uint16_t code, std::size_t i) const { return Has(code) ? set_.slots[code].v[i] : 0; }
  // A coordinate parameter (16383 = 100.0 = half the range) in device units.
  double Coord(std::uint16_t code, std::size_t i) const { return Val(code, i) * (32767.0 / 16383.0); }

  Vec Node(int i, int j) const {
    const auto& row = set_.grid[static_cast<std::size_t>(j)];
    return {static_cast<double>(row[static_cast<std::size_t>(2 * i)]),
            static_cast<double>(row[static_cast<std::size_t>(2 * i + 1)])};
  }

  Vec Grid(Vec p) const {
    double gx = std::clamp((p.x + kHalfRange) / 1024.0, 0.0, 64.0);
    double gy = std::clamp((p.y + kHalfRange) / 1024.0, 0.0, 64.0);
    int i = std::min(static_cast<int>(gx), 63), j = std::min(static_cast<int>(gy), 63);
    double u = gx - i, v = gy - j;
    // Beyond the grid the edge cells extend linearly.
    u += (p.x + kHalfRange) / 1024.0 - gx;
    v += (p.y + kHalfRange) / 1024.0 - gy;
    Vec a = Node(i, j), b = Node(i + 1, j), c = Node(i, j + 1), d = Node(i + 1, j + 1);
    return {(1 - u) * (1 - v) * a.x + u * (1 - v) * b.x + (1 - u) * v * c.x + u * v * d.x,
            (1 - u) * (1 - v) * a.y + u * (1 - v) * b.y + (1 - u) * v * c.y + u * v * d.y};
  }

  const DisplaySet& set_;
  double cosZ_ = 1, sinZ_ = 0, tiltX_ = 1, tiltY_ = 1;
};

detail::Board* BoardByIndex(int index) {
  MachineBoards config = CurrentBoards();
  if (index < 0 || static_cast<std::size_t>(index) >= config.boards.size()) return nullptr;
  if (config.family == BoardFamily::Isa) return detail::IsaBoardOnPort(config.boards[static_cast<std::size_t>(index)].port);
  return detail::PciBoard(index);
}

bool Lit(std::uint32_t colour) { return colour != 0 && colour != 0x40000000u && (colour & 0xFFFFFFu) != 0; }

class Tracer {
 public:
  Tracer(HDC dc, int size, const DisplayTransform& transform) : dc_(dc), size_(size), transform_(transform) {}
  ~Tracer() {
    if (pen_) DeleteObject(SelectObject(dc_, old_));
  }

  void Start(Vec p) {
    Vec out;
    transform_.Apply(p, out);
    POINT px = Pixel(out);
    MoveToEx(dc_, px.x, px.y, nullptr);
    from_ = p;
  }

  // A move to p in the given colour, in short pieces so that the grid's bending shows.
  void MoveTo(Vec p, std::uint32_t colour) {
    double length = std::hypot(p.x - from_.x, p.y - from_.y);
    int pieces = std::max(1, static_cast<int>(std::ceil(length / kStep)));
    for (int k = 1; k <= pieces; ++k) {
      double t = static_cast<double>(k) / pieces;
      Vec q{from_.x + (p.x - from_.x) * t, from_.y + (p.y - from_.y) * t}, out;
      bool visible = transform_.Apply(q, out);
      Use(Lit(colour) && visible ? (colour & 0xFFFFFFu) : kBlankedMoveColour);
      POINT px = Pixel(out);
      LineTo(dc_, px.x, px.y);
    }
    from_ = p;
  }

 private:
  POINT Pixel(Vec p) const {
    double scale = size_ / 65536.0;
    auto clampPixel = [](double v) { return static_cast<int>(std::clamp(std::floor(v), -100000.0, 100000.0)); };
    return {clampPixel((p.x + kHalfRange) * scale), clampPixel((kHalfRange - 1 - p.y) * scale)};
  }

  void Use(COLORREF colour) {
    if (pen_ && colour == colour_) return;
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ previous = SelectObject(dc_, pen);
    if (pen_) {
      DeleteObject(previous);
    } else {
      old_ = previous;
    }
    pen_ = pen;
    colour_ = colour;
  }

  HDC dc_;
  int size_;
  const DisplayTransform& transform_;
  Vec from_;
  HPEN pen_ = 0;
  HGDIOBJ old_ = 0;
  COLORREF colour_ = 0;
};

}  // namespace

namespace {

// What the board shows: its display state and the displayed frame, read under
// the machine lock (held for the read only).
bool ReadShown(int board, detail::DisplayState* state, detail::StoredFrame* frame) {
  detail::MachineLock lock;
  detail::Board* b = BoardByIndex(board);
  if (!b) return false;
  *state = detail::LoadDisplayState(*b);
  const auto& slot = state->shown.slots[64];
  if (slot.count > 0) *frame = detail::FrameStore(*b).Read(slot.v[0]);
  return true;
}

void Mix(std::uint64_t& hash, std::int64_t value) {
  hash ^= static_cast<std::uint64_t>(value);
  hash *= 1099511628211ull;
}

}  // namespace

std::uint64_t ProjectionSignature(int board) {
  detail::DisplayState state;
  detail::StoredFrame frame;
  if (!ReadShown(board, &state, &frame)) return 0;
  std::uint64_t hash = 14695981039346656037ull;
  for (const detail::DisplaySlot& slot : state.shown.slots) {
    Mix(hash, slot.count);
    for (std::int32_t v : slot.v) Mix(hash, v);
  }
  for (const auto& row : state.shown.grid)
    for (std::int16_t v : row) Mix(hash, v);
  Mix(hash, state.shown.gridActive);
  Mix(hash, static_cast<std::int64_t>(frame.points.size()));
  for (const detail::StoredPoint& p : frame.points) {
    Mix(hash, p.x);
    Mix(hash, p.y);
    Mix(hash, p.colour);
  }
  return hash;
}

Picture ProjectionPicture(int board, int size) {
  if (size < 8 || size > 4096) return {};
  detail::DisplayState state;
  detail::StoredFrame frame;
  if (!ReadShown(board, &state, &frame)) return {};
  HDC dc = CreateCompatibleDC(0);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, size, size);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  {
    DisplayTransform transform(state.shown);
    Tracer tracer(dc, size, transform);
    const auto& points = frame.points;
    if (!points.empty()) {
      tracer.Start({static_cast<double>(points.back().x), static_cast<double>(points.back().y)});
      for (const detail::StoredPoint& p : points) {
        tracer.MoveTo({static_cast<double>(p.x), static_cast<double>(p.y)}, p.colour);
      }
    }
  }
  Picture picture = CaptureDC(dc);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return picture;
}

bool SaveProjectionPng(const std::filesystem::path& path, int board, int size, std::string* error) {
  Picture picture = ProjectionPicture(board, size);
  if (picture.width == 0) {
    // A board whose state could not be opened says why.
    const std::string why = size >= 8 && size <= 4096 ? detail::BoardOpenFailure(board) : std::string();
    if (error) *error = why.empty() ? "no such board, or a picture size outside 8..4096" : why;
    return false;
  }
  return SavePicturePng(picture, path, error);
}

}  // namespace winplat::hw
