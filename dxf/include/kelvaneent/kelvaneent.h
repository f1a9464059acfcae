#pragma once
// The DXF view control's interface as its hosts see it: the class's ProgID and
// identifiers, the dispatch identifiers of `_DXF` and `__DXF`, and the
// enumerations. A host includes this for the constants only; it creates the
// control by ProgID and never links to the library.
#include <cstdint>

namespace kelvane {

constexpr const char* kProgID = "KelvaneEnt.DXF";
constexpr const char* kClassDescription = "KelvaneEnt.DXF";
constexpr const char* kCLSID_DXF = "{6B1E2F40-7C1D-4E5A-9B3C-2D8F0A41C501}";
constexpr const char* kIID_DXF = "{6B1E2F41-7C1D-4E5A-9B3C-2D8F0A41C501}";
constexpr const char* kDIID_DXFEvents = "{6B1E2F42-7C1D-4E5A-9B3C-2D8F0A41C501}";
constexpr const char* kLIBID_KelvaneEnt = "{6B1E2F43-7C1D-4E5A-9B3C-2D8F0A41C501}";
constexpr int kTypeLibMajor = 2;
constexpr int kTypeLibMinor = 1;

// The number every procedure of the control raises its errors with.
constexpr std::int32_t kControlError = static_cast<std::int32_t>(0x80040001u);

namespace dispid {
// Public fields.
constexpr std::int32_t colLayers = 0x4003001d;
constexpr std::int32_t DXFComplete = 0x4003002d;
constexpr std::int32_t InsertCount = 0x4003003c;
constexpr std::int32_t RedlineEntityID = 0x40030068;
constexpr std::int32_t colSprites = 0x40030069;
constexpr std::int32_t colDrawings = 0x4003006a;
constexpr std::int32_t gsScaler = 0x4003006b;
constexpr std::int32_t DXFXMin = 0x4003006c;
constexpr std::int32_t DXFYMin = 0x4003006d;
// Methods.
constexpr std::int32_t GetInsertUnder = 0x6003001a;
constexpr std::int32_t RedlineTagForDelete = 0x6003001b;
constexpr std::int32_t ExportMergedDXF = 0x6003001c;
constexpr std::int32_t DXFTransform = 0x6003001d;
constexpr std::int32_t SetMergeExtents = 0x6003001e;
constexpr std::int32_t SpriteAdd = 0x6003001f;
constexpr std::int32_t SpriteCheck = 0x60030020;
constexpr std::int32_t SpriteShow = 0x60030021;
constexpr std::int32_t SpriteSetColor = 0x60030022;
constexpr std::int32_t SpriteTempLine = 0x60030023;
constexpr std::int32_t SpriteZoom = 0x60030024;
constexpr std::int32_t SpriteMove = 0x60030025;
constexpr std::int32_t SpriteHide = 0x60030026;
constexpr std::int32_t SpriteInitialize = 0x60030027;
constexpr std::int32_t GetInsert = 0x60030029;
constexpr std::int32_t GetLines = 0x6003002a;
constexpr std::int32_t GetPolyLines = 0x6003002b;
constexpr std::int32_t GetStrings = 0x6003002c;
constexpr std::int32_t GetSolids = 0x6003002d;
constexpr std::int32_t GetCircles = 0x6003002e;
constexpr std::int32_t GetAttribs = 0x6003002f;
constexpr std::int32_t GetInserts = 0x60030030;
constexpr std::int32_t GetBlocks = 0x60030031;
constexpr std::int32_t GetCurrentZoom = 0x60030036;
constexpr std::int32_t SetCurrentZoom = 0x60030037;
constexpr std::int32_t Pan = 0x60030038;
constexpr std::int32_t IntToRealX = 0x60030039;
constexpr std::int32_t IntToRealY = 0x6003003a;
constexpr std::int32_t CvtX = 0x6003003e;
constexpr std::int32_t CvtY = 0x6003003f;
constexpr std::int32_t SetInsertColor = 0x60030041;
constexpr std::int32_t VerticalScroll = 0x60030042;
constexpr std::int32_t HorizontalScroll = 0x60030043;
constexpr std::int32_t ZoomExtents = 0x6003004d;
constexpr std::int32_t Plot = 0x6003004e;
constexpr std::int32_t Refresh = 0x6003004f;
constexpr std::int32_t Regen = 0x60030050;
constexpr std::int32_t OnTheSpotZoom = 0x60030053;
constexpr std::int32_t ZoomInitiate = 0x60030054;
constexpr std::int32_t ZoomEnd = 0x60030055;
constexpr std::int32_t ZoomFeedback = 0x60030056;
constexpr std::int32_t ZoomPrevious = 0x60030057;
constexpr std::int32_t SaveWMFOld = 0x60030058;
constexpr std::int32_t SaveWMF = 0x6003005a;
constexpr std::int32_t DXFRefresh = 0x6003005c;
constexpr std::int32_t Find = 0x6003005d;
constexpr std::int32_t FixUNIXFile = 0x60030063;
constexpr std::int32_t Save = 0x60030084;
constexpr std::int32_t DXFAddLine = 0x6003008a;
constexpr std::int32_t DXFAddSolid = 0x6003008b;
constexpr std::int32_t DXFAddCircle = 0x6003008c;
constexpr std::int32_t DXFAddText = 0x6003008d;
constexpr std::int32_t About = static_cast<std::int32_t>(0xfffffdd8u);
constexpr std::int32_t Clear = 0x6003008f;
constexpr std::int32_t RedlineDeleteEntity = 0x60030090;
constexpr std::int32_t RedlineUnDeleteEntity = 0x60030091;
constexpr std::int32_t GetExtents = 0x60030092;
// Properties.
constexpr std::int32_t MousePointer = 0x68030000;
constexpr std::int32_t MouseIcon = 0x68030001;
constexpr std::int32_t DisplayAllBlack = 0x68030002;
constexpr std::int32_t DXFDisplayed = 0x68030003;
constexpr std::int32_t AutoRedraw = 0x68030004;
constexpr std::int32_t hWnd = 0x68030005;
constexpr std::int32_t hDC = 0x68030006;
constexpr std::int32_t Image = 0x68030007;
constexpr std::int32_t CalcExtents = 0x68030008;
constexpr std::int32_t RedlineCurrentLayer = 0x68030009;
constexpr std::int32_t RedlineEntityType = 0x6803000a;
constexpr std::int32_t RedlineEntitySelected = 0x6803000b;
constexpr std::int32_t RedlineTextHeight = 0x6803000c;
constexpr std::int32_t Layers = 0x6803000d;
constexpr std::int32_t DisplayAttributes = 0x6803000e;
constexpr std::int32_t ZoomFunction = 0x6803000f;
constexpr std::int32_t OnTheSpotZoomPctRight = 0x68030010;
constexpr std::int32_t PropFontScalar = 0x68030011;
constexpr std::int32_t PropFontName = 0x68030012;
constexpr std::int32_t MonoFontName = 0x68030013;
constexpr std::int32_t MonoFontScalar = 0x68030014;
constexpr std::int32_t OnTheSpotZoomPctLeft = 0x68030015;
constexpr std::int32_t TmpFileNamePath = 0x68030016;
constexpr std::int32_t Filename = 0x68030017;
constexpr std::int32_t PrintAllBlack = 0x68030018;
constexpr std::int32_t Enabled = 0x68030019;
constexpr std::int32_t UseDXFFonts = 0x68030093;
constexpr std::int32_t BackColor = static_cast<std::int32_t>(0xfffffe0bu);
// Events of __DXF.
constexpr std::int32_t LinesRead = 1;
constexpr std::int32_t ZoomComplete = 2;
constexpr std::int32_t MouseDown = 3;
constexpr std::int32_t MouseMove = 4;
constexpr std::int32_t MouseUp = 5;
}  // namespace dispid

enum ZoomFunctionEnum : std::int32_t {
  dxfWindow = 0,
  dxfDrillDown = 1,
  dxfPan = 2,
  dxfRedLineText = 3,
  dxfRedLineLine = 4,
  dxfRedLineCircle = 5,
  dxfRedLineRectangle = 6,
  dxfRedLineSelect = 8,
  dxfDrawBox = 9,
  dxfRedlineSolid = 10,
  dxfRedlineMove = 11,
};
enum HorzAlignEnum : std::int32_t { dxfLeft = 0, dxfCenter = 1, dxfRight = 2 };
enum CoordSystem : std::int32_t { dxfPixel = 0, dxfRealWorld = 1 };
enum DispAttribsEnum : std::int32_t { dxfAttribsOff = 0, dxfAttribsOn = 1 };
enum PlotSizeEnum : std::int32_t { dxfExtents = 0, dxfCurrentView = 1 };
enum MergeEnum : std::int32_t { dxfMergeNew = 0, dxfMergeAdd = 1, dxfMergeParse = 2 };
enum EntityTypesEnum : std::int32_t {
  dxfRedLineNone = -1,
  dxfRedLineNewLine = 0,
  dxfRedLineNewCircle = 1,
  dxfRedLineNewText = 2,
  dxfRedLineNewSolid = 3,
};

}  // namespace kelvane
