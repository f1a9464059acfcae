// The reader: dispatch, header extents, layers, drawing records, failures.
#include <gtest/gtest.h>

#include "../../control/cls_drawing.h"
#include "../dxfengine.h"
#include "drawing_text.h"
#include "reader_fixture.h"
#include "winplat/clock.h"
#include "winplat/dispatch.h"
#include "winplat/gdi.h"
#include "winplat/timer.h"

using namespace readertest;
using kelvane::AciToRgb;

namespace {

struct Counts {
  std::int32_t lines, points, solids, entities, layers;
  bool operator==(const Counts&) const = default;
};

Counts CountsOf(kelvane::DXF& d) {
  return Counts{d.db.LineCount, d.db.PointRowCount, d.db.SolidCount, d.db.EntityCount, d.db.Layers().Count()};
}

std::string Lines(std::initializer_list<std::string> lines, const std::string& end = "\n") {
  std::string out;
  for (const auto& l : lines) out += l + end;
  return out;
}

}  // namespace

TEST_F(ReaderTest, ReadsAnR12DrawingWithLayersLinesAndHeaderExtents) {
  ASSERT_TRUE(Load(PutFile(OwnData() / "r12_drawing.dxf")));
  auto& d = db();
  // Layers of the table, then the undeclared one the entities named.
  ASSERT_EQ(d.Layers().Count(), 5);
  EXPECT_EQ(LayerName(1), "0");
  EXPECT_EQ(LayerName(2), "WALLS");
  EXPECT_EQ(d.Layers().Item(winplat::Variant(2))->LayerColor, AciToRgb(1));
  EXPECT_EQ(d.Layers().Item(winplat::Variant(2))->LayerOn, -1);
  EXPECT_EQ(d.Layers().Item(winplat::Variant(3))->LayerOn, 0);  // colour -3: off
  EXPECT_EQ(d.Layers().Item(winplat::Variant(3))->LayerColor, AciToRgb(3));
  EXPECT_EQ(d.Layers().Item(winplat::Variant(4))->LayerOn, 0);  // frozen
  EXPECT_EQ(LayerName(5), "Doors");
  EXPECT_EQ(d.Layers().Item(winplat::Variant(5))->LayerColor, 0);

  // Four lines, then the 3D face's four edges; the block's line is not a row.
  ASSERT_EQ(d.LineCount, 8);
  const auto& l1 = d.LineTable(1);
  EXPECT_EQ(l1.X2, 100.0f);
  EXPECT_EQ(l1.Layer, 2);
  EXPECT_EQ(l1.Color, 0);
  EXPECT_EQ(d.LineTable(2).Layer, 2);  // "walls" finds WALLS
  EXPECT_EQ(d.LineTable(2).Color, AciToRgb(3));
  EXPECT_EQ(d.LineTable(3).LineStyle, 1);
  EXPECT_EQ(d.LineTable(3).Color, 0);  // 256, by layer
  EXPECT_EQ(d.LineTable(4).Layer, 5);
  EXPECT_EQ(d.LineTable(4).Color, 0xFFFFFF);
  EXPECT_EQ(d.PointRowCount, 1);
  EXPECT_EQ(d.SolidCount, 1);
  ASSERT_EQ(d.EntityCount, 10);
  const int order[10][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {6, 1}, {5, 1}, {1, 5}, {1, 6}, {1, 7}, {1, 8}};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(d.EntityIndex(i + 1).EntityType, order[i][0]) << i;
    EXPECT_EQ(d.EntityIndex(i + 1).Row, order[i][1]) << i;
  }
  // Both header variables given: they stand.
  EXPECT_EQ(d.DrawingExtents.Left, -1.0f);
  EXPECT_EQ(d.DrawingExtents.Bottom, -2.0f);
  EXPECT_EQ(d.DrawingExtents.Right, 120.0f);
  EXPECT_EQ(d.DrawingExtents.Top, 80.0f);
  EXPECT_FALSE(d.InBlock);
  EXPECT_EQ(dxf->DXFComplete, -1);
}

