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

// ---- Display parameters -----------------------------------------------------------

std::int32_t DisplayFrame(std::int32_t frame);
std::int32_t DisplaySize(float a, float b, float c, float d, float e);
std::int32_t DisplayPostTrans(float x, float y, float z);
std::int32_t DisplaySkew(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t DisplayFreq3(std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t* o1, std::int32_t* o2,
                          std::int32_t* o3);
std::int32_t DisplayGeometricCorrection(std::int32_t a, std::int32_t row, const std::int16_t* values);
std::int32_t DisplayUpdate();
std::int32_t ResetVX();

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

}  // extern "C"
