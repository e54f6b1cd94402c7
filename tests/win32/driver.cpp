// Works the dialog of sorea.exe as a user would, from a second program under the same Windows
// (or Wine): starts sorea.exe, finds its dialog by caption and process, checks what it shows,
// sets values with the controls' own messages, presses keys and buttons, and waits for the
// program to end. The files sorea.exe leaves are compared by the calling script.
//
//   sorea-driver layout EXE [--shot FLAGFILE]   window, controls, initial values, tab order
//   sorea-driver run EXE [--set NAME=VALUE]... [--tabs N] [--drop COMBOBOX]
//                [--press ok|cancel|enter|esc|close|alt-y|alt-n]
//                [--expect-focus NAME] [--expect-message 1] [--expect-position X,Y]
//   sorea-driver typing EXE                     byte limits while typing and pasting
//   sorea-driver minimise EXE                   minimise and restore
//   sorea-driver tab EXE                        Tab through the dialog, Enter on Cancel
//
// Prints one line per check and exits 1 when any check failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "win32/ControlIds.h"

namespace {

using sorea::win32::kFirstControlId;
using sorea::win32::kFirstLabelId;
using sorea::win32::kRadioGroup1Item;
using sorea::win32::kRadioGroup2Item;

int failures = 0;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

void Check(bool ok, const std::string& what, const std::string& detail = "") {
  if (!ok) ++failures;
  std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), detail.empty() ? "" : ": ",
              detail.c_str());
  std::fflush(stdout);
}

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(15);
  }
  return true;
}

// ---- The program under test -----------------------------------------------------------------

struct Program {
  PROCESS_INFORMATION info{};
  HWND dialog = nullptr;
};

std::wstring Text(HWND hwnd) {
  wchar_t buffer[4096] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 5000,
                      nullptr);
  return buffer;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(hwnd, buffer, 256);
  return buffer;
}

struct FindWindowQuery {
  DWORD pid;
  std::wstring caption;
  std::wstring className;  // empty: any
  HWND found = nullptr;
};

BOOL CALLBACK FindWindowEnum(HWND hwnd, LPARAM lparam) {
  auto* q = reinterpret_cast<FindWindowQuery*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != q->pid || !IsWindowVisible(hwnd)) return TRUE;
  if (Text(hwnd) != q->caption) return TRUE;
  if (!q->className.empty() && _wcsicmp(ClassOf(hwnd).c_str(), q->className.c_str()) != 0) {
    return TRUE;
  }
  q->found = hwnd;
  return FALSE;
}

HWND FindProcessWindow(DWORD pid, const std::wstring& caption, const std::wstring& cls = L"",
                       DWORD timeoutMs = 10000) {
  FindWindowQuery q{pid, caption, cls};
  WaitFor(
      [&] {
        q.found = nullptr;
        EnumWindows(FindWindowEnum, reinterpret_cast<LPARAM>(&q));
        return q.found != nullptr;
      },
      timeoutMs);
  return q.found;
}

bool Start(const std::wstring& exe, Program& p) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring command = L"\"" + exe + L"\"";
  // Started from the driver's folder, not its own: it must find its files all the same.
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &p.info)) {
    Check(false, "start sorea.exe", "CreateProcess failed");
    return false;
  }
  WaitForInputIdle(p.info.hProcess, 10000);
  p.dialog = FindProcessWindow(p.info.dwProcessId, L"ソレア");
  Check(p.dialog != nullptr, "dialog \"ソレア\" appears");
  return p.dialog != nullptr;
}

bool WaitExit(Program& p, DWORD timeoutMs = 15000) {
  DWORD r = WaitForSingleObject(p.info.hProcess, timeoutMs);
  DWORD code = 1;
  GetExitCodeProcess(p.info.hProcess, &code);
  Check(r == WAIT_OBJECT_0, "sorea.exe ends");
  if (r == WAIT_OBJECT_0) Check(code == 0, "exit code 0", std::to_string(code));
  if (r != WAIT_OBJECT_0) TerminateProcess(p.info.hProcess, 3);
  CloseHandle(p.info.hProcess);
  CloseHandle(p.info.hThread);
  return r == WAIT_OBJECT_0;
}

