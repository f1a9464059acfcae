#include "engine/vexlib_binding.h"

#include <dlfcn.h>

#include <system_error>

namespace fieldray::engine {

Vexlib::Vexlib(std::filesystem::path folder) : folder_(std::move(folder)) {}

Vexlib::Vexlib(const VexlibTable& table) : fake_(true), table_(table) {
  // Every entry of a supplied table is final: a null one stays missing.
#define FIELDRAY_VX_MARK(name) tried_.name = true;
  FIELDRAY_VEXLIB_EXPORTS(FIELDRAY_VX_MARK)
  FIELDRAY_VEXLIB_OWN_EXPORTS(FIELDRAY_VX_MARK)
#undef FIELDRAY_VX_MARK
}

// The library stays loaded for the rest of the run, as its windows and boards
// may still be in use by whatever it left behind.
Vexlib::~Vexlib() = default;

std::filesystem::path Vexlib::BinaryFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  std::filesystem::path beside = exe.parent_path();
  if (std::filesystem::exists(beside / kLibraryFile, ec)) return beside;
  std::filesystem::path installed = beside / FIELDRAY_PRIVATE_FROM_BIN;
  return std::filesystem::exists(installed / kLibraryFile, ec) ? installed.lexically_normal() : beside;
}

void* Vexlib::Resolve(const char* name) {
  if (fake_) return nullptr;
  if (!loadTried_) {
    loadTried_ = true;
    std::filesystem::path file = folder_ / kLibraryFile;
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
      const char* why = dlerror();
      bindingError_ = std::string(kLibraryFile) + " not loaded: " + (why ? why : file.string());
    }
  }
  if (!handle_) return nullptr;
  dlerror();
  void* entry = dlsym(handle_, name);
  if (!entry) bindingError_ = std::string("export ") + name + " not found in " + kLibraryFile;
  return entry;
}

template <typename F>
F* Vexlib::Entry(F*& slot, bool& tried, const char* name) {
  if (!tried) {
    tried = true;
    slot = reinterpret_cast<F*>(Resolve(name));
  }
  if (!slot && fake_) bindingError_ = std::string("export ") + name + " not supplied";
  return slot;
}

