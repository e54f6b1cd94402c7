// What the driver's checks share: the program under test, its dialog's controls by name, and
// one line of output per check.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace sorea::driver {

struct Program {
  PROCESS_INFORMATION info{};
  HWND dialog = nullptr;
};

// Prints the check's line; a failed check makes the driver exit 1.
void Check(bool ok, const std::string& what, const std::string& detail = "");

// Handles what reached the driver's own windows (the probe's reports).
void PumpMessages();

// Polls pred until it holds, taking the probe's reports meanwhile.
template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT);
    PumpMessages();
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

// The dialog's DPI, and a layout length (pixels at 96 DPI) at that DPI, rounded as MulDiv
// rounds: the dialog places everything so.
int DialogDpi(const Program& p);
int Scaled(const Program& p, int length);

// The window, its controls, texts, lists and tab order as the dialog first shows them, at the
// dialog's DPI.
void CheckLayout(Program& p);
// Every caption, label, list item, field text and notice line fits its control at the
// dialog's DPI, and the check box and radio glyphs lie inside theirs.
void CheckTextsFit(Program& p);
// Tab through the whole dialog and back with Shift+Tab, then Enter on the focused Cancel.
void RunTab(Program& p);

// ---- sorea-probe.dll, inside the program --------------------------------------------------

// What the probe saw of one window of the program.
struct WindowFacts {
  std::wstring className;
  std::wstring face;  // of the font the window was given; "" for the system font
  long height;
  int charset;
  int weight;
  bool italic;
  bool context;       // has an input context: the input method can be used
  std::wstring icon;  // the system icon a static control shows ("question", ...), or ""
};

// Hooks the program's thread; the probe then reports every text set on its windows.
bool InstallProbe(const Program& p);
// Every window of the program's thread, as the probe sees it now.
const std::map<HWND, WindowFacts>& Probe(const Program& p);
// The texts set on hwnd since the probe was installed, in order.
std::vector<std::wstring> TextsSetOn(HWND hwnd);
// The font of every control and label, and the input method of each field and list.
void CheckFontsAndInputMethod(const Program& p);

}  // namespace sorea::driver
