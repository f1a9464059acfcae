#pragma once
// Recording of drawing calls, for tests that check what a routine drew rather
// than its pixels. A recording context logs each call with its arguments and
// still draws, so pixels can be probed as well.
#include <string>
#include <vector>

#include "winplat/types.h"

namespace winplat {

// A memory context over its own white bitmap of the given size, recording from the start.
HDC CreateRecordingDC(int width, int height);
// Starts or stops recording on any context.
void StartRecording(HDC hdc);
void StopRecording(HDC hdc);
// The calls recorded on the context, one line each, such as "LineTo(10, 20)".
std::vector<std::string> RecordedCalls(HDC hdc);
void ClearRecordedCalls(HDC hdc);

// Every context that GetDC hands out for the window records into the window's log.
void SetWindowRecording(HWND hwnd, bool on);
std::vector<std::string> WindowRecordedCalls(HWND hwnd);
void ClearWindowRecordedCalls(HWND hwnd);

}  // namespace winplat
