// Save: the loaded file copied line for line with the layers made in the
// control and the redline entities merged in, handles and all.
#include <gtest/gtest.h>

#include "winplat/files.h"
#include "winplat/screen.h"
#include "winplat/text.h"
#include "writer_fixture.h"

using namespace writertest;

namespace {

// The lines of `spec` (separated by '|'), each ended with `end`.
std::string Dxf(std::string_view spec, const std::string& end = "\r\n") {
  std::string text;
  for (std::string_view line : winplat::Split(spec, '|')) text.append(line).append(end);
  return text;
}

const std::string kTablesR12 =
    "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|1|0|LAYER|2|0|70|0|62|7|6|CONTINUOUS|0|ENDTAB|0|ENDSEC";
const std::string kRedline = "999|REDLINE LAYER CREATED BY Kelvane OCX FROM BRENNOX";

// A header holding `header` (none when empty), the R12 layer table and an
// ENTITIES section holding `entities`.
std::string R12(const std::string& header, const std::string& entities) {
  return (header.empty() ? "" : "0|SECTION|2|HEADER|9|" + header + "|0|ENDSEC|") + kTablesR12 +
         "|0|SECTION|2|ENTITIES|" + (entities.empty() ? "" : entities + "|") + "0|ENDSEC|0|EOF";
}

class SaveTest : public WriterTest {
 protected:
  // Writes `spec` as C:\dxf\<name> and loads it, as Regen would.
  void LoadText(const std::string& name, const std::string& spec, const std::string& end = "\r\n") {
    const std::string path = Put(name, Dxf(spec, end));
    dxf->SetFilename(path);
    ASSERT_TRUE(Load(path));
  }
  // Saves to C:\out\<name> and returns what was written.
  std::string SaveAs(const std::string& name) {
    std::filesystem::create_directories(Host("C:\\out\\"));
    EXPECT_EQ(dxf->Save("C:\\out\\" + name), -1);
    return testsupport::ReadFile(Host("C:\\out\\" + name));
  }
  static bool Holds(const std::string& out, std::string_view spec) { return out.find(Dxf(spec)) != std::string::npos; }
};

TEST_F(SaveTest, HandleSeedAndHandlesOfTheAddedRecords) {
  const std::string line = "0|LINE|5|20|8|0|10|0|20|0|11|1|21|1";
  ASSERT_NO_FATAL_FAILURE(LoadText("seed.dxf", R12("$ACADVER|1|AC1009|9|$HANDSEED|5|2F", line)));
  const std::pair<const char*, int> layers[] = {{"R1", -1}, {"R2", 0}, {"R3", -1}};  // name, on
  for (const auto& [name, on] : layers) db().Layers().Add(on, 0x0000FF, name, -1, true);
  dxf->DXFAddLine(1.5f, -2, 3, 0.25f, "R1");
  EXPECT_EQ(SaveAs("seed.dxf"),
            Dxf("0|SECTION|2|HEADER|9|$ACADVER|1|AC1009|9|$HANDSEED|5|3E|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|1|"
                "0|LAYER|2|0|70|0|62|7|6|CONTINUOUS|0|LAYER|5|3A|2|R1|" + kRedline + "|70|64|62|1|6|CONTINUOUS|"
                "0|LAYER|5|3B|2|R2|" + kRedline + "|70|64|62|-1|6|CONTINUOUS|0|LAYER|5|3C|2|R3|" + kRedline +
                "|70|64|62|1|6|CONTINUOUS|0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES|" + line +
                "|0|LINE|5|3D|8|R1|10|1.5|20|-2|30|0|11|3|21|0.25|31|0|0|ENDSEC|0|EOF"));
}

TEST_F(SaveTest, SeedCasesAndWhatCountsTowardsIt) {
  const struct Case {
    const char* name;
    const char* seed;
    const char* otherHandle;  // a handle already in the file
    int deleted;              // redline lines tagged deleted (still counted)
    const char* newSeed;
    const char* layerHandle;
    const char* lineHandle;
  } cases[] = {
      {"A000 is a positive number", "A000", "20", 0, "A00D", "A00B", "A00C"},
      {"a deleted redline counts", "100", "20", 1, "10E", "10B", "10C"},
      {"a damaged seed starts above the highest handle", "2F", "50", 0, "5E", "5C", "5D"},
      {"lower-case digits", "ff", "20", 0, "10C", "10A", "10B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    ASSERT_NO_FATAL_FAILURE(LoadText("cases.dxf", R12(std::string("$HANDSEED|5|") + c.seed,
                              std::string("0|LINE|5|") + c.otherHandle + "|8|0|10|0|20|0|11|1|21|1")));
    dxf->DXFAddLine(0, 0, 1, 1, "RED");  // a new layer and a line
    for (int i = 0; i < c.deleted; ++i) {
      dxf->DXFAddLine(0, 0, 2, 2, "RED");
      db().LineTable(db().LineCount).Deleted = -1;
    }
    const std::string out = SaveAs("cases.dxf");
    EXPECT_TRUE(Holds(out, std::string("$HANDSEED|5|") + c.newSeed)) << out;
    EXPECT_TRUE(Holds(out, std::string("LAYER|5|") + c.layerHandle + "|2|RED")) << out;
    EXPECT_TRUE(Holds(out, std::string("LINE|5|") + c.lineHandle + "|8|RED")) << out;
    EXPECT_EQ(out.find("0\r\nLINE\r\n5", out.find(Dxf(std::string("5|") + c.lineHandle + "|8|RED"))), std::string::npos)
        << "a deleted line is not written";
  }
}