TEST_F(ReaderTest, CalcExtentsIgnoresTheHeaderAndBlocksDoNotWiden) {
  dxf->CalcExtents = -1;
  ASSERT_TRUE(Load(PutFile(OwnData() / "r12_drawing.dxf")));
  const auto& e = db().DrawingExtents;
  // The block's line reaches X 500 and the point lies at 200: neither counts.
  EXPECT_EQ(e.Left, 0.0f);
  EXPECT_EQ(e.Bottom, 0.0f);
  EXPECT_EQ(e.Right, 100.0f);
  EXPECT_EQ(e.Top, 50.0f);
}

TEST_F(ReaderTest, OneHeaderExtentKeepsWideningAndNoneGivesTheStartValues) {
  std::string onlyMin = Lines({"0", "SECTION", "2", "HEADER", "9", "$EXTMIN", "10", "5.0", "20", "5.0", "0", "ENDSEC",
                               "0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "0", "10", "10", "20", "10", "11",
                               "20", "21", "30", "0", "ENDSEC", "0", "EOF"});
  ASSERT_TRUE(Load(Put("min.dxf", onlyMin)));
  EXPECT_EQ(db().DrawingExtents.Left, 5.0f);  // the header value, widened no further
  EXPECT_EQ(db().DrawingExtents.Bottom, 5.0f);
  EXPECT_EQ(db().DrawingExtents.Right, 20.0f);
  EXPECT_EQ(db().DrawingExtents.Top, 30.0f);

  db().InitDB(true);
  ASSERT_TRUE(Load(Put("empty.dxf", Lines({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "EOF"}))));
  EXPECT_EQ(db().DrawingExtents.Left, 1E30f);
  EXPECT_EQ(db().DrawingExtents.Top, -1E30f);
  EXPECT_EQ(db().DrawingExtents.Right, -1E30f);
  EXPECT_EQ(db().DrawingExtents.Bottom, 1E30f);
}

TEST_F(ReaderTest, KeywordsCountOnlyAsTheValueOfTheirCode) {
  ASSERT_TRUE(Load(PutFile(OwnData() / "keyword_traps.dxf")));
  auto& d = db();
  // A layer named LINE, one named SOLID and one named EOF are layers, nothing
  // more; the MTEXT on layer 0 adds that layer.
  ASSERT_EQ(d.Layers().Count(), 4);
  EXPECT_EQ(LayerName(1), "LINE");
  EXPECT_EQ(LayerName(3), "EOF");
  // The text "BLOCK" opened no block, HATCH's "SOLID" made no solid, " LINE",
  // "line" and "LINE " are not LINE; both true lines were read, the one after the
  // entity on layer EOF too.
  EXPECT_EQ(d.SolidCount, 0);
  ASSERT_EQ(d.TextCount, 2);
  EXPECT_EQ(d.TextTable(1).Text.Trimmed(), "BLOCK");
  EXPECT_EQ(d.TextTable(2).Text.Trimmed(), "LINESECTIONENDBLK");
  EXPECT_EQ(d.InsertCount, 0);  // the INSERT of LINE names no block
  ASSERT_EQ(d.LineCount, 2);
  EXPECT_EQ(d.LineTable(1).Layer, 1);
  EXPECT_EQ(d.LineTable(2).Layer, 3);
  EXPECT_EQ(d.LineTable(2).X2, 7.0f);
  EXPECT_FALSE(d.InBlock);
  EXPECT_EQ(d.DrawingExtents.Left, 0.0f);  // the texts' anchors at the origin
  EXPECT_EQ(d.DrawingExtents.Top, 8.0f);
}

