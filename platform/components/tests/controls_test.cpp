#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "winplat/components/grid_control.h"
#include "winplat/components/scanner_control.h"
#include "winplat/paths.h"

using namespace winplat;

namespace {

// A container's event sink that records every event and answers the scanner's
// variable event.
class Sink : public DispatchObject {
 public:
  Sink() : DispatchObject("Sink") {
    for (DISPID id = 1; id <= 5; ++id) {
      AddMethod(
          id, "Event" + std::to_string(id),
          [this, id](Args& a) {
            std::string entry = std::to_string(id);
            if (id == ScannerEventId::GetVariable && scanner) {
              if (a.String(0) == "L") {
                a.Set(1, Variant(250.0));
                a.Set(2, Variant(std::int16_t{-1}));
              }
              entry += " " + a.String(0);
            } else {
              for (std::size_t i = 0; i < a.Count(); ++i) entry += " " + a[i].ToString();
            }
            log.push_back(entry);
            return Variant();
          },
          3);
    }
  }
  bool scanner = false;
  std::vector<std::string> log;
};

}  // namespace

TEST(GridControl, MembersByDispatchIdentifierAndEvents) {
  auto grid = MakeObject<SpreadGridControl>();
  auto sink = MakeObject<Sink>();
  std::uint32_t cookie = 0;
  ASSERT_EQ(grid->Advise(sink.Get(), &cookie), S_OK);
  IDispatch* d = grid.Get();

  Invoke(d, GridDispId::Row, DISPATCH_PROPERTYPUT, {Variant(std::int32_t{2})});
  Invoke(d, GridDispId::Col, DISPATCH_PROPERTYPUT, {Variant(std::int32_t{3})});
  Invoke(d, GridDispId::Value, DISPATCH_PROPERTYPUT, {Variant(std::int32_t{42})});  // a number is stored as its text
  EXPECT_EQ(GetProperty(d, "text").ToString(), "42");
  EXPECT_EQ(Invoke(d, GridDispId::Text, DISPATCH_PROPERTYGET).ToString(), "42");
  EXPECT_EQ(Invoke(d, GridDispId::MaxCols, DISPATCH_PROPERTYGET).ToLong(), 10);
  EXPECT_EQ(Invoke(d, GridDispId::MaxRows, DISPATCH_PROPERTYGET).ToLong(), 100);

  Invoke(d, GridDispId::Action, DISPATCH_PROPERTYPUT, {Variant(std::int32_t{GridActionActiveCell})});
  EXPECT_EQ(Invoke(d, GridDispId::ActiveRow, DISPATCH_PROPERTYGET).ToLong(), 2);
  grid->Grid().TypeIntoCell(4, 1, "x");
  EXPECT_EQ(sink->log, (std::vector<std::string>{"4 2", "4 4", "2 1 4", "5 1 4 True", "1"}));

  EXPECT_TRUE(Invoke(d, GridDispId::SaveToFile, DISPATCH_METHOD, {Variant("C:\\g.dat"), Variant(false)}).ToBool());
  auto other = MakeObject<SpreadGridControl>();
  EXPECT_TRUE(Invoke(other.Get(), GridDispId::LoadFromFile, DISPATCH_METHOD, {Variant("C:\\g.dat")}).ToBool());
  EXPECT_EQ(other->Grid().ActiveRow(), 4);
  EXPECT_FALSE(Invoke(other.Get(), GridDispId::LoadFromFile, DISPATCH_METHOD, {Variant("C:\\none.dat")}).ToBool());
  grid->Close();
}

TEST(ScannerControl, MembersByDispatchIdentifierAndEvents) {
  auto scanner = MakeObject<TextScannerControl>();
  auto sink = MakeObject<Sink>();
  sink->scanner = true;
  std::uint32_t cookie = 0;
  ASSERT_EQ(scanner->Advise(sink.Get(), &cookie), S_OK);
  IDispatch* d = scanner.Get();

  Invoke(d, ScannerDispId::Text, DISPATCH_PROPERTYPUT, {Variant("a,b,,c")});
  Invoke(d, ScannerDispId::FS, DISPATCH_PROPERTYPUT, {Variant(",")});
  EXPECT_EQ(Invoke(d, ScannerDispId::FieldCount, DISPATCH_PROPERTYGET).ToLong(), 4);
  EXPECT_EQ(Invoke(d, ScannerDispId::Field, DISPATCH_PROPERTYGET, {Variant(std::int32_t{4})}).ToString(), "c");
  EXPECT_EQ(Invoke(d, ScannerDispId::Field, DISPATCH_PROPERTYGET, {Variant(std::int32_t{9})}).ToString(), "");

  // The value asks the sink for its variables.
  Invoke(d, ScannerDispId::Text, DISPATCH_PROPERTYPUT, {Variant("L/2")});
  EXPECT_DOUBLE_EQ(Invoke(d, ScannerDispId::Value, DISPATCH_PROPERTYGET).ToDouble(), 125);
  Invoke(d, ScannerDispId::Text, DISPATCH_PROPERTYPUT, {Variant("Q+")});
  EXPECT_THROW(Invoke(d, ScannerDispId::Value, DISPATCH_PROPERTYGET), AutomationError);

  // The scan has run, one line event per line, before the put returns.
  testsupport::WriteFile(HostPath("C:\\p.nc"), "G1\r\nG2\n");
  sink->log.clear();
  Invoke(d, ScannerDispId::FileName, DISPATCH_PROPERTYPUT, {Variant("C:\\p.nc")});
  EXPECT_EQ(sink->log, (std::vector<std::string>{"1", "1"}));
  Invoke(d, ScannerDispId::LineNumber, DISPATCH_PROPERTYPUT, {Variant(std::int32_t{0})});
  Invoke(d, ScannerDispId::StopScan, DISPATCH_PROPERTYPUT, {Variant(std::int32_t{0})});
  EXPECT_THROW(Invoke(d, ScannerDispId::FileName, DISPATCH_PROPERTYPUT, {Variant("C:\\missing.nc")}),
               AutomationError);
  scanner->Close();
}