TEST_F(SaveTest, NoHandlesWithoutASeedAndSubclassMarkersFromR13) {
  // Without $HANDSEED: no group 5 and no group 100.
  ASSERT_NO_FATAL_FAILURE(LoadText("plain.dxf", R12("", "")));
  dxf->DXFAddCircle(1, 1, 3, 1, "RED");
  std::string out = SaveAs("plain.dxf");
  EXPECT_TRUE(Holds(out, "0|CIRCLE|8|RED|10|1|20|1|30|0|40|2|0|ENDSEC")) << out;
  EXPECT_TRUE(Holds(out, "0|LAYER|2|RED|999"));
  EXPECT_EQ(out.find("\r\n100\r\n"), std::string::npos);

  // AC1015 with handles: markers in order, the layer record owned by its table.
  SetUp();
  ASSERT_NO_FATAL_FAILURE(LoadText("r2000.dxf",
           "0|SECTION|2|HEADER|9|$ACADVER|1|AC1015|9|$HANDSEED|5|1F|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LAYER|5|2|330|0|"
           "100|AcDbSymbolTable|70|1|0|LAYER|5|10|330|2|100|AcDbSymbolTableRecord|100|AcDbLayerTableRecord|2|0|70|0|62|7|"
           "6|CONTINUOUS|0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF"));
  dxf->DXFAddSolid(0, 0, 1, 0, 1, 1, 0, 1, "RED");
  dxf->DXFAddText(2, 3, "Note", "RED", kelvane::dxfRealWorld, winplat::Variant(1.5f), winplat::Variant(2));
  out = SaveAs("r2000.dxf");
  EXPECT_TRUE(Holds(out, "0|LAYER|5|2A|330|2|100|AcDbSymbolTableRecord|100|AcDbLayerTableRecord|2|RED|999")) << out;
  EXPECT_TRUE(Holds(out, "0|SOLID|5|2B|100|AcDbEntity|8|RED|100|AcDbTrace|10|0|20|0|30|0|11|1|21|0|31|0|12|0|22|1|32|0|"
                         "13|1|23|1|33|0")) << out;
  EXPECT_TRUE(Holds(out, "0|TEXT|5|2C|100|AcDbEntity|8|RED|100|AcDbText|10|2|20|3|30|0|40|1.5|1|Note|50|0|72|2|11|2|21|3|"
                         "31|0|100|AcDbText|0|ENDSEC")) << out;
  EXPECT_TRUE(Holds(out, "$HANDSEED|5|2D"));
}

TEST_F(SaveTest, KeywordTrapsAndLineEnds) {
  // "$HANDSEED" and "ENTITIES" as texts and "LAYER" as a layer name are copied untouched.
  const std::string spec =
      "0|SECTION|2|HEADER|9|$CLAYER|8|$HANDSEED|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|1|"
      "0|LAYER|2|LAYER|70|0|62|2|6|CONTINUOUS|0|ENDTAB|0|ENDSEC|0|SECTION|2|BLOCKS|0|BLOCK|8|0|2|ENTITIES|70|0|10|0|20|0|"
      "0|ENDBLK|8|0|0|ENDSEC|0|SECTION|2|ENTITIES|0|TEXT|8|LAYER|10|0|20|0|40|1|1|ENDSEC|"
      "0|ENDSEC|0|SECTION|2|OBJECTS|0|ENDSEC|0|EOF";
  std::string outputs[3];
  const char* ends[3] = {"\n", "\r", "\r\n"};
  for (int i = 0; i < 3; ++i) {
    SetUp();
    ASSERT_NO_FATAL_FAILURE(LoadText("traps.dxf", spec, ends[i]));
    dxf->DXFAddLine(0, 0, 1, 1, "LAYER");  // the table's own layer: nothing new
    dxf->DXFAddLine(0, 0, 2, 2, "RED");
    outputs[i] = SaveAs("traps.dxf");
  }
  EXPECT_EQ(outputs[0], outputs[1]);
  EXPECT_EQ(outputs[0], outputs[2]);
  const std::string& out = outputs[0];
  EXPECT_TRUE(Holds(out, "9|$CLAYER|8|$HANDSEED"));
  EXPECT_EQ(out.find("\r\n5\r\n"), std::string::npos);  // no seed, no handles
  EXPECT_TRUE(Holds(out, "2|ENTITIES|70|0"));
  // One new layer record, then both lines once, inside ENTITIES before its ENDSEC.
  EXPECT_TRUE(Holds(out, "CONTINUOUS|0|LAYER|2|RED"));
  EXPECT_EQ(out.find("2\r\nLAYER\r\n999"), std::string::npos);
  EXPECT_TRUE(Holds(out, "1|ENDSEC|0|LINE|8|LAYER|10|0|20|0|30|0|11|1|21|1|31|0|0|LINE|8|RED")) << out;
  EXPECT_TRUE(Holds(out, "31|0|0|ENDSEC|0|SECTION|2|OBJECTS|0|ENDSEC|0|EOF"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), std::count(spec.begin(), spec.end(), '|') + 1 + 12 + 2 * 16);
}

