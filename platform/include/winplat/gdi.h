#pragma once
// Raster graphics device interface: device contexts over 32-bit bitmaps, pens,
// brushes, mix modes, lines, arcs, ellipses, polygons, regions, map modes,
// fonts through FreeType, and bit-block transfers. Shapes and names follow the
// Windows calls that the system code makes.
#include <cstdint>
#include <string>

#include "winplat/types.h"

namespace winplat {

using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HFONT = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HRGN = HGDIOBJ;

struct SIZE {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
};

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// Pen styles
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Brush styles
constexpr unsigned BS_SOLID = 0;
constexpr unsigned BS_NULL = 1;
constexpr unsigned BS_HOLLOW = BS_NULL;

// Mix modes (binary raster operations of pen and destination)
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// Background modes
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text alignment
constexpr unsigned TA_NOUPDATECP = 0;
constexpr unsigned TA_UPDATECP = 1;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
constexpr unsigned GDI_ERROR = 0xFFFFFFFFu;

// Map modes
constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// Polygon fill modes
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Stock objects
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Region results
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Bit-block raster operations
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Font weights, character sets, pitch and family
constexpr int FW_DONTCARE = 0;
constexpr int FW_THIN = 100;
constexpr int FW_LIGHT = 300;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr unsigned ANSI_CHARSET = 0;
constexpr unsigned DEFAULT_PITCH = 0;
constexpr unsigned FIXED_PITCH = 1;
constexpr unsigned VARIABLE_PITCH = 2;
constexpr unsigned FF_DONTCARE = 0x00;
constexpr unsigned FF_ROMAN = 0x10;
constexpr unsigned FF_SWISS = 0x20;
constexpr unsigned FF_MODERN = 0x30;

constexpr int LF_FACESIZE = 32;

struct LOGPEN {
  unsigned lopnStyle = PS_SOLID;
  POINT lopnWidth;  // only x is used
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  unsigned lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  std::uintptr_t lbHatch = 0;
};

struct LOGFONT {
  std::int32_t lfHeight = 0;
  std::int32_t lfWidth = 0;
  std::int32_t lfEscapement = 0;
  std::int32_t lfOrientation = 0;
  std::int32_t lfWeight = FW_NORMAL;
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = 0;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;
  std::uint8_t lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRIC {
  std::int32_t tmHeight = 0;
  std::int32_t tmAscent = 0;
  std::int32_t tmDescent = 0;
  std::int32_t tmInternalLeading = 0;
  std::int32_t tmExternalLeading = 0;
  std::int32_t tmAveCharWidth = 0;
  std::int32_t tmMaxCharWidth = 0;
  std::int32_t tmWeight = 0;
  std::int32_t tmOverhang = 0;
  std::int32_t tmDigitizedAspectX = 96;
  std::int32_t tmDigitizedAspectY = 96;
  std::uint8_t tmFirstChar = 32;
  std::uint8_t tmLastChar = 255;
  std::uint8_t tmDefaultChar = 31;
  std::uint8_t tmBreakChar = 32;
  std::uint8_t tmItalic = 0;
  std::uint8_t tmUnderlined = 0;
  std::uint8_t tmStruckOut = 0;
  std::uint8_t tmPitchAndFamily = 0;
  std::uint8_t tmCharSet = 0;
};

// ---- Device contexts --------------------------------------------------------
// A memory context holding a 1 x 1 bitmap until a bitmap is selected into it.
HDC CreateCompatibleDC(HDC hdc);
bool DeleteDC(HDC hdc);
// Saves the context's state; returns its level (0 on failure).
int SaveDC(HDC hdc);
// Restores a saved level; a negative level counts back from the latest.
bool RestoreDC(HDC hdc, int savedDC);

int SetROP2(HDC hdc, int rop2);  // returns the previous mix mode, 0 on failure
int GetROP2(HDC hdc);
int SetBkMode(HDC hdc, int mode);  // returns the previous mode, 0 on failure
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);  // previous colour, CLR_INVALID on failure
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);

