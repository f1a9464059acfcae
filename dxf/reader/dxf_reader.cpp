// LoadDXF: the pair scanner, its keyword dispatch, the header extents, the end
// of a read and its error trail.
#include "dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "../control/cls_drawing.h"
#include "block_spool.h"
#include "entity_loaders.h"
#include "winplat/gdi.h"
#include "winplat/messages.h"
#include "winplat/numeric.h"
#include "winplat/paths.h"
#include "winplat/text.h"

namespace kelvane {

using winplat::AutomationError;
using winplat::Variant;

namespace {

enum class Keyword {
  None, Section, EndSec, Table, Eof, AttDef, Layer, Block, EndBlk, Line, Circle, Arc, Ellipse, Point,
  Polyline, Text, MText, Solid, Face3D, Insert, Dimension, Attrib,
};

// The name of a group 0, compared exactly (case and blanks count).
Keyword NameKeyword(std::string_view v) {
  switch (v.size()) {
    case 3:
      if (v == "ARC") return Keyword::Arc;
      if (v == "EOF") return Keyword::Eof;
      break;
    case 4:
      if (v == "LINE") return Keyword::Line;
      if (v == "TEXT") return Keyword::Text;
      break;
    case 5:
      if (v == "POINT") return Keyword::Point;
      if (v == "SOLID") return Keyword::Solid;
      if (v == "MTEXT") return Keyword::MText;
      if (v == "LAYER") return Keyword::Layer;
      if (v == "BLOCK") return Keyword::Block;
      if (v == "TABLE") return Keyword::Table;
      break;
    case 6:
      if (v == "ENDSEC") return Keyword::EndSec;
      if (v == "CIRCLE") return Keyword::Circle;
      if (v == "3DFACE") return Keyword::Face3D;
      if (v == "INSERT") return Keyword::Insert;
      if (v == "ATTRIB") return Keyword::Attrib;
      if (v == "ATTDEF") return Keyword::AttDef;
      if (v == "ENDBLK") return Keyword::EndBlk;
      break;
    case 7:
      if (v == "ELLIPSE") return Keyword::Ellipse;
      if (v == "SECTION") return Keyword::Section;
      break;
    case 8:
      if (v == "POLYLINE") return Keyword::Polyline;
      break;
    case 9:
      if (v == "DIMENSION") return Keyword::Dimension;
      break;
    default:
      break;
  }
  return Keyword::None;
}

// What a failed read puts back: every count, the extents, the layers.
struct Snapshot {
  std::int32_t LineCount, PolylineCount, TextCount, CircleCount, EllipseCount, PointRowCount, SolidCount,
      AttribCount, VertexCount, EntityCount, BlockCount, DeferredInsertCount, InsertCount;
  ExtentsRect DrawingExtents;
  std::int32_t LayerCount;
  std::int16_t DXFComplete;
  float RedlineTextHeight;
};

Snapshot Take(DXF& dxf) {
  const EntityDB& db = dxf.db;
  return Snapshot{db.LineCount,   db.PolylineCount, db.TextCount,       db.CircleCount,         db.EllipseCount,
                  db.PointRowCount, db.SolidCount,  db.AttribCount,     db.VertexCount,         db.EntityCount,
                  db.BlockCount,  db.DeferredInsertCount, db.InsertCount, db.DrawingExtents,
                  dxf.db.Layers().Count(), dxf.DXFComplete, dxf.RedlineTextHeight};
}

void Restore(DXF& dxf, const Snapshot& s) {
  EntityDB& db = dxf.db;
  db.LineCount = s.LineCount;
  db.PolylineCount = s.PolylineCount;
  db.TextCount = s.TextCount;
  db.CircleCount = s.CircleCount;
  db.EllipseCount = s.EllipseCount;
  db.PointRowCount = s.PointRowCount;
  db.SolidCount = s.SolidCount;
  db.AttribCount = s.AttribCount;
  db.VertexCount = s.VertexCount;
  db.EntityCount = s.EntityCount;
  db.InsertCount = s.InsertCount;
  db.DrawingExtents = s.DrawingExtents;
  db.InBlock = false;
  DXFLayers& layers = db.Layers();
  while (layers.Count() > s.LayerCount) layers.Remove(Variant(layers.Count()));
  dxf.DXFComplete = s.DXFComplete;
  dxf.RedlineTextHeight = s.RedlineTextHeight;
}

void SetRedlineTextHeight(DXF& dxf, float value) {
  // Through the property, so the container hears of the change.
  winplat::Invoke(&dxf, dispid::RedlineTextHeight, winplat::DISPATCH_PROPERTYPUT, {Variant(value)});
}

void DrawProgress(ReaderState& r, PictureBox* status) {
  const std::size_t length = r.DXFFileNum.Length();
  double fraction = length == 0 ? 1.0 : static_cast<double>(r.DXFFileNum.Position()) / static_cast<double>(length);
  if (fraction > 1.0) fraction = 1.0;
  if (fraction < r.ProgressThreshold) return;
  // Raised once per line, whatever the jump; counted in steps so that twenty
  // steps of 0.05 make exactly 1.
  ++r.ProgressSteps;
  r.ProgressThreshold = r.ProgressStep * static_cast<double>(r.ProgressSteps + 1);
  if (!status) return;
  ++r.ProgressDraws;
  PaintProgress(*status, fraction);
}

// The count of the values of numeric groups that were not wholly numbers and
// the first of them with its line: "2 value(s) are not numbers; line 12: group
// 10 value 'abc' is not a number, read as 0"; "" when every value read was
// one. Called while the file's text is held.
std::string NumberNote(const ReaderState& r) {
  const std::optional<NumberFault>& fault = r.GroupValueTable.FirstNumberFault();
  if (!fault) return {};
  std::string value = winplat::TrimSpace(fault->value);
  constexpr std::size_t kShown = 40;
  if (value.size() > kShown) value = value.substr(0, kShown - 3) + "...";
  const std::uint64_t line = r.DXFFileNum.LineOf(fault->at);
  return std::to_string(r.GroupValueTable.NumberFaultCount()) + " value(s) are not numbers; " +
         (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) + "group " + std::to_string(fault->code) +
         " value '" + value + "' is not a number, read as " + fault->readAs;
}

// Closes the files of a read and deletes its temporary block files.
void EndFiles(DXF& dxf) {
  dxf.reader.DXFFileNum.Close();
  EndBlockFiles(dxf);
}

// The progress box shown or hidden (and cleared): the control's own status
// bar through its Visible, any other box by its flag.
void ShowStatus(DXF& dxf, PictureBox* status, bool visible) {
  if (!status) return;
  if (status == &dxf.picStatusBar) {
    dxf.SetStatusBarVisible(visible);
    if (!visible) dxf.ClearStatusBar();
  } else {
    status->Visible = visible;
    if (!visible) ++status->ClearCount;
  }
}

bool Scan(DXF& dxf, PictureBox* status) {
  ReaderState& r = dxf.reader;
  DxfPairReader& file = r.DXFFileNum;
  bool cont = true;
  bool afterSection = false;  // the next group 2 names a section
  bool afterTable = false;    // the next group 2 names a table
  while (cont && !file.AtEnd()) {
    MaybeYield(dxf);
    std::int32_t code = 0;
    std::string_view value;
    if (!file.ReadPair(code, value)) break;  // a last code line without a value
    DrawProgress(r, status);
    if (code == 0) {
      r.CurrentLine.assign(value);
      afterSection = afterTable = false;
      switch (NameKeyword(value)) {
        case Keyword::Eof:
          return cont;  // anything after it is not part of the drawing
        case Keyword::Section:
          afterSection = true;
          break;
        case Keyword::EndSec:
          // A block definition never runs past its section: one left open by a
          // missing ENDBLK must not swallow the entities that follow.
          EndBlock(dxf);
          break;
        case Keyword::Table:
          afterTable = true;
          break;
        case Keyword::AttDef:
          cont = ReadAttDef(dxf);
          break;
        case Keyword::Layer:
          cont = DXFNewLayer(dxf);
          break;
        case Keyword::Block:
          // A block definition's entities go to its block file, never into the
          // drawing itself.
          cont = DXFBlock(dxf);
          break;
        case Keyword::EndBlk:
          EndBlock(dxf);
          break;
        case Keyword::Line:
          cont = DXFLine(dxf);
          break;
        case Keyword::Point:
          cont = DXFPoint(dxf);
          break;
        case Keyword::Solid:
          cont = DXFSolid(dxf);
          break;
        case Keyword::Face3D:
          cont = DXF3DFace(dxf);
          break;
        case Keyword::Circle:
        case Keyword::Arc:
          cont = ReadCircle(dxf);
          break;
        case Keyword::Ellipse:
          cont = DXFEllipse(dxf);
          break;
        case Keyword::Polyline:
          cont = DXFPoly(dxf);
          break;
        case Keyword::Text:
        case Keyword::MText:
          cont = DXFText(dxf, value);
          break;
        case Keyword::Attrib:
          cont = ReadAttrib(dxf);
          break;
        case Keyword::Insert:
          cont = DXFInsert(dxf, 0);
          break;
        case Keyword::Dimension:
          cont = DXFDimension(dxf);
          break;
        default:
          break;  // entities without a loader are passed over pair by pair
      }
    } else if (code == 2 && (afterSection || afterTable)) {
      // Section and table names need no action of their own, but for the
      // entities: the inserts deferred inside block definitions go first.
      r.CurrentLine.assign(value);
      if (afterSection && value == "ENTITIES") cont = ReplayDeferredInserts(dxf);
      afterSection = afterTable = false;
    } else if (code == 9) {
      r.CurrentLine.assign(value);
      if (value == "$EXTMIN")
        cont = DXFMinExtents(dxf);
      else if (value == "$EXTMAX")
        cont = DXFMaxExtents(dxf);
    }
  }
  return cont;
}

}  // namespace

void MaybeYield(DXF& dxf) {
  ReaderState& r = dxf.reader;
  const std::uint64_t lines = r.DXFFileNum.LinesRead();
  if (lines - r.LinesAtLastYield < 5) return;
  r.LinesAtLastYield = lines;
  ++r.YieldCount;
  if (r.Yield)
    r.Yield();
  else
    winplat::DispatchPending();  // what is pending and due; time is not moved on
}

bool ReadIsRunning(const DXF& dxf) { return dxf.reader.Reading; }

std::string ReadRunningMessage(std::string_view member) {
  return "A DXF file is being read; " + std::string(member) + " cannot run until the read has ended.";
}

void RefuseWhileReading(const DXF& dxf, std::string_view member) {
  if (ReadIsRunning(dxf)) throw ProcedureError(member, ReadRunningMessage(member));
}

bool LoadEntity(DXF& dxf) {
  ReaderState& r = dxf.reader;
  r.GroupValueTable.Clear();
  // From a group 101 on, the groups belong to an object embedded in this one
  // (an MTEXT's columns, for one) and reuse its codes: they are read past.
  bool embedded = false;
  for (;;) {
    std::int32_t code = 0;
    std::string_view value;
    if (!r.DXFFileNum.ReadPair(code, value))
      throw AutomationError(kControlError, kLibraryName, "Input past end of file. Error in LoadEntity.");
    if (code == 0 || code == 9) {
      r.DXFFileNum.UnreadPair(code, value);  // the next object's name, for the scanner
      return true;
    }
    if (code == 101) embedded = true;
    if (!embedded) r.GroupValueTable.Add(code, value);  // codes outside 0..1000 are dropped
  }
}

namespace {

// Finds a line that trims to "SECTION" in text fed a piece at a time; lines
// end in LF, CR LF or CR. `line` holds the line being read.
class SectionLineScanner {
 public:
  explicit SectionLineScanner(std::string& line) : line_(line) { line_.clear(); }
  bool Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      char ch = data[i];
      if (ch == '\n' || ch == '\r') {
        if (ch == '\n' && lastWasCR_) {
          lastWasCR_ = false;
          continue;
        }
        lastWasCR_ = ch == '\r';
        if (TrimsToSection()) return true;
        line_.clear();
        continue;
      }
      lastWasCR_ = false;
      if (line_.size() < 256) line_ += ch;  // longer lines cannot be "SECTION"
    }
    return false;
  }
  bool TrimsToSection() const {
    std::size_t b = line_.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    std::size_t e = line_.find_last_not_of(' ');
    return line_.compare(b, e - b + 1, "SECTION") == 0;
  }

