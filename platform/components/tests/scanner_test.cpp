#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"
#include "winplat/components/scanner.h"
#include "winplat/paths.h"

using winplat::ScannerError;
using winplat::TextScanner;

TEST(TextScanner, FieldsAtSeparatorCharacters) {
  TextScanner s;
  s.SetText(" G1 X10 Y5");
  s.SetFS("X");
  EXPECT_EQ(s.FieldCount(), 2);
  EXPECT_EQ(s.Field(1), " G1 ");
  EXPECT_EQ(s.Field(2), "10 Y5");
  EXPECT_EQ(s.Field(3), "");
  EXPECT_EQ(s.Field(-1), "");
  EXPECT_EQ(s.Field(0), " G1 X10 Y5");
  s.SetFS("Q");
  EXPECT_EQ(s.FieldCount(), 1);
  s.SetText("X");
  s.SetFS("X");
  EXPECT_EQ(s.FieldCount(), 2);
  EXPECT_EQ(s.Field(2), "");
  s.SetText("");
  EXPECT_EQ(s.FieldCount(), 0);
  // A set of separators: any capital letter ends a field; empty fields count.
  s.SetFS("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  s.SetText("0103-07AB9");
  EXPECT_EQ(s.FieldCount(), 3);
  EXPECT_EQ(s.Field(1), "0103-07");
  EXPECT_EQ(s.Field(2), "");
  EXPECT_EQ(s.Field(3), "9");
  // Bytes pass through untouched, private codes and NUL included.
  s.SetFS(std::string("\x05", 1));
  s.SetText(std::string("a\x05" "b\0c\xC9", 6));
  EXPECT_EQ(s.Field(2), std::string("b\0c\xC9", 4));
}

TEST(TextScanner, FileScanRaisesOneLineEventPerLine) {
  testsupport::WriteFile(winplat::HostPath("C:\\Jobs\\part.nc"),
                         "G71 X10\r\nG1 X5\n\nlast\rno end");
  TextScanner s;
  std::vector<std::string> lines;
  std::vector<int> numbers;
  s.OnLine = [&] {
    lines.push_back(s.Text());
    numbers.push_back(s.LineNumber());
    s.SetFS("X");  // a handler may change the separator
  };
  s.SetFileName("c:\\jobs\\PART.NC");
  EXPECT_EQ(lines, (std::vector<std::string>{"G71 X10", "G1 X5", "", "last", "no end"}));
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(s.LineNumber(), 5);
  EXPECT_FALSE(s.Scanning());

  // A final line end makes no extra line; an empty file makes none.
  testsupport::WriteFile(winplat::HostPath("C:\\Jobs\\two.nc"), "a\nb\n");
  lines.clear();
  s.SetFileName("C:\\Jobs\\two.nc");
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
  testsupport::WriteFile(winplat::HostPath("C:\\Jobs\\empty.nc"), "");
  lines.clear();
  s.SetFileName("C:\\Jobs\\empty.nc");
  EXPECT_TRUE(lines.empty());

  // Stop after the current line.
  testsupport::WriteFile(winplat::HostPath("C:\\Jobs\\three.nc"), "1\n2\n3\n");
  lines.clear();
  s.OnLine = [&] {
    lines.push_back(s.Text());
    if (s.Text() == "2") s.SetStopScan(1);
  };
  s.SetFileName("C:\\Jobs\\three.nc");
  EXPECT_EQ(lines, (std::vector<std::string>{"1", "2"}));
}

TEST(TextScanner, FileScanFailures) {
  TextScanner s;
  EXPECT_THROW(s.SetFileName("C:\\Jobs\\missing.nc"), ScannerError);
  EXPECT_THROW(s.SetFileName("C:\\WINDOWS"), ScannerError);  // a folder
  EXPECT_THROW(s.SetFileName("C:\\..\\..\\etc\\passwd"), ScannerError);
  EXPECT_FALSE(s.Scanning());

  testsupport::WriteFile(winplat::HostPath("C:\\Jobs\\a.nc"), "1\n2\n");
  s.OnLine = [&] { s.SetFileName("C:\\Jobs\\a.nc"); };
  EXPECT_THROW(s.SetFileName("C:\\Jobs\\a.nc"), ScannerError);
  EXPECT_FALSE(s.Scanning());  // a failed scan leaves the scanner usable
  int count = 0;
  s.OnLine = [&] { ++count; };
  s.SetFileName("C:\\Jobs\\a.nc");
  EXPECT_EQ(count, 2);
}

namespace {

double Eval(const std::string& text, const std::map<char, double>& vars = {}) {
  return winplat::EvaluateScannerExpression(text, [&](char name) {
    auto it = vars.find(name);
    if (it == vars.end()) throw ScannerError("unknown");
    return it->second;
  });
}

}  // namespace

TEST(ScannerExpression, ArithmeticPrecedenceAndVariables) {
  EXPECT_DOUBLE_EQ(Eval("1+2*3"), 7);
  EXPECT_DOUBLE_EQ(Eval("(1+2)*3"), 9);
  EXPECT_DOUBLE_EQ(Eval("10-4-3"), 3);
  EXPECT_DOUBLE_EQ(Eval("12/4/3"), 1);
  EXPECT_DOUBLE_EQ(Eval("-2*-3"), 6);
  EXPECT_DOUBLE_EQ(Eval("- (2 + 3)"), -5);
  EXPECT_DOUBLE_EQ(Eval(" .5 + 2. "), 2.5);
  EXPECT_DOUBLE_EQ(Eval("L/2 ", {{'L', 1000}}), 500);
  EXPECT_DOUBLE_EQ(Eval("a*b", {{'a', 3}, {'b', 4}}), 12);
  EXPECT_DOUBLE_EQ(Eval("\x06+\x05", {{'\x06', 1}, {'\x05', 2}}), 3);
}

TEST(ScannerExpression, ComparisonsAndLogic) {
  EXPECT_EQ(Eval("5> 3"), -1);
  EXPECT_EQ(Eval("5<3"), 0);
  EXPECT_EQ(Eval("3=3"), -1);
  EXPECT_EQ(Eval("3<>3"), 0);
  EXPECT_EQ(Eval("3<=3"), -1);
  EXPECT_EQ(Eval("2>=3"), 0);
  EXPECT_EQ(Eval("1+1=2"), -1);  // arithmetic binds tighter
  EXPECT_EQ(Eval("5> 3 &  2< 1"), 0);
  EXPECT_EQ(Eval("5> 3 |  2< 1"), -1);
  EXPECT_EQ(Eval("0 | 0 & 1"), 0);
  EXPECT_EQ(Eval("1 | 0 & 0"), -1);  // & binds tighter than |
}

TEST(ScannerExpression, MalformedTextsAreErrors) {
  for (std::string bad : {"", "   ", "1+", "*2", "(1+2", "1+2)", "2X", "AB", "1.2.3", "1/0", "1/(2-2)", "5$",
                          "1e5", "\xC3\x84", ".", "((((", "X"}) {
    EXPECT_THROW(Eval(bad), ScannerError) << "\"" << bad << "\"";
  }
  EXPECT_THROW(Eval(std::string(5000, '(') + "1" + std::string(5000, ')')), ScannerError);
  EXPECT_THROW(Eval(std::string(5000, '-') + "1"), ScannerError);
  EXPECT_THROW(Eval("1" + std::string(400, '0') + "*10"), ScannerError);  // overflow
}

TEST(TextScanner, ValueAsksItsHostForVariables) {
  TextScanner s;
  std::vector<std::string> asked;
  s.OnGetVariable = [&](const std::string& name, double& value, std::int16_t& handled) {
    asked.push_back(name);
    EXPECT_EQ(value, 0);
    if (name == "L") {
      value = 300;
      handled = -1;
    }
  };
  s.SetText("L/2+L");
  EXPECT_DOUBLE_EQ(s.Value(), 450);
  EXPECT_EQ(asked, (std::vector<std::string>{"L", "L"}));
  s.SetText("Q+1");
  EXPECT_THROW(s.Value(), ScannerError);
}