TEST_F(ReaderTest, ReadingStopsAtEofWhateverFollows) {
  ASSERT_TRUE(Load(PutFile(OwnData() / "junk_after_eof.dxf")));
  EXPECT_EQ(db().LineCount, 1);
  EXPECT_EQ(db().SolidCount, 0);
  EXPECT_EQ(db().DrawingExtents.Right, 1.0f);
}

TEST_F(ReaderTest, BrokenCodeLineIsSkippedWithItsValue) {
  ASSERT_TRUE(Load(PutFile(OwnData() / "broken_code_line.dxf")));
  ASSERT_EQ(db().LineCount, 2);
  const auto& first = db().LineTable(1);
  EXPECT_EQ(first.X1, 1.0f);  // "1O" with its value 999 skipped
  EXPECT_EQ(first.Y1, 2.0f);
  EXPECT_EQ(first.X2, 3.0f);
  EXPECT_EQ(db().LineTable(2).X1, 5.0f);
}

TEST_F(ReaderTest, EveryLineEndGivesTheSameTables) {
  std::string crlf = testsupport::ReadFile(OwnData() / "r12_drawing.dxf");
  ASSERT_NE(crlf.find("\r\n"), std::string::npos);
  std::string lf, cr;
  for (std::size_t i = 0; i < crlf.size(); ++i) {
    if (crlf[i] == '\r') continue;
    lf += crlf[i];
    cr += crlf[i] == '\n' ? '\r' : crlf[i];
  }
  auto snapshot = [&](const std::string& name, const std::string& text) {
    dxf = winplat::MakeObject<kelvane::DXF>();
    db().InitDB(true);
    EXPECT_TRUE(Load(Put(name, text)));
    std::vector<float> v;
    for (int i = 1; i <= db().LineCount; ++i) {
      const auto& l = db().LineTable(i);
      v.insert(v.end(), {l.X1, l.Y1, l.X2, l.Y2, float(l.Layer), float(l.Color), float(l.LineStyle)});
    }
    const auto& e = db().DrawingExtents;
    v.insert(v.end(), {e.Left, e.Top, e.Right, e.Bottom, float(db().EntityCount), float(db().Layers().Count())});
    return v;
  };
  auto a = snapshot("crlf.dxf", crlf);
  EXPECT_EQ(a.size(), 8u * 7 + 6);
  EXPECT_EQ(snapshot("lf.dxf", lf), a);
  EXPECT_EQ(snapshot("cr.dxf", cr), a);
}

TEST_F(ReaderTest, DrawingRecordsAndZoomHistory) {
  dxf->ZoomHistory[4] = {9, 9, 9, 9};
  ASSERT_TRUE(Load(PutFile(OwnData() / "r12_drawing.dxf")));
  db().MergeOffsetX = 1000;  // a second copy, added
  db().InitDB(false);
  ASSERT_TRUE(Load(PutFile(OwnData() / "keyword_traps.dxf")));
  ASSERT_EQ(winplat::GetProperty(dxf->colDrawings.Get(), "Count").ToLong(), 2);
  auto second = winplat::CallMethod(dxf->colDrawings.Get(), "Item", {winplat::Variant(2)}).ToObject();
  EXPECT_EQ(winplat::GetProperty(second.Get(), "filename").ToString(), "C:\\dxf\\keyword_traps.dxf");
  EXPECT_EQ(winplat::GetProperty(second.Get(), "FileID").ToLong(), 2);
  EXPECT_EQ(winplat::GetProperty(second.Get(), "StartEntity").ToLong(), 11);
  EXPECT_EQ(winplat::GetProperty(second.Get(), "EndEntity").ToLong(), 14);  // two texts, two lines
  EXPECT_EQ(winplat::GetProperty(second.Get(), "Left").ToSingle(), 1000.0f);
  EXPECT_EQ(winplat::GetProperty(second.Get(), "aggxScale").ToSingle(), 1.0f);
  EXPECT_EQ(winplat::GetProperty(second.Get(), "Visible").ToBool(), true);
  // Entries 0..3 hold the new extents; entry 4 is left alone.
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(dxf->ZoomHistory[i].Left, 1000.0f) << i;
    EXPECT_EQ(dxf->ZoomHistory[i].Top, 8.0f) << i;
  }
  EXPECT_EQ(dxf->ZoomHistory[4].Left, 9.0f);
}

