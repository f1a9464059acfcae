#pragma once
// State of the window layer shared by its source files (not a public header).
// One copy per process; the lock guards the tables only and is never held while
// a window procedure, timer procedure or handler runs.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "winplat/messages.h"
#include "winplat/text.h"
#include "winplat/timer.h"
#include "winplat/window.h"

namespace winplat::ui {

// The loaded object (library or program) that holds a window procedure.
struct ModuleId {
  std::string path;         // empty for the program itself
  std::uintptr_t base = 0;  // load address
  bool known = false;
};

struct WindowClass {
  std::string name;  // as registered
  WNDCLASS wc;       // lpszClassName and lpszMenuName point into this record
  std::string menuName;
  ModuleId module;
  std::uint64_t unloadsAtRegistration = 0;
  ATOM atom = 0;
};

enum class ShowState { Normal, Minimized, Maximized };

struct Window {
  HWND hwnd = 0;
  std::string classKey;  // lower-case class name
  WNDPROC proc = nullptr;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::string title;
  HWND parent = 0;
  std::vector<HWND> children;  // front to back
  RECT rect;                   // window rectangle in the parent's client coordinates (screen for top level)
  RECT normalRect;             // the restored rectangle
  ShowState state = ShowState::Normal;
  bool visible = false;
  bool enabled = true;
  bool topmost = false;
  bool hasUpdate = false;
  bool erase = false;
  bool paintWhenLooked = false;  // its paint only draws: put off until its pixels are read
  RECT update;  // client coordinates
  LRESULT userData = 0;
  std::uintptr_t id = 0;
  HINSTANCE instance = 0;
  bool destroying = false;
};

struct TimerEntry {
  HWND hwnd = 0;
  UINT_PTR id = 0;
  std::uint32_t interval = 0;
  std::uint64_t due = 0;
  TIMERPROC proc = nullptr;
  std::uint64_t seq = 0;  // creation order, breaks ties between equal due times
};

struct State {
  std::recursive_mutex mutex;
  std::map<std::string, WindowClass> classes;  // by lower-case name
  std::unordered_map<HWND, Window> windows;
  // The windows whose hasUpdate is set, in handle order: those the loop
  // paints, and those painted when their pixels are read.
  std::set<HWND> withUpdate, putOff;
  std::uint64_t updates = 0;  // windows marked for paint so far
  std::vector<HWND> topLevel;  // front to back, topmost windows first
  HWND nextHandle = 0x100;
  ATOM nextAtom = 0xC000;
  std::uint64_t unloadsSeen = 0;

  std::deque<MSG> queue;
  bool quitPosted = false;
  int quitCode = 0;
  bool immediatePainting = false;  // every window painted by the loop, none put off

  std::vector<TimerEntry> timers;
  std::uint64_t nextTimerSeq = 1;
  UINT_PTR nextThreadTimerId = 1;
};

// Files the window under withUpdate or putOff after hasUpdate or paintWhenLooked changed.
inline void NoteUpdate(State& s, const Window& w) {
  s.withUpdate.erase(w.hwnd);
  s.putOff.erase(w.hwnd);
  if (w.hasUpdate) {
    (w.paintWhenLooked ? s.putOff : s.withUpdate).insert(w.hwnd);
    ++s.updates;
  }
}

State& S();
using Lock = std::unique_lock<std::recursive_mutex>;
inline Lock Locked() { return Lock(S().mutex); }

Window* Find(HWND hwnd);  // with the lock held

// Client size of a window rectangle with the given styles.
int ClientWidth(const Window& w);
int ClientHeight(const Window& w);
// Offset of the client area inside the window rectangle.
POINT ClientOrigin(const Window& w);
bool VisibleWithAncestors(HWND hwnd);

// Drops classes whose library was unloaded, and their windows, silently.
void DropUnloadedClasses();
// Removes a window and its children without a message to them (their code is gone).
void RemoveWindowSilently(HWND hwnd);
// Removes a window's timers and queued messages (window being destroyed).
void ForgetWindowTimersAndMessages(HWND hwnd);
// The module that holds an address, and whether it is still loaded as it was.
ModuleId ModuleOf(const void* address);
std::uint64_t UnloadCount();

std::uint64_t Now();  // the replaceable clock's tick count

}  // namespace winplat::ui