// ---- Map modes --------------------------------------------------------------
int SetMapMode(HDC hdc, int mode);  // previous mode, 0 on failure
int GetMapMode(HDC hdc);
bool SetWindowExtEx(HDC hdc, int x, int y, SIZE* previous);
bool SetViewportExtEx(HDC hdc, int x, int y, SIZE* previous);
bool SetWindowOrgEx(HDC hdc, int x, int y, POINT* previous);
bool SetViewportOrgEx(HDC hdc, int x, int y, POINT* previous);
bool GetWindowExtEx(HDC hdc, SIZE* size);
bool GetViewportExtEx(HDC hdc, SIZE* size);
bool GetWindowOrgEx(HDC hdc, POINT* point);
bool GetViewportOrgEx(HDC hdc, POINT* point);
bool LPtoDP(HDC hdc, POINT* points, int count);
bool DPtoLP(HDC hdc, POINT* points, int count);

// ---- Objects ----------------------------------------------------------------
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HGDIOBJ GetStockObject(int index);
// Selects a pen, brush, font or bitmap and returns the one it replaces; selecting
// a region sets the clipping region and returns the region type. 0 on failure.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC hdc, unsigned type);
// Deletes a pen, brush, font, bitmap or region; stock objects are left alone.
bool DeleteObject(HGDIOBJ object);
constexpr unsigned OBJ_PEN = 1;
constexpr unsigned OBJ_BRUSH = 2;
constexpr unsigned OBJ_FONT = 6;
constexpr unsigned OBJ_BITMAP = 7;
constexpr unsigned OBJ_REGION = 8;
constexpr unsigned OBJ_METADC = 4;
constexpr unsigned OBJ_ENHMETADC = 12;
// 0 for an unknown handle; a metafile context answers OBJ_METADC or OBJ_ENHMETADC.
unsigned GetObjectType(HGDIOBJ object);

// ---- Drawing ----------------------------------------------------------------
bool MoveToEx(HDC hdc, int x, int y, POINT* previous);
bool GetCurrentPositionEx(HDC hdc, POINT* point);
// Line from the current position to (x, y), the end pixel excluded (one-pixel pens).
bool LineTo(HDC hdc, int x, int y);
bool Polyline(HDC hdc, const POINT* points, int count);
bool Polygon(HDC hdc, const POINT* points, int count);
// Shapes by bounding box; the right and bottom edges are excluded.
bool Rectangle(HDC hdc, int left, int top, int right, int bottom);
bool Ellipse(HDC hdc, int left, int top, int right, int bottom);
// Elliptic arc in the box, counter-clockwise from the radial through (xStart, yStart)
// to the radial through (xEnd, yEnd).
bool Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
// Fills with the brush as it is (the mix mode does not apply); right and bottom excluded.
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);

// ---- Regions ----------------------------------------------------------------
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
bool FillRgn(HDC hdc, HRGN region, HBRUSH brush);
bool PtInRegion(HRGN region, int x, int y);
bool RectInRegion(HRGN region, const RECT* rect);
int GetRgnBox(HRGN region, RECT* rect);
int OffsetRgn(HRGN region, int x, int y);
// Clipping in device pixels; a 0 region removes the clipping.
int SelectClipRgn(HDC hdc, HRGN region);

// ---- Fonts and text ---------------------------------------------------------
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, unsigned italic,
                 unsigned underline, unsigned strikeOut, unsigned charSet, unsigned outPrecision,
                 unsigned clipPrecision, unsigned quality, unsigned pitchAndFamily, const char* faceName);
HFONT CreateFontIndirect(const LOGFONT* font);
unsigned SetTextAlign(HDC hdc, unsigned align);  // previous alignment, GDI_ERROR on failure
unsigned GetTextAlign(HDC hdc);
// Text as single-byte Windows Latin-1 characters.
bool TextOut(HDC hdc, int x, int y, const char* text, int count);
bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics);
bool GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size);
// The host font file that a face name maps to (for diagnostics and tests).
std::string FontFileForFace(const char* faceName, int weight, bool italic, unsigned pitchAndFamily);

// ---- Bitmaps and transfers --------------------------------------------------
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);  // cleared to black
bool GetBitmapSize(HBITMAP bitmap, SIZE* size);
bool BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, std::uint32_t rop);
bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, std::uint32_t rop);
// Size in pixels of the bitmap a context draws on.
bool GetDCSize(HDC hdc, SIZE* size);

}  // namespace winplat