 private:
  std::string& line_;
  bool lastWasCR_ = false;
};

}  // namespace

bool MakeSureFileIsDXF(DXF& dxf, const std::string& FileName) {
  return WithErrorTrail("MakeSureFileIsDXF", [&] {
    std::ifstream in(winplat::HostPath(FileName), std::ios::binary);
    if (!in) throw winplat::RuntimeError(53);
    SectionLineScanner scanner(dxf.reader.CurrentLine);
    // A chunk at a time keeps memory small.
    std::string chunk(65536, '\0');
    while (in) {
      in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      if (scanner.Feed(chunk.data(), static_cast<std::size_t>(in.gcount()))) return true;
    }
    return scanner.TrimsToSection();
  });
}

bool TextIsDXF(DXF& dxf, std::string_view text) {
  SectionLineScanner scanner(dxf.reader.CurrentLine);
  return scanner.Feed(text.data(), text.size()) || scanner.TrimsToSection();
}

bool DXFMinExtents(DXF& dxf) {
  return WithErrorTrail("DXFMinExtents", [&] {
    if (dxf.CalcExtents) return true;
    ReaderState& r = dxf.reader;
    LoadEntity(dxf);
    dxf.db.DrawingExtents.Left = r.GroupValueTable.Single(10);
    dxf.db.DrawingExtents.Bottom = r.GroupValueTable.Single(20);
    r.ExtMinRead = true;
    if (r.ExtMaxRead) r.HeaderExtents = true;
    return true;
  }, dxf.DrawingCleanup());
}

