// What the driver's checks share: the program under test, its dialog's controls by name, and
// one line of output per check.
#pragma once

#include <windows.h>

#include <string>

namespace sorea::driver {

struct Program {
  PROCESS_INFORMATION info{};
  HWND dialog = nullptr;
};

// Prints the check's line; a failed check makes the driver exit 1.
void Check(bool ok, const std::string& what, const std::string& detail = "");

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(15);
  }
  return true;
}

std::wstring Text(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
HWND Focus(const Program& p);
void PostKey(HWND target, WPARAM key);

// A control by its component name ("Edit7"); "RadioGroup1.0" is the group's first choice.
HWND Control(const Program& p, const std::string& name);
std::string NameOf(const Program& p, HWND hwnd);
// A control's rectangle in the dialog's client coordinates.
RECT ClientRectOf(const Program& p, HWND hwnd);
std::string RectText(const RECT& r);

// The window, its controls, texts, lists and tab order as the dialog first shows them.
void CheckLayout(Program& p);
// Tab through the whole dialog, then Enter on the focused Cancel.
void RunTab(Program& p);

}  // namespace sorea::driver