bool Running(const Program& p) {
  return WaitForSingleObject(p.info.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Focus(const Program& p) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (!GetGUIThreadInfo(p.info.dwThreadId, &gui)) return nullptr;
  return gui.hwndFocus;
}

// ---- Controls by name ------------------------------------------------------------------------

// The value controls in the order of the dialog's component list (ControlId).
const char* const kNames[] = {
    "ComboBox1",   "ComboBox2",   "ComboBox3", "ComboBox4", "ComboBox5", "Edit1",
    "Edit2",       "Edit3",       "Edit4",     "Edit5",     "Edit6",     "Edit7",
    "Edit8",       "Edit9",       "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4",
    "RadioGroup1", "RadioGroup2", "Memo1",     "LabelA1",   "Button1",   "Button2",
};

int IdOf(const std::string& name) {
  if (name == "Button1") return IDOK;
  if (name == "Button2") return IDCANCEL;
  if (name.rfind("RadioGroup1.", 0) == 0) return kRadioGroup1Item + std::atoi(name.c_str() + 12);
  if (name.rfind("RadioGroup2.", 0) == 0) return kRadioGroup2Item + std::atoi(name.c_str() + 12);
  for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i) {
    if (name == kNames[i]) return kFirstControlId + i;
  }
  return -1;
}

HWND Control(const Program& p, const std::string& name) {
  return GetDlgItem(p.dialog, IdOf(name));
}

std::string NameOf(const Program& p, HWND hwnd) {
  if (!hwnd) return "(none)";
  int id = GetDlgCtrlID(hwnd);
  if (GetParent(hwnd) != p.dialog) return "(outside the dialog)";
  if (id == IDOK) return "Button1";
  if (id == IDCANCEL) return "Button2";
  if (id >= kRadioGroup1Item && id < kRadioGroup1Item + 2) {
    return "RadioGroup1." + std::to_string(id - kRadioGroup1Item);
  }
  if (id >= kRadioGroup2Item && id < kRadioGroup2Item + 2) {
    return "RadioGroup2." + std::to_string(id - kRadioGroup2Item);
  }
  if (id >= kFirstControlId && id < kFirstControlId + static_cast<int>(std::size(kNames))) {
    return kNames[id - kFirstControlId];
  }
  return "id " + std::to_string(id);
}

