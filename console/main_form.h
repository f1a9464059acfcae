#pragma once
// The main window `Main`: every control the console and the engine use, by its
// documented name, with its design values. Handlers are attached by the
// console's parts; the engine reads and sets the controls directly.
#include "console/design_values.h"
#include "winplat/controls/control_array.h"
#include "winplat/controls/form.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/picture.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"

namespace fieldray::console {

namespace wc = winplat::controls;

class MainForm : public wc::Form {
 public:
  MainForm();

 private:
  wc::Control* const none_ = nullptr;

 public:
  // ---- Always shown: output switches, field and mode groups, job files, status.
  wc::Frame& MFFrame = Add<wc::Frame>("MFFrame", none_, "Machine Field");
  wc::ControlArray<wc::OptionButton> OptFld{*this, "OptFld"};
  wc::Frame& PMFrame = Add<wc::Frame>("PMFrame", none_, "Projection Mode");
  wc::ControlArray<wc::OptionButton> PrjPos{*this, "PrjPos"};
  wc::Frame& PHFrame = Add<wc::Frame>("PHFrame", none_, "Projection Height Presets");
  wc::ControlArray<wc::OptionButton> PrjHght{*this, "PrjHght"};
  wc::CheckBox& MdHt = Add<wc::CheckBox>("MdHt", none_, "Mode sets Height");
  wc::CheckBox& OnOff = Add<wc::CheckBox>("OnOff", none_, "Laser On/Off", design::kOnOffFirst);
  wc::CheckBox& CapBtn = Add<wc::CheckBox>("CapBtn", none_, "Project Caption", design::kCapBtnFirst);
  wc::CommandButton& Browse = Add<wc::CommandButton>("Browse", none_, "Browse...");
  wc::FileListBox& File1 = Add<wc::FileListBox>("File1", none_);
  wc::CheckBox& CorvConn = Add<wc::CheckBox>("CorvConn", none_, "Connect ", design::kCorvConnFirst);
  wc::Label& Msg = Add<wc::Label>("Msg", none_);
  wc::Label& LabStat = Add<wc::Label>("LabStat", none_);
  wc::Label& LblXAdj = Add<wc::Label>("LblXAdj", none_);
  wc::Label& LblYAdj = Add<wc::Label>("LblYAdj", none_);
  wc::PictureBox& DispLaser = Add<wc::PictureBox>("DispLaser", none_);
  wc::HostSlot& DXF1 = Add<wc::HostSlot>("DXF1", none_, design::kDxfProgId);
  wc::CommonDialog& Browser = Add<wc::CommonDialog>("Browser", none_);
  wc::TimerControl& Timer1 = Add<wc::TimerControl>("Timer1", none_, design::kTimer1Interval);
  wc::TimerControl& TimerCB = Add<wc::TimerControl>("TimerCB", none_, design::kTimerCBInterval);
  wc::HostSlot& GcodeAwk = Add<wc::HostSlot>("GcodeAwk", none_, design::kScannerProgId);
  wc::HostSlot& Parser = Add<wc::HostSlot>("Parser", none_, design::kScannerProgId);
  wc::HostSlot& Eval = Add<wc::HostSlot>("Eval", none_, design::kScannerProgId);
  wc::TabStrip& SSTab1 = Add<wc::TabStrip>("SSTab1", none_);

