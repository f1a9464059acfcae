// Save: a copy of the loaded DXF file, line for line, with the layers made in
// the control added to its layer table and the redline entities to its
// ENTITIES section; fresh handles when the file carries handles.
#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "dxf_output.h"
#include "dxf_reader.h"
#include "dxfengine.h"
#include "winplat/numeric.h"
#include "winplat/screen.h"
#include "winplat/text.h"

namespace kelvane {
namespace {

constexpr const char* kRedlineComment = "REDLINE LAYER CREATED BY Kelvane OCX FROM BRENNOX";
constexpr std::uint64_t kMaxHandle = 0xFFFFFFFFull;

// The loaded file's text; binary DXF is refused.
std::string ReadInput(const std::string& fileName) {
  if (fileName.empty()) throw ProcedureError("Save", "No drawing has been read, so there is nothing to save.");
  winplat::File in = winplat::File::OpenForReading(fileName);
  if (!in.IsOpen()) throw InputFileError(in.Error(), fileName);
  std::string text;
  char block[65536];
  for (;;) {
    const std::int64_t n = in.Read(block, sizeof block);
    if (n < 0) throw winplat::AutomationError(57, kLibraryName, winplat::ErrorText(57) + " reading " + fileName);
    if (n == 0) break;
    text.append(block, static_cast<std::size_t>(n));
  }
  if (DxfPairReader::LooksBinary(text))
    throw ProcedureError("Save", fileName + " is a binary DXF file; only ASCII DXF files can be saved.");
  return text;
}

// A handle of 1 to 8 hexadecimal digits (blanks around allowed).
bool ParseHandle(std::string_view line, std::uint64_t& value) {
  const std::string text = winplat::TrimSpace(line);
  if (text.empty() || text.size() > 8) return false;
  value = 0;
  for (char ch : text) {
    int digit = 0;
    if (ch >= '0' && ch <= '9')
      digit = ch - '0';
    else if (ch >= 'A' && ch <= 'F')
      digit = ch - 'A' + 10;
    else if (ch >= 'a' && ch <= 'f')
      digit = ch - 'a' + 10;
    else
      return false;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return true;
}

std::string HexText(std::uint64_t value) { return winplat::Hex(static_cast<std::int32_t>(static_cast<std::uint32_t>(value))); }

std::string NameKey(std::string_view name) { return winplat::UCase(winplat::TrimSpace(DxfLineValue(name))); }

// The input as pairs of a code line and a value line.
class PairCursor {
 public:
  explicit PairCursor(const std::vector<std::string_view>& lines) : lines_(lines) {}
  bool More() const { return at_ + 1 < lines_.size(); }
  // The next pair; code -1 when its code line is not a number.
  void Next(std::string_view& codeLine, std::int32_t& code, std::string_view& value) {
    codeLine = lines_[at_];
    value = lines_[at_ + 1];
    at_ += 2;
    if (!ParseGroupCode(codeLine, code)) code = -1;
  }
  // The value of the next pair when its code is `code`.
  bool PeekValue(std::int32_t code, std::string_view& value) const {
    std::int32_t next = 0;
    if (!More() || !ParseGroupCode(lines_[at_], next) || next != code) return false;
    value = lines_[at_ + 1];
    return true;
  }
  // A last line without a partner.
  bool LoneLine(std::string_view& line) const {
    if (at_ >= lines_.size()) return false;
    line = lines_[at_];
    return true;
  }

 private:
  const std::vector<std::string_view>& lines_;
  std::size_t at_ = 0;
};

// What the file says before the copy is written: its handle seed and version,
// and the highest handle it holds.
struct FileFacts {
  std::string_view version;
  std::uint64_t highestHandle = 0;
  bool anyHandle = false;
};

FileFacts Survey(const std::vector<std::string_view>& lines) {
  FileFacts f;
  PairCursor pairs(lines);
  std::string_view awaiting;  // the header variable whose value comes next
  while (pairs.More()) {
    std::string_view codeLine, value;
    std::int32_t code = 0;
    pairs.Next(codeLine, code, value);
    if (code == 9) {
      awaiting = value;
      continue;
    }
    if (awaiting == "$ACADVER" && !f.version.data()) f.version = value;
    const bool headerValue = !awaiting.empty();  // the seed itself is no handle
    awaiting = {};
    if (headerValue) continue;
    std::uint64_t handle = 0;
    if ((code == 5 || code == 105) && ParseHandle(value, handle)) {
      f.anyHandle = true;
      f.highestHandle = std::max(f.highestHandle, handle);
    }
  }
  return f;
}

// AC1012 (R13) and later files carry subclass markers.
bool HasSubclassMarkers(std::string_view line) {
  const std::string version = winplat::TrimSpace(line);
  if (version.size() < 3 || (version.substr(0, 2) != "AC")) return false;
  std::int64_t number = 0;
  for (char ch : version.substr(2)) {
    if (ch < '0' || ch > '9') return false;
    number = number * 10 + (ch - '0');
    if (number > 1000000) break;
  }
  return number >= 1012;
}

class RedlineWriter {
 public:
  RedlineWriter(DXF& dxf, DxfOutput& out, bool markers) : dxf_(dxf), out_(out), markers_(markers) {}

  // Handles from here on: the first one given is `next` + 1.
  void StartHandles(std::uint64_t next) {
    handles_ = true;
    handle_ = next;
  }

  // The layers made in the control that the file's table does not name yet
  // (names compared trimmed, in any case); empty names are left out.
  std::vector<winplat::ComPtr<DXFLayer>> NewLayers(const std::set<std::string>& inTable) const {
    std::vector<winplat::ComPtr<DXFLayer>> found;
    std::set<std::string> names = inTable;
    DXFLayers& layers = dxf_.db.Layers();
    for (std::int32_t i = 1; i <= layers.Count(); ++i) {
      auto layer = layers.Item(winplat::Variant(i));
      if (!layer->NewLayer) continue;
      const std::string key = NameKey(layer->LayerName);
      if (!key.empty() && names.insert(key).second) found.push_back(layer);
    }
    return found;
  }

  void Layers(const std::vector<winplat::ComPtr<DXFLayer>>& layers, std::string_view tableHandle) {
    for (const auto& layer : layers) {
      out_.Group(0, "LAYER");
      Handle();
      if (markers_) {
        if (!tableHandle.empty()) out_.Group(330, tableHandle);
        out_.Group(100, "AcDbSymbolTableRecord");
        out_.Group(100, "AcDbLayerTableRecord");
      }
      out_.Group(2, layer->LayerName);
      out_.Group(999, kRedlineComment);
      out_.Group(70, "64");
      const std::int32_t aci = RgbToAci(layer->LayerColor);
      out_.Group(62, std::to_string(layer->LayerOn ? aci : -aci));
      out_.Group(6, "CONTINUOUS");
    }
  }

  // A layer table of their own for a file that has none.
  void LayerTable(const std::vector<winplat::ComPtr<DXFLayer>>& layers) {
    out_.Group(0, "TABLE");
    out_.Group(2, "LAYER");
    out_.Group(70, std::to_string(layers.size()));
    Layers(layers, {});
    out_.Group(0, "ENDTAB");
  }

  bool AnyEntity() const {
    const EntityDB& db = dxf_.db;
    for (std::int32_t i = 1; i <= db.EntityCount; ++i)
      if (Writable(db.EntityIndex(i))) return true;
    return false;
  }

  void Entities() {
    const EntityDB& db = dxf_.db;
    for (std::int32_t i = 1; i <= db.EntityCount; ++i) {
      const EntityRef ref = db.EntityIndex(i);
      if (!Writable(ref)) continue;
      switch (ref.EntityType) {
        case etLine: {
          const LineRecord& r = db.LineTable(ref.Row);
          Head("LINE", "AcDbLine", r.Layer);
          out_.Point(10, r.X2, r.Y2, "LINE");
          out_.Point(11, r.X1, r.Y1, "LINE");
          break;
        }
        case etText: {
          const TextRecord& r = db.TextTable(ref.Row);
          const std::int32_t align = r.HorzAlign >= 0 && r.HorzAlign <= 5 ? r.HorzAlign : 0;
          Head("TEXT", "AcDbText", r.Layer);
          out_.Point(10, r.X, r.Y, "TEXT");
          out_.Group(40, r.Height, "the height of a TEXT");
          out_.Group(1, DxfTextValue(r.Text.Padded(), r.Underline != 0));
          out_.Group(50, r.Rotation, "the rotation of a TEXT");
          out_.Group(72, std::to_string(align));
          if (align != 0) out_.Point(11, r.X, r.Y, "TEXT");
          if (markers_) out_.Group(100, "AcDbText");
          break;
        }
        case etCircle: {
          const CircleRecord& r = db.CircleTable(ref.Row);
          Head("CIRCLE", "AcDbCircle", r.Layer);
          out_.Point(10, r.X, r.Y, "CIRCLE");
          out_.Group(40, r.Radius, "the radius of a CIRCLE");
          break;
        }
        case etSolid: {
          const SolidRecord& r = db.SolidTable(ref.Row);
          Head("SOLID", "AcDbTrace", r.Layer);
          out_.Point(10, r.X1, r.Y1, "SOLID");
          out_.Point(11, r.X2, r.Y2, "SOLID");
          out_.Point(12, r.X4, r.Y4, "SOLID");
          out_.Point(13, r.X3, r.Y3, "SOLID");
          break;
        }
        default:
          break;
      }
    }
  }

 private:
  // Redline lines, texts, circles and solids not tagged deleted.
  bool Writable(const EntityRef& ref) const {
    const EntityDB& db = dxf_.db;
    auto live = [](const auto& row) { return row.Redline != 0 && row.Deleted == 0; };
    switch (ref.EntityType) {
      case etLine: return ref.Row >= 1 && ref.Row <= db.LineCount && live(db.LineTable(ref.Row));
      case etText: return ref.Row >= 1 && ref.Row <= db.TextCount && live(db.TextTable(ref.Row));
      case etCircle: return ref.Row >= 1 && ref.Row <= db.CircleCount && live(db.CircleTable(ref.Row));
      case etSolid: return ref.Row >= 1 && ref.Row <= db.SolidCount && live(db.SolidTable(ref.Row));
      default: return false;
    }
  }

  void Handle() {
    if (!handles_) return;
    ++handle_;
    out_.Group(5, HexText(handle_));
  }

  void Head(std::string_view kind, std::string_view subclass, std::int32_t layer) {
    out_.Group(0, kind);
    Handle();
    if (markers_) out_.Group(100, "AcDbEntity");
    out_.Group(8, LayerName(layer));
    if (markers_) out_.Group(100, subclass);
  }

  // The row's layer as stored; "0" for an unknown layer or an empty name.
  std::string LayerName(std::int32_t layer) {
    DXFLayers& layers = dxf_.db.Layers();
    if (layer < 1 || layer > layers.Count()) return "0";
    std::string name = layers.Item(winplat::Variant(layer))->LayerName;
    return winplat::TrimSpace(DxfLineValue(name)).empty() ? std::string("0") : name;
  }

  DXF& dxf_;
  DxfOutput& out_;
  bool markers_;
  bool handles_ = false;
  std::uint64_t handle_ = 0;
};

// Layers made in the control plus every redline row, deleted ones included.
std::uint64_t AddedRecords(DXF& dxf) {
  EntityDB& db = dxf.db;
  std::uint64_t n = 0;
  DXFLayers& layers = db.Layers();
  for (std::int32_t i = 1; i <= layers.Count(); ++i)
    if (layers.Item(winplat::Variant(i))->NewLayer) ++n;
  for (std::int32_t i = 1; i <= db.LineCount; ++i) n += db.LineTable(i).Redline ? 1 : 0;
  for (std::int32_t i = 1; i <= db.TextCount; ++i) n += db.TextTable(i).Redline ? 1 : 0;
  for (std::int32_t i = 1; i <= db.CircleCount; ++i) n += db.CircleTable(i).Redline ? 1 : 0;
  for (std::int32_t i = 1; i <= db.SolidCount; ++i) n += db.SolidTable(i).Redline ? 1 : 0;
  return n;
}

void WriteCopy(DXF& dxf, const std::string& inName, const std::vector<std::string_view>& lines, DxfOutput& out) {
  const FileFacts facts = Survey(lines);
  RedlineWriter redlines(dxf, out, HasSubclassMarkers(facts.version));
  const bool haveEntities = redlines.AnyEntity();
  bool entitiesWritten = false, inEntities = false, afterSection = false, afterTable = false;
  // The new layers, for a file without a layer table of its own.
  const std::vector<winplat::ComPtr<DXFLayer>> allNewLayers = redlines.NewLayers({});
  bool inTables = false, layersDone = allNewLayers.empty();

  // The redline entities in a section of their own, for a file without ENTITIES.
  auto writeEntitySection = [&] {
    out.Group(0, "SECTION");
    out.Group(2, "ENTITIES");
    redlines.Entities();
    out.Group(0, "ENDSEC");
    entitiesWritten = true;
  };
  // The new layers in a TABLES section of their own, for a file without a layer table.
  auto writeTablesSection = [&] {
    out.Group(0, "SECTION");
    out.Group(2, "TABLES");
    redlines.LayerTable(allNewLayers);
    out.Group(0, "ENDSEC");
    layersDone = true;
  };

  PairCursor pairs(lines);
  while (pairs.More()) {
    std::string_view codeLine, value;
    std::int32_t code = 0;
    pairs.Next(codeLine, code, value);
    const bool wasAfterSection = afterSection, wasAfterTable = afterTable;
    afterSection = afterTable = false;

    if (code == 0 && value == "SECTION" && !layersDone && !inTables) {
      std::string_view name;
      if (pairs.PeekValue(2, name) && (name == "BLOCKS" || name == "ENTITIES" || name == "OBJECTS"))
        writeTablesSection();
    }
    if (code == 0 && value == "EOF") {
      if (!layersDone) writeTablesSection();
      if (!entitiesWritten && !inEntities && haveEntities) writeEntitySection();
    }
    if (code == 0 && value == "ENDSEC" && inTables) {
      if (!layersDone) redlines.LayerTable(allNewLayers);
      inTables = false;
      layersDone = true;
    }
    if (code == 0 && value == "ENDSEC" && inEntities) {
      redlines.Entities();
      inEntities = false;
      entitiesWritten = true;
    }
    out.Line(codeLine);

    if (code == 9 && value == "$HANDSEED") {
      out.Line(value);
      if (!pairs.More())
        throw ProcedureError("Save", inName + " ends after $HANDSEED, before the handle seed.");
      pairs.Next(codeLine, code, value);
      out.Line(codeLine);
      std::uint64_t seed = 0;
      if (!ParseHandle(value, seed))
        throw ProcedureError("Save", "The handle seed '" + std::string(value) + "' of " + inName +
                                         " is not a hexadecimal number of 1 to 8 digits.");
      // A damaged seed (a handle of the file at or above it): start above the highest.
      if (facts.anyHandle && facts.highestHandle >= seed) seed = facts.highestHandle + 1;
      const std::uint64_t newSeed = seed + 10 + AddedRecords(dxf) + 1;
      if (newSeed > kMaxHandle)
        throw ProcedureError("Save", "The handles of the saved drawing would pass FFFFFFFF (handle seed " +
                                         winplat::TrimSpace(value) + " of " + inName + ").");
      out.Line(HexText(newSeed));
      redlines.StartHandles(seed + 10);
      continue;
    }
    out.Line(value);
    if (code == 0 && value == "SECTION") afterSection = true;
    if (code == 0 && value == "TABLE") afterTable = true;
    if (code == 2 && wasAfterSection && value == "TABLES") inTables = true;
    if (code == 2 && wasAfterSection && value == "ENTITIES" && !entitiesWritten) inEntities = true;
    if (code == 2 && wasAfterTable && value == "LAYER" && !layersDone) {
      // The layer table, pair by pair, up to its ENDTAB; the new layers go in front of it.
      std::set<std::string> names;
      std::string tableHandle;
      bool inRecord = false;
      for (;;) {
        if (!pairs.More())
          throw ProcedureError("Save", "The layer table of " + inName + " ends before its ENDTAB.");
        pairs.Next(codeLine, code, value);
        if (code == 0 && value == "ENDTAB") break;
        out.Line(codeLine);
        out.Line(value);
        if (code == 0) inRecord = value == "LAYER";
        if (code == 5 && !inRecord && tableHandle.empty()) tableHandle = winplat::TrimSpace(value);
        if (code == 2 && inRecord) names.insert(NameKey(value));
      }
      redlines.Layers(redlines.NewLayers(names), tableHandle);
      out.Line(codeLine);
      out.Line(value);
      layersDone = true;
    }
  }
  std::string_view lone;
  if (pairs.LoneLine(lone)) out.Line(lone);
  if (inEntities) {
    redlines.Entities();  // the file ends inside its ENTITIES section
  } else {
    if (!layersDone && !inTables) writeTablesSection();
    if (!entitiesWritten && haveEntities) writeEntitySection();
  }
}

}  // namespace

std::int16_t DXF::Save(const std::string& NewFileName) {
  return WithErrorTrail("Save", [&]() -> std::int16_t {
    RefuseWhileReading(*this, "Save");
    winplat::SetMousePointer(winplat::vbHourglass);
    // The data base still holds the redlines: saving over the source would merge them twice.
    if (!LoadedFileName.empty() && winplat::SameFile(LoadedFileName, NewFileName))
      throw ProcedureError("Save", "The drawing cannot be saved over the file it was read from.");
    const std::string text = ReadInput(LoadedFileName);
    const std::vector<std::string_view> lines = winplat::SplitLines(text);
    DxfOutput out;
    if (!out.Open(NewFileName)) throw OutputFileError(out.Error(), NewFileName);
    WriteCopy(*this, LoadedFileName, lines, out);
    out.Commit();
    winplat::SetMousePointer(winplat::vbDefault);
    return winplat::VARIANT_TRUE;
  }, DrawingCleanup());
}

}  // namespace kelvane
