// Property bags and the text form a container keeps them in: one entry a line,
//   Name<TAB>Type<TAB>value
// with backslash escapes for tabs, line breaks and backslashes in texts,
// floats written with enough digits to read back exactly, and pictures as the
// bytes of a PNG file in base64.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "winplat/control.h"
#include "winplat/files.h"
#include "winplat/picture.h"
#include "winplat/text.h"

namespace winplat {
namespace {

std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

bool Unescape(std::string_view s, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i >= s.size()) return false;
    switch (s[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: return false;
    }
  }
  return true;
}

std::string Exact(double v, int digits) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}

bool ParseLong(const std::string& s, long long lo, long long hi, long long& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(s.c_str(), &end, 10);
  return *end == '\0' && errno == 0 && out >= lo && out <= hi;
}

bool ParseDouble(const std::string& s, double& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return *end == '\0' && std::isfinite(out);
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string ToBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += kBase64[(n >> 18) & 63];
    out += kBase64[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kBase64[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kBase64[n & 63] : '=';
  }
  return out;
}

// Strict: whole groups of four, padding only at the end.
bool FromBase64(std::string_view text, std::string& out) {
  out.clear();
  if (text.size() % 4 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t n = 0;
    int pad = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      std::uint32_t v = 0;
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++pad;
      } else {
        const char* at = c ? std::strchr(kBase64, c) : nullptr;
        if (!at || pad) return false;
        v = static_cast<std::uint32_t>(at - kBase64);
      }
      n = (n << 6) | v;
    }
    out += static_cast<char>((n >> 16) & 0xFF);
    if (pad < 2) out += static_cast<char>((n >> 8) & 0xFF);
    if (pad < 1) out += static_cast<char>(n & 0xFF);
  }
  return true;
}

// A picture as an object variable, or Nothing for a picture without pixels;
// the object takes the pixels.
Variant PictureValue(Picture&& pixels) {
  return Variant(ComPtr<IDispatch>(PictureObject::FromPixels(std::move(pixels))));
}

// A picture entry from its PNG bytes; the reason it cannot be one, or "".
std::string DecodePicture(const std::string& png, Variant& out) {
  int width = 0, height = 0;
  std::string why;
  if (!PicturePngSize(png, &width, &height, &why)) return "the picture " + why;
  constexpr int kMax = PropertyBag::kMaxPictureSide;
  if (width > kMax || height > kMax)
    return "the picture is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than " +
           std::to_string(kMax) + " x " + std::to_string(kMax);
  Picture pixels;
  if (!DecodePicturePng(png, &pixels, &why)) return "the picture " + why;
  out = PictureValue(std::move(pixels));
  if (!out.ToObject()) return "the picture cannot be held";
  return "";
}

// One entry from its type name and value text; false, with a reason when
// there is more to say than that they do not fit, when they do not.
bool Decode(const std::string& type, const std::string& text, Variant& out, std::string& png, std::string& why) {
  long long n = 0;
  double d = 0;
  if (type == "Integer") {
    if (!ParseLong(text, -32768, 32767, n)) return false;
    out = Variant(static_cast<std::int16_t>(n));
  } else if (type == "Long") {
    if (!ParseLong(text, INT32_MIN, INT32_MAX, n)) return false;
    out = Variant(static_cast<std::int32_t>(n));
  } else if (type == "Boolean") {
    if (text != "True" && text != "False") return false;
    out = Variant(text == "True");
  } else if (type == "Single") {
    if (!ParseDouble(text, d) || std::fabs(d) > 3.402823466e38) return false;
    out = Variant(static_cast<float>(d));
  } else if (type == "Double") {
    if (!ParseDouble(text, d)) return false;
    out = Variant(d);
  } else if (type == "Date") {
    if (!ParseDouble(text, d)) return false;
    out = Variant::Date(d);
  } else if (type == "String") {
    std::string s;
    if (!Unescape(text, s)) return false;
    out = Variant(s);
  } else if (type == "Null") {
    out = Variant::Null();
  } else if (type == "Empty") {
    out = Variant();
  } else if (type == "Picture") {
    if (!FromBase64(text, png)) {
      why = "the picture is not base64";
      return false;
    }
    why = DecodePicture(png, out);
    return why.empty();
  } else {
    return false;
  }
  return true;
}

