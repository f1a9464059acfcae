#pragma once
// The program-wide values of Fieldray, kept in one object that handlers and
// engine procedures receive. Each keeps its documented name and type.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "job/path_element.h"
#include "vexlib/vexlib.h"

namespace fieldray {

// The system's Boolean values (16-bit).
constexpr std::int16_t BoolTrue = -1;
constexpr std::int16_t BoolFalse = 0;

// The remembered values of the G-code word readers: they start at 0 when the
// program starts and carry over from line to line and from file to file.
struct GcodeReaderMemory {
  float LastX = 0;
  float LastY = 0;
  float LastI = 0;
  float LastJ = 0;
  double LastRadius = 0;
};

// One machine field's calibration (fields 1..8: S, A, T, R, Sf, Af, Tf, Rf).
struct FieldCalibrationEntry {
  float FieldXPos = 0;       // X post-transformation offset
  float FieldYPos = 0;       // Y post-transformation offset
  std::int32_t XScale = 0;   // half width of the field's working window
  std::int32_t YScale = 0;   // half height
  std::int32_t XShear = 0;   // added to the geometric X shear
  std::int32_t YShear = 0;   // added to the geometric Y shear
};

// One node of the alignment grid measured with the set-up points.
struct PtAlgnNode {
  std::int16_t dX = 0;
  std::int16_t dY = 0;
  std::int16_t Set = 0;
};

// The four values a board session is begun with.
struct SessionValues {
  std::int32_t P1 = 3000;
  std::int32_t P2 = 6000;
  std::int32_t P3 = 8192;
  std::int32_t P4 = 5;
};

struct ProgramState {
  // The path: element 0 is a zero record; elements 1.. are the path.
  PathArray PathElements = PathArray(1);

  // Job and expression variables by letter, A = 1 ... T = 20 (8 = H sheet
  // height, 12 = L sheet length, 19 = S sheet thickness), and which of them the
  // current job supplied.
  std::array<float, 21> VarTable{};
  std::array<std::int16_t, 21> VarSet{};
  // Nonzero while the current program came through the job hand-off.
  std::int16_t HandOffFlag = BoolFalse;

  // Millimetres per program unit: 25.4 after an inch sheet block, 1.0 after a
  // metric one. Only the sheet block writes it; it starts at 0.
  double GcodeUnitFactor = 0;
  // Sheet size in millimetres, kept from one load to the next; length + height
  // = 0 means no sheet size is known.
  float SheetLength = 0;
  float SheetHeight = 0;
  float SheetThickness = 0;
  // True when a Z depth of the program reaches SheetThickness.
  std::int16_t ThroughFlag = BoolFalse;

  // Drawing origin of the program's origin block, whole drawing units.
  std::int32_t OriginX = 0;
  std::int32_t OriginY = 0;
  std::int32_t OriginZ = 0;
  // Sheet corner of the program origin, 0 to 3; and the corner chosen by a
  // corner word written with a trailing "/" (-1 when none; nothing reads it).
  std::int32_t OriginCorner = 0;
  std::int32_t AltOriginCorner = -1;
  // True while G words are executed (condition blocks switch it).
  std::int16_t BlockCondition = BoolTrue;

  // Pattern lines: row n, column 0 the T value (x position) of pattern line n,
  // columns 1 to 12 its further values.
  std::array<std::array<std::int32_t, 13>, 13> PatternTable{};

  GcodeReaderMemory GcodeReaders;

  // Problems met while a program is read (a malformed expression, a number out
  // of range): each is collected here instead of ending the load; the load
  // clears the list before it starts and reports the count afterwards.
  std::vector<std::string> LoadDiagnostics;

  // ---- Settings file ----
  // The program folder with its trailing backslash, and the settings file in it.
  std::string ProgramDir;
  std::string IniFileName;
  // True while start-up fills the settings controls: their handlers do not write back.
  std::int16_t LoadingSettings = BoolFalse;
  // The text Msg was given for the last failed or refused settings write,
  // empty after a good write: that write clears Msg only while Msg still shows it.
  std::string SettingsFailureMsg;
  // The text Msg was given for the last frame that was not written: while Msg
  // still shows it, a caption's text is added after it instead of replacing it.
  std::string FrameFailureMsg;
  // The three values read from the other application's settings file.
  std::string NewListCol;
  std::string FieldSet1;
  std::string FieldSet2;

  // ---- Point list and frame buffer ----
  // Element 0 is never used; 1..PointCount / 1..upper bound hold the points.
  std::vector<PointStruct> AssemblyPoints = std::vector<PointStruct>(1);
  std::int16_t PointCount = 0;
  std::vector<PointStruct> FrameBuffer = std::vector<PointStruct>(1);
  // Points whose coordinates were held at the board's edge since the last frame write.
  std::int32_t SaturatedPoints = 0;
  // Frames of the current job too large for the board: frame number and point
  // count, in the order they were refused (cleared when a job is opened).
  std::vector<std::pair<std::int32_t, std::int32_t>> RefusedFrames;

