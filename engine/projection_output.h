#pragma once
// Which frame the projector shows and how: the display frame 15 merged from a
// job frame with the field's inversion and offset, the scan rate and blanking
// from its size, the preview and the correction; and the small procedures
// around it (calibration list, projection positions, option groups, Delay).
#include <cstdint>

#include "engine/engine.h"

namespace fieldray::engine {

constexpr std::int32_t DisplayFrameNumber = 15;
constexpr std::int32_t CaptionFrameNumber = 101;

// A text box's value as the program reads it: its leading number, 0 without one.
double BoxValue(Engine& engine, OutputText box);

// Shows `frame` (-1: the frame shown last) through the display frame.
void ShowProjection(Engine& engine, std::int32_t frame);
// The job's frames 1..15, the display frame among them, are deleted and its
// points dropped; what the boards show and Msg are left to the caller.
void DropJobFrames(Engine& engine);
// The boards show nothing: the job frames and the display frame are emptied
// and shown, the preview drawn again; no frame is shown again until the next.
void BlankDisplay(Engine& engine);
// A job whose field cannot project: nothing of it goes to the boards, the
// display is blanked and Msg says why. False when the field can project.
bool RefuseUnprojectableField(Engine& engine, std::int16_t field);
// Sets rate and blanking skew for the boards' working frame.
void SetScanRateForFrame(Engine& engine);
// Loads the calibration patterns into frames 100..999 and lists their names.
void ListCalibrationFrames(Engine& engine);
// The captions of PrjPos 1..6 from the headings of the switch-option grid.
void LoadPrjPosCaptions(Engine& engine);
void EnablePrjPos(Engine& engine, bool enabled);
void EnableOptFld(Engine& engine, bool enabled);
// The first checked PrjPos option, 0 when none is.
std::int32_t CheckedPrjPos(Engine& engine);
// Waits `seconds` while window events run (also across midnight); 0 or less
// lets pending events run once.
void Delay(float seconds);
// The caption time: unless the caption button is down already, it is
// held down while the caption projects for the time in TdTxt (at
// most 30 seconds; 30 when the text is no number).
void CaptionWait(Engine& engine);

}  // namespace fieldray::engine
