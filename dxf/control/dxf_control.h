#pragma once
// The control class DXF: its constituent picture boxes, public fields, stored
// property values, the dispatch interface _DXF and the events __DXF.
#include <array>
#include <functional>
#include <cstdint>
#include <string>
#include <vector>

#include "../reader/entity_db.h"
#include "../reader/reader_state.h"
#include "error_trail.h"
#include "sprite.h"
#include "view_rect.h"
#include "kelvaneent/kelvaneent.h"
#include "winplat/collection.h"
#include "winplat/control.h"

namespace kelvane {

// State of one constituent picture box. Its window handle and device context
// stay 0 until the window layer creates the box as a child of the host's window.
struct PictureBox {
  winplat::HWND hWnd = 0;
  winplat::HDC hDC = 0;
  std::int16_t Align = 0;  // 1 = top
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  std::int32_t BackColor = static_cast<std::int32_t>(0x80000005u);
  std::int16_t ScaleMode = 1;
  bool AutoRedraw = true;
  std::int16_t DrawMode = 13;
  std::int16_t MousePointer = 0;
  bool Visible = true;
  std::uint32_t ClearCount = 0;  // times its picture was cleared
  std::uint32_t PaintCount = 0;  // progress boxes painted on it
  std::uint32_t ShowCount = 0;   // times its window was shown

  // The background to paint with (a system colour translated to RGB).
  winplat::COLORREF PaintBackColor() const { return winplat::TranslateColor(static_cast<std::uint32_t>(BackColor)); }
};

// A filled blue box from the left edge over `fraction` of the box's width and
// its full height: the progress of a long read or conversion.
void PaintProgress(PictureBox& box, double fraction);

// The library-wide copy of ZoomFunction that the rubber-band feedback reads.
std::int16_t LibraryZoomFunction();
void SetLibraryZoomFunction(std::int16_t value);

// Live DXF objects of this library (for DllCanUnloadNow).
std::int32_t LiveControls();

class DXF : public winplat::ControlObject {
 public:
  DXF();
  ~DXF() override;

  // A mouse position of picKelvane in its scale units.
  float ScaleXFromPixels(int x) const;
  float ScaleYFromPixels(int y) const;

  // Constituent windows.
  PictureBox picKelvane;
  PictureBox picStatusBar;
  std::array<PictureBox, 4> picHandle;

  // The entity data base and the layer collection.
  EntityDB db;
  // The DXF reader's state and the zoom history a read sets to the new extents.
  ReaderState reader;
  std::array<ViewRect, 5> ZoomHistory{};

  // Public fields (colLayers and InsertCount live in the data base).
  std::int16_t DXFComplete = 0;
  std::int32_t RedlineEntityID = 0;
  winplat::ComPtr<winplat::IDispatch> colSprites;
  winplat::ComPtr<winplat::IDispatch> colDrawings;
  float gsScaler = 0;
  float DXFXMin = 0;
  float DXFYMin = 0;

  // Stored property values.
  float OnTheSpotZoomPctLeft = 0, OnTheSpotZoomPctRight = 0, RedlineTextHeight = 0;
  float PropFontScalar = 0, MonoFontScalar = 0;
  std::int16_t ZoomFunction = 0, DisplayAttributes = 0, RedlineEntityType = 0;
  std::int16_t Enabled = 0, PrintAllBlack = 0, DisplayAllBlack = 0, DXFDisplayed = 0, CalcExtents = 0,
               UseDXFFonts = 0;
  std::string Filename, TmpFileNamePath, RedlineCurrentLayer, MonoFontName, PropFontName;
  winplat::Variant RedlineEntitySelected, About;
  winplat::ComPtr<winplat::IDispatch> MouseIcon;
  winplat::ComPtr<winplat::IDispatch> Picture;
  // Further state.
  std::string LoadedFileName;
  std::int32_t AttribDisplayMode = 0;
  std::int16_t LastRedrawResult = 0;

  // View state: the view on the screen as fitted by the last screen pass, the
  // size of the last surface drawn on, and the last scroll positions.
  ViewRect CurrentView{};
  std::int32_t ViewWidth = 0, ViewHeight = 0;
  float ScrollLastV = 0, ScrollLastH = 0;

