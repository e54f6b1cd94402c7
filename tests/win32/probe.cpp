// sorea-probe.dll: the driver's eyes inside sorea.exe. The driver hooks the program's thread
// with the two procedures below, and Windows loads this DLL into the program to run them. From
// there it reports what another process cannot ask a window: the font each window was given,
// whether it has an input context (none: the input method is off), which icon a message box
// shows, and every text a window is given, as it is given (the status strip's texts during OK
// last only while the job runs, too briefly to be polled).
//
// Reports go to the driver's message-only window (class "SoreaDriverReply") as WM_COPYDATA:
//   kind 1, one line per window:  HWND TAB class TAB face TAB height TAB charset TAB weight TAB
//                                 italic TAB context(0/1) TAB icon
//   kind 2, one text set:         HWND TAB text
#include <windows.h>
// after <windows.h>, which it needs
#include <imm.h>

#include <cstdio>
#include <string>

namespace {

HWND ReplyWindow() {
  return FindWindowExW(HWND_MESSAGE, nullptr, L"SoreaDriverReply", nullptr);
}

void Report(ULONG_PTR kind, const std::wstring& text) {
  HWND reply = ReplyWindow();
  if (reply == nullptr) return;
  COPYDATASTRUCT data{kind, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                      const_cast<wchar_t*>(text.c_str())};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(reply, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                      5000, &ignored);
}

std::wstring Number(long long value) {
  wchar_t buffer[32];
  std::swprintf(buffer, 32, L"%lld", value);
  return buffer;
}

// The system icon a static control shows, by name; "" when it shows none.
std::wstring IconName(HWND hwnd) {
  auto shown = reinterpret_cast<HICON>(SendMessageW(hwnd, STM_GETICON, 0, 0));
  if (shown == nullptr) return L"";
  const struct {
    LPCWSTR id;
    const wchar_t* name;
  } icons[] = {{IDI_QUESTION, L"question"},
               {IDI_EXCLAMATION, L"exclamation"},
               {IDI_HAND, L"hand"},
               {IDI_ASTERISK, L"asterisk"}};
  for (const auto& icon : icons) {
    if (LoadIconW(nullptr, icon.id) == shown) return icon.name;
  }
  return L"other";
}

std::wstring Describe(HWND hwnd) {
  wchar_t className[64] = {};
  GetClassNameW(hwnd, className, 64);
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  if (handle == nullptr || GetObjectW(handle, sizeof font, &font) == 0) font = LOGFONTW{};
  HIMC context = ImmGetContext(hwnd);
  if (context != nullptr) ImmReleaseContext(hwnd, context);
  return Number(reinterpret_cast<INT_PTR>(hwnd)) + L"\t" + className + L"\t" + font.lfFaceName +
         L"\t" + Number(font.lfHeight) + L"\t" + Number(font.lfCharSet) + L"\t" +
         Number(font.lfWeight) + L"\t" + Number(font.lfItalic) + L"\t" +
         (context != nullptr ? L"1" : L"0") + L"\t" + IconName(hwnd) + L"\n";
}

BOOL CALLBACK AddChild(HWND hwnd, LPARAM lines) {
  *reinterpret_cast<std::wstring*>(lines) += Describe(hwnd);
  return TRUE;
}

BOOL CALLBACK AddTopLevel(HWND hwnd, LPARAM lines) {
  *reinterpret_cast<std::wstring*>(lines) += Describe(hwnd);
  EnumChildWindows(hwnd, AddChild, lines);
  return TRUE;
}

}  // namespace

// WH_GETMESSAGE: the driver posts "SoreaDriverProbe" to a window of the program; the report
// covers every window of the thread that took it.
extern "C" __attribute__((dllexport)) LRESULT CALLBACK
    ProbeGetMessage(int code, WPARAM wparam, LPARAM lparam) {
  static const UINT probe = RegisterWindowMessageW(L"SoreaDriverProbe");
  auto* msg = reinterpret_cast<MSG*>(lparam);
  if (code == HC_ACTION && wparam == PM_REMOVE && msg->message == probe) {
    msg->message = WM_NULL;
    std::wstring lines;
    EnumThreadWindows(GetCurrentThreadId(), AddTopLevel, reinterpret_cast<LPARAM>(&lines));
    Report(1, lines);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// WH_CALLWNDPROC: every WM_SETTEXT, before the window takes it.
extern "C" __attribute__((dllexport)) LRESULT CALLBACK
    ProbeCallWindow(int code, WPARAM wparam, LPARAM lparam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && call->message == WM_SETTEXT && call->lParam != 0) {
    Report(2, Number(reinterpret_cast<INT_PTR>(call->hwnd)) + L"\t" +
                  reinterpret_cast<const wchar_t*>(call->lParam));
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
