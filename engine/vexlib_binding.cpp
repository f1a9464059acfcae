#include "engine/vexlib_binding.h"

#include <dlfcn.h>

#include <system_error>

namespace fieldray::engine {

Vexlib::Vexlib(std::filesystem::path folder) : folder_(std::move(folder)) {}

Vexlib::Vexlib(const VexlibTable& table) : fake_(true), table_(table) {
  // Every entry of a supplied table is final: a null one stays missing.
#define FIELDRAY_VX_MARK(name) tried_.name = true;
  FIELDRAY_VEXLIB_EXPORTS(FIELDRAY_VX_MARK)
#undef FIELDRAY_VX_MARK
}

// The library stays loaded for the rest of the run, as its windows and boards
// may still be in use by whatever it left behind.
Vexlib::~Vexlib() = default;

std::filesystem::path Vexlib::BinaryFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  return exe.parent_path();
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

#undef FIELDRAY_VX_CALL

}  // namespace fieldray::engine
