#pragma once
// Design values of the console's windows that their handlers do not fix:
// every such choice is here, in one place.
#include <cstdint>

namespace fieldray::console::design {

// Window captions and sizes (twips).
inline constexpr const char* kMainCaption = "Fieldray";
inline constexpr const char* kPHSCaption = "Height Presets";
inline constexpr const char* kSwOptCaption = "Switch Options";
inline constexpr int kMainWidth = 15300;
inline constexpr int kMainHeight = 10800;
inline constexpr int kDialogWidth = 6000;
inline constexpr int kDialogHeight = 4800;

// Range of YFldPos: tenths of a unit, covering stored FieldYPos values of -150 .. 150.
inline constexpr int kYFldPosMin = -1500;
inline constexpr int kYFldPosMax = 1500;
// XFldPos before a field is chosen (each field sets its own range).
inline constexpr int kXFldPosMin = -1500;
inline constexpr int kXFldPosMax = 1500;

// The job intake's check box CorvConn, beside the job list.
inline constexpr int kCorvConnLeft = 4140;
inline constexpr int kCorvConnTop = 4110;
inline constexpr int kCorvConnWidth = 1500;
inline constexpr int kCorvConnHeight = 300;

// The marker sketch: square, in twips like the set-up window.
inline constexpr int kMarkerWinSize = 3615;
// The set-up window is fixed at 3615 twips square by its coordinates.
inline constexpr int kSetupWinSize = 3615;
// The preview of the display frame.
inline constexpr int kDispLaserSize = 3000;

// The correction bars before the first CalOpt choice (the rotation's range).
inline constexpr int kGeoAdjMin = -2000;
inline constexpr int kGeoAdjMax = 2000;
// The set-up point nudge bars: a node step each, up to 64 nodes either way.
inline constexpr int kSetPosMin = -64;
inline constexpr int kSetPosMax = 64;

// Captions of the corrections CalOpt(1..10).
inline constexpr const char* kCalOptCaptions[10] = {"Rotation", "Position", "Pincushion", "Parabola",
                                                    "Keystone", "Linearity", "Bow",        "Shear",
                                                    "Size",     "Balance"};
// Captions of the run fields FldOpt(0..10).
inline constexpr const char* kFldOptCaptions[11] = {"None", "S",  "A",  "T",     "R",    "Sf",
                                                    "Af",   "Tf", "Rf", "Spare", "T Set"};
// Captions of the tabs of SSTab1, and the page each area sits on.
inline constexpr const char* kTabCaptions[6] = {"Field Offsets", "Geometric", "Markers",
                                                "Options",       "Points",    "Remote Box"};
inline constexpr int kTabFields = 0;
inline constexpr int kTabGeometric = 1;
inline constexpr int kTabMarkers = 2;
inline constexpr int kTabOptions = 3;
inline constexpr int kTabPoints = 4;
inline constexpr int kTabRemote = 5;
// Buttons whose captions are open.
inline constexpr const char* kBtnSavGeoCaption = "Save";
inline constexpr const char* kBtnGeoRvtCaption = "Revert";
inline constexpr const char* kBtnLineCaptions[4] = {"|", "--", "[]", "+"};

// First states.
inline constexpr bool kFile1Enabled = true;
inline constexpr int kOnOffFirst = 0;      // laser output off
inline constexpr int kCapBtnFirst = 0;     // drawing, not caption
inline constexpr int kOptFldFirst = 1;     // field N/S checked
inline constexpr int kPrjPosFirst = 1;     // Mode1 checked
inline constexpr int kFldOptFirst = -1;    // no run field checked
inline constexpr int kCorvConnFirst = 1;   // jobs are taken from the clipboard
// Text boxes whose default is open start empty: CharH, TdTxt, TDMode and the
// eighteen correction boxes (filled from the settings at start-up).

// Timers.
inline constexpr std::uint32_t kTimer1Interval = 1000;
inline constexpr std::uint32_t kTimerCBInterval = 100;

// ProgIDs of the outside components in their slots.
inline constexpr const char* kGridProgId = "FPSpread.vaSpread";
inline constexpr const char* kScannerProgId = "vsAwk";
inline constexpr const char* kDxfProgId = "KelvaneEnt.DXF";

}  // namespace fieldray::console::design
