#pragma once
// Windows metafiles: recording contexts that turn every state and drawing call
// of the graphics interface into a record of the published enhanced (EMF) or
// old-style (WMF) format, the finished metafiles as bytes, files and playback,
// and the device capabilities of every kind of context.
#include <cstdint>

#include "winplat/gdi.h"

namespace winplat {

using HENHMETAFILE = HGDIOBJ;
using HMETAFILE = HGDIOBJ;

// ---- Enhanced metafiles -----------------------------------------------------
// A recording context that measures and answers like `reference` (the screen
// when 0). `fileName` (a Windows path, may be null) is written when the
// metafile is closed; `frame` is in 0.01 mm (the reference's size when null);
// `description` is the application name and the picture name, each ended by a
// NUL, with one more NUL after them (may be null). 0 when the file's folder
// is missing.
HDC CreateEnhMetaFile(HDC reference, const char* fileName, const RECT* frame, const char* description);
// Ends the recording and deletes the context; 0 when the file could not be written.
HENHMETAFILE CloseEnhMetaFile(HDC hdc);
bool DeleteEnhMetaFile(HENHMETAFILE metafile);
// The metafile's bytes: its size when `buffer` is null, else the bytes copied (0 when too small).
unsigned GetEnhMetaFileBits(HENHMETAFILE metafile, unsigned size, std::uint8_t* buffer);
// A metafile from bytes; 0 when they do not hold a well-formed enhanced metafile.
HENHMETAFILE SetEnhMetaFileBits(unsigned size, const std::uint8_t* data);
// A metafile read from a file; 0 when missing or malformed.
HENHMETAFILE GetEnhMetaFile(const char* fileName);
// Draws the metafile so that its frame fills `rect`; a rectangle of the
// recorded size replays one to one.
bool PlayEnhMetaFile(HDC hdc, HENHMETAFILE metafile, const RECT* rect);

// ---- Old-style metafiles ----------------------------------------------------
// Coordinates are kept within 16 bits: lines are clipped to that range, and an
// ellipse, arc or polygon leaving it is recorded as polylines of its part inside.
HDC CreateMetaFile(const char* fileName);
HMETAFILE CloseMetaFile(HDC hdc);
bool DeleteMetaFile(HMETAFILE metafile);
unsigned GetMetaFileBitsEx(HMETAFILE metafile, unsigned size, void* data);
// A metafile from bytes (without a placeable header); 0 when they are not one.
HMETAFILE SetMetaFileBitsEx(unsigned size, const std::uint8_t* data);
bool PlayMetaFile(HDC hdc, HMETAFILE metafile);

// ---- Device capabilities ----------------------------------------------------
constexpr int HORZSIZE = 4;     // millimetres
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;      // pixels
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;  // pixels per logical inch
constexpr int LOGPIXELSY = 90;
// For window, memory, printer and metafile contexts; 0 for another index or an unknown context.
int GetDeviceCaps(HDC hdc, int index);

}  // namespace winplat
