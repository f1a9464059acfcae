// Every control the console's parts name exists on its form with its kind and
// design values; operator commands and a screenshot work on the real windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "console/console_forms.h"
#include "test_support.h"
#include "winplat/clock.h"
#include "winplat/controls/operator.h"
#include "winplat/gdi.h"
#include "winplat/messages.h"
#include "winplat/picture.h"

namespace fieldray::console {
namespace {

using wc::ControlKind;

class ConsoleFormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    forms = std::make_unique<ConsoleForms>();
  }
  void TearDown() override {
    forms.reset();
    while (winplat::DispatchPending() > 0) {
    }
    winplat::SetClock(nullptr);
  }
  wc::Control& Named(const std::string& path) {
    std::string error;
    wc::Control* c = wc::FindControl(path, &error);
    EXPECT_NE(c, nullptr) << error;
    static wc::Label missing(nullptr, "missing", -1, nullptr);
    return c ? *c : missing;
  }
  winplat::ManualClock clock;
  std::unique_ptr<ConsoleForms> forms;
};

TEST_F(ConsoleFormsTest, EveryNamedControlExistsWithItsKind) {
  struct Expect {
    const char* path;
    ControlKind kind;
  };
  const Expect expected[] = {
      {"Main.Msg", ControlKind::Label}, {"Main.LabStat", ControlKind::Label},
      {"Main.LblXAdj", ControlKind::Label}, {"Main.LblYAdj", ControlKind::Label},
      {"Main.MFFrame", ControlKind::Frame}, {"Main.PMFrame", ControlKind::Frame},
      {"Main.OnOff", ControlKind::CheckBox}, {"Main.CapBtn", ControlKind::CheckBox},
      {"Main.OptFld(8)", ControlKind::OptionButton}, {"Main.PrjPos(6)", ControlKind::OptionButton},
      {"Main.PrjHght(5)", ControlKind::OptionButton}, {"Main.PrjHt(0)", ControlKind::OptionButton},
      {"Main.FldOpt(10)", ControlKind::OptionButton}, {"Main.CalOpt(10)", ControlKind::OptionButton},
      {"Main.DispLaser", ControlKind::PictureBox}, {"Main.GeoPic", ControlKind::PictureBox},
      {"Main.MarkerWin", ControlKind::PictureBox}, {"Main.SetupWin", ControlKind::PictureBox},
      {"Main.SSTab1", ControlKind::TabStrip}, {"Main.File1", ControlKind::FileListBox},
      {"Main.ListCal", ControlKind::ListBox}, {"Main.Browse", ControlKind::CommandButton},
      {"Main.Browser", ControlKind::CommonDialog}, {"Main.Timer1", ControlKind::Timer},
      {"Main.TimerCB", ControlKind::Timer}, {"Main.XFldPos", ControlKind::HScrollBar},
      {"Main.YFldPos", ControlKind::VScrollBar}, {"Main.XFldScale", ControlKind::HScrollBar},
      {"Main.YFldScale", ControlKind::VScrollBar}, {"Main.XFldShear", ControlKind::HScrollBar},
      {"Main.YFldShear", ControlKind::VScrollBar}, {"Main.LblXSh", ControlKind::Label},
      {"Main.LblYSh", ControlKind::Label}, {"Main.XGeoAdj", ControlKind::HScrollBar},
      {"Main.YGeoAdj", ControlKind::VScrollBar}, {"Main.BtnSavGeo", ControlKind::CommandButton},
      {"Main.BtnGeoRvt", ControlKind::CommandButton}, {"Main.GeoBalY", ControlKind::TextBox},
      {"Main.GeoRotate", ControlKind::TextBox}, {"Main.GeoPara", ControlKind::TextBox},
      {"Main.MLine(0)", ControlKind::Line}, {"Main.MRec(0)", ControlKind::Shape},
      {"Main.BtnLine(3)", ControlKind::CommandButton}, {"Main.XPos", ControlKind::HScrollBar},
      {"Main.X2Move", ControlKind::HScrollBar}, {"Main.YPos", ControlKind::VScrollBar},
      {"Main.Y2Move", ControlKind::VScrollBar}, {"Main.MWDel", ControlKind::CommandButton},
      {"Main.MWClr", ControlKind::CommandButton}, {"Main.BtnStMkr", ControlKind::CommandButton},
      {"Main.Merge", ControlKind::CheckBox}, {"Main.MarkerData", ControlKind::Slot},
      {"Main.ToolDat", ControlKind::Slot}, {"Main.SetupData", ControlKind::Slot},
      {"Main.DXF1", ControlKind::Slot}, {"Main.GcodeAwk", ControlKind::Slot},
      {"Main.Parser", ControlKind::Slot}, {"Main.Eval", ControlKind::Slot},
      {"Main.SRULUD", ControlKind::UpDown}, {"Main.BlnkTmUD", ControlKind::UpDown},
      {"Main.PtsEndUD", ControlKind::UpDown}, {"Main.BlnkSK", ControlKind::Label},
      {"Main.TDMode", ControlKind::TextBox}, {"Main.LLMO", ControlKind::CheckBox},
      {"Main.Line4", ControlKind::Line}, {"Main.Line5", ControlKind::Line},
      {"Main.SetLineX(0)", ControlKind::Line}, {"Main.SetLineY(0)", ControlKind::Line},
      {"Main.BtnCross", ControlKind::CommandButton}, {"Main.DelPt", ControlKind::CommandButton},
      {"Main.StartSetupCmd", ControlKind::CommandButton}, {"Main.SetXPos", ControlKind::HScrollBar},
      {"Main.SetYPos", ControlKind::VScrollBar}, {"Main.CalCB", ControlKind::CommandButton},
      {"Main.LabelCBIns", ControlKind::Label}, {"PHS.PHSdata", ControlKind::Slot},
      {"PHS.OKButton(1)", ControlKind::CommandButton}, {"PHS.CancelButton", ControlKind::CommandButton},
      {"SwOptForm.SSOptSw", ControlKind::Slot}, {"SwOptForm.SSHt", ControlKind::Slot},
      {"SwOptForm.SPChLab", ControlKind::CommandButton}, {"SwOptForm.SPLabForm", ControlKind::Frame},
      {"SwOptForm.SPLabels", ControlKind::Slot}, {"SwOptForm.OKButtonLab", ControlKind::CommandButton},
      {"SwOptForm.SPLClose", ControlKind::CommandButton}, {"SwOptForm.OKButtonSO", ControlKind::CommandButton},
      {"SwOptForm.CancelButtonSO", ControlKind::CommandButton},
  };
  for (const auto& e : expected) EXPECT_EQ(Named(e.path).Kind(), e.kind) << e.path;
  EXPECT_EQ(forms->Main.OptFld.LBound(), 1);
  EXPECT_EQ(forms->Main.OptFld.UBound(), 8);
  EXPECT_EQ(forms->Main.PrjPos.UBound(), 6);
  EXPECT_EQ(forms->Main.PrjHght.LBound(), 0);
  EXPECT_EQ(forms->Main.FldOpt.UBound(), 10);
  EXPECT_EQ(forms->Main.CalOpt.LBound(), 1);
  EXPECT_EQ(forms->Main.BtnLine.UBound(), 3);
  EXPECT_EQ(wc::FindControl("Main.OptFld(9)"), nullptr);
}