RECT ClientRectOf(const Program& p, HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, p.dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// Sets a control as the user would leave it: a list's choice (with its notification), a
// field's text, a box's tick, a group's choice.
void SetValue(const Program& p, const std::string& name, const std::string& value) {
  HWND hwnd = Control(p, name);
  if (name.rfind("ComboBox", 0) == 0) {
    SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(value.c_str())), 0);
    SendMessageW(p.dialog, WM_COMMAND, MAKEWPARAM(IdOf(name), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hwnd));
  } else if (name.rfind("Edit", 0) == 0) {
    std::wstring text = Wide(value);
    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  } else if (name.rfind("CheckBox", 0) == 0) {
    SendMessageW(hwnd, BM_SETCHECK, value == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
  } else if (name.rfind("RadioGroup", 0) == 0) {
    int chosen = std::atoi(value.c_str());
    for (int i = 0; i < 2; ++i) {
      SendMessageW(Control(p, name + "." + std::to_string(i)), BM_SETCHECK,
                   i == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  } else {
    Check(false, "set " + name, "no such control");
    return;
  }
  std::printf("set  %s = %s\n", name.c_str(), value.c_str());
}

void PostKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// ---- layout ----------------------------------------------------------------------------------

struct Expected {
  const char* name;
  const wchar_t* className;
  int x, y, width, height;
  const wchar_t* text;  // nullptr: not compared
};

const Expected kControls[] = {
    {"ComboBox1", L"ComboBox", 48, 4, 81, 21, nullptr},
    {"ComboBox2", L"ComboBox", 48, 28, 81, 21, nullptr},
    {"Edit7", L"Edit", 48, 64, 33, 21, L"3"},
    {"Edit8", L"Edit", 48, 88, 33, 21, L"15"},
    {"Edit1", L"Edit", 72, 112, 57, 21, L"1"},
    {"ComboBox3", L"ComboBox", 136, 28, 169, 21, nullptr},
    {"Edit2", L"Edit", 200, 56, 105, 21, L""},
    {"Edit3", L"Edit", 200, 80, 105, 21, L""},
    {"ComboBox4", L"ComboBox", 200, 136, 105, 21, nullptr},
    {"ComboBox5", L"ComboBox", 200, 160, 105, 21, nullptr},
    {"RadioGroup1", L"Button", 8, 184, 145, 41, L"小数点以下の０表示"},
    {"RadioGroup2", L"Button", 160, 184, 145, 41, L"寸法値の単位"},
    {"CheckBox1", L"Button", 8, 232, 145, 17, L"３桁毎カンマ付加"},
    {"CheckBox2", L"Button", 152, 232, 105, 17, L"単位の付加"},
    {"CheckBox3", L"Button", 256, 232, 129, 17, L"寸法値を全角化"},
    {"CheckBox4", L"Button", 384, 232, 105, 17, L"寸法図形化"},
    {"Edit4", L"Edit", 200, 252, 57, 21, L"0.5"},
    {"Edit5", L"Edit", 200, 276, 57, 21, L"2"},
    {"Edit6", L"Edit", 200, 300, 57, 21, L"2"},
    {"Edit9", L"Edit", 200, 324, 57, 21, L"2"},
    {"Button1", L"Button", 360, 264, 137, 33, L"ＯＫ(&Y)"},
    {"Button2", L"Button", 360, 312, 137, 33, L"キャンセル(&N)"},
    {"Memo1", L"Edit", 312, 0, 193, 225, nullptr},
    {"LabelA1", L"Static", 0, 350, 509, 24, L"　"},
};

struct ExpectedLabel {
  const wchar_t* text;
  int x, y, height;
};

const ExpectedLabel kLabels[] = {
    {L"始点", 8, 8, 13},
    {L"終点", 8, 32, 13},
    {L"（線矢印）", 8, 52, 11},
    {L"長さ", 8, 68, 13},
    {L"図寸mm", 88, 68, 13},
    {L"角度", 8, 92, 13},
    {L"°", 88, 92, 13},
    {L"端点倍率", 8, 116, 13},
    {L"（点マーカ　線矢印を除く）", 128, 116, 13},
    {L"寸法値の文字種", 136, 8, 13},
    {L"接頭文字", 136, 60, 13},
    {L"接尾文字", 136, 84, 13},
    {L"寸法値の精度", 8, 140, 13},
    {L"寸法値の丸め", 8, 164, 13},
    {L"寸法値と水平線との距離", 8, 256, 13},
    {L"図寸mm", 264, 256, 13},
    {L"計測点と寸法補助線の距離", 8, 280, 13},
    {L"図寸mm", 264, 280, 13},
    {L"寸法補助線のはみ出し距離", 8, 304, 13},
    {L"図寸mm", 264, 304, 13},
    {L"逆矢印の寸法はみだし距離", 8, 328, 13},
    {L"図寸mm", 264, 328, 13},
};

struct ExpectedList {
  const char* name;
  int chosen;
  std::vector<std::wstring> items;
};

const std::vector<std::wstring> kEndMarks = {L"線矢印", L"△", L"□",  L"Ｏ", L"○",  L"■",
                                             L"▲",      L"●", L"～", L"＞", L"／", L"△"};

const char* const kTabOrder[] = {
    "ComboBox1", "ComboBox2", "Edit7",     "Edit8",     "Edit1",         "ComboBox3",
    "Edit2",     "Edit3",     "ComboBox4", "ComboBox5", "RadioGroup1.0", "RadioGroup2.0",
    "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "Edit4",         "Edit5",
    "Edit6",     "Edit9",     "Button1",   "Button2",
};

const wchar_t* const kNotice[] = {
    L"◇垂直寸法線の設定は",
    L"　水平寸法線の設定とは",
    L"　別に呼出・登録しており",
    L"　水平寸法線の設定を",
    L"　共有利用していません",
    L"",
    L"◇寸法値の水平位置を",
    L"　指定出来る垂直寸法線",
    L"　を作図します",
    L"◇寸法値は水平向き",
    L"　となります",
    L"◇寸法値の位置指定は",
    L"　中中点基準　となります",
    L"",
    L"◆ブロック図形内のもの",
    L"　は処理出来ませんので",
    L"　御注意下さい。",
    L"　ブロック編集内で行う",
    L"　場合には、本ソフトを",
    L"　Jw_cadのインストール・",
    L"　フォルダに配置して",
    L"　実行を行う必要がある",
    L"　場合があります。",
};

struct LabelQuery {
  const Program* p;
  std::vector<HWND> statics;
};

BOOL CALLBACK CollectStatics(HWND hwnd, LPARAM lparam) {
  auto* q = reinterpret_cast<LabelQuery*>(lparam);
  int id = GetDlgCtrlID(hwnd);
  if (id >= kFirstLabelId && id < kFirstLabelId + 100) q->statics.push_back(hwnd);
  return TRUE;
}

void CheckLayout(Program& p) {
  Check(Text(p.dialog) == L"ソレア", "caption");
  LONG_PTR style = GetWindowLongPtrW(p.dialog, GWL_STYLE);
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX),
        "title bar with system menu and minimise button");
  Check(!(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME), "no maximise, not resizable");
  RECT client{};
  GetClientRect(p.dialog, &client);
  Check(client.right == 509 && client.bottom == 374, "client area 509x374", RectText(client));
  RECT outer{};
  GetWindowRect(p.dialog, &outer);
  Check(outer.left == 100 && outer.top == 100, "placed at 100,100 without settings",
        RectText(outer));
  HWND owner = GetWindow(p.dialog, GW_OWNER);
  Check(owner && Text(owner) == L"tavo_ソレア", "application title", Utf8(Text(owner)));

  for (const Expected& e : kControls) {
    HWND hwnd = Control(p, e.name);
    if (!hwnd) {
      Check(false, e.name, "missing");
      continue;
    }
    RECT r = ClientRectOf(p, hwnd);
    RECT want{e.x, e.y, e.x + e.width, e.y + e.height};
    Check(EqualRect(&r, &want) != 0, std::string(e.name) + " at " + RectText(want), RectText(r));
    Check(_wcsicmp(ClassOf(hwnd).c_str(), e.className) == 0, std::string(e.name) + " class",
          Utf8(ClassOf(hwnd)));
    if (e.text) {
      Check(Text(hwnd) == e.text, std::string(e.name) + " text", Utf8(Text(hwnd)));
    }
  }

  LabelQuery q{&p, {}};
  EnumChildWindows(p.dialog, CollectStatics, reinterpret_cast<LPARAM>(&q));
  Check(q.statics.size() == std::size(kLabels), "label count", std::to_string(q.statics.size()));
  for (const ExpectedLabel& l : kLabels) {
    bool found = false;
    for (HWND hwnd : q.statics) {
      RECT r = ClientRectOf(p, hwnd);
      if (Text(hwnd) != l.text || r.left != l.x || r.top != l.y) continue;
      found = true;
      const int bytes = WideCharToMultiByte(932, 0, l.text, -1, nullptr, 0, nullptr, nullptr) - 1;
      const int width = r.right - r.left;
      Check(r.bottom - r.top == l.height && width >= bytes * 5 && width <= bytes * 7 + 2,
            "label " + Utf8(l.text) + " size", RectText(r));
    }
    Check(found,
          "label " + Utf8(l.text) + " at " + std::to_string(l.x) + "," + std::to_string(l.y));
  }

  const std::vector<ExpectedList> lists = {
      {"ComboBox1", 0, kEndMarks},
      {"ComboBox2", 0, kEndMarks},
      {"ComboBox3",
       -1,
       {L"現在の文字種(No1)", L"No1: W3 H3 D0", L"No2: W3 H3 D0", L"No3: W3 H3 D0",
        L"No4: W3 H3 D0", L"No5: W3 H3 D0", L"No6: W3 H3 D0", L"No7: W3 H3 D0", L"No8: W3 H3 D0",
        L"No9: W3 H3 D0", L"No10: W3 H3 D0"}},
      {"ComboBox4",
       3,
       {L"1", L"0.1", L"0.01", L"0.001", L"0.0001", L"0.00001", L"0.000001", L"0.0000001",
        L"0.00000001"}},
      {"ComboBox5", 2, {L"切り捨て", L"切り上げ", L"四捨五入"}},
  };
  for (const ExpectedList& l : lists) {
    HWND hwnd = Control(p, l.name);
    LRESULT count = SendMessageW(hwnd, CB_GETCOUNT, 0, 0);
    Check(count == static_cast<LRESULT>(l.items.size()), std::string(l.name) + " item count",
          std::to_string(count));
    for (std::size_t i = 0; i < l.items.size() && static_cast<LRESULT>(i) < count; ++i) {
      wchar_t buffer[256] = {};
      SendMessageW(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
      Check(l.items[i] == buffer, std::string(l.name) + " item " + std::to_string(i), Utf8(buffer));
    }
    LRESULT chosen = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
    Check(chosen == l.chosen, std::string(l.name) + " chosen item", std::to_string(chosen));
    LONG_PTR listStyle = GetWindowLongPtrW(hwnd, GWL_STYLE);
    Check((listStyle & 3) == CBS_DROPDOWNLIST, std::string(l.name) + " is a fixed list");
  }

  struct Radio {
    const char* name;
    const wchar_t* text;
    bool checked;
  };
  const Radio radios[] = {{"RadioGroup1.0", L"無", true},
                          {"RadioGroup1.1", L"有", false},
                          {"RadioGroup2.0", L"mm", true},
                          {"RadioGroup2.1", L"ｍ", false}};
  for (const Radio& r : radios) {
    HWND hwnd = Control(p, r.name);
    Check(hwnd && Text(hwnd) == r.text, std::string(r.name) + " text", Utf8(Text(hwnd)));
    Check((SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) == r.checked,
          std::string(r.name) + (r.checked ? " chosen" : " not chosen"));
    RECT inner = ClientRectOf(p, hwnd);
    RECT frame = ClientRectOf(p, Control(p, std::string(r.name).substr(0, 11)));
    RECT both{};
    IntersectRect(&both, &inner, &frame);
    Check(EqualRect(&both, &inner) != 0, std::string(r.name) + " inside its frame",
          RectText(inner));
  }
  for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4"}) {
    Check(SendMessageW(Control(p, name), BM_GETCHECK, 0, 0) == BST_UNCHECKED,
          std::string(name) + " not ticked");
  }
  Check((GetWindowLongPtrW(Control(p, "Button1"), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON,
        "OK is the default button");

  HWND memo = Control(p, "Memo1");
  std::wstring notice;
  for (std::size_t i = 0; i < std::size(kNotice); ++i) {
    notice += (i ? L"\r\n" : L"") + std::wstring(kNotice[i]);
  }
  Check(Text(memo) == notice, "notice text");
  LONG_PTR memoStyle = GetWindowLongPtrW(memo, GWL_STYLE);
  Check((memoStyle & ES_READONLY) && (memoStyle & ES_MULTILINE) && (memoStyle & WS_VSCROLL) &&
            !(memoStyle & WS_HSCROLL) && !(memoStyle & WS_TABSTOP),
        "notice read-only, vertical scroll bar only, not a tab stop");
  SendMessageW(memo, WM_CHAR, L'x', 1);
  Check(Text(memo) == notice, "typing into the notice changes nothing");

  Check(NameOf(p, Focus(p)) == "ComboBox1", "first focus on ComboBox1", NameOf(p, Focus(p)));
  HWND at = Control(p, kTabOrder[0]);
  for (std::size_t i = 1; i <= std::size(kTabOrder); ++i) {
    at = GetNextDlgTabItem(p.dialog, at, FALSE);
    const char* want = kTabOrder[i % std::size(kTabOrder)];
    Check(NameOf(p, at) == want, std::string("tab ") + std::to_string(i) + " -> " + want,
          NameOf(p, at));
  }
}

// ---- typing ----------------------------------------------------------------------------------

struct Typing {
  const char* name;
  const wchar_t* before;
  bool selectAll;
  const wchar_t* typed;
  const wchar_t* after;
};

const Typing kTyping[] = {
    {"Edit7", L"", false, L"123456789012", L"12345678"},
    {"Edit8", L"", false, L"1.5.5.5.5.5", L"1.5.5.5."},
    {"Edit1", L"", false, L"12345678901234567890", L"1234567890123456"},
    {"Edit4", L"1", false, L"２２２２２２２２２", L"1２２２２２２２"},  // 1 + 7 x 2 bytes = 15
    {"Edit2", L"", false, L"あいうえおかきくけこさしすせそたちつてと",
     L"あいうえおかきくけこさしすせそた"},
    {"Edit3", L"a", false, L"ああああああああああああああああb",
     L"aあああああああああああああああb"},
    {"Edit7", L"12345678", true, L"9", L"9"},            // typing over a selection replaces it
    {"Edit7", L"1234567", false, L"あ", L"1234567"},     // a full-width char needs two bytes
    {"Edit7", L"123456789", false, L"\b", L"12345678"},  // loaded beyond the limit: backspace
};

void RunTyping(Program& p) {
  for (const Typing& t : kTyping) {
    HWND edit = Control(p, t.name);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.before));
    int end = static_cast<int>(wcslen(t.before));
    SendMessageW(edit, EM_SETSEL, t.selectAll ? 0 : end, end);
    for (const wchar_t* c = t.typed; *c; ++c) SendMessageW(edit, WM_CHAR, *c, 1);
    Check(Text(edit) == t.after, std::string("typing into ") + t.name + " gives " + Utf8(t.after),
          Utf8(Text(edit)));
  }
}

