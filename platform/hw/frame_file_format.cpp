// The frame file formats of the board software (layouts in frame_file_format.h).
#include "frame_file_format.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace winplat::hw::detail {
namespace {

constexpr char kObjectMagic[] = "MORVANTEOBJECT1";
constexpr std::size_t kObjectHeader = 20;
constexpr std::size_t kIldaHeader = 32;
constexpr char kTextMagic[] = "VXTEXTFRAMES";
// Frames a file may bring: no more than a board has numbers for.
constexpr std::size_t kMaxFrames = 10000;

class Reader {
 public:
  Reader(const std::vector<std::uint8_t>& bytes, std::size_t at) : bytes_(bytes), at_(at) {}
  bool Has(std::size_t n) const { return at_ <= bytes_.size() && bytes_.size() - at_ >= n; }
  std::uint32_t Get(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | bytes_[at_++];
    return v;
  }
  std::int16_t GetShort() { return static_cast<std::int16_t>(Get(2)); }
  const std::uint8_t* Here() const { return bytes_.data() + at_; }
  void Skip(std::size_t n) { at_ += n; }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_;
};

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int n) {
  for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool ParseBody(Reader& in, std::size_t count, std::vector<StoredFrame>& frames) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!in.Has(32)) return false;
    StoredFrame frame;
    frame.exists = true;
    std::memcpy(frame.name.data(), in.Here(), frame.name.size());
    in.Skip(frame.name.size());
    frame.flags = static_cast<std::uint16_t>(in.Get(2));
    frame.value = in.GetShort();
    std::uint32_t points = in.Get(4);
    if (!in.Has(static_cast<std::size_t>(points) * 12)) return false;
    frame.points.resize(points);
    for (StoredPoint& p : frame.points) {
      p.x = in.GetShort();
      p.y = in.GetShort();
      p.z = in.GetShort();
      p.f = in.GetShort();
      p.colour = in.Get(4);
    }
    frames.push_back(std::move(frame));
  }
  return in.AtEnd();
}

void FormatBody(std::vector<std::uint8_t>& out, const std::vector<StoredFrame>& frames) {
  for (const StoredFrame& frame : frames) {
    out.insert(out.end(), frame.name.begin(), frame.name.end());
    Put(out, frame.flags, 2);
    Put(out, static_cast<std::uint16_t>(frame.value), 2);
    Put(out, static_cast<std::uint32_t>(frame.points.size()), 4);
    for (const StoredPoint& p : frame.points) {
      for (std::int16_t v : {p.x, p.y, p.z, p.f}) Put(out, static_cast<std::uint16_t>(v), 2);
      Put(out, p.colour, 4);
    }
  }
}

bool ParseObject(const std::vector<std::uint8_t>& bytes, std::vector<StoredFrame>& frames) {
  if (bytes.size() < kObjectHeader || std::memcmp(bytes.data(), kObjectMagic, 15) != 0) return false;
  std::size_t titleLength = bytes[15] & 0x7F;
  std::size_t count = (std::size_t{bytes[16]} << 8) | bytes[17];
  Reader in(bytes, kObjectHeader);
  if (!in.Has(titleLength)) return false;
  in.Skip(titleLength);
  return ParseBody(in, count, frames);
}

bool ParseLazr(const std::vector<std::uint8_t>& bytes, std::vector<StoredFrame>& frames) {
  if (bytes.size() < 6 || std::memcmp(bytes.data(), "LAZR", 4) != 0) return false;
  Reader in(bytes, 6);
  return ParseBody(in, (std::size_t{bytes[4]} << 8) | bytes[5], frames);
}

// The palette of an ILDA file without palette records: eight hues at full
// brightness, then the same hues dimmed, repeated.
std::array<std::uint32_t, 256> DefaultIldaPalette() {
  static const std::uint32_t hues[8] = {0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00,
                                        0xFFFF00, 0xFF0000, 0xFF00FF, 0xFFFFFF};
  std::array<std::uint32_t, 256> palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    std::uint32_t c = hues[i % 8];
    palette[i] = (i / 8) % 2 ? (c >> 1) & 0x7F7F7F : c;
  }
  return palette;
}

