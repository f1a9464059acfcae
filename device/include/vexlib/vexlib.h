#pragma once
// The device library's exports, the records it exchanges and its status codes.
// The program includes this header for the types and loads the library with
// dlopen, resolving each export by its name.
#include <cstddef>
#include <cstdint>

extern "C" {

// ---- Records ----------------------------------------------------------------

// One point as the caller holds it: nine signed 32-bit fields, 36 bytes.
struct PointStruct {
  std::int32_t X;
  std::int32_t Y;
  std::int32_t Z;
  std::int32_t F;
  std::int32_t Colour;  // packed colour: red in the low byte, then green, blue, top byte
  std::int32_t Value5;
  std::int32_t Value6;
  std::int32_t Value7;  // the program's point class
  std::int32_t Value8;
};
static_assert(sizeof(PointStruct) == 36);

// A frame header: four signed 32-bit fields and a fixed 24-byte name, 40 bytes.
struct FrameStruct {
  std::int32_t FlagA;       // nonzero: the points carry value 8
  std::int32_t FrameValue;  // signed 16-bit on the wire
  std::int32_t FlagB;
  std::int32_t NumPoints;   // signed 16-bit on the wire
  char Name[24];            // 8-bit text, not terminated, blank-padded by the program
};
static_assert(sizeof(FrameStruct) == 40);

// ---- Status codes -------------------------------------------------------------

// The signed 32-bit status of every export (0 = success). Board error codes 1 to
// 8 and other positive codes come from the boards; other negative codes the
// boards answer as command results pass through unchanged.
using VXStatusCode = std::int32_t;

enum : VXStatusCode {
  VX_SUCCESS = 0,
  VX_REPLY_MISSING = -1,        // reply missing, empty or of odd length
  VX_COMMAND_SKIPPED = -2,      // transport re-entered, Cancel in a port or memory box, reply port not working
  VX_NULL_COMMAND = 1,
  VX_UNDEFINED_COMMAND = 2,
  VX_DOWNLOAD_BAD = 3,
  VX_CHECKSUM_BAD = 4,
  VX_INSUFFICIENT_OPERANDS = 5,
  VX_DRAM_TEST_FAILED = 6,
  VX_ROM_TEST_FAILED = 7,
  VX_ACCESS_ERROR = 8,
  VX_NO_SESSION = -101,          // no session running (board answered 2)
  VX_BOOT_FILE_MISSING = -401,   // boot software file not found
  VX_BOOT_FILE_WRONG_TYPE = -402,
  VX_SAVE_WRITE_FAILED = -403,   // file could not be written while saving data from the board
  VX_SAVE_WRITE_FAILED_2 = -404,
  VX_UNKNOWN_GROUP_TYPE = -519,  // unknown timeline group type
  VX_WINDOW_NOT_CREATED = -602,  // diagnostic window could not be created
  VX_LOW_MEMORY = -702,          // board memory low
  VX_BOARD_TIMEOUT = -901,       // a board did not finish within the poll time
  VX_CHECKOUT_NO_ANSWER = -1001, // a board did not answer the checkout
  VX_CHECKOUT_SKIPPED = -1002,   // ISA checkout skipped or the reply port not working
  VX_CHECKOUT_FAILED = -1003,    // a board failed the checkout, or no PCI board could be opened and mapped
};

// The most points one frame holds until a session reports the board's own value.
constexpr std::int32_t VX_DEFAULT_MAX_FRAME_POINTS = 6000;

// Every export the program uses is declared here; each family's exports are
// defined with their family in the library.

// ---- Library frame and host-only exports --------------------------------------

std::int32_t GetVXDLLModuleUsage(std::int32_t* count);
std::int32_t OpenVXCommWindow();
std::int32_t CloseVXCommWindow();
std::int32_t WriteToVXCommWindow(const char* text);
std::int32_t TB32BeepOnError(std::int32_t flag);
std::int32_t GetVXStatus(std::int32_t* status);
std::int16_t vxInp(std::int32_t port);
std::int16_t vxInpw(std::int32_t port);
std::int32_t vxOutp(std::int32_t port, std::int32_t value);
void vxOutpw(std::int32_t port, std::int32_t value);
std::int32_t DisplayTrans2(std::int32_t a, std::int32_t b);
std::int32_t GetDates(std::int32_t* libraryDate, std::int32_t* date1, std::int32_t* date2);

// ---- Word blocks ----------------------------------------------------------------

// Sends the low 16 bits of each entry (byteCount bytes of them) with command 51.
std::int32_t SendWordBlock(const std::int32_t* words, std::int32_t byteCount);
// Reads a word block with command 52 into sign-extended 32-bit entries.
std::int32_t ReceiveWordBlock(std::int32_t* words);

// ---- Detection and sessions ------------------------------------------------------

std::int32_t InitialTBCheck(std::int32_t* status);
std::int32_t BeginSession(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t* status);
std::int32_t CheckSession(std::int32_t* status);
std::int32_t CheckSessionSettings(std::int32_t* p1, std::int32_t* p2, std::int32_t* p3, std::int32_t* p4,
                                  std::int32_t* status);
std::int32_t EndSession();
std::int32_t TB32AvailMemEx(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d);

// ---- Working selection ------------------------------------------------------------

std::int32_t SetWorkingFrame(std::int32_t frame);
std::int32_t GetWorkingFrame(std::int32_t* frame);
std::int32_t SetWorkingScanners(std::int32_t mask);
std::int32_t SetWorkingTracks(std::int32_t mask);
std::int32_t SetWorkingScale(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax,
                             std::int32_t p5, std::int32_t p6);

// ---- Display parameters and preview drawing ----------------------------------------

std::int32_t ResetVX();
std::int32_t DisplaySize(float a, float b, float c, float d, float e);
std::int32_t DisplayPosition(float x, float y);
std::int32_t DisplayMasterAngle(float a, float b, float c);
std::int32_t DisplayAngle(float x, float y, float z);
std::int32_t DisplayAngleDegrees(float x, float y, float z);
std::int32_t DisplayWAngle(float x, float y, float z);
std::int32_t DisplayWAngleDegrees(float x, float y, float z);
std::int32_t DisplayCSize(float v);
std::int32_t DisplayPaletteMix(float v);
std::int32_t DisplaySaturation(float v);
std::int32_t DisplayFrameMix(std::int32_t frame, float mix);
std::int32_t DisplayScale(float x, float y, float z);
std::int32_t DisplayRotCenter(float x, float y, float z);
std::int32_t DisplayPostTrans(float x, float y, float z);
std::int32_t DisplayPreTrans(float x, float y, float z);
std::int32_t DisplayPerspective(float a, float b, float c, float d);
std::int32_t DisplayWindow(float left, float right, float bottom, float top, float rear, float front);
std::int32_t DisplayWindowX(float a, float b);
std::int32_t DisplayWindowY(float a, float b);
std::int32_t DisplayWindowZ(float a, float b);
std::int32_t DisplayDepthCue(float a, float b, float c);
std::int32_t DisplayStereoSettings(float a, std::int32_t b, float c, float d, float e);
std::int32_t DisplayAuxOutput(float volts);
std::int32_t lmDisplayAuxOutput(float volts, float b, float c);
std::int32_t DisplayScanLimits(std::int32_t a, std::int32_t b);
std::int32_t DisplayObjectSettings(std::int32_t a1, std::int32_t a2, std::int32_t a3, std::int32_t a4,
                                   std::int32_t a5, std::int32_t a6, std::int32_t a7);
std::int32_t DisplayAbstractSettings(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t DisplayFlags(std::int32_t flags);
std::int32_t DisplayMaskFlags(std::int32_t flags);
std::int32_t DisplayRotOrder(std::int32_t order);
std::int32_t DisplayPaletteSelect(std::int32_t a, std::int32_t b);
std::int32_t DisplayHueOffset(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t DisplayPath(std::int32_t a, std::int32_t b);
std::int32_t DisplayTrackAllow(std::int32_t mask);
std::int32_t DisplayFrame(std::int32_t frame);
std::int32_t DisplaySkew(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t DisplayMinimumPoints(std::int32_t count);
std::int32_t DisplayUpdateTest();
std::int32_t DisplayUpdate();
std::int32_t DisplayUpdateToFrame(std::int32_t frame);
std::int32_t DisplayUpdateEx(std::int32_t value);
std::int32_t DisplayUpdateMode(std::int32_t a, std::int32_t b);
std::int32_t TBDMXMode(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                       std::int32_t f);
std::int32_t TBDMXOutput(std::int32_t channel, std::int32_t value);
std::int32_t TBDMXInput(std::int32_t channel, std::int32_t* value);
std::int32_t DisplayFreq3(std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t* o1, std::int32_t* o2,
                          std::int32_t* o3);
// One row of the 65 x 65 correction grid: 130 values, X and Y of node i at 2i and 2i + 1.
std::int32_t DisplayGeometricCorrection(std::int32_t active, std::int32_t row, const std::int16_t* values);
std::int32_t AutoRotateInit(float a, float b, float c, std::int32_t d, std::int32_t e, std::int32_t f);
std::int32_t AutoRotateIncrement(float a, float b, float c, std::int32_t tenths);
std::int32_t AutoRotatePlus(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t w);

// Preview: windows and device contexts are the platform's handles passed as Longs.
std::int32_t SetLaserWindow(std::int32_t left, std::int32_t right, std::int32_t bottom, std::int32_t top,
                            std::int32_t mag);
std::int32_t DrawGrid(std::int32_t window, std::int32_t gridH, std::int32_t gridV, std::int32_t clearScreen,
                      std::int32_t showZero, std::int32_t showGrid);
std::int32_t RedrawFrame(std::int32_t window, std::int32_t fromPt, std::int32_t toPt, std::int32_t viewMode,
                         std::int32_t clearScreen, std::int32_t markColour, std::int32_t markPoints,
                         std::int32_t widths);
// The active array is read for the first MaxFramePoints records; later records count as active.
std::int32_t RedrawFrameActive(std::int32_t window, std::int32_t fromPt, std::int32_t toPt, std::int32_t viewMode,
                               std::int32_t clearScreen, std::int32_t markColour, std::int32_t markPoints,
                               std::int32_t widths, const std::int32_t* active);
std::int32_t RedrawFrameActiveDC(std::int32_t window, std::int32_t dc, std::int32_t fromPt, std::int32_t toPt,
                                 std::int32_t viewMode, std::int32_t clearScreen, std::int32_t markColour,
                                 std::int32_t markPoints, std::int32_t widths, const std::int32_t* active);
std::int32_t RedrawFrameFast(std::int32_t window, std::int32_t frame, std::int32_t flags, std::int32_t clear,
                             std::int32_t widths);
std::int32_t RedrawFrameFastDC(std::int32_t window, std::int32_t dc, std::int32_t frame, std::int32_t flags,
                               std::int32_t clear, std::int32_t widths);

// ---- Frames and points ------------------------------------------------------------

std::int32_t DeleteFrames(std::int32_t from, std::int32_t to);
std::int32_t MergeFrames(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t FindFrame(const char* name, std::int32_t* frame);
std::int32_t ReadFrameStruct(std::int32_t frame, FrameStruct* header);
std::int32_t ReadFrame(FrameStruct* header, PointStruct* points);
std::int32_t WriteFrame(const FrameStruct* header, const PointStruct* points);
std::int32_t InvertPointsActive(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                                std::int32_t f, std::int32_t* active);

// ---- Frames and points, colour and palettes, working scale (complete) --------------

static_assert(offsetof(PointStruct, X) == 0 && offsetof(PointStruct, Y) == 4 && offsetof(PointStruct, Z) == 8 &&
              offsetof(PointStruct, F) == 12 && offsetof(PointStruct, Colour) == 16 &&
              offsetof(PointStruct, Value5) == 20 && offsetof(PointStruct, Value6) == 24 &&
              offsetof(PointStruct, Value7) == 28 && offsetof(PointStruct, Value8) == 32);
static_assert(offsetof(FrameStruct, FlagA) == 0 && offsetof(FrameStruct, FrameValue) == 4 &&
              offsetof(FrameStruct, FlagB) == 8 && offsetof(FrameStruct, NumPoints) == 12 &&
              offsetof(FrameStruct, Name) == 16);

// A colour register: I, R, G, B and eight further values.
struct ColorRegStruct {
  std::int32_t Fields[12];
};
static_assert(sizeof(ColorRegStruct) == 48);

// One record of a fast frame read: X, Y, width, colour.
struct FastRecordStruct {
  std::int32_t X;
  std::int32_t Y;
  std::int32_t Width;
  std::int32_t Colour;
};
static_assert(sizeof(FastRecordStruct) == 16);

// The most records a fast read fills (the library's own record buffer).
constexpr std::int32_t VX_FAST_RECORD_MAX = 9999;

std::int32_t ReadMaskData(std::int32_t which, std::int32_t* pairs);
std::int32_t ReadFrameFast(std::int32_t frame, std::int32_t flags, std::int32_t* count, std::int32_t* frameFlags,
                           FastRecordStruct* records);
std::int32_t CopyFrameActive(std::int32_t source, std::int32_t target, std::int32_t* active);
std::int32_t CopyBlock(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t ReverseBlock(std::int32_t a, std::int32_t b);
std::int32_t FrameToUndoActive(std::int32_t* active);
std::int32_t UndoToFrameActive(std::int32_t* active);
std::int32_t ConvertToVectorFrame(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4,
                                  std::int32_t p5);
std::int32_t ConvertToPointFrame(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4,
                                 std::int32_t p5, std::int32_t p6, std::int32_t p7);
std::int32_t ReadNumPoints(std::int32_t* count);
std::int32_t ReadPoint(std::int32_t index, PointStruct* point);
std::int32_t WritePoint(std::int32_t index, const PointStruct* point);
std::int32_t SetInsertOnWrite(std::int32_t insert);
std::int32_t DeletePoints(std::int32_t a, std::int32_t b);
std::int32_t InsertPoints(std::int32_t a, std::int32_t b);
std::int32_t MovePointsActive(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f, std::int32_t* active);
std::int32_t ResizePointsActive(std::int32_t a, std::int32_t b, float x, float y, float z, std::int32_t g,
                                std::int32_t h, std::int32_t l, std::int32_t m, std::int32_t* active);
std::int32_t RotatePointsActive(std::int32_t a, std::int32_t b, float x, float y, float z, std::int32_t g,
                                std::int32_t h, std::int32_t l, std::int32_t m, std::int32_t* active);
std::int32_t Set_XYZ_TO_3D_Track(std::int32_t mask);
std::int32_t XYZ_TO_3D(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t* o1, std::int32_t* o2,
                       std::int32_t* o3);

std::int32_t RGB4toRGB1(std::int32_t* c1, std::int32_t* c2, std::int32_t* c3, std::int32_t* c4, std::int32_t* out);
std::int32_t RGB1toRGB4(std::int32_t* colour, std::int32_t* c1, std::int32_t* c2, std::int32_t* c3,
                        std::int32_t* c4);
std::int32_t LoadPalette(const char* file, std::int32_t* status);
std::int32_t SavePalette(const char* file, std::int32_t* status);
std::int32_t TrainColorSystem();
std::int32_t UseDefaultColors();
std::int32_t EliminateUnusedColors(std::int32_t keep);
std::int32_t UpdateAlternatePalettes();
std::int32_t ReadColorReg(ColorRegStruct* reg);
std::int32_t ReadNumColors(std::int32_t* count);
std::int32_t WriteColorReg(ColorRegStruct* reg);
std::int32_t RGBtoHSV(std::int32_t* source, std::int32_t* target);
std::int32_t HSVtoRGB(std::int32_t* source, std::int32_t* target);

std::int32_t SetWorkingScaleX(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f);
std::int32_t SetWorkingScaleY(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f);
std::int32_t SetWorkingScaleZ(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f);
std::int32_t SetWorkingScaleF(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);
std::int32_t GetWorkingScaleX(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d, std::int32_t* e,
                              std::int32_t* f);
std::int32_t GetWorkingScaleY(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d, std::int32_t* e,
                              std::int32_t* f);
std::int32_t GetWorkingScaleZ(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d, std::int32_t* e,
                              std::int32_t* f);
std::int32_t GetWorkingScaleF(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d);

// ---- Frame files ----------------------------------------------------------------------
// `ignored` is an argument the library does not look at (callers pass an empty string).

std::int32_t LoadLFile(const char* file, std::int32_t* from, std::int32_t* to, const void* ignored,
                       std::int32_t* status);
std::int32_t LoadVXA(const char* file, std::int32_t* flag, std::int32_t* from, std::int32_t* to,
                     const void* ignored, std::int32_t* status);
std::int32_t LoadVXB(const char* file, std::int32_t* flag, std::int32_t* from, std::int32_t* to,
                     const void* ignored, std::int32_t* status);
// `title` receives at most 127 bytes and a terminator (128 bytes); null pointers are not written.
std::int32_t ReadFileInfo(const char* file, char* title, std::int32_t* frames, std::int32_t* kind,
                          const void* ignored, std::int32_t* status);
std::int32_t SaveLFile(const char* file, const char* title, std::int32_t* from, std::int32_t* to,
                       std::int32_t* format, const void* ignored, std::int32_t* status);

// ---- Laser text ---------------------------------------------------------------------

std::int32_t SetLineLimits(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);

std::int32_t LoadFont(const char* file, std::int32_t* status);
std::int32_t SetLaserChar(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t p5,
                          std::int32_t p6, std::int32_t p7, std::int32_t p8, std::int32_t p9);
std::int32_t LaserChar(std::int32_t code, std::int32_t x, std::int32_t y, std::int32_t n, std::int32_t* o1,
                       std::int32_t* o2, std::int32_t* o3);
std::int32_t GetLaserCharExtent(std::int32_t code, std::int32_t* width, std::int32_t* height);

// ---- Sessions, board memory, sync, events and shows -----------------------------

// The board asked for more of a file after the host said it had no more.
constexpr VXStatusCode VX_LOAD_INCOMPLETE = -406;

// The key of a show structure, in the caller's order.
struct ShowStructureKey {
  std::int16_t First;
  std::int16_t Second;
  std::int32_t Value;
};
static_assert(sizeof(ShowStructureKey) == 8);

std::int32_t RebootTB32();
std::int32_t TB32DefragmentMem(std::int32_t* out);
std::int32_t TB32StealMem(std::int32_t* inOut);
std::int32_t TB32MemoryWatch(std::int32_t* out);
std::int32_t TB32MultiCommand(std::int32_t value);
std::int32_t SetSyncParameters(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t SendSync(std::int32_t value);
std::int32_t SendMultiSync(std::int32_t value);
std::int32_t GetCuetrackMilliseconds(std::int32_t* ms);
// Events are 4 bytes each; the buffer must hold as many as the count says.
std::int32_t GetTBEvents(std::int32_t* count, void* events);
std::int32_t SendSyncGetTBEvents(std::int32_t value, std::int32_t* count, void* events);
std::int32_t SetResetTTL(std::int32_t a, std::int32_t b);
std::int32_t PlayShowEx(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);
std::int32_t PlayShowExD(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, const char* file);
std::int32_t StopShow();
std::int32_t StopShowEx(std::int32_t value);
std::int32_t LoadShowStructures(const char* file, std::int32_t which, std::int32_t* status);
std::int32_t SaveShowStructures(const char* file, std::int32_t which, std::int32_t* status);
// The name is read as at most 50 bytes.
std::int32_t FindShowStructures(const char* name, ShowStructureKey* key, std::int32_t* out1, std::int32_t* out2);

// ---- Timelines, auxiliary ports and the abstract generator ---------------------

// Array lengths callers provide: slot 0 is not an item, items are 1..N.
constexpr int VX_TIMELINE_EVENT_SLOTS = 65;  // a timeline group's 64 events
constexpr int VX_LASER_EVENT_SLOTS = 451;    // a scene's 450 laser events
constexpr int VX_TRANSITION_SLOTS = 9;       // an effect's 8 transitions
constexpr int VX_TRANSITION_PARTS = 8;
constexpr int VX_LIVE_KEY_BYTES = 500;

#pragma pack(push, 2)
// A timeline group, scene or effect header (354 bytes, little-endian).
struct TimelineGroup {
  std::int16_t Number;
  std::int16_t Type;        // 1 effect, 2 scene, 4 or 8 timeline group
  std::int32_t KeyLong;
  char Text3[24];
  char Name[50];
  char Text2[256];
  std::int16_t Mode;        // 2-bit mode
  std::int32_t EndTime;     // latest end time of the items, computed on write
  std::int16_t Flag0;
  std::int16_t Flag14;
  union {
    std::int16_t numTimelineEvents;
    std::int16_t numLaserEvents;
    std::int16_t NumTransitions;
  };
  std::int16_t BoardFlag6;  // set by the board
  std::int16_t BoardFlag7;  // set by the board
};
#pragma pack(pop)
static_assert(sizeof(TimelineGroup) == 354);
static_assert(offsetof(TimelineGroup, Text3) == 8 && offsetof(TimelineGroup, Name) == 32);
static_assert(offsetof(TimelineGroup, Text2) == 82 && offsetof(TimelineGroup, Mode) == 338);
static_assert(offsetof(TimelineGroup, EndTime) == 340 && offsetof(TimelineGroup, Flag0) == 344);
static_assert(offsetof(TimelineGroup, numTimelineEvents) == 348 && offsetof(TimelineGroup, BoardFlag7) == 352);

// A timeline event or a scene's laser event (36 bytes).
struct TimelineEvent {
  std::int16_t Number;   // filled on read
  std::int16_t Type;     // filled on read
  std::int32_t KeyLong;  // filled on read
  std::int32_t StartTime;
  std::int32_t EndTime;
  std::int16_t Track;    // positive: slot in use
  std::int16_t Flag;     // sent as 0x4000
  std::int16_t Value20;
  std::int16_t Value22;
  std::int16_t Value24;
  std::int16_t Unused26;
  std::int32_t Value28;
  std::int16_t Value32;
  std::int16_t Value34;
};
using LaserEvent = TimelineEvent;
static_assert(sizeof(TimelineEvent) == 36);
static_assert(offsetof(TimelineEvent, Track) == 16 && offsetof(TimelineEvent, Value28) == 28);
static_assert(offsetof(TimelineEvent, Value34) == 34);

// One part of a transition (28 bytes).
struct TransitionPart {
  std::int16_t Kind;  // 0 = empty
  std::int16_t Flag0;
  std::int16_t Flag1;
  std::int16_t Flag2;
  std::int16_t Flag3;
  std::int16_t Value26;
  std::int16_t Value28;
  std::uint8_t Mode;  // low 3 bits
  std::uint8_t Unused;
  float X;
  float Y;
  float Z;
};
static_assert(sizeof(TransitionPart) == 28);

// A transition of an effect (272 bytes); Parts[k] is part k + 1.
struct Transition {
  float StartTime;  // seconds
  float EndTime;
  std::int16_t Flag0;
  std::int16_t Unused10;
  std::int16_t Flag14;
  std::uint8_t Unused14[30];
  TransitionPart Parts[VX_TRANSITION_PARTS];
  std::int16_t NumParts;
  std::int16_t OrderKey;  // positive: in use
};
static_assert(sizeof(Transition) == 272);
static_assert(offsetof(Transition, Flag14) == 12 && offsetof(Transition, Parts) == 44);
static_assert(offsetof(Transition, NumParts) == 268 && offsetof(Transition, OrderKey) == 270);

// A timeline beat (28 bytes).
struct TimelineBeat {
  std::int16_t Number;
  std::int16_t Type;  // always 16
  std::int32_t KeyLong;
  std::int32_t Value8;
  std::int32_t Value12;
  std::int32_t Value16;
  std::uint8_t Bytes20[8];
};
static_assert(sizeof(TimelineBeat) == 28);

// `items` points at VX_TIMELINE_EVENT_SLOTS events, VX_LASER_EVENT_SLOTS laser
// events or VX_TRANSITION_SLOTS transitions, by the header's type.
std::int32_t ReadTimelineGroup(TimelineGroup* header, void* items);
std::int32_t ReadTLGStruct(TimelineGroup* header);
std::int32_t ReadTimelineEvents(TimelineGroup* header, TimelineEvent* events);
std::int32_t ReadSEFs(TimelineGroup* header, LaserEvent* events);
std::int32_t ReadTransitions(TimelineGroup* header, Transition* transitions);
std::int32_t WriteTimelineGroup(TimelineGroup* header, void* items);
std::int32_t WriteTLG(TimelineGroup* header, TimelineEvent* events);
std::int32_t WriteScene(TimelineGroup* header, LaserEvent* events);
std::int32_t WriteEffect(TimelineGroup* header, Transition* transitions);
std::int32_t ReadTimelineBeat(TimelineBeat* beat);
std::int32_t WriteTimelineBeat(TimelineBeat* beat);
std::int32_t ReadLiveKey(std::int32_t a, std::int32_t b, void* data);
std::int32_t WriteLiveKey(std::int32_t a, std::int32_t b, const void* data);

std::int32_t ParOn(std::int32_t port, std::int32_t bits);
std::int32_t ParOff(std::int32_t port, std::int32_t bits);
std::int32_t ParIn(std::int32_t port, std::int32_t bits, std::int32_t* value);
std::int32_t DisplayPortLong(std::int32_t port, std::int32_t word, std::int32_t* value);
std::int32_t InitAbstractOsc1(float a, float b, float c);
std::int32_t InitAbstractOsc2(float a, float b, float c);
std::int32_t InitAbstractOsc3(float a, float b, float c);
std::int32_t InitAbstractMod1(float value);
std::int32_t InitAbstractMod2(float value);
std::int32_t InitAbstractColor(std::int32_t value);
std::int32_t InitAbstractColorNew(float value);
std::int32_t SetAbstractOsc1(float s1, float s2, float s3, float s4, float s5, float s6, std::int32_t wave);
std::int32_t SetAbstractOsc2(float s1, float s2, float s3, float s4, float s5, float s6, std::int32_t wave);
std::int32_t SetAbstractOsc3(float s1, float s2, float s3, float s4, float s5, float s6, std::int32_t wave);
std::int32_t SetAbstractMod1(float a, float b, std::int32_t value);
std::int32_t SetAbstractMod2(float a, float b, std::int32_t value);
std::int32_t SetAbstractColor(std::int32_t a, std::int32_t b);
std::int32_t SetAbstractColorNew(float a, std::int32_t b);
std::int32_t SwapWaves();
std::int32_t GenerateAbstract(std::int32_t frame, std::int32_t points, std::int32_t c);
std::int32_t GenerateAbstractNew(std::int32_t frame, std::int32_t points, std::int32_t c);
std::int32_t GetAbstractPhase(std::int32_t oscillator, float* p1, float* p2, float* p3);
std::int32_t GetAbstractFreqSizeWave(std::int32_t oscillator, float* f1, float* f2, float* f3, float* s1, float* s2,
                                     float* s3, std::int32_t* wave);
std::int32_t AbstractToFrame();
std::int32_t FrameToAbstract();

}  // extern "C"
