#include "outside_readers.h"

#include <sstream>

#include "program_runner.h"
#include "test_support.h"
#include "winplat/text.h"

#ifdef FIELDRAY_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

namespace outside {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Prints, per file, "FILE ok|error", then
// "E<TAB>kind<TAB>handle<TAB>layer<TAB>numbers<TAB>text" per entity of every layout.
constexpr const char* kScript = R"PY(
import sys
try:
    import ezdxf
except Exception as e:
    print("NOEZDXF", e)
    sys.exit(0)
def nums(e):
    t = e.dxftype()
    d = e.dxf
    if t == "LINE": return [d.start.x, d.start.y, d.end.x, d.end.y]
    if t == "CIRCLE": return [d.center.x, d.center.y, d.radius]
    if t == "ARC": return [d.center.x, d.center.y, d.radius, d.start_angle, d.end_angle]
    if t in ("SOLID", "TRACE"):
        return [c for v in (d.vtx0, d.vtx1, d.vtx2, d.vtx3) for c in (v[0], v[1])]
    if t == "TEXT": return [d.insert.x, d.insert.y, d.height, d.rotation]
    if t == "MTEXT": return [d.insert.x, d.insert.y, d.char_height, e.get_rotation()]
    if t == "POINT": return [d.location.x, d.location.y]
    if t == "POLYLINE":
        return [c for v in e.vertices for c in (v.dxf.location.x, v.dxf.location.y, v.dxf.bulge)]
    return []
for name in sys.argv[1:]:
    try:
        doc = ezdxf.readfile(name)
    except Exception as e:
        print("FILE error", str(e).replace("\n", " "))
        continue
    print("FILE ok")
    for layout in doc.layouts:
        for e in layout:
            text = e.dxf.text if e.dxftype() == "TEXT" else ""
            print("\t".join(["E", e.dxftype(), e.dxf.get("handle", "") or "", e.dxf.get("layer", ""),
                             ",".join(repr(float(v)) for v in nums(e)), text.replace("\n", " ")]))
)PY";

// What `arguments` (the program first) print, standard error included.
std::string Run(const std::vector<std::string>& arguments) {
  return testsupport::RunProgram(arguments, {}, testsupport::Root() / "outside-reader.log").log;
}

std::filesystem::path ScriptFile() {
  return testsupport::WriteFile(testsupport::Root() / "outside" / "ezdxf_read.py", kScript);
}

}  // namespace

std::vector<Entity> Drawing::OfKind(const std::string& kind) const {
  std::vector<Entity> found;
  for (const auto& e : entities)
    if (e.kind == kind) found.push_back(e);
  return found;
}

std::vector<Entity> Drawing::OnLayer(const std::string& layer) const {
  std::vector<Entity> found;
  for (const auto& e : entities)
    if (e.layer == layer) found.push_back(e);
  return found;
}

std::map<std::string, int> Drawing::Counts() const {
  std::map<std::string, int> counts;
  for (const auto& e : entities) ++counts[e.kind];
  return counts;
}

std::string EzdxfMissing() {
  static const std::string missing = [] {
    if (!std::filesystem::exists(kPython)) return std::string("no ") + kPython;
    std::string out = Run({kPython, "-c", "import ezdxf; print('yes')"});
    return out.rfind("yes", 0) == 0 ? std::string() : "ezdxf cannot be imported: " + out;
  }();
  return missing;
}

std::vector<Drawing> ReadWithEzdxf(const std::vector<std::filesystem::path>& files) {
  std::vector<Drawing> drawings;
  if (files.empty()) return drawings;
  std::vector<std::string> arguments = {kPython, ScriptFile().string()};
  for (const auto& f : files) arguments.push_back(f.string());
  std::istringstream out(Run(arguments));
  std::string line;
  while (std::getline(out, line)) {
    if (line.rfind("FILE ", 0) == 0) {
      drawings.emplace_back();
      drawings.back().ok = line == "FILE ok";
      if (!drawings.back().ok) drawings.back().error = line.substr(5);
      continue;
    }
    if (drawings.empty()) continue;
    const std::vector<std::string_view> f = winplat::Split(line, '\t');
    if (f[0] != "E" || f.size() < 6) continue;
    Entity e{std::string(f[1]), std::string(f[2]), std::string(f[3]), {}, std::string(f[5])};
    if (!f[4].empty())
      for (std::string_view n : winplat::Split(f[4], ',')) e.numbers.push_back(std::stod(std::string(n)));
    drawings.back().entities.push_back(std::move(e));
  }
  drawings.resize(files.size());  // a run that died leaves the rest not read
  return drawings;
}

#ifdef FIELDRAY_HAVE_DXFLIB
namespace {

class Collector : public DL_CreationAdapter {
 public:
  Drawing drawing;

  void addLine(const DL_LineData& d) override { Add("LINE", {d.x1, d.y1, d.x2, d.y2}); }
  void addCircle(const DL_CircleData& d) override { Add("CIRCLE", {d.cx, d.cy, d.radius}); }
  void addArc(const DL_ArcData& d) override { Add("ARC", {d.cx, d.cy, d.radius, d.angle1, d.angle2}); }
  void addPoint(const DL_PointData& d) override { Add("POINT", {d.x, d.y}); }
  void addSolid(const DL_SolidData& d) override {
    Add("SOLID", {d.x[0], d.y[0], d.x[1], d.y[1], d.x[2], d.y[2], d.x[3], d.y[3]});
  }
  void addText(const DL_TextData& d) override {
    // Aligned texts are placed by their alignment point.
    const bool aligned = d.hJustification != 0 || d.vJustification != 0;
    Add("TEXT", {aligned ? d.apx : d.ipx, aligned ? d.apy : d.ipy, d.height, d.angle}).text = d.text;
  }
  void addPolyline(const DL_PolylineData&) override { Add("POLYLINE", {}); }
  void addVertex(const DL_VertexData& d) override {
    if (drawing.entities.empty() || drawing.entities.back().kind != "POLYLINE") return;
    auto& n = drawing.entities.back().numbers;
    n.insert(n.end(), {d.x, d.y, d.bulge});
  }

 private:
  Entity& Add(const char* kind, std::vector<double> numbers) {
    const DL_Attributes& a = getAttributes();
    drawing.entities.push_back(Entity{kind, a.getHandle() >= 0 ? std::to_string(a.getHandle()) : std::string(),
                                      a.getLayer(), std::move(numbers), {}});
    return drawing.entities.back();
  }
};

}  // namespace

std::string DxflibMissing() { return {}; }

Drawing ReadWithDxflib(const std::filesystem::path& file) {
  Collector collector;
  DL_Dxf reader;
  try {
    collector.drawing.ok = reader.in(file.string(), &collector);
  } catch (const std::exception& e) {
    collector.drawing.ok = false;
    collector.drawing.error = e.what();
  }
  return collector.drawing;
}
#else
std::string DxflibMissing() { return "the build did not find dxflib"; }
Drawing ReadWithDxflib(const std::filesystem::path&) { return {}; }
#endif

}  // namespace outside