  // ---- Field offsets tab.
  wc::Frame& FldFrame = Add<wc::Frame>("FldFrame", &SSTab1, "Run Field");
  wc::ControlArray<wc::OptionButton> FldOpt{*this, "FldOpt"};
  wc::ScrollBar& XFldPos = Add<wc::ScrollBar>("XFldPos", &SSTab1, wc::ControlKind::HScrollBar);
  wc::ScrollBar& YFldPos = Add<wc::ScrollBar>("YFldPos", &SSTab1, wc::ControlKind::VScrollBar);
  wc::ScrollBar& XFldScale = Add<wc::ScrollBar>("XFldScale", &SSTab1, wc::ControlKind::HScrollBar);
  wc::ScrollBar& YFldScale = Add<wc::ScrollBar>("YFldScale", &SSTab1, wc::ControlKind::VScrollBar);
  wc::ScrollBar& XFldShear = Add<wc::ScrollBar>("XFldShear", &SSTab1, wc::ControlKind::HScrollBar);
  wc::ScrollBar& YFldShear = Add<wc::ScrollBar>("YFldShear", &SSTab1, wc::ControlKind::VScrollBar);
  wc::Label& LblXSh = Add<wc::Label>("LblXSh", &SSTab1);
  wc::Label& LblYSh = Add<wc::Label>("LblYSh", &SSTab1);
  wc::Frame& PrjHtFrame = Add<wc::Frame>("PrjHtFrame", &SSTab1, "Projection Height");
  wc::ControlArray<wc::OptionButton> PrjHt{*this, "PrjHt"};

  // ---- Geometric correction tab.
  wc::Frame& CalFrame = Add<wc::Frame>("CalFrame", &SSTab1, "Correction");
  wc::ControlArray<wc::OptionButton> CalOpt{*this, "CalOpt"};
  wc::TextBox& GeoRotate = Add<wc::TextBox>("GeoRotate", &SSTab1);
  wc::TextBox& GeoPosX = Add<wc::TextBox>("GeoPosX", &SSTab1);
  wc::TextBox& GeoPosY = Add<wc::TextBox>("GeoPosY", &SSTab1);
  wc::TextBox& GeoPinX = Add<wc::TextBox>("GeoPinX", &SSTab1);
  wc::TextBox& GeoPinY = Add<wc::TextBox>("GeoPinY", &SSTab1);
  wc::TextBox& GeoPara = Add<wc::TextBox>("GeoPara", &SSTab1);
  wc::TextBox& GeoKeyX = Add<wc::TextBox>("GeoKeyX", &SSTab1);
  wc::TextBox& GeoKeyY = Add<wc::TextBox>("GeoKeyY", &SSTab1);
  wc::TextBox& GeoLinX = Add<wc::TextBox>("GeoLinX", &SSTab1);
  wc::TextBox& GeoLinY = Add<wc::TextBox>("GeoLinY", &SSTab1);
  wc::TextBox& GeoBowX = Add<wc::TextBox>("GeoBowX", &SSTab1);
  wc::TextBox& GeoBowY = Add<wc::TextBox>("GeoBowY", &SSTab1);
  wc::TextBox& GeoShearX = Add<wc::TextBox>("GeoShearX", &SSTab1);
  wc::TextBox& GeoShearY = Add<wc::TextBox>("GeoShearY", &SSTab1);
  wc::TextBox& GeoSizeX = Add<wc::TextBox>("GeoSizeX", &SSTab1);
  wc::TextBox& GeoSizeY = Add<wc::TextBox>("GeoSizeY", &SSTab1);
  wc::TextBox& GeoBalX = Add<wc::TextBox>("GeoBalX", &SSTab1);
  wc::TextBox& GeoBalY = Add<wc::TextBox>("GeoBalY", &SSTab1);
  wc::ScrollBar& XGeoAdj = Add<wc::ScrollBar>("XGeoAdj", &SSTab1, wc::ControlKind::HScrollBar);
  wc::ScrollBar& YGeoAdj = Add<wc::ScrollBar>("YGeoAdj", &SSTab1, wc::ControlKind::VScrollBar);
  wc::PictureBox& GeoPic = Add<wc::PictureBox>("GeoPic", &SSTab1);
  wc::CommandButton& BtnSavGeo = Add<wc::CommandButton>("BtnSavGeo", &SSTab1, design::kBtnSavGeoCaption);
  wc::CommandButton& BtnGeoRvt = Add<wc::CommandButton>("BtnGeoRvt", &SSTab1, design::kBtnGeoRvtCaption);
  wc::ListBox& ListCal = Add<wc::ListBox>("ListCal", &SSTab1);