  // The rendering pass: draws the display list at `view` on picKelvane, into
  // the metafile context `metafileDC` (not 0) or onto the printer. True when drawn.
  bool Zoom(ViewRect view, PictureBox& target, winplat::HDC metafileDC, bool printing,
            const bool* NewEntitiesOnly = nullptr);
  std::int32_t EntityDrawColor(std::int32_t layer, std::int32_t color, bool printing);
  // A polyline segment with a bulge, as an arc.
  winplat::Variant BulgeDraw(std::int32_t row, winplat::HDC hDC, bool printing);

  // View mapping and scrolling.
  bool SetViewTransform(std::int32_t height, float left, float bottom, float scale);
  std::int32_t CvtX(float X);
  std::int32_t CvtY(float Y);
  float IntToRealX(const winplat::Variant& XPixel);
  float IntToRealY(const winplat::Variant& YPixel);
  bool GetCurrentZoom(float& Left, float& Top, float& Right, float& Bottom);
  bool SetCurrentZoom(float Left, float Top, float Right, float Bottom);
  bool Pan(float XTrans, float YTrans);
  std::int16_t VerticalScroll(float DeltaY);
  std::int16_t HorizontalScroll(float DeltaX);
  void AddToPrevZoomStack(const ViewRect& view);

  // Loading, redrawing and printing.
  std::int32_t Regen(std::int32_t Merge, float XOffset = 0, float YOffset = 0);
  bool ZoomExtents();
  bool Refresh(std::string& strError);
  std::int16_t DXFRefresh();
  bool Plot(std::int32_t PlotSize, const std::string& DeviceName = {}, std::int16_t Orientation = 0,
            std::int16_t PaperBin = 0, std::int16_t Copies = 0, std::int16_t PaperSize = 0);

  // The selection grips hidden.
  bool HandleHide(std::string& strError);
  // The four grips centred on the corners of a pixel box, shown.
  bool HandleMove(std::string& strError, const std::array<std::int32_t, 4>& box);
  // True when (X, Y) lies in the widened box on a pixel of the colour `drawColor`.
  bool RedlineEntityHit(std::string& strError, const std::array<std::int32_t, 4>& box, float X, float Y,
                        std::int32_t drawColor);
  // Pixel width and height of a text row at the current scale.
  bool GetStringDimensions(std::string& strError, std::int32_t row, std::int32_t& width, std::int32_t& height);

  // Entity queries: a new collection of entity objects per call.
  bool GetLines(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colLines);
  bool GetPolyLines(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colPolyLines);
  bool GetStrings(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colStrings);
  bool GetSolids(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colSolids);
  bool GetCircles(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colCircles);
  bool GetAttribs(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colAttribs);
  bool GetInserts(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colInserts);
  bool GetBlocks(std::string& strError, winplat::ComPtr<winplat::IDispatch>& colBlocks);
  bool GetInsert(std::string& strError, std::int32_t InsertIndex, std::string& strBaseBlockName, float& X, float& Y,
                 winplat::ComPtr<winplat::IDispatch>& colAttribs);
  // Find-next over the text table; the row found or 0.
  std::int32_t Find(const std::string& TextToFind, std::int16_t LayerID, bool Pan = true);
  std::int32_t FindLastIndex = 0;
  std::int16_t FindLastLayer = 0;

  // Zoom, pan and the mouse-driven functions.
  std::int16_t StationaryZoom(float X, float Y, std::int16_t Pct);
  std::int16_t OnTheSpotZoom(float X, float Y, std::int16_t Button = 1);
  std::int16_t ZoomPrevious();
  std::int16_t ZoomInitiate(float X, float Y);
  winplat::Variant ZoomFeedback(float X, float Y);
  std::int16_t ZoomEnd();
  struct RubberBand {
    std::int16_t EndX = 0, StartX = 0, EndY = 0, StartY = 0;
    bool Active = false;
  } Band;
  bool BandDrawn = false;  // a band is on the picture to erase
  float MoveStartX = 0, MoveStartY = 0, MoveDX = 0, MoveDY = 0;
  std::array<std::int32_t, 4> HitBox{}, SelectionBox{}, MoveBox{};
  std::int32_t RedlineRectangleID = 0;

