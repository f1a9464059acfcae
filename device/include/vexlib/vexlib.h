#pragma once
// The device library's exports, the records it exchanges and its status codes.
// The program includes this header for the types and loads the library with
// dlopen, resolving each export by its name. Outside hosts include it from C
// (C99 or later) or C++ and link the library.
#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
#else
#include <stddef.h>
#include <stdint.h>
#endif

// Marks the library's interface: everything else in it is hidden.
#if defined(__GNUC__)
#define VEXLIB_API __attribute__((visibility("default")))
#else
#define VEXLIB_API
#endif

// Layout checks: static_assert in C++, _Static_assert in C11, a negative array
// size in C99.
#if defined(__cplusplus)
#define VEXLIB_CHECK(condition) static_assert(condition, #condition)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define VEXLIB_CHECK(condition) _Static_assert(condition, #condition)
#else
#define VEXLIB_CHECK_NAME2(line) VexlibLayoutCheck##line
#define VEXLIB_CHECK_NAME(line) VEXLIB_CHECK_NAME2(line)
#define VEXLIB_CHECK(condition) typedef char VEXLIB_CHECK_NAME(__LINE__)[(condition) ? 1 : -1]
#endif

// An unnamed union member: standard in C++ and C11, a GNU extension in C99.
#if !defined(__cplusplus) && defined(__GNUC__)
#define VEXLIB_UNNAMED_UNION __extension__ union
#else
#define VEXLIB_UNNAMED_UNION union
#endif