// The value part of an entry's line; a picture's from its PNG bytes.
std::string Encode(const Variant& v, const std::string& png) {
  switch (v.Type()) {
    case VarType::Empty: return "Empty\t";
    case VarType::Null: return "Null\t";
    case VarType::Integer: return "Integer\t" + std::to_string(v.ToInteger());
    case VarType::Long: return "Long\t" + std::to_string(v.ToLong());
    case VarType::Boolean: return std::string("Boolean\t") + (v.ToBool() ? "True" : "False");
    case VarType::Single: return "Single\t" + Exact(v.ToSingle(), 9);
    case VarType::Double: return "Double\t" + Exact(v.ToDouble(), 17);
    case VarType::Date: return "Date\t" + Exact(v.ToDouble(), 17);
    case VarType::String: return "String\t" + Escape(v.ToString());
    case VarType::Object:
      if (png.empty()) throw RuntimeError(13);
      return "Picture\t" + ToBase64(png);
    default: throw RuntimeError(13);
  }
}

}  // namespace

PropertyBag::Entry* PropertyBag::Find(std::string_view name) {
  auto it = index_.find(AsciiLower(name));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

const PropertyBag::Entry* PropertyBag::Find(std::string_view name) const {
  auto it = index_.find(AsciiLower(name));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

Variant PropertyBag::ReadProperty(std::string_view name, const Variant& defaultValue) const {
  if (const Entry* e = Find(name)) return e->value;
  return defaultValue.Value();
}

bool PropertyBag::Contains(std::string_view name) const { return Find(name) != nullptr; }

void PropertyBag::WriteProperty(std::string_view name, const Variant& value, const Variant& defaultValue) {
  if (name.empty() || name.find_first_of("\t\r\n") != std::string_view::npos) throw RuntimeError(5);
  Variant v = value.Value();
  std::string png;
  if (v.IsObject()) {
    if (!v.ToObject()) return;  // Nothing: every object property's default
    auto picture = QueryInterface<PictureObject>(v.ToObject().Get());
    if (!picture) throw RuntimeError(13);
    // A copy of the pixels as they are now: later drawing into the picture
    // does not change what was saved. It is encoded once, here.
    Picture pixels = picture->Pixels();
    if (pixels.pixels.empty()) return;
    if (!EncodePicturePng(pixels, &png)) throw RuntimeError(13);
    v = PictureValue(std::move(pixels));
    if (!v.ToObject()) throw RuntimeError(7);
  } else if (SameValue(v, defaultValue)) {
    return;
  }
  Encode(v, png);  // refuses what cannot be kept before anything changes
  if (Entry* e = Find(name)) {
    e->value = std::move(v);
    e->png = std::move(png);
  } else {
    index_.emplace(AsciiLower(name), entries_.size());
    entries_.push_back(Entry{std::string(name), std::move(v), std::move(png)});
  }
}

std::string PropertyBag::Serialize() const {
  std::string out;
  for (const auto& e : entries_) out += e.name + "\t" + Encode(e.value, e.png) + "\n";
  return out;
}

void PropertyBag::Parse(std::string_view text) {
  std::vector<Entry> parsed;
  std::unordered_map<std::string, std::size_t> index;
  std::size_t lineNo = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::size_t t1 = line.find('\t');
    const std::size_t t2 = t1 == std::string_view::npos ? t1 : line.find('\t', t1 + 1);
    Variant value;
    std::string png, why;
    if (t1 == 0 || t2 == std::string_view::npos ||
        !Decode(std::string(line.substr(t1 + 1, t2 - t1 - 1)), std::string(line.substr(t2 + 1)), value, png, why)) {
      throw AutomationError(5, {}, "Malformed property bag entry on line " + std::to_string(lineNo) +
                                       (why.empty() ? "" : ": " + why));
    }
    std::string name(line.substr(0, t1));
    const auto [at, added] = index.try_emplace(AsciiLower(name), parsed.size());
    if (added) {
      parsed.push_back(Entry{std::move(name), std::move(value), std::move(png)});
    } else {
      parsed[at->second].value = std::move(value);
      parsed[at->second].png = std::move(png);
    }
  }
  entries_ = std::move(parsed);
  index_ = std::move(index);
}

void PropertyBag::LoadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw AutomationError(53, {}, ErrorText(53) + ": " + file.string());
  std::ostringstream s;
  s << in.rdbuf();
  Parse(s.str());
}

void PropertyBag::SaveFile(const std::filesystem::path& name) const {
  // A bare name is a file of the current folder, which the write's new file goes beside.
  const std::filesystem::path file = name.has_parent_path() ? name : std::filesystem::path(".") / name;
  if (const int why = ReplacingWriter::ReplaceHost(file, Serialize()))
    throw AutomationError(75, {}, "Path/File access error: " + name.string() + ": " + std::strerror(why));
}

}  // namespace winplat