bool ParseIlda(const std::vector<std::uint8_t>& bytes, std::vector<StoredFrame>& frames) {
  std::array<std::uint32_t, 256> palette = DefaultIldaPalette();
  Reader in(bytes, 0);
  bool any = false;
  while (true) {
    if (!in.Has(kIldaHeader)) return any && in.AtEnd();  // a file may end without the closing section
    const std::uint8_t* h = in.Here();
    if (std::memcmp(h, "ILDA", 4) != 0) return false;
    std::uint8_t format = h[7];
    StoredFrame frame;
    frame.exists = true;
    std::memcpy(frame.name.data(), h + 8, 8);
    in.Skip(24);
    std::uint32_t records = in.Get(2);
    in.Skip(6);
    if (records == 0) return any || frames.empty();
    any = true;
    std::size_t size = format == 0 ? 8 : format == 1 ? 6 : format == 2 ? 3 : format == 4 ? 10 : format == 5 ? 8 : 0;
    if (size == 0 || !in.Has(records * size)) return false;
    if (format == 2) {
      for (std::uint32_t i = 0; i < records; ++i) {
        std::uint32_t r = in.Get(1), g = in.Get(1), b = in.Get(1);
        if (i < palette.size()) palette[i] = r | (g << 8) | (b << 16);
      }
      continue;
    }
    if (frames.size() >= kMaxFrames) return false;
    bool threeD = format == 0 || format == 4;
    frame.points.resize(records);
    for (StoredPoint& p : frame.points) {
      p.x = in.GetShort();
      p.y = in.GetShort();
      if (threeD) p.z = in.GetShort();
      std::uint32_t status = in.Get(1);
      std::uint32_t colour = 0;
      if (format == 0 || format == 1) {
        colour = palette[in.Get(1)];
      } else {
        std::uint32_t b = in.Get(1), g = in.Get(1), r = in.Get(1);
        colour = r | (g << 8) | (b << 16);
      }
      p.colour = (status & 0x40) ? 0 : colour;
    }
    frames.push_back(std::move(frame));
  }
}

std::vector<std::uint8_t> FormatIlda(const std::vector<StoredFrame>& frames) {
  std::vector<std::uint8_t> out;
  auto header = [&](std::size_t records, std::size_t number, const std::array<char, 24>* name) {
    out.insert(out.end(), {'I', 'L', 'D', 'A', 0, 0, 0, 4});
    for (std::size_t i = 0; i < 8; ++i) out.push_back(name ? static_cast<std::uint8_t>((*name)[i]) : 0);
    for (char c : std::string("FIELDRAY")) out.push_back(static_cast<std::uint8_t>(c));
    Put(out, static_cast<std::uint32_t>(records), 2);
    Put(out, static_cast<std::uint32_t>(number), 2);
    Put(out, static_cast<std::uint32_t>(frames.size()), 2);
    out.push_back(0);
    out.push_back(0);
  };
  for (std::size_t n = 0; n < frames.size(); ++n) {
    const StoredFrame& frame = frames[n];
    // Sections hold at most 65535 records.
    std::size_t count = std::min<std::size_t>(frame.points.size(), 0xFFFF);
    if (count == 0) continue;
    header(count, n, &frame.name);
    for (std::size_t i = 0; i < count; ++i) {
      const StoredPoint& p = frame.points[i];
      for (std::int16_t v : {p.x, p.y, p.z}) Put(out, static_cast<std::uint16_t>(v), 2);
      std::uint8_t status = (i + 1 == count ? 0x80 : 0) | (p.colour == 0 ? 0x40 : 0);
      out.push_back(status);
      out.push_back(static_cast<std::uint8_t>(p.colour >> 16));
      out.push_back(static_cast<std::uint8_t>(p.colour >> 8));
      out.push_back(static_cast<std::uint8_t>(p.colour));
    }
  }
  header(0, frames.size(), nullptr);
  return out;
}