// A value that is no number reads as its leading number and the read goes on;
// the drawing's record counts them and notes the first, in a block or not,
// with its line. The next read starts with no note.
TEST_F(ReaderTest, AValueThatIsNoNumberIsNotedOnTheDrawingsRecord) {
  auto note = [&](std::int32_t drawing) {
    auto record = winplat::CallMethod(dxf->colDrawings.Get(), "Item", {winplat::Variant(drawing)}).ToObject();
    return winplat::GetProperty(record.Get(), "ReadNote").ToString();
  };
  const std::string blocks = Block("A", "0", "0", LineEntity("0", "0", "0", "5", "abc"));
  ASSERT_TRUE(Load(Put("note.dxf", Drawing(blocks, LineEntity("0", "1,5", "0", "2", "2") +
                                                         Pairs({"0", "INSERT", "8", "0", "2", "A", "10", "10", "20", "0"}) +
                                                         Pairs({"0", "INSERT", "8", "0", "2", "A", "10", "20", "20", "0"})))));
  // Counted once each, however often the block is inserted.
  EXPECT_EQ(note(1), "2 value(s) are not numbers; line 28: group 21 value 'abc' is not a number, read as 0");
  ASSERT_EQ(db().LineCount, 3);
  EXPECT_EQ(db().LineTable(1).X1, 1.0f);  // the leading number
  EXPECT_EQ(db().LineTable(2).Y2, 0.0f);
  EXPECT_EQ(db().LineTable(3).Y2, 0.0f);
  db().InitDB(true);
  ASSERT_TRUE(Load(Put("clean.dxf", Drawing("", LineEntity("0", " 1 ", "", "2", "-2e0")))));
  EXPECT_EQ(note(2), "");
}

TEST_F(ReaderTest, FilesThatAreNotAsciiDxf) {
  std::string e = LoadError(Put("notes.txt", "just some text\nwithout sections\n"));
  EXPECT_NE(e.find("C:\\dxf\\notes.txt does not appear to be a DXF file."), std::string::npos) << e;
  EXPECT_NE(e.find(" ->  LoadDXF."), std::string::npos) << e;

  e = LoadError(Put("bin.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION\n", 31)));
  EXPECT_NE(e.find("binary DXF"), std::string::npos) << e;

  e = LoadError("C:\\dxf\\missing.dxf");
  EXPECT_NE(e.find("File not found"), std::string::npos) << e;
  EXPECT_EQ(winplat::GetProperty(dxf->colDrawings.Get(), "Count").ToLong(), 0);
  EXPECT_EQ(db().EntityCount, 0);
  EXPECT_FALSE(kelvane::ReadIsRunning(*dxf));
}

TEST_F(ReaderTest, MakeSureFileIsDxfStartsAfresh) {
  std::string dxfFile = Put("ok.dxf", Lines({"  0", " SECTION ", "0", "EOF"}, "\r"));
  std::string text = Put("plain.txt", "no\nsections\nhere");
  EXPECT_TRUE(kelvane::MakeSureFileIsDXF(*dxf, dxfFile));
  EXPECT_FALSE(kelvane::MakeSureFileIsDXF(*dxf, text));  // not fooled by the line left before
  EXPECT_FALSE(kelvane::MakeSureFileIsDXF(*dxf, Put("lower.dxf", "0\nsection\n")));
}

TEST_F(ReaderTest, FileEndingInsideAnObjectNamesTheEntityAndTheTrail) {
  std::string e = LoadError(Put("cut.dxf", Lines({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "0", "10"})));
  EXPECT_EQ(e,
            "At entity type 'LINE'. \r\nInput past end of file. Error in LoadEntity.\r\n ->  DXFLine.\r\n ->  LoadDXF.");
}

