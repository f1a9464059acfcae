#pragma once
// The program's binding to the device library: libvexlib.so, loaded by file
// name from the folder the program runs from, each export resolved by its name
// at its first call. A test can hand in its own table of functions instead.
//
// A missing library or export is never taken for success: the call answers
// VXBindingMissing (and writes it into the call's status argument, when it has
// one), a code the status reporter shows as an unknown error.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "vexlib/vexlib.h"

namespace fieldray::engine {

// Our own status for an export that could not be reached.
constexpr std::int32_t VXBindingMissing = -32001;

// Every export the program may call, by name.
#define FIELDRAY_VEXLIB_EXPORTS(X) \
  X(GetVXDLLModuleUsage)           \
  X(OpenVXCommWindow)              \
  X(CloseVXCommWindow)             \
  X(WriteToVXCommWindow)           \
  X(TB32BeepOnError)               \
  X(GetVXStatus)                   \
  X(InitialTBCheck)                \
  X(BeginSession)                  \
  X(CheckSession)                  \
  X(CheckSessionSettings)          \
  X(EndSession)                    \
  X(TB32AvailMemEx)                \
  X(SetWorkingFrame)               \
  X(GetWorkingFrame)               \
  X(SetWorkingScanners)            \
  X(SetWorkingTracks)              \
  X(ResetVX)                       \
  X(DisplaySize)                   \
  X(SetWorkingScale)               \
  X(DisplayPostTrans)              \
  X(DisplayGeometricCorrection)    \
  X(DisplayUpdate)                 \
  X(DeleteFrames)                  \
  X(ReadFrameStruct)               \
  X(ReadFrame)                     \
  X(WriteFrame)                    \
  X(InvertPointsActive)             \
  X(DisplayFrame)                   \
  X(DisplayFreq3)                   \
  X(DisplaySkew)                    \
  X(MergeFrames)                    \
  X(FindFrame)                      \
  X(RedrawFrameFast)                \
  X(RGB4toRGB1)                     \
  X(LoadFont)                       \
  X(SetLaserChar)                   \
  X(LaserChar)                      \
  X(GetLaserCharExtent)

// Exports the program calls whose declarations it gives itself.
using SetLaserWindowFn = std::int32_t (*)(std::int32_t left, std::int32_t right, std::int32_t bottom,
                                          std::int32_t top, std::int32_t mag);
using RedrawFrameFn = std::int32_t (*)(std::int32_t window, std::int32_t fromPt, std::int32_t toPt,
                                       std::int32_t viewMode, std::int32_t clearScreen, std::int32_t markColour,
                                       std::int32_t markPoints, std::int32_t widths);
using LoadLFileFn = std::int32_t (*)(const char* file, std::int32_t* from, std::int32_t* to, std::int32_t ignored,
                                     std::int32_t* status);
#define FIELDRAY_VEXLIB_OWN_EXPORTS(X) \
  X(SetLaserWindow)                    \
  X(RedrawFrame)                       \
  X(LoadLFile)

// A table of export entry points; a null entry is an export not there.
struct VexlibTable {
#define FIELDRAY_VX_ENTRY(name) decltype(&::name) name = nullptr;
  FIELDRAY_VEXLIB_EXPORTS(FIELDRAY_VX_ENTRY)
#undef FIELDRAY_VX_ENTRY
#define FIELDRAY_VX_OWN_ENTRY(name) name##Fn name = nullptr;
  FIELDRAY_VEXLIB_OWN_EXPORTS(FIELDRAY_VX_OWN_ENTRY)
#undef FIELDRAY_VX_OWN_ENTRY
};

class Vexlib {
 public:
  static constexpr const char* kLibraryFile = FIELDRAY_VEXLIB_SONAME;

  // The real library in `folder` (by default the folder of the running
  // program's binary). Nothing is loaded before the first call.
  explicit Vexlib(std::filesystem::path folder = BinaryFolder());
  // A table supplied by the caller; its null entries count as missing exports.
  explicit Vexlib(const VexlibTable& table);
  ~Vexlib();
  Vexlib(const Vexlib&) = delete;
  Vexlib& operator=(const Vexlib&) = delete;

  // The folder the program loads its libraries from: beside its binary (the
  // build tree), else the private library folder of an install.
  static std::filesystem::path BinaryFolder();

  // Why the last export could not be reached ("" while everything was found).
  const std::string& LastBindingError() const { return bindingError_; }