  // Redline entities.
  std::int32_t DXFAddLine(float X1, float Y1, float X2, float Y2, const std::string& LayerName,
                          std::int32_t RedlineRectangleID = 0);
  std::int32_t DXFAddSolid(float X1, float Y1, float X2, float Y2, float X3, float Y3, float X4, float Y4,
                           const std::string& LayerName);
  std::int32_t DXFAddCircle(float CenterX, float CenterY, float RadiusX, float RadiusY, const std::string& LayerName);
  std::int32_t DXFAddText(float X1, float Y1, const std::string& Text, const std::string& LayerName,
                          std::int32_t CoordinateSystem, const winplat::Variant& TextHeight = winplat::Variant::Missing(),
                          const winplat::Variant& HorzAlignment = winplat::Variant::Missing(),
                          const winplat::Variant& Rotation = winplat::Variant::Missing());
  bool RedlineDeleteEntity(std::string& strError);
  bool RedlineTagForDelete(std::string& strError, std::int32_t EntityID);
  bool GetInsertUnder(std::string& strError, std::int32_t X, std::int32_t Y, std::int32_t& InsertID,
                      std::string& BlockName);
  std::int32_t SelectedGroupID = 0;
  bool RedlineUnDeleteEntity(std::string& strError);
  bool SetInsertColor(std::string& strError, std::int32_t InsertIndex, std::int32_t BlockColor);

  // Writing drawings: the loaded file with the redlines merged in, and the
  // whole data base as a file of its own.
  std::int16_t Save(const std::string& NewFileName);
  using winplat::ControlObject::Save;  // the persisted properties
  winplat::Variant ExportMergedDXF(const std::string& strFileName);
  // Moving, turning and scaling one drawing read; the extents of them all.
  bool DXFTransform(std::int32_t DrawingID, float xRef = 0, float yRef = 0, float xMov = 0, float yMov = 0,
                    float Rotation = 0, float xScale = 1.0f, float yScale = 1.0f);
  void SetMergeExtents();
  // A copy of a text file with LF line ends as one with CR LF line ends.
  bool FixUNIXFile(std::string& strError, const std::string& InFileName, const std::string& OutFileName);

  // picStatusBar's Visible (its window shows only while the control is visible too).
  void SetStatusBarVisible(bool visible);
  void ClearStatusBar();
  // Metafile output: the view recorded as an enhanced metafile into a file or
  // onto the clipboard, or as a placeable old-style metafile.
  std::int16_t SaveWMFOld(const winplat::Variant& Filename);
  std::int16_t SaveWMF(const winplat::Variant& Filename);
  // An old-style metafile that a pass closed, for the writer to take.
  winplat::HGDIOBJ ClosedMetafile = 0;
  // Writes a placeable metafile of the view (not on the interface); false, and
  // no file, when it could not.
  bool WritePlaceableMetafile(const std::string& fileName);

  // Sprites over the drawing.
  bool SpriteInitialize();
  bool SpriteAdd(const std::string& BlockFilename, std::int32_t& SpriteID, float BaseRotation, float xMAgnify,
                 float yMagnify);
  bool SpriteCheck(std::string& strError, const std::string& BlockFilename);
  bool SpriteShow(std::int32_t SpriteID);
  bool SpriteHide(std::int32_t SpriteID);
  bool SpriteMove(std::int32_t SpriteID, float XTrans, float YTrans, const winplat::Variant& RotateAngle);
  bool SpriteSetColor(std::int32_t SpriteID, std::int32_t SpriteColor);
  bool SpriteZoom(std::int32_t SpriteID, float RealBufferWidth);
  bool SpriteTempLine(float X1, float Y1, float X2, float Y2, std::int32_t LineColor);
  // What a pass onto picKelvane does with the sprites before and after drawing.
  void EraseDrawnSprites();
  void DrawVisibleSprites();
  std::vector<winplat::ComPtr<clsSprite>> Sprites() const;
  // The sprite at a position of colSprites (error 9 outside it).
  winplat::ComPtr<clsSprite> SpriteAt(std::int32_t SpriteID) const;
  // The view the sprites are drawn in: the last pass's scale and origin.
  SpriteView CurrentSpriteView() const;