#ifdef __cplusplus
extern "C" {
#endif

// ---- Records ----------------------------------------------------------------

// One point as the caller holds it: nine signed 32-bit fields, 36 bytes.
typedef struct PointStruct {
  int32_t X;
  int32_t Y;
  int32_t Z;
  int32_t F;
  int32_t Colour;  // packed colour: red in the low byte, then green, blue, top byte
  int32_t Value5;
  int32_t Value6;
  int32_t Value7;  // the program's point class
  int32_t Value8;
} PointStruct;
VEXLIB_CHECK(sizeof(PointStruct) == 36);

// A frame header: four signed 32-bit fields and a fixed 24-byte name, 40 bytes.
typedef struct FrameStruct {
  int32_t FlagA;       // nonzero: the points carry value 8
  int32_t FrameValue;  // signed 16-bit on the wire
  int32_t FlagB;
  int32_t NumPoints;  // signed 16-bit on the wire
  char Name[24];      // 8-bit text, not terminated, blank-padded by the program
} FrameStruct;
VEXLIB_CHECK(sizeof(FrameStruct) == 40);

// ---- Status codes -------------------------------------------------------------

// The signed 32-bit status of every export (0 = success). Board error codes 1 to
// 8 and other positive codes come from the boards; other negative codes the
// boards answer as command results pass through unchanged.
typedef int32_t VXStatusCode;

enum {
  VX_SUCCESS = 0,
  VX_REPLY_MISSING = -1,    // reply missing, empty or of odd length
  VX_COMMAND_SKIPPED = -2,  // transport re-entered, Cancel in a port or memory box, reply port not working
  VX_NULL_COMMAND = 1,
  VX_UNDEFINED_COMMAND = 2,
  VX_DOWNLOAD_BAD = 3,
  VX_CHECKSUM_BAD = 4,
  VX_INSUFFICIENT_OPERANDS = 5,
  VX_DRAM_TEST_FAILED = 6,
  VX_ROM_TEST_FAILED = 7,
  VX_ACCESS_ERROR = 8,
  VX_NO_SESSION = -101,         // no session running (board answered 2)
  VX_BOOT_FILE_MISSING = -401,  // boot software file not found
  VX_BOOT_FILE_WRONG_TYPE = -402,
  VX_SAVE_WRITE_FAILED = -403,  // file could not be written while saving data from the board
  VX_SAVE_WRITE_FAILED_2 = -404,
  VX_UNKNOWN_GROUP_TYPE = -519,   // unknown timeline group type
  VX_WINDOW_NOT_CREATED = -602,   // diagnostic window could not be created
  VX_LOW_MEMORY = -702,           // board memory low
  VX_BOARD_TIMEOUT = -901,        // a board did not finish within the poll time
  VX_CHECKOUT_NO_ANSWER = -1001,  // a board did not answer the checkout
  VX_CHECKOUT_SKIPPED = -1002,    // ISA checkout skipped or the reply port not working
  VX_CHECKOUT_FAILED = -1003,     // a board failed the checkout, or no PCI board could be opened and mapped
};

// The most points one frame holds until a session reports the board's own value.
#define VX_DEFAULT_MAX_FRAME_POINTS 6000

// Every export the program uses is declared here; each family's exports are
// defined with their family in the library.

// ---- Library frame and host-only exports --------------------------------------

VEXLIB_API int32_t GetVXDLLModuleUsage(int32_t* count);
VEXLIB_API int32_t OpenVXCommWindow(void);
VEXLIB_API int32_t CloseVXCommWindow(void);
VEXLIB_API int32_t WriteToVXCommWindow(const char* text);
VEXLIB_API int32_t TB32BeepOnError(int32_t flag);
VEXLIB_API int32_t GetVXStatus(int32_t* status);
VEXLIB_API int16_t vxInp(int32_t port);
VEXLIB_API int16_t vxInpw(int32_t port);
VEXLIB_API int32_t vxOutp(int32_t port, int32_t value);
VEXLIB_API void vxOutpw(int32_t port, int32_t value);
VEXLIB_API int32_t DisplayTrans2(int32_t a, int32_t b);
VEXLIB_API int32_t GetDates(int32_t* libraryDate, int32_t* date1, int32_t* date2);

// ---- Detection and sessions ------------------------------------------------------

VEXLIB_API int32_t InitialTBCheck(int32_t* status);
VEXLIB_API int32_t BeginSession(int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t* status);
VEXLIB_API int32_t CheckSession(int32_t* status);
VEXLIB_API int32_t CheckSessionSettings(int32_t* p1, int32_t* p2, int32_t* p3, int32_t* p4, int32_t* status);
VEXLIB_API int32_t EndSession(void);
VEXLIB_API int32_t TB32AvailMemEx(int32_t* a, int32_t* b, int32_t* c, int32_t* d);

// ---- Working selection ------------------------------------------------------------

VEXLIB_API int32_t SetWorkingFrame(int32_t frame);
VEXLIB_API int32_t GetWorkingFrame(int32_t* frame);
VEXLIB_API int32_t SetWorkingScanners(int32_t mask);
VEXLIB_API int32_t SetWorkingTracks(int32_t mask);
VEXLIB_API int32_t SetWorkingScale(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax, int32_t p5, int32_t p6);

// ---- Display parameters and preview drawing ----------------------------------------

VEXLIB_API int32_t ResetVX(void);
VEXLIB_API int32_t DisplaySize(float a, float b, float c, float d, float e);
VEXLIB_API int32_t DisplayPosition(float x, float y);
VEXLIB_API int32_t DisplayMasterAngle(float a, float b, float c);
VEXLIB_API int32_t DisplayAngle(float x, float y, float z);
VEXLIB_API int32_t DisplayAngleDegrees(float x, float y, float z);
VEXLIB_API int32_t DisplayWAngle(float x, float y, float z);
VEXLIB_API int32_t DisplayWAngleDegrees(float x, float y, float z);
VEXLIB_API int32_t DisplayCSize(float v);
VEXLIB_API int32_t DisplayPaletteMix(float v);
VEXLIB_API int32_t DisplaySaturation(float v);
VEXLIB_API int32_t DisplayFrameMix(int32_t frame, float mix);
VEXLIB_API int32_t DisplayScale(float x, float y, float z);
VEXLIB_API int32_t DisplayRotCenter(float x, float y, float z);
VEXLIB_API int32_t DisplayPostTrans(float x, float y, float z);
VEXLIB_API int32_t DisplayPreTrans(float x, float y, float z);
VEXLIB_API int32_t DisplayPerspective(float a, float b, float c, float d);
VEXLIB_API int32_t DisplayWindow(float left, float right, float bottom, float top, float rear, float front);
VEXLIB_API int32_t DisplayWindowX(float a, float b);
VEXLIB_API int32_t DisplayWindowY(float a, float b);
VEXLIB_API int32_t DisplayWindowZ(float a, float b);
VEXLIB_API int32_t DisplayDepthCue(float a, float b, float c);
VEXLIB_API int32_t DisplayStereoSettings(float a, int32_t b, float c, float d, float e);
VEXLIB_API int32_t DisplayAuxOutput(float volts);
VEXLIB_API int32_t lmDisplayAuxOutput(float volts, float b, float c);
VEXLIB_API int32_t DisplayScanLimits(int32_t a, int32_t b);
VEXLIB_API int32_t DisplayObjectSettings(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, int32_t a6,
                                         int32_t a7);
VEXLIB_API int32_t DisplayAbstractSettings(int32_t a, int32_t b, int32_t c);
VEXLIB_API int32_t DisplayFlags(int32_t flags);
VEXLIB_API int32_t DisplayMaskFlags(int32_t flags);
VEXLIB_API int32_t DisplayRotOrder(int32_t order);
VEXLIB_API int32_t DisplayPaletteSelect(int32_t a, int32_t b);
VEXLIB_API int32_t DisplayHueOffset(int32_t a, int32_t b, int32_t c);
VEXLIB_API int32_t DisplayPath(int32_t a, int32_t b);
VEXLIB_API int32_t DisplayTrackAllow(int32_t mask);
VEXLIB_API int32_t DisplayFrame(int32_t frame);
VEXLIB_API int32_t DisplaySkew(int32_t a, int32_t b, int32_t c);
VEXLIB_API int32_t DisplayMinimumPoints(int32_t count);
VEXLIB_API int32_t DisplayUpdateTest(void);
VEXLIB_API int32_t DisplayUpdate(void);
VEXLIB_API int32_t DisplayUpdateToFrame(int32_t frame);
VEXLIB_API int32_t DisplayUpdateEx(int32_t value);
VEXLIB_API int32_t DisplayUpdateMode(int32_t a, int32_t b);
VEXLIB_API int32_t TBDMXMode(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);
VEXLIB_API int32_t TBDMXOutput(int32_t channel, int32_t value);
VEXLIB_API int32_t TBDMXInput(int32_t channel, int32_t* value);
VEXLIB_API int32_t DisplayFreq3(int32_t r1, int32_t r2, int32_t r3, int32_t* o1, int32_t* o2, int32_t* o3);
// One row of the 65 x 65 correction grid: 130 values, X and Y of node i at 2i and 2i + 1.
VEXLIB_API int32_t DisplayGeometricCorrection(int32_t active, int32_t row, const int16_t* values);
VEXLIB_API int32_t AutoRotateInit(float a, float b, float c, int32_t d, int32_t e, int32_t f);
VEXLIB_API int32_t AutoRotateIncrement(float a, float b, float c, int32_t tenths);
VEXLIB_API int32_t AutoRotatePlus(int32_t x, int32_t y, int32_t z, int32_t w);

// Preview: windows and device contexts are the platform's handles passed as Longs.
VEXLIB_API int32_t SetLaserWindow(int32_t left, int32_t right, int32_t bottom, int32_t top, int32_t mag);
VEXLIB_API int32_t DrawGrid(int32_t window, int32_t gridH, int32_t gridV, int32_t clearScreen, int32_t showZero,
                            int32_t showGrid);
VEXLIB_API int32_t RedrawFrame(int32_t window, int32_t fromPt, int32_t toPt, int32_t viewMode, int32_t clearScreen,
                               int32_t markColour, int32_t markPoints, int32_t widths);
// The active array is read for the first MaxFramePoints records; later records count as active.
VEXLIB_API int32_t RedrawFrameActive(int32_t window, int32_t fromPt, int32_t toPt, int32_t viewMode,
                                     int32_t clearScreen, int32_t markColour, int32_t markPoints, int32_t widths,
                                     const int32_t* active);
VEXLIB_API int32_t RedrawFrameActiveDC(int32_t window, int32_t dc, int32_t fromPt, int32_t toPt, int32_t viewMode,
                                       int32_t clearScreen, int32_t markColour, int32_t markPoints, int32_t widths,
                                       const int32_t* active);
VEXLIB_API int32_t RedrawFrameFast(int32_t window, int32_t frame, int32_t flags, int32_t clear, int32_t widths);
VEXLIB_API int32_t RedrawFrameFastDC(int32_t window, int32_t dc, int32_t frame, int32_t flags, int32_t clear,
                                     int32_t widths);

// ---- Frames and points ------------------------------------------------------------

VEXLIB_API int32_t DeleteFrames(int32_t from, int32_t to);
VEXLIB_API int32_t MergeFrames(int32_t a, int32_t b, int32_t c);
VEXLIB_API int32_t FindFrame(const char* name, int32_t* frame);
VEXLIB_API int32_t ReadFrameStruct(int32_t frame, FrameStruct* header);
VEXLIB_API int32_t ReadFrame(FrameStruct* header, PointStruct* points);
VEXLIB_API int32_t WriteFrame(const FrameStruct* header, const PointStruct* points);
VEXLIB_API int32_t InvertPointsActive(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f,
                                      int32_t* active);

// ---- Frames and points, colour and palettes, working scale (complete) --------------

VEXLIB_CHECK(offsetof(PointStruct, X) == 0 && offsetof(PointStruct, Y) == 4 && offsetof(PointStruct, Z) == 8 &&
             offsetof(PointStruct, F) == 12 && offsetof(PointStruct, Colour) == 16 &&
             offsetof(PointStruct, Value5) == 20 && offsetof(PointStruct, Value6) == 24 &&
             offsetof(PointStruct, Value7) == 28 && offsetof(PointStruct, Value8) == 32);
VEXLIB_CHECK(offsetof(FrameStruct, FlagA) == 0 && offsetof(FrameStruct, FrameValue) == 4 &&
             offsetof(FrameStruct, FlagB) == 8 && offsetof(FrameStruct, NumPoints) == 12 &&
             offsetof(FrameStruct, Name) == 16);

// A colour register: I, R, G, B and eight further values.
typedef struct ColorRegStruct {
  int32_t Fields[12];
} ColorRegStruct;
VEXLIB_CHECK(sizeof(ColorRegStruct) == 48);

// One record of a fast frame read: X, Y, width, colour.
typedef struct FastRecordStruct {
  int32_t X;
  int32_t Y;
  int32_t Width;
  int32_t Colour;
} FastRecordStruct;
VEXLIB_CHECK(sizeof(FastRecordStruct) == 16);

// The most records a fast read fills (the library's own record buffer).
#define VX_FAST_RECORD_MAX 9999

VEXLIB_API int32_t ReadMaskData(int32_t which, int32_t* pairs);
VEXLIB_API int32_t ReadFrameFast(int32_t frame, int32_t flags, int32_t* count, int32_t* frameFlags,
                                 FastRecordStruct* records);
VEXLIB_API int32_t CopyFrameActive(int32_t source, int32_t target, int32_t* active);
VEXLIB_API int32_t CopyBlock(int32_t a, int32_t b, int32_t c);
VEXLIB_API int32_t ReverseBlock(int32_t a, int32_t b);
VEXLIB_API int32_t FrameToUndoActive(int32_t* active);
VEXLIB_API int32_t UndoToFrameActive(int32_t* active);
VEXLIB_API int32_t ConvertToVectorFrame(int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5);
VEXLIB_API int32_t ConvertToPointFrame(int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6,
                                       int32_t p7);
VEXLIB_API int32_t ReadNumPoints(int32_t* count);
VEXLIB_API int32_t ReadPoint(int32_t index, PointStruct* point);
VEXLIB_API int32_t WritePoint(int32_t index, const PointStruct* point);
VEXLIB_API int32_t SetInsertOnWrite(int32_t insert);
VEXLIB_API int32_t DeletePoints(int32_t a, int32_t b);
VEXLIB_API int32_t InsertPoints(int32_t a, int32_t b);
VEXLIB_API int32_t MovePointsActive(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t* active);
VEXLIB_API int32_t ResizePointsActive(int32_t a, int32_t b, float x, float y, float z, int32_t g, int32_t h, int32_t l,
                                      int32_t m, int32_t* active);
VEXLIB_API int32_t RotatePointsActive(int32_t a, int32_t b, float x, float y, float z, int32_t g, int32_t h, int32_t l,
                                      int32_t m, int32_t* active);
VEXLIB_API int32_t Set_XYZ_TO_3D_Track(int32_t mask);
VEXLIB_API int32_t XYZ_TO_3D(int32_t x, int32_t y, int32_t z, int32_t* o1, int32_t* o2, int32_t* o3);

VEXLIB_API int32_t RGB4toRGB1(int32_t* c1, int32_t* c2, int32_t* c3, int32_t* c4, int32_t* out);
VEXLIB_API int32_t RGB1toRGB4(int32_t* colour, int32_t* c1, int32_t* c2, int32_t* c3, int32_t* c4);
VEXLIB_API int32_t LoadPalette(const char* file, int32_t* status);
VEXLIB_API int32_t SavePalette(const char* file, int32_t* status);
VEXLIB_API int32_t TrainColorSystem(void);
VEXLIB_API int32_t UseDefaultColors(void);
VEXLIB_API int32_t EliminateUnusedColors(int32_t keep);
VEXLIB_API int32_t UpdateAlternatePalettes(void);
VEXLIB_API int32_t ReadColorReg(ColorRegStruct* reg);
VEXLIB_API int32_t ReadNumColors(int32_t* count);
VEXLIB_API int32_t WriteColorReg(ColorRegStruct* reg);
VEXLIB_API int32_t RGBtoHSV(int32_t* source, int32_t* target);
VEXLIB_API int32_t HSVtoRGB(int32_t* source, int32_t* target);

VEXLIB_API int32_t SetWorkingScaleX(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);
VEXLIB_API int32_t SetWorkingScaleY(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);
VEXLIB_API int32_t SetWorkingScaleZ(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);
VEXLIB_API int32_t SetWorkingScaleF(int32_t a, int32_t b, int32_t c, int32_t d);
VEXLIB_API int32_t GetWorkingScaleX(int32_t* a, int32_t* b, int32_t* c, int32_t* d, int32_t* e, int32_t* f);
VEXLIB_API int32_t GetWorkingScaleY(int32_t* a, int32_t* b, int32_t* c, int32_t* d, int32_t* e, int32_t* f);
VEXLIB_API int32_t GetWorkingScaleZ(int32_t* a, int32_t* b, int32_t* c, int32_t* d, int32_t* e, int32_t* f);
VEXLIB_API int32_t GetWorkingScaleF(int32_t* a, int32_t* b, int32_t* c, int32_t* d);

// ---- Frame files ----------------------------------------------------------------------
// `ignored` is an argument the library does not look at (callers pass an empty string).

VEXLIB_API int32_t LoadLFile(const char* file, int32_t* from, int32_t* to, const void* ignored, int32_t* status);
VEXLIB_API int32_t LoadVXA(const char* file, int32_t* flag, int32_t* from, int32_t* to, const void* ignored,
                           int32_t* status);
VEXLIB_API int32_t LoadVXB(const char* file, int32_t* flag, int32_t* from, int32_t* to, const void* ignored,
                           int32_t* status);
// `title` receives at most 127 bytes and a terminator (128 bytes); null pointers are not written.
VEXLIB_API int32_t ReadFileInfo(const char* file, char* title, int32_t* frames, int32_t* kind, const void* ignored,
                                int32_t* status);
VEXLIB_API int32_t SaveLFile(const char* file, const char* title, int32_t* from, int32_t* to, int32_t* format,
                             const void* ignored, int32_t* status);

// ---- Laser text ---------------------------------------------------------------------

VEXLIB_API int32_t SetLineLimits(int32_t a, int32_t b, int32_t c, int32_t d);

VEXLIB_API int32_t LoadFont(const char* file, int32_t* status);
VEXLIB_API int32_t SetLaserChar(int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6, int32_t p7,
                                int32_t p8, int32_t p9);
VEXLIB_API int32_t LaserChar(int32_t code, int32_t x, int32_t y, int32_t n, int32_t* o1, int32_t* o2, int32_t* o3);
VEXLIB_API int32_t GetLaserCharExtent(int32_t code, int32_t* width, int32_t* height);

// ---- Sessions, board memory, sync, events and shows -----------------------------

// The board asked for more of a file after the host said it had no more.
enum { VX_LOAD_INCOMPLETE = -406 };

// The key of a show structure, in the caller's order.
typedef struct ShowStructureKey {
  int16_t First;
  int16_t Second;
  int32_t Value;
} ShowStructureKey;
VEXLIB_CHECK(sizeof(ShowStructureKey) == 8);

VEXLIB_API int32_t RebootTB32(void);
VEXLIB_API int32_t TB32DefragmentMem(int32_t* out);
VEXLIB_API int32_t TB32StealMem(int32_t* inOut);
VEXLIB_API int32_t TB32MemoryWatch(int32_t* out);
VEXLIB_API int32_t TB32MultiCommand(int32_t value);
VEXLIB_API int32_t SetSyncParameters(int32_t a, int32_t b, int32_t c);
VEXLIB_API int32_t SendSync(int32_t value);
VEXLIB_API int32_t SendMultiSync(int32_t value);
VEXLIB_API int32_t GetCuetrackMilliseconds(int32_t* ms);
// Events are 4 bytes each; the buffer must hold as many as the count says.
VEXLIB_API int32_t GetTBEvents(int32_t* count, void* events);
VEXLIB_API int32_t SendSyncGetTBEvents(int32_t value, int32_t* count, void* events);
VEXLIB_API int32_t SetResetTTL(int32_t a, int32_t b);
VEXLIB_API int32_t PlayShowEx(int32_t a, int32_t b, int32_t c, int32_t d);
VEXLIB_API int32_t PlayShowExD(int32_t a, int32_t b, int32_t c, int32_t d, const char* file);
VEXLIB_API int32_t StopShow(void);
VEXLIB_API int32_t StopShowEx(int32_t value);
VEXLIB_API int32_t LoadShowStructures(const char* file, int32_t which, int32_t* status);
VEXLIB_API int32_t SaveShowStructures(const char* file, int32_t which, int32_t* status);
// The name is read as at most 50 bytes.
VEXLIB_API int32_t FindShowStructures(const char* name, ShowStructureKey* key, int32_t* out1, int32_t* out2);

// ---- Timelines, auxiliary ports and the abstract generator ---------------------

// Array lengths callers provide: slot 0 is not an item, items are 1..N.
#define VX_TIMELINE_EVENT_SLOTS 65  // a timeline group's 64 events
#define VX_LASER_EVENT_SLOTS 451    // a scene's 450 laser events
#define VX_TRANSITION_SLOTS 9       // an effect's 8 transitions
#define VX_TRANSITION_PARTS 8
#define VX_LIVE_KEY_BYTES 500

#pragma pack(push, 2)
// A timeline group, scene or effect header (354 bytes, little-endian).
typedef struct TimelineGroup {
  int16_t Number;
  int16_t Type;  // 1 effect, 2 scene, 4 or 8 timeline group
  int32_t KeyLong;
  char Text3[24];
  char Name[50];
  char Text2[256];
  int16_t Mode;     // 2-bit mode
  int32_t EndTime;  // latest end time of the items, computed on write
  int16_t Flag0;
  int16_t Flag14;
  VEXLIB_UNNAMED_UNION {
    int16_t numTimelineEvents;
    int16_t numLaserEvents;
    int16_t NumTransitions;
  };
  int16_t BoardFlag6;  // set by the board
  int16_t BoardFlag7;  // set by the board
} TimelineGroup;
#pragma pack(pop)
VEXLIB_CHECK(sizeof(TimelineGroup) == 354);
VEXLIB_CHECK(offsetof(TimelineGroup, Text3) == 8 && offsetof(TimelineGroup, Name) == 32);
VEXLIB_CHECK(offsetof(TimelineGroup, Text2) == 82 && offsetof(TimelineGroup, Mode) == 338);
VEXLIB_CHECK(offsetof(TimelineGroup, EndTime) == 340 && offsetof(TimelineGroup, Flag0) == 344);
VEXLIB_CHECK(offsetof(TimelineGroup, numTimelineEvents) == 348 && offsetof(TimelineGroup, BoardFlag7) == 352);

// A timeline event or a scene's laser event (36 bytes).
typedef struct TimelineEvent {
  int16_t Number;   // filled on read
  int16_t Type;     // filled on read
  int32_t KeyLong;  // filled on read
  int32_t StartTime;
  int32_t EndTime;
  int16_t Track;  // positive: slot in use
  int16_t Flag;   // sent as 0x4000
  int16_t Value20;
  int16_t Value22;
  int16_t Value24;
  int16_t Unused26;
  int32_t Value28;
  int16_t Value32;
  int16_t Value34;
} TimelineEvent;
typedef TimelineEvent LaserEvent;
VEXLIB_CHECK(sizeof(TimelineEvent) == 36);
VEXLIB_CHECK(offsetof(TimelineEvent, Track) == 16 && offsetof(TimelineEvent, Value28) == 28);
VEXLIB_CHECK(offsetof(TimelineEvent, Value34) == 34);

// One part of a transition (28 bytes).
typedef struct TransitionPart {
  int16_t Kind;  // 0 = empty
  int16_t Flag0;
  int16_t Flag1;
  int16_t Flag2;
  int16_t Flag3;
  int16_t Value26;
  int16_t Value28;
  uint8_t Mode;  // low 3 bits
  uint8_t Unused;
  float X;
  float Y;
  float Z;
} TransitionPart;
VEXLIB_CHECK(sizeof(TransitionPart) == 28);

// A transition of an effect (272 bytes); Parts[k] is part k + 1.
typedef struct Transition {
  float StartTime;  // seconds
  float EndTime;
  int16_t Flag0;
  int16_t Unused10;
  int16_t Flag14;
  uint8_t Unused14[30];
  TransitionPart Parts[VX_TRANSITION_PARTS];
  int16_t NumParts;
  int16_t OrderKey;  // positive: in use
} Transition;
VEXLIB_CHECK(sizeof(Transition) == 272);
VEXLIB_CHECK(offsetof(Transition, Flag14) == 12 && offsetof(Transition, Parts) == 44);
VEXLIB_CHECK(offsetof(Transition, NumParts) == 268 && offsetof(Transition, OrderKey) == 270);

// A timeline beat (28 bytes).
typedef struct TimelineBeat {
  int16_t Number;
  int16_t Type;  // always 16
  int32_t KeyLong;
  int32_t Value8;
  int32_t Value12;
  int32_t Value16;
  uint8_t Bytes20[8];
} TimelineBeat;
VEXLIB_CHECK(sizeof(TimelineBeat) == 28);

// `items` points at VX_TIMELINE_EVENT_SLOTS events, VX_LASER_EVENT_SLOTS laser
// events or VX_TRANSITION_SLOTS transitions, by the header's type.
VEXLIB_API int32_t ReadTimelineGroup(TimelineGroup* header, void* items);
VEXLIB_API int32_t ReadTLGStruct(TimelineGroup* header);
VEXLIB_API int32_t ReadTimelineEvents(TimelineGroup* header, TimelineEvent* events);
VEXLIB_API int32_t ReadSEFs(TimelineGroup* header, LaserEvent* events);
VEXLIB_API int32_t ReadTransitions(TimelineGroup* header, Transition* transitions);
VEXLIB_API int32_t WriteTimelineGroup(TimelineGroup* header, void* items);
VEXLIB_API int32_t WriteTLG(TimelineGroup* header, TimelineEvent* events);
VEXLIB_API int32_t WriteScene(TimelineGroup* header, LaserEvent* events);
VEXLIB_API int32_t WriteEffect(TimelineGroup* header, Transition* transitions);
VEXLIB_API int32_t ReadTimelineBeat(TimelineBeat* beat);
VEXLIB_API int32_t WriteTimelineBeat(TimelineBeat* beat);
VEXLIB_API int32_t ReadLiveKey(int32_t a, int32_t b, void* data);
VEXLIB_API int32_t WriteLiveKey(int32_t a, int32_t b, const void* data);

VEXLIB_API int32_t ParOn(int32_t port, int32_t bits);
VEXLIB_API int32_t ParOff(int32_t port, int32_t bits);
VEXLIB_API int32_t ParIn(int32_t port, int32_t bits, int32_t* value);
VEXLIB_API int32_t DisplayPortLong(int32_t port, int32_t word, int32_t* value);
VEXLIB_API int32_t InitAbstractOsc1(float a, float b, float c);
VEXLIB_API int32_t InitAbstractOsc2(float a, float b, float c);
VEXLIB_API int32_t InitAbstractOsc3(float a, float b, float c);
VEXLIB_API int32_t InitAbstractMod1(float value);
VEXLIB_API int32_t InitAbstractMod2(float value);
VEXLIB_API int32_t InitAbstractColor(int32_t value);
VEXLIB_API int32_t InitAbstractColorNew(float value);
VEXLIB_API int32_t SetAbstractOsc1(float s1, float s2, float s3, float s4, float s5, float s6, int32_t wave);
VEXLIB_API int32_t SetAbstractOsc2(float s1, float s2, float s3, float s4, float s5, float s6, int32_t wave);
VEXLIB_API int32_t SetAbstractOsc3(float s1, float s2, float s3, float s4, float s5, float s6, int32_t wave);
VEXLIB_API int32_t SetAbstractMod1(float a, float b, int32_t value);
VEXLIB_API int32_t SetAbstractMod2(float a, float b, int32_t value);
VEXLIB_API int32_t SetAbstractColor(int32_t a, int32_t b);
VEXLIB_API int32_t SetAbstractColorNew(float a, int32_t b);
VEXLIB_API int32_t SwapWaves(void);
VEXLIB_API int32_t GenerateAbstract(int32_t frame, int32_t points, int32_t c);
VEXLIB_API int32_t GenerateAbstractNew(int32_t frame, int32_t points, int32_t c);
VEXLIB_API int32_t GetAbstractPhase(int32_t oscillator, float* p1, float* p2, float* p3);
VEXLIB_API int32_t GetAbstractFreqSizeWave(int32_t oscillator, float* f1, float* f2, float* f3, float* s1, float* s2,
                                           float* s3, int32_t* wave);
VEXLIB_API int32_t AbstractToFrame(void);
VEXLIB_API int32_t FrameToAbstract(void);

#ifdef __cplusplus
}  // extern "C"
#endif
