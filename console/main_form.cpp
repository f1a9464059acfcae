// The main window's controls: arrays, ranges, first states and placement.
#include "console/main_form.h"

#include <initializer_list>
#include <string>

namespace fieldray::console {
namespace {

void Place(wc::Control& c, int left, int top, int width, int height) { c.Move(left, top, width, height); }

// The controls of one kind, whatever their class.
using ControlList = std::initializer_list<wc::Control*>;

void Range(wc::ScrollBar& bar, int min, int max, int small, int large) {
  bar.SetMin(min);
  bar.SetMax(max);
  bar.SetSmallChange(small);
  bar.SetLargeChange(large);
}

void Steps(wc::UpDown& ud, wc::TextBox& buddy, int min, int max, int step) {
  ud.SetBuddy(&buddy);
  ud.SetMax(max);
  ud.SetMin(min);
  ud.SetIncrement(step);
}

}  // namespace

MainForm::MainForm() : wc::Form("Main", design::kMainCaption) {
  for (int i = 1; i <= 8; ++i) {
    static const char* captions[4] = {"N/S", "A", "T", "R/M"};
    OptFld.Design(i, &MFFrame, captions[(i - 1) % 4]);
  }
  for (int i = 1; i <= 6; ++i) PrjPos.Design(i, &PMFrame, "Mode" + std::to_string(i));
  for (int i = 0; i <= 5; ++i) PrjHght.Design(i, &PHFrame, "Height " + std::to_string(i + 1));
  for (int i = 0; i <= 10; ++i) FldOpt.Design(i, &FldFrame, design::kFldOptCaptions[i]);
  for (int i = 0; i <= 5; ++i) PrjHt.Design(i, &PrjHtFrame, "Height " + std::to_string(i + 1));
  for (int i = 1; i <= 10; ++i) CalOpt.Design(i, &CalFrame, design::kCalOptCaptions[i - 1]);
  for (int i = 0; i <= 3; ++i) BtnLine.Design(i, &MarkFrame, design::kBtnLineCaptions[i]);

  // Hidden templates of the loaded arrays (element 0).
  auto& mline = MLine.Design(0, &MarkerWin);
  mline.SetBorderColor(0x404040);
  mline.SetVisible(false);
  auto& mrec = MRec.Design(0, &MarkerWin);
  mrec.SetVisible(false);
  auto& setX = SetLineX.Design(0, &SetupWin);
  auto& setY = SetLineY.Design(0, &SetupWin);
  for (wc::LineControl* l : {&setX, &setY}) {
    l->SetBorderColor(0x404040);
    l->SetVisible(false);
  }

  // First states.
  OptFld(design::kOptFldFirst).SetValue(true);
  PrjPos(design::kPrjPosFirst).SetValue(true);
  PrjHght(0).SetValue(true);
  PrjHt(0).SetValue(true);
  if (design::kFldOptFirst >= 0) FldOpt(design::kFldOptFirst).SetValue(true);
  File1.SetEnabled(design::kFile1Enabled);
  for (wc::Control* c : ControlList{&XPos, &X2Move, &YPos, &Y2Move, &MWDel, &SetXPos, &SetYPos, &DelPt})
    c->SetEnabled(false);
  for (wc::HostSlot* grid : {&MarkerData, &ToolDat, &SetupData}) grid->SetFocusable(true);
  for (wc::HostSlot* scanner : {&GcodeAwk, &Parser, &Eval}) scanner->SetVisible(false);

  // Ranges.
  Range(XFldPos, design::kXFldPosMin, design::kXFldPosMax, 1, 10);
  Range(YFldPos, design::kYFldPosMin, design::kYFldPosMax, 1, 10);
  Range(XFldScale, 0, 3000, 1, 10);
  XFldScale.SetMin(24000);
  Range(YFldScale, 0, 3000, 1, 10);
  YFldScale.SetMin(24000);
  Range(XFldShear, -100, 100, 1, 10);
  Range(YFldShear, -100, 100, 1, 10);
  Range(XGeoAdj, design::kGeoAdjMin, design::kGeoAdjMax, 1, 10);
  Range(YGeoAdj, design::kGeoAdjMin, design::kGeoAdjMax, 1, 10);
  Range(SetXPos, design::kSetPosMin, design::kSetPosMax, 1, 1);
  Range(SetYPos, design::kSetPosMin, design::kSetPosMax, 1, 1);
  Steps(SRULUD, SRUL, 15000, 35000, 1000);
  Steps(SRLLUD, SRLL, 5000, 15000, 1000);
  Steps(ScnRtUD, ScnRt, 10, 50, 1);
  Steps(BlnkTmUD, BlnkTm, 2000, 15000, 500);
  Steps(PtsStUD, PtsST, 1, 10, 1);
  Steps(PtsVtxUD, PtsVtx, 1, 10, 1);
  Steps(PtsEndUD, PtsEnd, 1, 10, 1);

  // The view control's constituent pictures draw hollow and transparent.
  DispLaser.SetBackColor(0x000000);
  GeoPic.SetBackColor(0x000000);

  // The set-up window: twips, two fixed centre lines.
  Line4.SetX1(0);
  Line4.SetY1(1800);
  Line4.SetX2(3600);
  Line4.SetY2(1800);
  Line5.SetX1(1800);
  Line5.SetY1(0);
  Line5.SetX2(1800);
  Line5.SetY2(3600);
  Line4.SetBorderColor(0xFF0000);
  Line5.SetBorderColor(0xFF0000);

  LayOutMain();
  LayOutFieldTab();
  LayOutGeometricTab();
  LayOutMarkerTab();
  LayOutOptionsTab();
  LayOutPointsTab();
}

void MainForm::AddBoxLabel(wc::Control* container, int page, const char* caption, const wc::Control& box) {
  auto& label = Add<wc::Label>(std::string("Lab") + box.Name(), container, caption);
  label.Move(box.Left() - 1500 < 60 ? 60 : box.Left() - 1500, box.Top() + 45, 1440, 255);
  if (page >= 0) label.SetTabPage(page);
}

void MainForm::LayOutMain() {
  Move(0, 0, design::kMainWidth, design::kMainHeight);
  Place(MFFrame, 120, 120, 3900, 1020);
  for (int i = 1; i <= 8; ++i) Place(OptFld(i), 120 + ((i - 1) % 4) * 930, 300 + ((i - 1) / 4) * 330, 900, 300);
  Place(PMFrame, 120, 1200, 3900, 1020);
  for (int i = 1; i <= 6; ++i) Place(PrjPos(i), 120 + ((i - 1) % 3) * 1250, 300 + ((i - 1) / 3) * 330, 1200, 300);
  Place(PHFrame, 120, 2280, 3900, 1020);
  for (int i = 0; i <= 5; ++i) Place(PrjHght(i), 120 + (i % 3) * 1250, 300 + (i / 3) * 330, 1200, 300);
  Place(OnOff, 120, 3390, 1900, 300);
  Place(CapBtn, 2100, 3390, 1900, 300);
  Place(MdHt, 120, 3720, 1900, 300);
  Place(Browse, 2700, 3690, 1300, 360);
  Place(File1, 120, 4110, 3900, 2520);
  Place(CorvConn, design::kCorvConnLeft, design::kCorvConnTop, design::kCorvConnWidth, design::kCorvConnHeight);
  Place(Msg, 120, 6720, 6900, 285);
  Place(LabStat, 120, 7050, 3900, 285);
  Place(LblXAdj, 120, 7380, 1900, 285);
  Place(LblYAdj, 2100, 7380, 1900, 285);
  Place(DXF1, 120, 7740, 6900, 2550);
  Place(DispLaser, 4140, 120, design::kDispLaserSize, design::kDispLaserSize);
  Place(SSTab1, 7200, 120, 7860, 10170);
  SSTab1.SetTabs(6);
  for (int i = 0; i < 6; ++i) SSTab1.SetTabCaption(i, design::kTabCaptions[i]);
}

void MainForm::LayOutFieldTab() {
  const int page = design::kTabFields;
  Place(FldFrame, 120, 480, 2700, 2100);
  for (int i = 0; i <= 10; ++i) Place(FldOpt(i), 120 + (i / 6) * 1300, 270 + (i % 6) * 300, 1250, 285);
  Place(XFldPos, 3000, 600, 4000, 255);
  Place(YFldPos, 3000, 1020, 255, 2400);
  Place(XFldScale, 3000, 3600, 4000, 255);
  Place(YFldScale, 3420, 1020, 255, 2400);
  Place(XFldShear, 3000, 4020, 4000, 255);
  Place(YFldShear, 3840, 1020, 255, 2400);
  Place(LblXSh, 4320, 1080, 1500, 285);
  Place(LblYSh, 4320, 1440, 1500, 285);
  Place(PrjHtFrame, 120, 2700, 2700, 2100);
  for (int i = 0; i <= 5; ++i) Place(PrjHt(i), 120, 270 + i * 300, 2400, 285);
  for (wc::Control* c :
       ControlList{&FldFrame, &XFldPos, &YFldPos, &XFldScale, &YFldScale, &XFldShear, &YFldShear, &LblXSh, &LblYSh,
                &PrjHtFrame})
    c->SetTabPage(page);
}

void MainForm::LayOutGeometricTab() {
  const int page = design::kTabGeometric;
  Place(CalFrame, 120, 480, 1800, 3420);
  for (int i = 1; i <= 10; ++i) Place(CalOpt(i), 120, 270 + (i - 1) * 310, 1550, 285);
  wc::TextBox* xs[10] = {&GeoRotate, &GeoPosX, &GeoPinX, &GeoPara, &GeoKeyX,
                         &GeoLinX,   &GeoBowX, &GeoShearX, &GeoSizeX, &GeoBalX};
  wc::TextBox* ys[10] = {nullptr, &GeoPosY, &GeoPinY, nullptr, &GeoKeyY, &GeoLinY, &GeoBowY, &GeoShearY, &GeoSizeY,
                         &GeoBalY};
  for (int i = 0; i < 10; ++i) {
    Place(*xs[i], 2040, 750 + i * 310, 900, 285);
    xs[i]->SetTabPage(page);
    if (ys[i]) {
      Place(*ys[i], 3000, 750 + i * 310, 900, 285);
      ys[i]->SetTabPage(page);
    }
  }
  Place(XGeoAdj, 120, 4020, 3780, 255);
  Place(YGeoAdj, 4020, 480, 255, 3420);
  Place(GeoPic, 4440, 480, 3240, 3240);
  Place(BtnSavGeo, 120, 4440, 1200, 360);
  Place(BtnGeoRvt, 1440, 4440, 1200, 360);
  Place(ListCal, 4440, 3840, 3240, 2100);
  for (wc::Control* c : ControlList{&CalFrame, &XGeoAdj, &YGeoAdj, &GeoPic, &BtnSavGeo, &BtnGeoRvt, &ListCal})
    c->SetTabPage(page);
}

void MainForm::LayOutMarkerTab() {
  Place(MarkFrame, 120, 480, 7620, 9540);
  MarkFrame.SetTabPage(design::kTabMarkers);
  Place(MarkerWin, 120, 300, design::kMarkerWinSize, design::kMarkerWinSize);
  Place(YPos, 3780, 300, 255, 3615);
  Place(Y2Move, 4080, 300, 255, 3615);
  Place(XPos, 120, 3960, 3615, 255);
  Place(X2Move, 120, 4260, 3615, 255);
  for (int i = 0; i <= 3; ++i) Place(BtnLine(i), 4440 + i * 780, 300, 720, 360);
  Place(MWDel, 4440, 780, 1000, 360);
  Place(MWClr, 5520, 780, 1000, 360);
  Place(BtnStMkr, 4440, 1260, 2080, 360);
  Place(Merge, 4440, 1740, 2080, 300);
  Place(MarkerData, 120, 4620, 7380, 4800);
}

void MainForm::LayOutOptionsTab() {
  const int page = design::kTabOptions;
  Place(ScanFrame, 120, 480, 3660, 1440);
  Place(SRUL, 1680, 270, 1200, 285);
  Place(SRLL, 1680, 630, 1200, 285);
  Place(ScnRt, 1680, 990, 1200, 285);
  Place(SRULUD, 2880, 270, 255, 285);
  Place(SRLLUD, 2880, 630, 255, 285);
  Place(ScnRtUD, 2880, 990, 255, 285);
  AddBoxLabel(&ScanFrame, -1, "Upper Limit", SRUL);
  AddBoxLabel(&ScanFrame, -1, "Lower Limit", SRLL);
  AddBoxLabel(&ScanFrame, -1, "Multiplier", ScnRt);
  Place(BlankFrame, 3900, 480, 3660, 1440);
  Place(BlnkTm, 1680, 270, 1200, 285);
  Place(BlnkTmUD, 2880, 270, 255, 285);
  Place(BlnkSK, 1680, 630, 1200, 285);
  AddBoxLabel(&BlankFrame, -1, "Timing", BlnkTm);
  Place(PointsFrame, 120, 2040, 3660, 1440);
  Place(PtsST, 1680, 270, 1200, 285);
  Place(PtsVtx, 1680, 630, 1200, 285);
  Place(PtsEnd, 1680, 990, 1200, 285);
  Place(PtsStUD, 2880, 270, 255, 285);
  Place(PtsVtxUD, 2880, 630, 255, 285);
  Place(PtsEndUD, 2880, 990, 255, 285);
  AddBoxLabel(&PointsFrame, -1, "Segment Start", PtsST);
  AddBoxLabel(&PointsFrame, -1, "Vertex", PtsVtx);
  AddBoxLabel(&PointsFrame, -1, "Segment End", PtsEnd);
  Place(CaptionFrame, 3900, 2040, 3660, 3300);
  wc::CheckBox* caps[7] = {&CapMsg, &CapThr, &CapNam, &CapLen, &CapHgt, &CapThk, &Cap2L};
  for (int i = 0; i < 7; ++i) Place(*caps[i], 120, 270 + i * 300, 3300, 285);
  Place(TdTxt, 1680, 2430, 1200, 285);
  Place(TDMode, 1680, 2790, 1200, 285);
  AddBoxLabel(&CaptionFrame, -1, "Time Delay Cap", TdTxt);
  AddBoxLabel(&CaptionFrame, -1, "Time Delay Mode", TDMode);
  Place(CharFrame, 120, 3600, 3660, 1080);
  Place(CharW, 1680, 270, 1200, 285);
  Place(CharH, 1680, 630, 1200, 285);
  AddBoxLabel(&CharFrame, -1, "Width", CharW);
  AddBoxLabel(&CharFrame, -1, "Height", CharH);
  Place(CapPosFrame, 120, 4800, 3660, 1080);
  Place(CapX, 1680, 270, 1200, 285);
  Place(CapY, 1680, 630, 1200, 285);
  AddBoxLabel(&CapPosFrame, -1, "X", CapX);
  AddBoxLabel(&CapPosFrame, -1, "Y", CapY);
  Place(ToolFrame, 120, 6000, 7440, 3900);
  Place(LLMO, 120, 270, 3300, 285);
  Place(ToolDat, 120, 660, 7200, 3120);
  for (wc::Control* c :
       ControlList{&ScanFrame, &BlankFrame, &PointsFrame, &CaptionFrame, &CharFrame, &CapPosFrame, &ToolFrame})
    c->SetTabPage(page);
}

void MainForm::LayOutPointsTab() {
  Place(PtsFrame, 120, 480, 7620, 9540);
  PtsFrame.SetTabPage(design::kTabPoints);
  Place(SetupWin, 120, 300, design::kSetupWinSize, design::kSetupWinSize);
  Place(SetYPos, 3780, 300, 255, 3615);
  Place(SetXPos, 120, 3960, 3615, 255);
  Place(BtnCross, 4440, 300, 720, 360);
  Place(DelPt, 5280, 300, 1500, 360);
  Place(StartSetupCmd, 4440, 780, 1200, 360);
  Place(SetupData, 120, 4380, 7380, 5040);
  Place(CalCB, 120, 600, 1500, 360);
  Place(LabelCBIns, 120, 1080, 7440, 1200);
  CalCB.SetTabPage(design::kTabRemote);
  LabelCBIns.SetTabPage(design::kTabRemote);
}

}  // namespace fieldray::console