struct Paste {
  const char* name;
  const wchar_t* before;
  const wchar_t* clipboard;
  const wchar_t* after;
};

const Paste kPastes[] = {
    {"Edit7", L"", L"123456789あ", L"12345678"},
    {"Edit7", L"1234567", L"あ", L"1234567"},
    {"Edit2", L"", L"ああああああああああああああああああああ",
     L"ああああああああああああああああ"},
    {"Edit3", L"", L"ab\r\ncd", L"ab"},  // a single-line field takes the first line
};

bool SetClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  bool ok = false;
  if (memory) {
    if (auto* p = static_cast<wchar_t*>(GlobalLock(memory))) {
      std::copy(text.begin(), text.end(), p);
      p[text.size()] = L'\0';
      GlobalUnlock(memory);
      ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
  }
  CloseClipboard();
  return ok;
}

void RunPastes(Program& p) {
  for (const Paste& t : kPastes) {
    HWND edit = Control(p, t.name);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.before));
    int end = static_cast<int>(wcslen(t.before));
    SendMessageW(edit, EM_SETSEL, end, end);
    if (!SetClipboard(t.clipboard)) {
      Check(false, "clipboard", "cannot set");
      continue;
    }
    SendMessageW(edit, WM_PASTE, 0, 0);
    Check(Text(edit) == t.after, std::string("pasting into ") + t.name + " gives " + Utf8(t.after),
          Utf8(Text(edit)));
  }
}