  // ---- Marker editor tab.
  wc::Frame& MarkFrame = Add<wc::Frame>("MarkFrame", &SSTab1, "Markers");
  wc::PictureBox& MarkerWin = Add<wc::PictureBox>("MarkerWin", &MarkFrame);
  wc::ControlArray<wc::LineControl> MLine{*this, "MLine"};
  wc::ControlArray<wc::ShapeControl> MRec{*this, "MRec"};
  wc::ControlArray<wc::CommandButton> BtnLine{*this, "BtnLine"};
  wc::ScrollBar& XPos = Add<wc::ScrollBar>("XPos", &MarkFrame, wc::ControlKind::HScrollBar);
  wc::ScrollBar& X2Move = Add<wc::ScrollBar>("X2Move", &MarkFrame, wc::ControlKind::HScrollBar);
  wc::ScrollBar& YPos = Add<wc::ScrollBar>("YPos", &MarkFrame, wc::ControlKind::VScrollBar);
  wc::ScrollBar& Y2Move = Add<wc::ScrollBar>("Y2Move", &MarkFrame, wc::ControlKind::VScrollBar);
  wc::CommandButton& MWDel = Add<wc::CommandButton>("MWDel", &MarkFrame, "Del");
  wc::CommandButton& MWClr = Add<wc::CommandButton>("MWClr", &MarkFrame, "Clear");
  wc::CommandButton& BtnStMkr = Add<wc::CommandButton>("BtnStMkr", &MarkFrame, "Store Markers");
  wc::CheckBox& Merge = Add<wc::CheckBox>("Merge", &MarkFrame, "Merge Markers");
  wc::HostSlot& MarkerData = Add<wc::HostSlot>("MarkerData", &MarkFrame, design::kGridProgId);

  // ---- Output, scan-rate and caption options tab.
  wc::Frame& ScanFrame = Add<wc::Frame>("ScanFrame", &SSTab1, "Scan Rate");
  wc::TextBox& SRUL = Add<wc::TextBox>("SRUL", &ScanFrame, "30000");
  wc::UpDown& SRULUD = Add<wc::UpDown>("SRULUD", &ScanFrame);
  wc::TextBox& SRLL = Add<wc::TextBox>("SRLL", &ScanFrame, "10000");
  wc::UpDown& SRLLUD = Add<wc::UpDown>("SRLLUD", &ScanFrame);
  wc::TextBox& ScnRt = Add<wc::TextBox>("ScnRt", &ScanFrame, "20");
  wc::UpDown& ScnRtUD = Add<wc::UpDown>("ScnRtUD", &ScanFrame);
  wc::Frame& BlankFrame = Add<wc::Frame>("BlankFrame", &SSTab1, "Blanking");
  wc::TextBox& BlnkTm = Add<wc::TextBox>("BlnkTm", &BlankFrame, "8000");
  wc::UpDown& BlnkTmUD = Add<wc::UpDown>("BlnkTmUD", &BlankFrame);
  wc::Label& BlnkSK = Add<wc::Label>("BlnkSK", &BlankFrame);
  wc::Frame& PointsFrame = Add<wc::Frame>("CtlPtsFrame", &SSTab1, "Control Points");
  wc::TextBox& PtsST = Add<wc::TextBox>("PtsST", &PointsFrame, "3");
  wc::UpDown& PtsStUD = Add<wc::UpDown>("PtsStUD", &PointsFrame);
  wc::TextBox& PtsVtx = Add<wc::TextBox>("PtsVtx", &PointsFrame, "3");
  wc::UpDown& PtsVtxUD = Add<wc::UpDown>("PtsVtxUD", &PointsFrame);
  wc::TextBox& PtsEnd = Add<wc::TextBox>("PtsEnd", &PointsFrame, "3");
  wc::UpDown& PtsEndUD = Add<wc::UpDown>("PtsEndUD", &PointsFrame);
  wc::Frame& CaptionFrame = Add<wc::Frame>("CaptionFrame", &SSTab1, "Caption Projection");
  wc::CheckBox& CapMsg = Add<wc::CheckBox>("CapMsg", &CaptionFrame, "Messages");
  wc::CheckBox& CapThr = Add<wc::CheckBox>("CapThr", &CaptionFrame, "Flag for Through Cuts");
  wc::CheckBox& CapNam = Add<wc::CheckBox>("CapNam", &CaptionFrame, "File Name");
  wc::CheckBox& CapLen = Add<wc::CheckBox>("CapLen", &CaptionFrame, "Length");
  wc::CheckBox& CapHgt = Add<wc::CheckBox>("CapHgt", &CaptionFrame, "Height");
  wc::CheckBox& CapThk = Add<wc::CheckBox>("CapThk", &CaptionFrame, "Thickness");
  wc::CheckBox& Cap2L = Add<wc::CheckBox>("Cap2L", &CaptionFrame, "Two Lines");
  wc::TextBox& TdTxt = Add<wc::TextBox>("TdTxt", &CaptionFrame);
  wc::TextBox& TDMode = Add<wc::TextBox>("TDMode", &CaptionFrame);
  wc::Frame& CharFrame = Add<wc::Frame>("CharFrame", &SSTab1, "Charater Size");
  wc::TextBox& CharW = Add<wc::TextBox>("CharW", &CharFrame, "11");
  wc::TextBox& CharH = Add<wc::TextBox>("CharH", &CharFrame);
  wc::Frame& CapPosFrame = Add<wc::Frame>("CapPosFrame", &SSTab1, "Caption Position");
  wc::TextBox& CapX = Add<wc::TextBox>("CapX", &CapPosFrame, "-9000");
  wc::TextBox& CapY = Add<wc::TextBox>("CapY", &CapPosFrame, "-9000");
  wc::Frame& ToolFrame = Add<wc::Frame>("ToolFrame", &SSTab1, "MachineTool Data");
  wc::CheckBox& LLMO = Add<wc::CheckBox>("LLMO", &ToolFrame, "Lower Left Machine Origin");
  wc::HostSlot& ToolDat = Add<wc::HostSlot>("ToolDat", &ToolFrame, design::kGridProgId);