bool DXFMaxExtents(DXF& dxf) {
  return WithErrorTrail("DXFMaxExtents", [&] {
    if (dxf.CalcExtents) return true;
    ReaderState& r = dxf.reader;
    LoadEntity(dxf);
    dxf.db.DrawingExtents.Right = r.GroupValueTable.Single(10);
    dxf.db.DrawingExtents.Top = r.GroupValueTable.Single(20);
    r.ExtMaxRead = true;
    if (r.ExtMinRead) r.HeaderExtents = true;
    return true;
  }, dxf.DrawingCleanup());
}

namespace {

// Reads FileName's bytes, or `text` in their place when given.
bool LoadDrawing(DXF& dxf, const std::string& FileName, const std::string* text, PictureBox* status) {
  RefuseWhileReading(dxf, "LoadDXF");
  ReaderState& r = dxf.reader;
  const Snapshot before = Take(dxf);

  // A fresh reader state for every read; the block file counter goes on.
  r.Reading = true;
  r.CurrentLine.clear();
  r.GroupValueTable.Clear();
  r.GroupValueTable.ForgetNumberFault();
  r.ExtMinRead = r.ExtMaxRead = r.HeaderExtents = false;
  r.LinesAtLastYield = 0;
  r.EntityCountAtStart = dxf.db.EntityCount;
  r.YieldCount = 0;
  r.ProgressThreshold = 0.05;
  r.ProgressStep = 0.05;
  r.ProgressSteps = 0;
  r.ProgressDraws = 0;
  EndBlockFiles(dxf);
  // Block files that reads which died left behind go before this read makes its own.
  RemoveBlockLeftovers(dxf.TmpFileNamePath);
  r.LastLayer = {};
  dxf.db.InBlock = false;
  dxf.db.BlockCount = 0;
  dxf.db.DeferredInsertCount = 0;

  try {
    auto drawing = winplat::MakeObject<clsDrawing>();
    drawing->Filename = FileName;
    drawing->FileID = winplat::AddLng(winplat::GetProperty(dxf.colDrawings.Get(), "Count").ToLong(), 1);
    drawing->StartEntity = winplat::AddLng(dxf.db.EntityCount, 1);
    drawing->xMov = drawing->yMov = 0;
    drawing->xScale = drawing->aggxScale = drawing->yScale = drawing->aggyScale = 1;
    drawing->Rotation = 0;
    drawing->Visible = winplat::VARIANT_TRUE;

    dxf.DXFComplete = 0;
    SetRedlineTextHeight(dxf, 0);

    if (text) {
      r.DXFFileNum.OpenText(*text);
    } else if (!r.DXFFileNum.Open(winplat::HostPath(FileName))) {
      throw AutomationError(53, kLibraryName, winplat::ErrorText(53) + ": " + FileName);
    }
    r.DXFFileLength = static_cast<std::int64_t>(r.DXFFileNum.Length());
    if (DxfPairReader::LooksBinary(r.DXFFileNum.Text()))
      throw ProcedureError("LoadDXF", FileName + " is a binary DXF file; only ASCII DXF files can be read.");
    if (!TextIsDXF(dxf, r.DXFFileNum.Text())) {
      throw ProcedureError("LoadDXF", FileName + " does not appear to be a DXF file.");
    }

    dxf.db.DrawingExtents = ExtentsRect{1E30f, -1E30f, -1E30f, 1E30f};
    ShowStatus(dxf, status, true);

    bool cont = Scan(dxf, status);
    // The block file still open is closed first: a record it could not take fails the read.
    r.BlockFileNum.reset();
    if (r.BlockFiles) WithErrorTrail("EndBlock", [&] { r.BlockFiles->ThrowIfNotStored(); });
    if (cont) CheckDeferredDimensions(dxf);
    drawing->ReadNote = NumberNote(r);

    EndFiles(dxf);
    const ExtentsRect& ext = dxf.db.DrawingExtents;
    drawing->Left = ext.Left;
    drawing->Bottom = ext.Bottom;
    drawing->Right = ext.Right;
    drawing->Top = ext.Top;
    drawing->EndEntity = dxf.db.EntityCount;
    winplat::CallMethod(dxf.colDrawings.Get(), "Add", {Variant(drawing)});
    for (int i = 0; i <= 3; ++i) dxf.ZoomHistory[static_cast<std::size_t>(i)] = {ext.Left, ext.Top, ext.Right, ext.Bottom};
    ShowStatus(dxf, status, false);
    dxf.DXFComplete = winplat::VARIANT_TRUE;
    r.Reading = false;
    return cont;
  } catch (...) {
    AutomationError inner = TrailError("LoadDXF");
    std::string description = "At entity type '" + r.CurrentLine + "'. \r\n" + inner.Description();
    EndFiles(dxf);
    Restore(dxf, before);
    ShowStatus(dxf, status, false);
    dxf.ResetAfterError(true);
    r.Reading = false;
    throw AutomationError(kControlError, inner.Source(), description);
  }
}

}  // namespace

bool LoadDXF(DXF& dxf, const std::string& FileName, PictureBox* /*picture*/, PictureBox* status) {
  return LoadDrawing(dxf, FileName, nullptr, status);
}

bool LoadDXFText(DXF& dxf, const std::string& FileName, const std::string& text, PictureBox* status) {
  return LoadDrawing(dxf, FileName, &text, status);
}

}  // namespace kelvane
