// Pictures: capture of surfaces and PNG files through libpng.
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "gdi_internal.h"
#include "winplat/picture.h"

namespace winplat {

using namespace gdi;

namespace {

Picture FromSurface(const Surface* s) {
  Picture p;
  if (!s) return p;
  p.width = s->width;
  p.height = s->height;
  p.pixels = s->px;
  return p;
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// What libpng reports goes to the caller's message, never to standard error:
// an error is kept and ends the call through its jump; warnings are dropped
// (they stop nothing).
struct PngMessages {
  std::string error;
};

[[noreturn]] void KeepPngError(png_structp png, png_const_charp message) {
  auto* messages = static_cast<PngMessages*>(png_get_error_ptr(png));
  try {
    if (messages) messages->error = message ? message : "";
  } catch (...) {
    // no room for the text: the failure is still reported
  }
  png_longjmp(png, 1);
}

void DropPngWarning(png_structp, png_const_charp) {}

// "REASON: what libpng said", or REASON alone when it said nothing.
std::string WithPngReason(const std::string& reason, const PngMessages& messages) {
  return messages.error.empty() ? reason : reason + ": " + messages.error;
}

// Bytes of a PNG file in memory as libpng's input; past the end is an error.
void ReadFromMemory(png_structp p, png_bytep out, png_size_t length) {
  auto* source = static_cast<std::string_view*>(png_get_io_ptr(p));
  if (length > source->size()) png_error(p, "the file ends early");
  std::memcpy(out, source->data(), length);
  source->remove_prefix(length);
}

}  // namespace

Picture CaptureBitmap(HBITMAP bitmap) {
  Lock lock(Reg().mu);
  ObjectPtr o = FindObject(bitmap);
  return (o && o->kind == Kind::Bitmap) ? FromSurface(o->bitmap.get()) : Picture{};
}

Picture CaptureDC(HDC hdc) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  return dc ? FromSurface(dc->st.surface.get()) : Picture{};
}

Picture CaptureWindow(HWND hwnd) {
  BeforeWindowPixels(hwnd);
  Lock lock(Reg().mu);
  return FromSurface(WindowSurface(hwnd, false).get());
}

Picture CaptureWindowPersistent(HWND hwnd) {
  Lock lock(Reg().mu);
  return FromSurface(WindowSurface(hwnd, true).get());
}

bool EncodePicturePng(const Picture& picture, std::string* bytes, std::string* error) {
  if (!bytes) return false;
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    SetError(error, "empty picture");
    return false;
  }
  PngMessages messages;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &messages, KeepPngError, DropPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    SetError(error, "out of memory");
    return false;
  }
  std::string out;  // declared before setjmp so an error unwinds them
  std::vector<png_byte> row(static_cast<std::size_t>(picture.width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    SetError(error, WithPngReason("cannot encode the picture", messages));
    return false;
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), length);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      COLORREF c = picture.At(x, y);
      row[static_cast<std::size_t>(x) * 3] = static_cast<png_byte>(c & 0xFF);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>((c >> 8) & 0xFF);
      row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>((c >> 16) & 0xFF);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  *bytes = std::move(out);
  return true;
}

bool SavePicturePng(const Picture& picture, const std::filesystem::path& path, std::string* error) {
  std::string bytes;
  if (!EncodePicturePng(picture, &bytes, error)) return false;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    SetError(error, "cannot create " + path.string());
    return false;
  }
  // A picture not written whole leaves no file behind.
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fflush(file.get()) == 0;
  if (std::fclose(file.release()) != 0 || !written) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    SetError(error, "cannot write " + path.string());
    return false;
  }
  return true;
}

bool SaveBitmapPng(HBITMAP bitmap, const std::filesystem::path& path, std::string* error) {
  return SavePicturePng(CaptureBitmap(bitmap), path, error);
}
bool SaveDCPng(HDC hdc, const std::filesystem::path& path, std::string* error) {
  return SavePicturePng(CaptureDC(hdc), path, error);
}
bool SaveWindowPng(HWND hwnd, const std::filesystem::path& path, std::string* error) {
  return SavePicturePng(CaptureWindow(hwnd), path, error);
}

bool PicturePngSize(std::string_view bytes, int* width, int* height, std::string* error) {
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
    SetError(error, "is not a PNG file");
    return false;
  }
  // The first chunk is the header: its length (13), "IHDR", then the width
  // and the height, each four bytes, most significant first. Nothing after
  // it is read.
  auto be32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  if (bytes.size() < 24 || be32(8) != 13 || bytes.substr(12, 4) != "IHDR") {
    SetError(error, "is damaged: it does not begin with its header");
    return false;
  }
  const std::uint32_t w = be32(16), h = be32(20);
  if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) {
    SetError(error, "is damaged: IHDR: invalid image size");
    return false;
  }
  if (width) *width = static_cast<int>(w);
  if (height) *height = static_cast<int>(h);
  return true;
}

bool DecodePicturePng(std::string_view bytes, Picture* picture, std::string* error) {
  if (!picture) return false;
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
    SetError(error, "is not a PNG file");
    return false;
  }
  PngMessages messages;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &messages, KeepPngError, DropPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    SetError(error, "out of memory");
    return false;
  }
  std::string_view rest = bytes.substr(8);
  Picture result;  // declared before setjmp so an error unwinds them
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    SetError(error, WithPngReason("is damaged", messages));
    return false;
  }
  png_set_read_fn(png, &rest, ReadFromMemory);
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  // Four bytes a pixel (an alpha kept, or a filler added, and then ignored):
  // each row lands in the picture's own pixels.
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  result.width = static_cast<int>(png_get_image_width(png, info));
  result.height = static_cast<int>(png_get_image_height(png, info));
  if (png_get_rowbytes(png, info) != static_cast<std::size_t>(result.width) * 4 || result.width <= 0 ||
      static_cast<long long>(result.width) * result.height > Surface::kMaxArea) {
    png_destroy_read_struct(&png, &info, nullptr);
    SetError(error, "has an unsupported layout");
    return false;
  }
  // The pixels are decoded once, into the picture's own storage: red, green,
  // blue and a fourth byte each, made COLORREF values in place.
  result.pixels.resize(static_cast<std::size_t>(result.width) * result.height);
  auto* base = reinterpret_cast<png_bytep>(result.pixels.data());
  rows.resize(static_cast<std::size_t>(result.height));
  for (int y = 0; y < result.height; ++y) rows[static_cast<std::size_t>(y)] = base + static_cast<std::size_t>(y) * result.width * 4;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  for (std::size_t i = 0; i < result.pixels.size(); ++i) {
    const png_bytep px = base + i * 4;
    result.pixels[i] = RGB(px[0], px[1], px[2]);
  }
  *picture = std::move(result);
  return true;
}

bool LoadPicturePng(const std::filesystem::path& path, Picture* picture, std::string* error) {
  if (!picture) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    SetError(error, "cannot open " + path.string());
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string reason;
  if (!DecodePicturePng(bytes.str(), picture, &reason)) {
    SetError(error, path.string() + " " + reason);
    return false;
  }
  return true;
}

HBITMAP CreateBitmapFromPicture(Picture&& picture) {
  if (!BitmapSizeFits(picture.width, picture.height) ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
    return 0;
  // The bitmap takes the picture's own pixels: they are never held twice.
  return AddBitmap(std::make_shared<Surface>(picture.width, picture.height, std::move(picture.pixels)));
}

HBITMAP CreateBitmapFromPicture(const Picture& picture) { return CreateBitmapFromPicture(Picture(picture)); }

}  // namespace winplat
