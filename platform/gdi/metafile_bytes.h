#pragma once
// Little-endian record building and reading for the metafile formats.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "gdi_internal.h"

namespace winplat::gdi {

// One record being built; sizes are patched in when it is finished.
class Bytes {
 public:
  void U8(std::uint8_t v) { b_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void XY(std::int32_t x, std::int32_t y) {
    I32(x);
    I32(y);
  }
  void F32(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
  }
  void Rect(const RECT& r) {
    I32(r.left);
    I32(r.top);
    I32(r.right);
    I32(r.bottom);
  }
  void PadTo(std::size_t multiple) {
    while (b_.size() % multiple) U8(0);
  }
  void PatchU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void Append(const std::vector<std::uint8_t>& more) { b_.insert(b_.end(), more.begin(), more.end()); }
  std::size_t Size() const { return b_.size(); }
  std::vector<std::uint8_t>& Data() { return b_; }

 private:
  std::vector<std::uint8_t> b_;
};

// Bounds-checked reading of one record; a read past its end gives 0 and marks it bad.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : d_(data), n_(size) {}
  std::uint32_t U32(std::size_t at) const {
    if (at + 4 > n_ || at + 4 < at) return bad_ = true, 0u;
    return d_[at] | (d_[at + 1] << 8) | (d_[at + 2] << 16) | (static_cast<std::uint32_t>(d_[at + 3]) << 24);
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint16_t U16(std::size_t at) const {
    if (at + 2 > n_ || at + 2 < at) return bad_ = true, std::uint16_t{0};
    return static_cast<std::uint16_t>(d_[at] | (d_[at + 1] << 8));
  }
  std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
  std::uint8_t U8(std::size_t at) const {
    if (at >= n_) return bad_ = true, std::uint8_t{0};
    return d_[at];
  }
  RECT Rect(std::size_t at) const { return RECT{I32(at), I32(at + 4), I32(at + 8), I32(at + 12)}; }
  std::size_t Size() const { return n_; }
  bool Bad() const { return bad_; }

 private:
  const std::uint8_t* d_;
  std::size_t n_;
  mutable bool bad_ = false;
};

// The object table of a recording: a new object takes the first free slot,
// and an object deleted while it is selected goes once another replaces it.
class RecordedObjects {
 public:
  // Which of the pen, brush and font selections an object takes.
  static int KindOf(const GdiObject& o) { return o.kind == Kind::Pen ? 0 : o.kind == Kind::Brush ? 1 : 2; }
  // The slot of a known object, -1 for an unknown one.
  int Find(HGDIOBJ handle) const {
    auto it = table_.find(handle);
    return it == table_.end() ? -1 : it->second;
  }
  // Gives a new object the first free slot.
  int Add(HGDIOBJ handle) {
    const auto slot = static_cast<int>(std::find(slots_.begin(), slots_.end(), false) - slots_.begin());
    if (slot == static_cast<int>(slots_.size())) slots_.push_back(false);
    slots_[static_cast<std::size_t>(slot)] = true;
    table_[handle] = slot;
    return slot;
  }
  // Frees an object's slot; the slot, -1 when the object is unknown.
  int Remove(HGDIOBJ handle) {
    auto it = table_.find(handle);
    if (it == table_.end()) return -1;
    const int slot = it->second;
    slots_[static_cast<std::size_t>(slot)] = false;
    table_.erase(it);
    return slot;
  }
  // Notes a selection; the object it replaced when that one is now to be deleted, else 0.
  HGDIOBJ Select(const GdiObject& object, HGDIOBJ handle) {
    const HGDIOBJ previous = std::exchange(selected_[KindOf(object)], handle);
    return previous != handle && pendingDelete_.erase(previous) ? previous : 0;
  }
  // True when a known object's deletion is to be recorded now; a selected one waits.
  bool DeleteNow(HGDIOBJ handle) {
    if (!table_.count(handle)) return false;
    if (std::find(std::begin(selected_), std::end(selected_), handle) == std::end(selected_)) return true;
    pendingDelete_.insert(handle);
    return false;
  }
  HGDIOBJ& Selected(int kind) { return selected_[kind]; }
  std::size_t Slots() const { return slots_.size(); }

 private:
  std::map<HGDIOBJ, int> table_;
  std::vector<bool> slots_;
  HGDIOBJ selected_[3] = {};
  std::set<HGDIOBJ> pendingDelete_;
};

// A region as rectangles: runs of equal extent on consecutive rows are joined.
std::vector<RECT> RegionRects(const SpanSet& region);

}  // namespace winplat::gdi