  // ---- Frame builders ----
  // Colour of the lit points being built (the device colour for white).
  std::int32_t CurrentColor = 0;
  // The largest colour among the assembly points at the last frame-1 build; the
  // lit run-start copies of every switch-position frame take it.
  std::int32_t LargestColour = 0;
  // Class given to every point added through the origin-shifted point adder.
  std::int32_t OffsetPointClass = 0;
  // Repeats of a point at a segment's start, at a vertex and at a segment's end.
  std::int32_t HoldStart = 0;
  std::int32_t HoldVertex = 0;
  std::int32_t HoldEnd = 0;
  // The job's point list as its switch frames were built from it, and the
  // job's file name: the switch options rebuild the frames from them. Empty
  // while no job is loaded; an open drops the list.
  std::vector<PointStruct> JobPoints;
  std::string JobFileName;
  // The opened job's full path, as Msg shows it (notes on its frames follow it).
  std::string JobPath;
  // What Msg says of the last pick or load, part by part; engine/pick_message
  // composes the line from it, in the order of the members.
  struct PickMessage {
    bool Open = false;        // a pick or load is going on: its frames' notes belong to it
    std::string Head;         // the job's path, or the fixed text the import shows instead
    std::string Reason;       // the reader's or interpreter's reason
    std::string IntakeNotes;  // job variables the intake could not evaluate
    std::string NextIntakeNotes;  // the intake's notes for the open it makes, set around it
    std::string ReadNotes;    // values read as something other than written
    std::string RefusedFrames;  // frames too large for the board, one text
    // Frames the board did not store: number, points and why (frame 0: why
    // the frames could not be built at all).
    struct FrameFailure {
      std::int32_t Frame = 0;
      std::int32_t Points = 0;
      std::string Why;
    };
    std::vector<FrameFailure> FrameFailures;
    std::string SwitchHint;
    std::int32_t DrawingHeld = 0;  // points held at the board's edge
    std::int32_t CaptionHeld = 0;  // caption strokes held at the field's edge
    std::string CaptionFailure;
    std::string Shown;  // the line as Msg was given it last
  } Pick;

  // ---- Machine fields ----
  // Index 1..8; element 0 is no field and stays zero.
  std::array<FieldCalibrationEntry, 9> FieldCalibration{};
  // The output inversion in force on the boards: 0 not inverted, -1 inverted.
  std::int16_t InversionState = BoolFalse;
  std::int16_t CurrentRunField = 0;
  // True only while a run field is being selected on the field-offsets tab.
  std::int16_t FieldBusy = BoolFalse;
  // Whether the field option group OptFld is enabled.
  std::int16_t OptFldEnabled = BoolTrue;

  // ---- Geometric correction ----
  // Alignment offsets, node i + 65 j.
  std::array<PtAlgnNode, 65 * 65> PtAlgnGrid{};
  // Parabola correction per grid column or row; element 32 stays 0.
  std::array<float, 65> ParabolaTable{};
  // True while the correction boxes are being filled from the settings.
  std::int16_t GeoLoading = BoolFalse;
  // The board frame of the calibration pattern the correction preview shows (0: none chosen).
  std::int32_t CalibrationFrame = 0;

  // ---- Device status and session ----
  // The status of the last device call made with it as its status argument.
  VXStatusCode VXStatus = 0;
  // When 0, the gated status codes are not reported. Starts on so that board
  // faults are shown until the operator declines them.
  std::int32_t ShowErrorMessages = -1;
  SessionValues SessionArgs;

  // ---- Projection output ----
  // The scan-rate multiplier.
  std::int32_t ScanRateCache = 20;
  // The caption of the current job ("" when there is none).
  std::string CaptionText;
  // True while the remote box works: the projection leaves the correction alone.
  std::int16_t ControlBoxBusy = BoolFalse;
  // The frame the projection last worked with.
  std::int32_t LastShownFrame = 0;
  // Above 0 while a drawing is opened, a frame is projected or a status is
  // reported: the job intake takes no job then.
  std::int32_t EngineBusy = 0;

  // ---- Marker editor and set-up points ----
  // The selected marker line (0: none), and where on it it was picked, from
  // its first end.
  std::int32_t SelectedMarker = 0;
  float MarkerGrabX = 0;
  float MarkerGrabY = 0;
  // The selected set-up cross and its grid row (0: none).
  std::int32_t SelectedSetupPoint = 0;
};

}  // namespace fieldray