bool ParseText(const std::vector<std::uint8_t>& bytes, std::vector<StoredFrame>& frames) {
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::string line;
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line != kTextMagic) return false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.rfind("FRAME", 0) == 0) {
      if (frames.size() >= kMaxFrames) return false;
      StoredFrame frame;
      frame.exists = true;
      std::string name = line.size() > 6 ? line.substr(6) : "";
      std::memcpy(frame.name.data(), name.data(), std::min(name.size(), frame.name.size()));
      frames.push_back(std::move(frame));
      continue;
    }
    if (frames.empty()) return false;
    int x = 0, y = 0, z = 0, f = 0;
    unsigned colour = 0;
    char extra = 0;
    if (std::sscanf(line.c_str(), "%d %d %d %d %x %c", &x, &y, &z, &f, &colour, &extra) != 5) return false;
    for (int v : {x, y, z, f}) {
      if (v < -32768 || v > 32767) return false;
    }
    StoredPoint p;
    p.x = static_cast<std::int16_t>(x);
    p.y = static_cast<std::int16_t>(y);
    p.z = static_cast<std::int16_t>(z);
    p.f = static_cast<std::int16_t>(f);
    p.colour = colour;
    frames.back().points.push_back(p);
  }
  return !frames.empty();
}

std::vector<std::uint8_t> FormatText(const std::vector<StoredFrame>& frames) {
  std::string text = std::string(kTextMagic) + "\n";
  char line[96];
  for (const StoredFrame& frame : frames) {
    // The name ends at its first control character, so it stays on its line.
    std::string name(frame.name.data(), strnlen(frame.name.data(), frame.name.size()));
    name.erase(std::find_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
               name.end());
    text += "FRAME " + name + "\n";
    for (const StoredPoint& p : frame.points) {
      std::snprintf(line, sizeof line, "%d %d %d %d %X\n", p.x, p.y, p.z, p.f, static_cast<unsigned>(p.colour));
      text += line;
    }
  }
  return {text.begin(), text.end()};
}

}  // namespace

bool ParseFrameFile(std::int32_t format, const std::vector<std::uint8_t>& bytes, std::vector<StoredFrame>& frames) {
  frames.clear();
  bool ok = false;
  switch (format) {
    case kFormatObject: ok = ParseObject(bytes, frames); break;
    case kFormatLazr: ok = ParseLazr(bytes, frames); break;
    case kFormatIlda: ok = ParseIlda(bytes, frames); break;
    case 4:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13: ok = ParseText(bytes, frames); break;
    default: ok = false;
  }
  if (!ok) frames.clear();
  return ok;
}

std::vector<std::uint8_t> FormatFrameFile(std::int32_t format, const std::vector<StoredFrame>& frames,
                                          const std::string& title) {
  std::vector<std::uint8_t> out;
  auto count = static_cast<std::uint32_t>(std::min<std::size_t>(frames.size(), 0xFFFF));
  std::vector<StoredFrame> kept(frames.begin(), frames.begin() + count);
  if (format == kFormatObject) {
    std::string t = title.substr(0, 127);
    out.insert(out.end(), kObjectMagic, kObjectMagic + 15);
    out.push_back(static_cast<std::uint8_t>(t.size()));
    Put(out, count, 2);
    Put(out, 0, 2);
    out.insert(out.end(), t.begin(), t.end());
    FormatBody(out, kept);
  } else if (format == kFormatLazr) {
    out.insert(out.end(), {'L', 'A', 'Z', 'R'});
    Put(out, count, 2);
    FormatBody(out, kept);
  } else if (format == kFormatIlda) {
    out = FormatIlda(kept);
  } else {
    out = FormatText(kept);
  }
  return out;
}

}  // namespace winplat::hw::detail
