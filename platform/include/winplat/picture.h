#pragma once
// Pictures of bitmaps, device contexts and windows: capture and PNG files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/gdi.h"

namespace winplat {

// A copy of a surface's pixels, row by row from the top, as COLORREF values.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Captures fail (empty picture) for an unknown handle.
Picture CaptureBitmap(HBITMAP bitmap);
Picture CaptureDC(HDC hdc);  // the bitmap the context draws on
Picture CaptureWindow(HWND hwnd);  // the window's screen surface
Picture CaptureWindowPersistent(HWND hwnd);  // its persistent bitmap (empty when it has none)

// Writes an 8-bit RGB PNG; false with a reason in *error on failure.
bool SavePicturePng(const Picture& picture, const std::filesystem::path& path, std::string* error = nullptr);
bool SaveBitmapPng(HBITMAP bitmap, const std::filesystem::path& path, std::string* error = nullptr);
bool SaveDCPng(HDC hdc, const std::filesystem::path& path, std::string* error = nullptr);
bool SaveWindowPng(HWND hwnd, const std::filesystem::path& path, std::string* error = nullptr);
// Reads a PNG of any colour type into a picture (alpha dropped).
bool LoadPicturePng(const std::filesystem::path& path, Picture* picture, std::string* error = nullptr);
// The same two in memory: a picture as the bytes of a PNG file, and back.
bool EncodePicturePng(const Picture& picture, std::string* bytes, std::string* error = nullptr);
// What libpng says of a damaged file is in *error ("is damaged: REASON"),
// never on standard error.
bool DecodePicturePng(std::string_view bytes, Picture* picture, std::string* error = nullptr);
// The width and height a PNG file's header gives, read before any pixel.
bool PicturePngSize(std::string_view bytes, int* width, int* height, std::string* error = nullptr);
// A new bitmap holding the picture's pixels (0 for an empty or oversized one);
// the caller deletes it with DeleteObject. Given the picture to keep, the
// bitmap takes its pixels without a copy (the picture is left empty).
HBITMAP CreateBitmapFromPicture(const Picture& picture);
HBITMAP CreateBitmapFromPicture(Picture&& picture);

}  // namespace winplat