TEST_F(ConsoleFormsTest, DesignCaptionsDefaultsAndRanges) {
  MainForm& m = forms->Main;
  EXPECT_EQ(m.OnOff.Caption(), "Laser On/Off");
  EXPECT_EQ(m.CapBtn.Caption(), "Project Caption");
  const char* fields[] = {"N/S", "A", "T", "R/M"};
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(m.OptFld(i).Caption(), fields[(i - 1) % 4]);
  EXPECT_EQ(m.PrjPos(1).Caption(), "Mode1");
  EXPECT_EQ(m.PrjPos(6).Caption(), "Mode6");
  EXPECT_EQ(m.PrjHght(0).Caption(), "Height 1");
  EXPECT_EQ(m.PrjHt(5).Caption(), "Height 6");
  EXPECT_EQ(m.PMFrame.Caption(), "Projection Mode");
  EXPECT_EQ(m.Browse.Caption(), "Browse...");
  EXPECT_EQ(m.CalCB.Caption(), "Calibrate");
  EXPECT_EQ(m.BtnCross.Caption(), "+");
  EXPECT_EQ(m.DelPt.Caption(), "Delete Point");
  EXPECT_EQ(m.StartSetupCmd.Caption(), "Apply");
  EXPECT_EQ(m.BtnLine(1).Caption(), "--");
  EXPECT_EQ(m.BtnStMkr.Caption(), "Store Markers");
  EXPECT_EQ(m.CharFrame.Caption(), "Charater Size");
  EXPECT_EQ(m.CapThr.Caption(), "Flag for Through Cuts");
  EXPECT_EQ(m.SRUL.Text(), "30000");
  EXPECT_EQ(m.SRLL.Text(), "10000");
  EXPECT_EQ(m.ScnRt.Text(), "20");
  EXPECT_EQ(m.BlnkTm.Text(), "8000");
  EXPECT_EQ(m.PtsVtx.Text(), "3");
  EXPECT_EQ(m.CharW.Text(), "11");
  EXPECT_EQ(m.CapX.Text(), "-9000");
  EXPECT_EQ(m.CapY.Text(), "-9000");
  EXPECT_EQ(m.XFldScale.Min(), 24000);
  EXPECT_EQ(m.XFldScale.Max(), 3000);
  EXPECT_EQ(m.YFldShear.Min(), -100);
  EXPECT_EQ(m.XFldPos.SmallChange(), 1);
  EXPECT_EQ(m.XFldPos.LargeChange(), 10);
  EXPECT_EQ(m.SRULUD.Min(), 15000);
  EXPECT_EQ(m.SRULUD.Max(), 35000);
  EXPECT_EQ(m.SRULUD.Increment(), 1000);
  EXPECT_EQ(m.BlnkTmUD.Increment(), 500);
  EXPECT_EQ(m.ScnRtUD.Max(), 50);
  EXPECT_EQ(m.PtsStUD.Buddy(), &m.PtsST);
  EXPECT_EQ(m.Timer1.Interval(), 1000u);
  EXPECT_EQ(m.TimerCB.Interval(), 100u);
  EXPECT_EQ(m.MLine(0).BorderColor(), 0x404040u);
  EXPECT_FALSE(m.MLine(0).Visible());
  EXPECT_FALSE(m.SetLineX(0).Visible());
  EXPECT_EQ(m.Line4.Y1(), 1800.0f);
  EXPECT_EQ(m.Line5.X2(), 1800.0f);
  EXPECT_EQ(m.Line4.BorderColor(), 0xFF0000u);
  EXPECT_FALSE(m.MWDel.Enabled());
  EXPECT_FALSE(m.XPos.Enabled());
  EXPECT_EQ(m.XPos.Min(), 0);
  EXPECT_EQ(m.SetupWin.Width(), 3615);
  EXPECT_FALSE(forms->SwOptForm.SPLabForm.Visible());
  EXPECT_EQ(forms->PHS.OKButton(0).Caption(), "OK");
  EXPECT_EQ(forms->PHS.OKButton(1).Caption(), "Apply");
  EXPECT_EQ(forms->SwOptForm.SwOptFrame.Caption(), "Options for Projection Mode Switch Positions");
  EXPECT_EQ(forms->SwOptForm.SPLabForm.Caption(), "Make Switch Position Labels");
  EXPECT_TRUE(m.OptFld(design::kOptFldFirst).Value());
  EXPECT_TRUE(m.PrjPos(design::kPrjPosFirst).Value());
}

