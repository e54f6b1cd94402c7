// The driver's side of sorea-probe.dll: hooks the program's thread so that the DLL runs inside
// it, takes its reports, and checks what they say: the fonts of the controls and labels, which
// controls have the input method off, the message box's icon and the status strip's texts.
#include <windows.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "driver.h"
#include "util/WinText.h"
#include "win32/ControlIds.h"

namespace sorea::driver {

namespace {

using win::ToUtf8;

std::map<HWND, WindowFacts> facts;
bool factsCame = false;
std::vector<std::pair<HWND, std::wstring>> textsSet;

HWND HandleOf(const std::wstring& field) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(field.c_str(), nullptr, 10)));
}

std::vector<std::wstring> Split(const std::wstring& line, wchar_t at) {
  std::vector<std::wstring> fields;
  std::size_t start = 0;
  for (std::size_t end; (end = line.find(at, start)) != std::wstring::npos; start = end + 1) {
    fields.push_back(line.substr(start, end - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

void TakeReport(ULONG_PTR kind, const std::wstring& text) {
  if (kind == 2) {
    const std::size_t tab = text.find(L'\t');
    if (tab != std::wstring::npos) textsSet.emplace_back(HandleOf(text), text.substr(tab + 1));
    return;
  }
  facts.clear();
  for (const std::wstring& line : Split(text, L'\n')) {
    const std::vector<std::wstring> f = Split(line, L'\t');
    if (f.size() < 9) continue;
    facts[HandleOf(f[0])] = {f[1],
                             f[2],
                             std::wcstol(f[3].c_str(), nullptr, 10),
                             std::stoi(f[4]),
                             std::stoi(f[5]),
                             f[6] != L"0",
                             f[7] == L"1",
                             f[8]};
  }
  factsCame = true;
}

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (data->lpData != nullptr && data->cbData >= sizeof(wchar_t)) {
      TakeReport(data->dwData, std::wstring(static_cast<const wchar_t*>(data->lpData),
                                            data->cbData / sizeof(wchar_t) - 1));
    }
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Input method off where digits and names are typed; the prefix and suffix leave it to the user.
const struct {
  const char* name;
  bool off;
} kInputMethod[] = {
    {"ComboBox1", true}, {"ComboBox2", true}, {"ComboBox3", true}, {"ComboBox4", true},
    {"ComboBox5", true}, {"Edit1", true},     {"Edit2", false},    {"Edit3", false},
    {"Edit4", true},     {"Edit5", true},     {"Edit6", true},     {"Edit7", true},
    {"Edit8", true},     {"Edit9", true},
};

}  // namespace

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool InstallProbe(const Program& p) {
  WNDCLASSW replyClass{};
  replyClass.lpfnWndProc = ReplyProc;
  replyClass.hInstance = GetModuleHandleW(nullptr);
  replyClass.lpszClassName = L"SoreaDriverReply";
  RegisterClassW(&replyClass);
  HWND reply = CreateWindowExW(0, replyClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, replyClass.hInstance, nullptr);
  wchar_t path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring dll = path;
  dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"sorea-probe.dll";
  HMODULE module = LoadLibraryW(dll.c_str());
  const auto getMessage = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(module, "ProbeGetMessage")));
  const auto callWindow = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(module, "ProbeCallWindow")));
  const bool ok = reply != nullptr && getMessage != nullptr && callWindow != nullptr &&
                  SetWindowsHookExW(WH_GETMESSAGE, getMessage, module, p.info.dwThreadId) &&
                  SetWindowsHookExW(WH_CALLWNDPROC, callWindow, module, p.info.dwThreadId);
  Check(ok, "probe hooked into sorea.exe");
  return ok;
}

const std::map<HWND, WindowFacts>& Probe(const Program& p) {
  static const UINT probe = RegisterWindowMessageW(L"SoreaDriverProbe");
  factsCame = false;
  PostMessageW(p.dialog, probe, 0, 0);
  Check(WaitFor([] { return factsCame; }, 10000), "probe reports the program's windows");
  return facts;
}

std::vector<std::wstring> TextsSetOn(HWND hwnd) {
  PumpMessages();
  std::vector<std::wstring> texts;
  for (const auto& [window, text] : textsSet) {
    if (window == hwnd) texts.push_back(text);
  }
  return texts;
}

void CheckFontsAndInputMethod(const Program& p) {
  const std::map<HWND, WindowFacts>& all = Probe(p);
  auto checkFont = [&](HWND hwnd, const std::string& name, int height) {
    const auto found = all.find(hwnd);
    if (found == all.end()) {
      Check(false, name + " font", "not reported");
      return;
    }
    const WindowFacts& f = found->second;
    Check(f.face == L"ＭＳ ゴシック" && f.height == -height && f.charset == SHIFTJIS_CHARSET &&
              f.weight == FW_NORMAL && !f.italic,
          name + " font ＭＳ ゴシック " + std::to_string(height) + " px, Shift-JIS, regular",
          ToUtf8(f.face) + " " + std::to_string(f.height) + " charset " +
              std::to_string(f.charset) + " weight " + std::to_string(f.weight));
  };
  for (const ControlInfo& control : Controls()) {
    const std::string name(control.Name);
    checkFont(Control(p, name), name, Scaled(p, 13));
    for (int i = 0; control.Kind == ControlKind::Radio; ++i) {
      HWND item = Control(p, name + "." + std::to_string(i));
      if (item == nullptr) break;
      checkFont(item, name + "." + std::to_string(i), Scaled(p, 13));
    }
  }
  for (const auto& [hwnd, f] : all) {
    const int id = GetDlgCtrlID(hwnd);
    if (GetParent(hwnd) != p.dialog || id < win32::kFirstLabelId) continue;
    const std::wstring text = Text(hwnd);
    checkFont(hwnd, "label " + ToUtf8(text), Scaled(p, text == L"（線矢印）" ? 11 : 13));
  }
  for (const auto& c : kInputMethod) {
    const auto found = all.find(Control(p, c.name));
    const bool off = found != all.end() && !found->second.context;
    Check(found != all.end() && off == c.off,
          std::string(c.name) + (c.off ? " input method off" : " input method as the user has it"),
          off ? "no input context" : "has an input context");
  }
}

}  // namespace sorea::driver