TEST_F(SaveTest, FilesWithoutASectionGetTheOneTheyNeed) {
  // ENTITIES before EOF when there is one, at the end when not, none when no redline entity is left;
  // a layer table of the new layers where the file has none.
  const std::string line = "0|LINE|8|RED|10|0|20|0|30|0|11|1|21|1|31|0|0|ENDSEC";
  const std::string entities = "0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF";
  const std::string table = "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|1|0|LAYER|2|RED|" + kRedline +
                            "|70|64|62|7|6|CONTINUOUS|0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES";
  const struct {
    std::string input;
    bool deleteIt;
    std::string head, tail;  // head: none when empty
  } cases[] = {
      {kTablesR12 + "|0|EOF", false, "", "0|SECTION|2|ENTITIES|" + line + "|0|EOF"},
      {kTablesR12, false, "", "ENDSEC|0|SECTION|2|ENTITIES|" + line},
      {kTablesR12 + "|0|EOF", true, "", "ENDTAB|0|ENDSEC|0|EOF"},
      {entities, false, table, line + "|0|EOF"},
      {"0|SECTION|2|TABLES|0|ENDSEC|" + entities, false, table, line + "|0|EOF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    SetUp();
    ASSERT_NO_FATAL_FAILURE(LoadText("none.dxf", c.input));
    const std::int32_t entry = dxf->DXFAddLine(0, 0, 1, 1, "RED");
    if (c.deleteIt) db().LineTable(db().EntityIndex(entry).Row).Deleted = -1;
    const std::string out = SaveAs("none.dxf"), head = c.head.empty() ? "" : Dxf(c.head), tail = Dxf(c.tail);
    EXPECT_EQ(out.substr(0, head.size()), head) << out;
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
    // Read again, the layer is a redline layer and the line is there unless deleted.
    auto back = ReadBack("C:\\out\\none.dxf");
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->db.Layers().Item(winplat::Variant(kelvane::SetLayerID(back->db.Layers(), "RED")))->RedlineLayer());
    EXPECT_EQ(back->db.LineCount, c.deleteIt ? 0 : 1);
  }
}

TEST_F(SaveTest, RefusalsLeaveTheTargetAsItWas) {
  const std::string good = Dxf(R12("", "")), out = "C:\\out\\target.dxf";
  const char* kOver = "cannot be saved over the file it was read from";
  const struct Case {
    const char* name;
    std::string input;  // empty: the loaded file is missing
    std::string target;
    const char* message;
  } cases[] = {
      {"the same file under another spelling", good, "c:\\DXF\\.\\SOURCE.DXF", kOver},
      {"the same file by a relative name", good, "..\\dxf\\source.dxf", kOver},
      {"a missing input", "", out, "File not found: C:\\dxf\\source.dxf"},
      {"a table cut short", Dxf("0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|1|0|LAYER|2|0"), out,
       "The layer table of C:\\dxf\\source.dxf ends before its ENDTAB."},
      {"a seed that is no handle", Dxf(R12("$HANDSEED|5|12345678A", "")), out,
       "is not a hexadecimal number of 1 to 8 digits"},
      {"a seed at the top", Dxf(R12("$HANDSEED|5|FFFFFFF5", "")), out, "would pass FFFFFFFF"},
      {"a binary file", "AutoCAD Binary DXF\r\n\x1a", out, "is a binary DXF file"},
      {"an output folder that is not there", good, "C:\\nowhere\\target.dxf", "Path not found: C:\\nowhere\\target.dxf"},
  };
  std::filesystem::create_directories(Host("C:\\out\\"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const std::filesystem::path source = Host("C:\\dxf\\source.dxf"), target = Host(out);
    if (!c.input.empty()) testsupport::WriteFile(source, c.input);
    else std::filesystem::remove(source);
    dxf->SetFilename("C:\\dxf\\source.dxf");
    dxf->DXFAddLine(0, 0, 1, 1, "RED");
    testsupport::WriteFile(target, "old");
    const auto filesBefore = FilesIn(target.parent_path());
    winplat::SetMousePointer(winplat::vbHourglass);
    const auto [number, description] = ErrorOf([&] { dxf->Save(c.target); });
    EXPECT_EQ(number, kelvane::kControlError);
    EXPECT_NE(description.find(c.message), std::string::npos) << description;
    EXPECT_TRUE(description.ends_with("\r\n ->  Save.")) << description;
    EXPECT_EQ(winplat::MousePointer(), winplat::vbDefault);
    EXPECT_EQ(testsupport::ReadFile(target), "old");
    EXPECT_EQ(testsupport::ReadFile(source), c.input);
    EXPECT_EQ(FilesIn(target.parent_path()), filesBefore);  // no temporary file left
  }
}

}  // namespace
