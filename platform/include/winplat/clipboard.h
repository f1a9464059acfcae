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

// The clipboard's file as it stands, looked at without being read.
struct ClipboardFileInfo {
  bool present = false;     // something stands at the file's place
  std::uintmax_t size = 0;  // the bytes of a regular file
  std::string identity;     // changes whenever the file is written, replaced or removed
};
ClipboardFileInfo ClipboardFile();
// Whether the last read found the file damaged (or a folder in its place),
// so that it read as empty. Standard error says so once per state of the file.
bool ClipboardDamaged();

}  // namespace winplat
