#pragma once
// The machine-wide clipboard: one per machine root, shared by every process on it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "winplat/types.h"

namespace winplat {

constexpr unsigned CF_TEXT = 1;
constexpr unsigned CF_ENHMETAFILE = 14;

// Opens the clipboard for this process; false while another process holds it
// open. Opening it again in a process that holds it succeeds.
bool OpenClipboard(HWND owner);
bool CloseClipboard();
// With the clipboard open: removes every format.
bool EmptyClipboard();
// With the clipboard open: stores the bytes under the format (replacing it).
bool SetClipboardData(unsigned format, std::string_view bytes);
// With the clipboard open: the bytes of the format, nothing when absent.
std::optional<std::string> GetClipboardData(unsigned format);
// Needs no open clipboard; false while another process holds it open.
bool IsClipboardFormatAvailable(unsigned format);

// Text first: each opens and closes the clipboard itself. A clipboard held
// open by another process reads as empty and refuses changes (false).
std::string GetClipboardText();
bool SetClipboardText(std::string_view text);
bool ClearClipboard();
// After SetClipboardText or ClearClipboard failed: why, when the cause was
// not another process holding the clipboard ("cannot write PATH: REASON");
// "" when it was.
std::string ClipboardWriteError();

}  // namespace winplat
