// Pictures: capture of surfaces and PNG files through libpng.
#include <png.h>

#include <cstdio>
#include <memory>

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

bool SavePicturePng(const Picture& picture, const std::filesystem::path& path, std::string* error) {
  if (picture.width <= 0 || picture.height <= 0) {
    SetError(error, "empty picture");
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    SetError(error, "cannot create " + path.string());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    SetError(error, "out of memory");
    return false;
  }
  std::vector<png_byte> row(static_cast<std::size_t>(picture.width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    SetError(error, "cannot write " + path.string());
    return false;
  }
  png_init_io(png, file.get());
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
  if (std::fflush(file.get()) != 0) {
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

bool LoadPicturePng(const std::filesystem::path& path, Picture* picture, std::string* error) {
  if (!picture) return false;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    SetError(error, "cannot open " + path.string());
    return false;
  }
  png_byte sig[8] = {};
  if (std::fread(sig, 1, 8, file.get()) != 8 || png_sig_cmp(sig, 0, 8) != 0) {
    SetError(error, path.string() + " is not a PNG file");
    return false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    SetError(error, "out of memory");
    return false;
  }
  Picture result;
  std::vector<png_byte> data;  // declared before setjmp so an error unwinds them
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    SetError(error, path.string() + " is damaged");
    return false;
  }
  png_init_io(png, file.get());
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  result.width = static_cast<int>(png_get_image_width(png, info));
  result.height = static_cast<int>(png_get_image_height(png, info));
  if (png_get_rowbytes(png, info) != static_cast<std::size_t>(result.width) * 3 || result.width <= 0 ||
      static_cast<long long>(result.width) * result.height > (1LL << 28)) {
    png_destroy_read_struct(&png, &info, nullptr);
    SetError(error, path.string() + " has an unsupported layout");
    return false;
  }
  data.resize(static_cast<std::size_t>(result.width) * 3 * result.height);
  rows.resize(static_cast<std::size_t>(result.height));
  for (int y = 0; y < result.height; ++y) rows[static_cast<std::size_t>(y)] = &data[static_cast<std::size_t>(y) * result.width * 3];
  png_read_image(png, rows.data());
  result.pixels.resize(static_cast<std::size_t>(result.width) * result.height);
  for (std::size_t i = 0; i < result.pixels.size(); ++i)
    result.pixels[i] = RGB(data[i * 3], data[i * 3 + 1], data[i * 3 + 2]);
  png_destroy_read_struct(&png, &info, nullptr);
  *picture = std::move(result);
  return true;
}

}  // namespace winplat