TEST_F(ConsoleFormsTest, OptionArraysAreSeparateGroups) {
  MainForm& m = forms->Main;
  m.PrjHt(3).SetValue(true);
  m.FldOpt(2).SetValue(true);
  m.CalOpt(4).SetValue(true);
  EXPECT_TRUE(m.PrjHt(3).Value());
  EXPECT_TRUE(m.FldOpt(2).Value());
  EXPECT_TRUE(m.PrjHght(0).Value());
  EXPECT_TRUE(m.OptFld(1).Value());
  EXPECT_TRUE(m.PrjPos(1).Value());
}

TEST_F(ConsoleFormsTest, TimersRunFromTheWindowsCreationAndTabsHideTheirPages) {
  MainForm& m = forms->Main;
  int ticks1 = 0, ticksCB = 0;
  m.Timer1.Timer = [&] { ++ticks1; };
  m.TimerCB.Timer = [&] { ++ticksCB; };
  m.Load();
  winplat::PumpFor(2000);
  EXPECT_EQ(ticks1, 2);
  EXPECT_EQ(ticksCB, 20);
  m.Show();
  EXPECT_TRUE(m.XFldPos.AcceptsInput());  // the strip starts at page 0
  EXPECT_FALSE(m.SRUL.AcceptsInput());
  m.SSTab1.SetTab(design::kTabOptions);
  EXPECT_TRUE(m.SRUL.AcceptsInput());
  EXPECT_FALSE(m.XFldPos.AcceptsInput());
  EXPECT_FALSE(m.MarkerWin.AcceptsInput());
}

TEST_F(ConsoleFormsTest, ScreenshotShowsTheControlsAndThePreviewDrawnByTheDeviceSide) {
  MainForm& m = forms->Main;
  m.Msg.SetCaption("C:\\Jobs\\part.dxf");
  m.Show();
  winplat::HDC hdc = m.DispLaser.hDC();
  winplat::HPEN pen = winplat::CreatePen(winplat::PS_SOLID, 1, 0x00FF00);
  winplat::HGDIOBJ old = winplat::SelectObject(hdc, pen);
  winplat::MoveToEx(hdc, 10, 100, nullptr);
  winplat::LineTo(hdc, 190, 100);
  winplat::SelectObject(hdc, old);
  winplat::DeleteObject(pen);
  m.DispLaser.ReleasehDC();
  std::istringstream in("tab Main.SSTab1 \"Options\"\nscreenshot Main \"C:\\shots\\main.png\"\n");
  std::ostringstream log;
  wc::OperatorScript script(in, log);
  EXPECT_EQ(script.Run(), 0) << log.str();
  winplat::Picture shot;
  std::string error;
  ASSERT_TRUE(winplat::LoadPicturePng(wc::op::OperatorPath("C:\\shots\\main.png"), &shot, &error)) << error;
  EXPECT_GT(shot.width, 1000);  // the client area of the 1020-pixel window
  // The preview box at (276, 8) pixels, the device side's line 100 pixels down.
  EXPECT_EQ(shot.At(276 + 50, 8 + 100), 0x00FF00u);
  EXPECT_EQ(shot.At(276 + 50, 8 + 50), 0x000000u);
}

}  // namespace
}  // namespace fieldray::console