TEST_F(ReaderTest, NumberBeyondTheFloatRangeFailsTheReadCleanly) {
  std::string e = LoadError(Put("big.dxf", Lines({"0", "SECTION", "2", "ENTITIES", "0", "SOLID", "8", "0", "10",
                                                  "1e39", "0", "ENDSEC", "0", "EOF"})));
  EXPECT_NE(e.find("group 10"), std::string::npos) << e;
  EXPECT_NE(e.find(" ->  DXFSolid ."), std::string::npos) << e;
  EXPECT_EQ(db().SolidCount, 0);
  EXPECT_EQ(db().Layers().Count(), 0);
}

TEST_F(ReaderTest, FailedSecondFileInAddModeLeavesTheFirstDrawing) {
  ASSERT_TRUE(Load(PutFile(OwnData() / "r12_drawing.dxf")));
  Counts first = CountsOf(*dxf);
  auto extents = db().DrawingExtents;
  db().InitDB(false);
  // Lines, a new layer and a solid are read before the file breaks off.
  std::string bad = Lines({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "NEW", "10", "1", "0", "SOLID", "8",
                           "NEW2", "10", "1", "0", "LINE", "8", "0", "10"});
  EXPECT_FALSE(LoadError(Put("bad.dxf", bad)).empty());
  EXPECT_TRUE(CountsOf(*dxf) == first);
  EXPECT_EQ(db().DrawingExtents.Left, extents.Left);
  EXPECT_EQ(db().DrawingExtents.Top, extents.Top);
  EXPECT_EQ(dxf->DXFComplete, -1);
  EXPECT_EQ(winplat::GetProperty(dxf->colDrawings.Get(), "Count").ToLong(), 1);
  // The next read appends right after the first drawing.
  ASSERT_TRUE(Load(PutFile(OwnData() / "junk_after_eof.dxf")));
  EXPECT_EQ(db().LineCount, first.lines + 1);
  EXPECT_EQ(db().EntityIndex(db().EntityCount).Row, first.lines + 1);
}

TEST_F(ReaderTest, FailedReadInNewModeLeavesAnEmptyDataBase) {
  ASSERT_TRUE(Load(PutFile(OwnData() / "r12_drawing.dxf")));
  db().InitDB(true);
  EXPECT_FALSE(LoadError(Put("bad.dxf", Lines({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "X", "10"}))).empty());
  EXPECT_TRUE(CountsOf(*dxf) == (Counts{0, 0, 0, 0, 0}));
}

TEST_F(ReaderTest, YieldsEveryFiveLinesAndRefusesNestedReads) {
  std::string text = "0\nSECTION\n2\nENTITIES\n";
  for (int i = 0; i < 200; ++i) text += "0\nLINE\n8\n0\n10\n1\n20\n2\n11\n3\n21\n4\n";
  text += "0\nENDSEC\n0\nEOF\n";
  std::string path = Put("many.dxf", text);
  int yields = 0;
  std::string nested;
  dxf->reader.Yield = [&] {
    ++yields;
    EXPECT_TRUE(kelvane::ReadIsRunning(*dxf));
    if (yields == 3) nested = LoadError(path);  // a host timer starting another read
  };
  ASSERT_TRUE(Load(path));
  // 2408 lines: a yield at least every 5 lines read by the scanner between objects.
  EXPECT_GE(yields, 200);
  EXPECT_LE(yields, 2408 / 5 + 1);
  EXPECT_NE(nested.find("A DXF file is being read"), std::string::npos) << nested;
  EXPECT_EQ(db().LineCount, 200);
  EXPECT_FALSE(kelvane::ReadIsRunning(*dxf));
}