  // Shows the about box modally.
  void AboutBox();

  // Members built here.
  void Clear();
  bool GetExtents(float& Left, float& Top, float& Right, float& Bottom);
  DXFLayers& Layers() { return db.Layers(); }
  // The persistent bitmap of picKelvane (Nothing without one).
  winplat::Variant Image();

  // Property assignments with their rules (each signals the container).
  void SetMousePointer(std::int16_t value);
  void SetMouseIcon(winplat::ComPtr<winplat::IDispatch> value);
  void SetBackColor(std::int32_t value);
  void SetAutoRedraw(bool value);
  void SetRedlineEntityType(std::int16_t value);
  void SetRedlineEntitySelected(const winplat::Variant& value);
  void SetDisplayAttributes(std::int16_t value);
  void SetZoomFunction(std::int16_t value);
  void SetTmpFileNamePath(std::string value);
  void SetFilename(std::string value);

  // Mouse events of picKelvane, passed on as the control's events.
  void picKelvane_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void picKelvane_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void picKelvane_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
  // Events raised by the reader and the rendering pass.
  void RaiseLinesRead(float& PctRead);
  void RaiseZoomComplete();

  // What every failing procedure undoes: the screen's mouse pointer back to
  // the default and, for procedures that draw, picKelvane cleared.
  void ResetAfterError(bool draws);
  TrailCleanup DrawingCleanup() {
    return [this] { ResetAfterError(true); };
  }

 protected:
  void OnInitProperties() override;
  void OnReadProperties(const winplat::PropertyBag& bag) override;
  void OnWriteProperties(winplat::PropertyBag& bag) override;
  void OnResize(std::int32_t width, std::int32_t height) override;
  void OnMove(std::int32_t left, std::int32_t top) override;
  void OnSiteChanged() override;
  void OnVisibleChanged(bool visible) override;
  void OnClose() override;

 private:
  void RegisterMembers();
  void RegisterProperties();
  void RegisterRendering();
  void RegisterQueries();
  void RegisterZoom();
  void RegisterRedline();
  void RegisterSelection();
  void RegisterTransform();
  void RegisterWriters();
  void RegisterLineEnds();
  void ApplyStatusBarVisibility();
  bool controlVisible_ = true;  // the container shows the control
  void RegisterMetafiles();
  void RegisterSprites();
  // Draws or erases a sprite on picKelvane unless it already stands so.
  void PutSprite(clsSprite& sprite, bool drawn);
  void MarkSpritesUndrawn();
  void PlaceGrips();
  void ClearRedlineSelection();
  void SetPictureAutoRedraw(bool on);
  void DrawBand(bool circle, std::int32_t sx, std::int32_t sy, std::int32_t ex, std::int32_t ey);
  std::int16_t ZoomEndBody();
  void RedrawAfterEdit(bool clear);
  void RedlineAddFromBand(std::int16_t fn);
  void RedlineSelectAt(float X, float Y);
  void RedlineMoveSelection();
  bool HasMovableSelection() const;
  // The name of the layer at a row's layer position (empty for none).
  std::string RowLayerName(std::int32_t layer) const;
  bool RunQuery(const char* name, std::string& strError, winplat::ComPtr<winplat::IDispatch>& result,
                const std::function<void(winplat::Collection&)>& fill);
  // Shows what was drawn into picKelvane's persistent bitmap.
  void RefreshPicture();
  void PreparePicture();
  // Redraws the drawing into picKelvane at the current view; the result of the redraw.
  bool RedrawCurrentView();
  void RaiseMouse(winplat::DISPID id, std::int16_t Button, std::int16_t Shift, float X, float Y);
  // The constituent windows, children of the container's window.
  void CreateWindows(winplat::HWND parent);
  void LayoutWindows();
  void DestroyWindows();
  // picKelvane's surface follows its background and persistent-bitmap mode.
  void ApplyPictureState();
  void RefreshPictureDC();
  void ClearPicture();
};

}  // namespace kelvane