  // ---- Set-up points tab.
  wc::Frame& PtsFrame = Add<wc::Frame>("PtsFrame", &SSTab1, "Points");
  wc::PictureBox& SetupWin = Add<wc::PictureBox>("SetupWin", &PtsFrame);
  wc::LineControl& Line4 = Add<wc::LineControl>("Line4", &SetupWin);
  wc::LineControl& Line5 = Add<wc::LineControl>("Line5", &SetupWin);
  wc::ControlArray<wc::LineControl> SetLineX{*this, "SetLineX"};
  wc::ControlArray<wc::LineControl> SetLineY{*this, "SetLineY"};
  wc::HostSlot& SetupData = Add<wc::HostSlot>("SetupData", &PtsFrame, design::kGridProgId);
  wc::CommandButton& BtnCross = Add<wc::CommandButton>("BtnCross", &PtsFrame, "+");
  wc::CommandButton& DelPt = Add<wc::CommandButton>("DelPt", &PtsFrame, "Delete Point");
  wc::CommandButton& StartSetupCmd = Add<wc::CommandButton>("StartSetupCmd", &PtsFrame, "Apply");
  wc::ScrollBar& SetXPos = Add<wc::ScrollBar>("SetXPos", &PtsFrame, wc::ControlKind::HScrollBar);
  wc::ScrollBar& SetYPos = Add<wc::ScrollBar>("SetYPos", &PtsFrame, wc::ControlKind::VScrollBar);

  // ---- Remote control box tab.
  wc::CommandButton& CalCB = Add<wc::CommandButton>("CalCB", &SSTab1, "Calibrate");
  wc::Label& LabelCBIns = Add<wc::Label>("LabelCBIns", &SSTab1);

 private:
  // The captions beside text boxes ("Upper Limit", ...), for the picture only.
  void AddBoxLabel(wc::Control* container, int page, const char* caption, const wc::Control& box);
  void LayOutMain();
  void LayOutFieldTab();
  void LayOutGeometricTab();
  void LayOutMarkerTab();
  void LayOutOptionsTab();
  void LayOutPointsTab();
};

}  // namespace fieldray::console