TEST_F(ReaderTest, ProgressIsDrawnAtMostTwentyTimes) {
  std::string text = "0\nSECTION\n2\nENTITIES\n";
  for (int i = 0; i < 500; ++i) text += "0\nPOINT\n8\n0\n10\n1\n20\n2\n";
  text += "0\nENDSEC\n0\nEOF\n";
  kelvane::PictureBox status;
  status.Visible = false;
  status.Width = 100;
  status.Height = 4;
  status.hDC = winplat::CreateCompatibleDC(0);
  auto bitmap = winplat::CreateCompatibleBitmap(status.hDC, 100, 4);  // black
  auto old = winplat::SelectObject(status.hDC, bitmap);
  ASSERT_TRUE(kelvane::LoadDXF(*dxf, Put("p.dxf", text), nullptr, &status));
  EXPECT_GE(dxf->reader.ProgressDraws, 19u);
  EXPECT_LE(dxf->reader.ProgressDraws, 20u);
  EXPECT_EQ(winplat::GetPixel(status.hDC, 99, 3), 0xFF0000u);  // the bar reached the end, in blue
  EXPECT_FALSE(status.Visible);
  EXPECT_EQ(status.ClearCount, 1u);
  winplat::SelectObject(status.hDC, old);
  winplat::DeleteObject(bitmap);
  winplat::DeleteDC(status.hDC);
}

namespace {
kelvane::DXF* timerControl = nullptr;
std::string timerPath;
std::string timerNested;
int timerRuns = 0;
bool timerSawRead = false;
void OnHostTimer(winplat::HWND, winplat::UINT, winplat::UINT_PTR, std::uint32_t) {
  ++timerRuns;
  timerSawRead = kelvane::ReadIsRunning(*timerControl);
  try {
    kelvane::LoadDXF(*timerControl, timerPath, nullptr, nullptr);
  } catch (const winplat::AutomationError& e) {
    timerNested = e.Description();
  }
}
}  // namespace

TEST_F(ReaderTest, HostTimersRunDuringTheReadAndCannotStartAnother) {
  winplat::ManualClock clock;
  winplat::SetClock(&clock);
  std::string text = "0\nSECTION\n2\nENTITIES\n";
  for (int i = 0; i < 20; ++i) text += "0\nLINE\n8\n0\n10\n1\n20\n2\n11\n3\n21\n4\n";
  text += "0\nENDSEC\n0\nEOF\n";
  timerControl = dxf.Get();
  timerPath = Put("timer.dxf", text);
  auto id = winplat::SetTimer(0, 0, 10, OnHostTimer);
  clock.Advance(15);  // due when the read starts
  ASSERT_TRUE(Load(timerPath));
  winplat::KillTimer(0, id);
  winplat::SetClock(nullptr);
  EXPECT_EQ(timerRuns, 1);  // the read does not move the clock on
  EXPECT_TRUE(timerSawRead);
  EXPECT_NE(timerNested.find("A DXF file is being read; LoadDXF cannot run"), std::string::npos) << timerNested;
  EXPECT_EQ(db().LineCount, 20);
}

TEST_F(ReaderTest, BlockLeftOpenEndsWithItsSection) {
  std::string text = Lines({"0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "2", "B", "10", "0", "20", "0", "0", "LINE",
                            "10", "1", "0", "ENDSEC", "0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "2", "11",
                            "3", "0", "ENDSEC", "0", "EOF"});
  ASSERT_TRUE(Load(Put("open_block.dxf", text)));
  ASSERT_EQ(db().LineCount, 1);  // only the drawing's own line
  EXPECT_EQ(db().LineTable(1).X1, 2.0f);
}

TEST_F(ReaderTest, AFolderIsNotAFile) {
  Put("x.dxf", "0\nEOF\n");
  std::string e = LoadError("C:\\dxf");
  EXPECT_NE(e.find("File not found"), std::string::npos) << e;
  EXPECT_EQ(db().EntityCount, 0);
}