  std::int32_t GetVXDLLModuleUsage(std::int32_t* count);
  std::int32_t OpenVXCommWindow();
  std::int32_t CloseVXCommWindow();
  std::int32_t WriteToVXCommWindow(const char* text);
  std::int32_t TB32BeepOnError(std::int32_t flag);
  std::int32_t GetVXStatus(std::int32_t* status);
  std::int32_t InitialTBCheck(std::int32_t* status);
  std::int32_t BeginSession(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t* status);
  std::int32_t CheckSession(std::int32_t* status);
  std::int32_t CheckSessionSettings(std::int32_t* p1, std::int32_t* p2, std::int32_t* p3, std::int32_t* p4,
                                    std::int32_t* status);
  std::int32_t EndSession();
  std::int32_t TB32AvailMemEx(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d);
  std::int32_t SetWorkingFrame(std::int32_t frame);
  std::int32_t GetWorkingFrame(std::int32_t* frame);
  std::int32_t SetWorkingScanners(std::int32_t mask);
  std::int32_t SetWorkingTracks(std::int32_t mask);
  std::int32_t ResetVX();
  std::int32_t DisplaySize(float a, float b, float c, float d, float e);
  std::int32_t SetWorkingScale(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax,
                               std::int32_t p5, std::int32_t p6);
  std::int32_t DisplayPostTrans(float x, float y, float z);
  std::int32_t DisplayGeometricCorrection(std::int32_t active, std::int32_t row, const std::int16_t* values);
  std::int32_t DisplayUpdate();
  std::int32_t DeleteFrames(std::int32_t from, std::int32_t to);
  std::int32_t ReadFrameStruct(std::int32_t frame, FrameStruct* header);
  std::int32_t ReadFrame(FrameStruct* header, PointStruct* points);
  std::int32_t WriteFrame(const FrameStruct* header, const PointStruct* points);
  std::int32_t InvertPointsActive(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                                  std::int32_t f, std::int32_t* active);
  std::int32_t DisplayFrame(std::int32_t frame);
  std::int32_t DisplayFreq3(std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t* o1, std::int32_t* o2,
                            std::int32_t* o3);
  std::int32_t DisplaySkew(std::int32_t a, std::int32_t b, std::int32_t c);
  std::int32_t MergeFrames(std::int32_t a, std::int32_t b, std::int32_t c);
  // The frame that bears `name` into `frame` (the boards answer a number below
  // 1 for a name they do not hold).
  std::int32_t FindFrame(const char* name, std::int32_t* frame);
  std::int32_t RedrawFrameFast(std::int32_t window, std::int32_t frame, std::int32_t flags, std::int32_t clear,
                               std::int32_t widths);
  std::int32_t RGB4toRGB1(std::int32_t* c1, std::int32_t* c2, std::int32_t* c3, std::int32_t* c4, std::int32_t* out);
  std::int32_t LoadFont(const char* file, std::int32_t* status);
  std::int32_t SetLaserChar(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t p5,
                            std::int32_t p6, std::int32_t p7, std::int32_t p8, std::int32_t p9);
  std::int32_t LaserChar(std::int32_t code, std::int32_t x, std::int32_t y, std::int32_t n, std::int32_t* o1,
                         std::int32_t* o2, std::int32_t* o3);
  std::int32_t GetLaserCharExtent(std::int32_t code, std::int32_t* width, std::int32_t* height);
  std::int32_t SetLaserWindow(std::int32_t left, std::int32_t right, std::int32_t bottom, std::int32_t top,
                              std::int32_t mag);
  std::int32_t RedrawFrame(std::int32_t window, std::int32_t fromPt, std::int32_t toPt, std::int32_t viewMode,
                           std::int32_t clearScreen, std::int32_t markColour, std::int32_t markPoints,
                           std::int32_t widths);
  std::int32_t LoadLFile(const char* file, std::int32_t* from, std::int32_t* to, std::int32_t ignored,
                         std::int32_t* status);

 private:
  // Resolves `name` into `slot` once; null when the library or export is missing.
  void* Resolve(const char* name);
  template <typename F>
  F* Entry(F*& slot, bool& tried, const char* name);

  bool fake_ = false;
  std::filesystem::path folder_;
  void* handle_ = nullptr;
  bool loadTried_ = false;
  std::string bindingError_;
  VexlibTable table_;
  struct Tried {
#define FIELDRAY_VX_TRIED(name) bool name = false;
    FIELDRAY_VEXLIB_EXPORTS(FIELDRAY_VX_TRIED)
    FIELDRAY_VEXLIB_OWN_EXPORTS(FIELDRAY_VX_TRIED)
#undef FIELDRAY_VX_TRIED
  } tried_;
};

}  // namespace fieldray::engine