#define FIELDRAY_VX_CALL(name, ...)                                  \
  if (auto* entry = Entry(table_.name, tried_.name, #name)) return entry(__VA_ARGS__)

std::int32_t Vexlib::GetVXDLLModuleUsage(std::int32_t* count) {
  FIELDRAY_VX_CALL(GetVXDLLModuleUsage, count);
  return VXBindingMissing;
}
std::int32_t Vexlib::OpenVXCommWindow() {
  FIELDRAY_VX_CALL(OpenVXCommWindow);
  return VXBindingMissing;
}
std::int32_t Vexlib::CloseVXCommWindow() {
  FIELDRAY_VX_CALL(CloseVXCommWindow);
  return VXBindingMissing;
}
std::int32_t Vexlib::WriteToVXCommWindow(const char* text) {
  FIELDRAY_VX_CALL(WriteToVXCommWindow, text);
  return VXBindingMissing;
}
std::int32_t Vexlib::TB32BeepOnError(std::int32_t flag) {
  FIELDRAY_VX_CALL(TB32BeepOnError, flag);
  return VXBindingMissing;
}
std::int32_t Vexlib::GetVXStatus(std::int32_t* status) {
  FIELDRAY_VX_CALL(GetVXStatus, status);
  if (status) *status = VXBindingMissing;
  return VXBindingMissing;
}
std::int32_t Vexlib::InitialTBCheck(std::int32_t* status) {
  FIELDRAY_VX_CALL(InitialTBCheck, status);
  if (status) *status = VXBindingMissing;
  return VXBindingMissing;
}
std::int32_t Vexlib::BeginSession(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4,
                                  std::int32_t* status) {
  FIELDRAY_VX_CALL(BeginSession, p1, p2, p3, p4, status);
  if (status) *status = VXBindingMissing;
  return VXBindingMissing;
}
std::int32_t Vexlib::CheckSession(std::int32_t* status) {
  FIELDRAY_VX_CALL(CheckSession, status);
  if (status) *status = VXBindingMissing;
  return VXBindingMissing;
}
std::int32_t Vexlib::CheckSessionSettings(std::int32_t* p1, std::int32_t* p2, std::int32_t* p3, std::int32_t* p4,
                                          std::int32_t* status) {
  FIELDRAY_VX_CALL(CheckSessionSettings, p1, p2, p3, p4, status);
  if (status) *status = VXBindingMissing;
  return VXBindingMissing;
}
std::int32_t Vexlib::EndSession() {
  FIELDRAY_VX_CALL(EndSession);
  return VXBindingMissing;
}
std::int32_t Vexlib::TB32AvailMemEx(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d) {
  FIELDRAY_VX_CALL(TB32AvailMemEx, a, b, c, d);
  return VXBindingMissing;
}
std::int32_t Vexlib::SetWorkingFrame(std::int32_t frame) {
  FIELDRAY_VX_CALL(SetWorkingFrame, frame);
  return VXBindingMissing;
}
std::int32_t Vexlib::GetWorkingFrame(std::int32_t* frame) {
  FIELDRAY_VX_CALL(GetWorkingFrame, frame);
  return VXBindingMissing;
}
std::int32_t Vexlib::SetWorkingScanners(std::int32_t mask) {
  FIELDRAY_VX_CALL(SetWorkingScanners, mask);
  return VXBindingMissing;
}
std::int32_t Vexlib::SetWorkingTracks(std::int32_t mask) {
  FIELDRAY_VX_CALL(SetWorkingTracks, mask);
  return VXBindingMissing;
}
std::int32_t Vexlib::ResetVX() {
  FIELDRAY_VX_CALL(ResetVX);
  return VXBindingMissing;
}
std::int32_t Vexlib::DisplaySize(float a, float b, float c, float d, float e) {
  FIELDRAY_VX_CALL(DisplaySize, a, b, c, d, e);
  return VXBindingMissing;
}
std::int32_t Vexlib::SetWorkingScale(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax,
                                     std::int32_t p5, std::int32_t p6) {
  FIELDRAY_VX_CALL(SetWorkingScale, xMin, xMax, yMin, yMax, p5, p6);
  return VXBindingMissing;
}
std::int32_t Vexlib::DisplayPostTrans(float x, float y, float z) {
  FIELDRAY_VX_CALL(DisplayPostTrans, x, y, z);
  return VXBindingMissing;
}
std::int32_t Vexlib::DisplayGeometricCorrection(std::int32_t active, std::int32_t row, const std::int16_t* values) {
  FIELDRAY_VX_CALL(DisplayGeometricCorrection, active, row, values);
  return VXBindingMissing;
}
std::int32_t Vexlib::DisplayUpdate() {
  FIELDRAY_VX_CALL(DisplayUpdate);
  return VXBindingMissing;
}
std::int32_t Vexlib::DeleteFrames(std::int32_t from, std::int32_t to) {
  FIELDRAY_VX_CALL(DeleteFrames, from, to);
  return VXBindingMissing;
}
std::int32_t Vexlib::ReadFrameStruct(std::int32_t frame, FrameStruct* header) {
  FIELDRAY_VX_CALL(ReadFrameStruct, frame, header);
  return VXBindingMissing;
}
std::int32_t Vexlib::ReadFrame(FrameStruct* header, PointStruct* points) {
  FIELDRAY_VX_CALL(ReadFrame, header, points);
  return VXBindingMissing;
}
std::int32_t Vexlib::WriteFrame(const FrameStruct* header, const PointStruct* points) {
  FIELDRAY_VX_CALL(WriteFrame, header, points);
  return VXBindingMissing;
}
std::int32_t Vexlib::InvertPointsActive(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                                        std::int32_t e, std::int32_t f, std::int32_t* active) {
  FIELDRAY_VX_CALL(InvertPointsActive, a, b, c, d, e, f, active);
  return VXBindingMissing;
}
std::int32_t Vexlib::RGB4toRGB1(std::int32_t* c1, std::int32_t* c2, std::int32_t* c3, std::int32_t* c4,
                                std::int32_t* out) {
  FIELDRAY_VX_CALL(RGB4toRGB1, c1, c2, c3, c4, out);
  return VXBindingMissing;
}

std::int32_t Vexlib::DisplayFrame(std::int32_t frame) {
  FIELDRAY_VX_CALL(DisplayFrame, frame);
  return VXBindingMissing;
}
std::int32_t Vexlib::DisplayFreq3(std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t* o1,
                                  std::int32_t* o2, std::int32_t* o3) {
  FIELDRAY_VX_CALL(DisplayFreq3, r1, r2, r3, o1, o2, o3);
  return VXBindingMissing;
}
std::int32_t Vexlib::DisplaySkew(std::int32_t a, std::int32_t b, std::int32_t c) {
  FIELDRAY_VX_CALL(DisplaySkew, a, b, c);
  return VXBindingMissing;
}
std::int32_t Vexlib::MergeFrames(std::int32_t a, std::int32_t b, std::int32_t c) {
  FIELDRAY_VX_CALL(MergeFrames, a, b, c);
  return VXBindingMissing;
}
std::int32_t Vexlib::FindFrame(const char* name, std::int32_t* frame) {
  FIELDRAY_VX_CALL(FindFrame, name, frame);
  return VXBindingMissing;
}
std::int32_t Vexlib::RedrawFrameFast(std::int32_t window, std::int32_t frame, std::int32_t flags,
                                     std::int32_t clear, std::int32_t widths) {
  FIELDRAY_VX_CALL(RedrawFrameFast, window, frame, flags, clear, widths);
  return VXBindingMissing;
}
std::int32_t Vexlib::LoadFont(const char* file, std::int32_t* status) {
  FIELDRAY_VX_CALL(LoadFont, file, status);
  if (status) *status = VXBindingMissing;
  return VXBindingMissing;
}
std::int32_t Vexlib::SetLaserChar(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4,
                                  std::int32_t p5, std::int32_t p6, std::int32_t p7, std::int32_t p8,
                                  std::int32_t p9) {
  FIELDRAY_VX_CALL(SetLaserChar, p1, p2, p3, p4, p5, p6, p7, p8, p9);
  return VXBindingMissing;
}
std::int32_t Vexlib::LaserChar(std::int32_t code, std::int32_t x, std::int32_t y, std::int32_t n,
                               std::int32_t* o1, std::int32_t* o2, std::int32_t* o3) {
  FIELDRAY_VX_CALL(LaserChar, code, x, y, n, o1, o2, o3);
  return VXBindingMissing;
}
std::int32_t Vexlib::GetLaserCharExtent(std::int32_t code, std::int32_t* width, std::int32_t* height) {
  FIELDRAY_VX_CALL(GetLaserCharExtent, code, width, height);
  return VXBindingMissing;
}
std::int32_t Vexlib::SetLaserWindow(std::int32_t left, std::int32_t right, std::int32_t bottom, std::int32_t top,
                                    std::int32_t mag) {
  FIELDRAY_VX_CALL(SetLaserWindow, left, right, bottom, top, mag);
  return VXBindingMissing;
}
std::int32_t Vexlib::RedrawFrame(std::int32_t window, std::int32_t fromPt, std::int32_t toPt,
                                 std::int32_t viewMode, std::int32_t clearScreen, std::int32_t markColour,
                                 std::int32_t markPoints, std::int32_t widths) {
  FIELDRAY_VX_CALL(RedrawFrame, window, fromPt, toPt, viewMode, clearScreen, markColour, markPoints, widths);
  return VXBindingMissing;
}
std::int32_t Vexlib::LoadLFile(const char* file, std::int32_t* from, std::int32_t* to, std::int32_t ignored,
                               std::int32_t* status) {
  FIELDRAY_VX_CALL(LoadLFile, file, from, to, ignored, status);
  if (status) *status = VXBindingMissing;
  return VXBindingMissing;
}

#undef FIELDRAY_VX_CALL

}  // namespace fieldray::engine