// ---- minimise --------------------------------------------------------------------------------

void RunMinimise(Program& p) {
  HWND application = GetWindow(p.dialog, GW_OWNER);
  PostMessageW(p.dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Check(WaitFor([&] { return IsIconic(application) != 0; }, 5000),
        "minimising the dialog minimises the task-bar entry");
  Check(WaitFor([&] { return !IsWindowVisible(p.dialog); }, 5000), "the dialog hides with it");
  PostMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0);
  Check(WaitFor([&] { return !IsIconic(application) && IsWindowVisible(p.dialog); }, 5000),
        "restoring the task-bar entry shows the dialog again");
  Check(WaitFor([&] { return NameOf(p, Focus(p)) == "ComboBox1"; }, 5000),
        "the focus comes back to where it was", NameOf(p, Focus(p)));
}

// ---- tab -------------------------------------------------------------------------------------

void RunTab(Program& p) {
  for (std::size_t i = 1; i < std::size(kTabOrder); ++i) {
    PostKey(Focus(p), VK_TAB);
    const char* want = kTabOrder[i];
    bool ok = WaitFor([&] { return NameOf(p, Focus(p)) == want; }, 5000);
    Check(ok, std::string("Tab moves to ") + want, NameOf(p, Focus(p)));
  }
  Check((GetWindowLongPtrW(Control(p, "Button2"), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON,
        "focused Cancel shows the default frame");
  // Enter on the focused Cancel button presses Cancel, not OK.
  PostKey(Focus(p), VK_RETURN);
}

// ---- run -------------------------------------------------------------------------------------

bool Press(Program& p, const std::string& how) {
  if (how == "ok") {
    PostMessageW(Control(p, "Button1"), BM_CLICK, 0, 0);
  } else if (how == "cancel") {
    PostMessageW(Control(p, "Button2"), BM_CLICK, 0, 0);
  } else if (how == "enter") {
    PostKey(Focus(p), VK_RETURN);
  } else if (how == "esc") {
    PostKey(Focus(p), VK_ESCAPE);
  } else if (how == "close") {
    PostMessageW(p.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (how == "alt-y" || how == "alt-n") {
    PostMessageW(Focus(p), WM_SYSCHAR, how == "alt-y" ? L'y' : L'n',
                 static_cast<LPARAM>(0x20000001));
  } else {
    Check(false, "press " + how, "unknown");
    return false;
  }
  std::printf("press %s\n", how.c_str());
  return true;
}

std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  if (FILE* f = _wfopen(path.c_str(), L"rb")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct BoxQuery {
  DWORD pid;
  HWND found = nullptr;
};

void RunCase(Program& p, const std::wstring& folder, const std::vector<std::string>& args) {
  std::string press = "ok";
  std::string expectFocus;
  std::string expectPosition;
  std::string drop;
  int tabs = 0;
  bool expectMessage = false;
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
    if (args[i] == "--set") {
      std::size_t eq = args[i + 1].find('=');
      SetValue(p, args[i + 1].substr(0, eq),
               eq == std::string::npos ? std::string() : args[i + 1].substr(eq + 1));
    } else if (args[i] == "--press") {
      press = args[i + 1];
    } else if (args[i] == "--expect-focus") {
      expectFocus = args[i + 1];
    } else if (args[i] == "--expect-message") {
      expectMessage = args[i + 1] == "1";
    } else if (args[i] == "--expect-position") {
      expectPosition = args[i + 1];
    } else if (args[i] == "--tabs") {
      tabs = std::atoi(args[i + 1].c_str());
    } else if (args[i] == "--drop") {
      drop = args[i + 1];
    }
  }
  if (!expectPosition.empty()) {
    RECT r{};
    GetWindowRect(p.dialog, &r);
    const std::string at = std::to_string(r.left) + "," + std::to_string(r.top);
    Check(at == expectPosition, "placed at the saved position " + expectPosition, at);
  }
  // Move the focus as the user would, with Tab from the first control.
  for (int i = 0; i < tabs; ++i) {
    HWND before = Focus(p);
    PostKey(before, VK_TAB);
    Check(WaitFor([&] { return Focus(p) != before; }, 5000), "Tab moves the focus",
          NameOf(p, Focus(p)));
  }
  if (tabs > 0) std::printf("focus on %s\n", NameOf(p, Focus(p)).c_str());
  if (!drop.empty()) {
    // An open drop-down takes Enter to close itself; the dialog does not see it.
    HWND list = Control(p, drop);
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    Check(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0, drop + " drop-down open");
    PostKey(Focus(p), VK_RETURN);
    Check(WaitFor([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) == 0; }, 5000),
          "Enter closes the drop-down");
    Check(Running(p) && IsWindow(p.dialog) && IsWindowVisible(p.dialog),
          "Enter on the open drop-down does not press OK");
  }
  const std::string exchangeBefore = FileBytes(folder + L"JWC_TEMP.TXT");
  const bool settingsBefore = Exists(folder + L"rusk.dat");
  const std::string settingsBytes = FileBytes(folder + L"rusk.dat");
  if (!Press(p, press)) return;

  if (!expectFocus.empty()) {
    bool ok = WaitFor([&] { return NameOf(p, Focus(p)) == expectFocus; }, 8000);
    Check(ok, "refused: focus on " + expectFocus, NameOf(p, Focus(p)));
    Check(Running(p) && IsWindowVisible(p.dialog), "dialog stays open");
    Check(FileBytes(folder + L"JWC_TEMP.TXT") == exchangeBefore, "exchange file untouched");
    Check(Exists(folder + L"rusk.dat") == settingsBefore &&
              FileBytes(folder + L"rusk.dat") == settingsBytes,
          "settings file untouched");
    PostMessageW(Control(p, "Button2"), BM_CLICK, 0, 0);
  } else if (expectMessage) {
    HWND box = FindProcessWindow(p.info.dwProcessId, L"確認", L"#32770");
    Check(box != nullptr, "message box \"確認\" appears");
    if (box) {
      HWND text = GetDlgItem(box, 0xFFFF);
      Check(Text(text) == L"寸法が「0」になりますので作図出来ません", "message text",
            Utf8(Text(text)));
      HWND ok = GetDlgItem(box, IDOK);
      Check(ok && IsWindowVisible(ok), "message box has an OK button");
      for (int other : {IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE}) {
        HWND b = GetDlgItem(box, other);
        Check(!b || !IsWindowVisible(b), "message box has no button " + std::to_string(other));
      }
      Check(!IsWindowEnabled(p.dialog), "message box is modal");
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      Check(WaitFor([&] { return !IsWindow(box); }, 5000), "message box dismissed");
    }
    Check(Running(p) && IsWindowVisible(p.dialog), "dialog stays open after the message");
    Check(WaitFor([&] { return IsWindowEnabled(p.dialog) != 0; }, 5000), "dialog enabled again");
    Check(Exists(folder + L"rusk.dat"), "settings saved before the message");
    Check(FileBytes(folder + L"JWC_TEMP.TXT") == exchangeBefore, "exchange file untouched");
    Check(Text(Control(p, "LabelA1")) == L"　", "status strip still idle");
    // The user gives up: Cancel hands back "hq".
    PostMessageW(Control(p, "Button2"), BM_CLICK, 0, 0);
  }
  WaitExit(p);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: sorea-driver layout|run|typing|tab EXE [options]\n", stderr);
    return 2;
  }
  const std::wstring mode = argv[1];
  std::wstring exe = argv[2];
  wchar_t full[MAX_PATH * 4] = {};
  GetFullPathNameW(exe.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
  exe = full;
  const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
  std::vector<std::string> args;
  for (int i = 3; i < argc; ++i) args.push_back(Utf8(argv[i]));

  Program p;
  if (!Start(exe, p)) return 1;
  if (mode == L"layout") {
    CheckLayout(p);
    if (args.size() >= 2 && args[0] == "--shot") {
      // Tell the script where the dialog is, then wait until it has taken its screenshot.
      std::wstring flag = Wide(args[1]);
      RECT r{};
      GetClientRect(p.dialog, &r);
      MapWindowPoints(p.dialog, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
      RECT outer{};
      GetWindowRect(p.dialog, &outer);
      if (FILE* f = _wfopen((flag + L".ready").c_str(), L"wb")) {
        std::fprintf(f, "%ld %ld %ld %ld %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left,
                     r.bottom - r.top, outer.left, outer.top, outer.right - outer.left,
                     outer.bottom - outer.top);
        std::fclose(f);
      }
      Check(WaitFor([&] { return Exists(flag + L".done"); }, 30000), "screenshot taken");
    }
    PostMessageW(Control(p, "Button2"), BM_CLICK, 0, 0);
    WaitExit(p);
  } else if (mode == L"typing") {
    RunTyping(p);
    RunPastes(p);
    PostMessageW(Control(p, "Button2"), BM_CLICK, 0, 0);
    WaitExit(p);
  } else if (mode == L"minimise") {
    RunMinimise(p);
    PostMessageW(Control(p, "Button2"), BM_CLICK, 0, 0);
    WaitExit(p);
  } else if (mode == L"tab") {
    RunTab(p);
    WaitExit(p);
  } else if (mode == L"run") {
    RunCase(p, folder, args);
  } else {
    Check(false, "mode", Utf8(mode));
    TerminateProcess(p.info.hProcess, 3);
  }
  std::printf("%s: %d failed\n", failures ? "FAILED" : "PASSED", failures);
  return failures ? 1 : 0;
}
