#pragma once
// A data base filled row by row for the writer tests, and what reading a
// written file back gives.
#include <cmath>
#include <functional>
#include <string>

#include "reader_fixture.h"
#include "winplat/paths.h"

namespace writertest {

// Within 1e-5 of the larger magnitude (or 1e-5 near zero).
inline bool Close(double a, double b) {
  return std::fabs(a - b) <= 1e-5 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

class WriterTest : public readertest::ReaderTest {
 protected:
  std::int32_t Layer(const std::string& name) { return kelvane::SetLayerID(db().Layers(), name); }
  std::int32_t AddLine(float x1, float y1, float x2, float y2, const std::string& layer = "0") {
    kelvane::LineRecord r;
    r.X1 = x1, r.Y1 = y1, r.X2 = x2, r.Y2 = y2, r.Layer = Layer(layer);
    return db().AddLine(r, kelvane::Growth::Loader);
  }
  std::int32_t AddSegment(float x1, float y1, float x2, float y2, float bulge, float width = 0) {
    kelvane::PolylineSegmentRecord r;
    r.X1 = x1, r.Y1 = y1, r.X2 = x2, r.Y2 = y2, r.Bulge = bulge, r.Width = width, r.Layer = Layer("0");
    return db().AddPolylineSegment(r, kelvane::Growth::Loader);
  }
  std::int32_t AddArc(float x, float y, float radius, float start, float end) {
    kelvane::CircleRecord r;
    r.X = x, r.Y = y, r.Radius = radius, r.StartAngle = start, r.EndAngle = end, r.Layer = Layer("0");
    return db().AddCircle(r, kelvane::Growth::Loader);
  }
  std::int32_t AddSolid(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    kelvane::SolidRecord r{x1, y1, x2, y2, x3, y3, x4, y4};
    r.Layer = Layer("0");
    return db().AddSolid(r, kelvane::Growth::Loader);
  }
  std::int32_t AddText(float x, float y, const std::string& text, std::int32_t align, float rotation = 0) {
    kelvane::TextRecord r;
    r.X = x, r.Y = y, r.Text = text, r.HorzAlign = align, r.Height = 2.5f, r.Rotation = rotation, r.Layer = Layer("0");
    return db().AddText(r, kelvane::Growth::Loader);
  }
  std::int32_t AddAttrib(float x, float y, const std::string& value, std::int32_t align) {
    kelvane::AttribRecord r;
    r.X = x, r.Y = y, r.TagValue = value, r.TagName = "TAG", r.HorzAlign = align, r.Height = 1.5f, r.Layer = Layer("0");
    return db().AddAttrib(r, kelvane::Growth::Loader);
  }
  std::int32_t AddPoint(float x, float y) {
    kelvane::PointRecord r;
    r.X = x, r.Y = y, r.Layer = Layer("0");
    return db().AddPoint(r, kelvane::Growth::Loader);
  }
  std::int32_t AddEllipse(float cx, float cy, float mx, float my, float ratio, float start, float end) {
    kelvane::EllipseRecord r;
    r.CenterX = cx, r.CenterY = cy, r.MajorX = mx, r.MajorY = my, r.Ratio = ratio, r.StartParam = start,
    r.EndParam = end, r.Layer = Layer("0");
    return db().AddEllipse(r, kelvane::Growth::Loader);
  }

  // The host path of a Windows path under the machine root.
  static std::filesystem::path Host(const std::string& windowsPath) { return winplat::HostPath(windowsPath); }
  // The number and description of the error `write` raises; 0 and "no error" when it raises none.
  static std::pair<std::int32_t, std::string> ErrorOf(const std::function<void()>& write) {
    try {
      write();
    } catch (const winplat::AutomationError& e) {
      return {e.Number(), e.Description()};
    }
    return {0, "no error"};
  }
  // How many entries a folder holds: a refused write leaves no temporary file.
  static std::ptrdiff_t FilesIn(const std::filesystem::path& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
  }
  // A second control with the file at `windowsPath` read into it as Regen
  // reads it; null when the read fails.
  static winplat::ComPtr<kelvane::DXF> ReadBack(const std::string& windowsPath) {
    auto back = winplat::MakeObject<kelvane::DXF>();
    back->db.InitDB(true);
    back->SetFilename(windowsPath);
    try {
      if (kelvane::LoadDXF(*back, windowsPath, nullptr, nullptr)) return back;
    } catch (const winplat::AutomationError&) {
    }
    return nullptr;
  }
  // Exports to C:\out\<name> and reads the file back into a second control.
  winplat::ComPtr<kelvane::DXF> ExportAndReadBack(const std::string& name) {
    std::filesystem::create_directories(Host("C:\\out\\"));
    dxf->ExportMergedDXF("C:\\out\\" + name);
    return ReadBack("C:\\out\\" + name);
  }
};

}  // namespace writertest
