// Works the dialog of sorea.exe as a user would, from a second program under the same Windows
// (or Wine): starts sorea.exe, finds its dialog by caption and process, checks what it shows,
// sets values with the controls' own messages, presses keys and buttons, and waits for the
// program to end. The files sorea.exe leaves are compared by the calling script.
//
//   sorea-driver layout EXE [--shot FLAGFILE]   window, controls, initial values, tab order
//   sorea-driver run EXE [--expect NAME=VALUE]... [--set NAME=VALUE]... [--tabs N]
//                [--drop COMBOBOX [--drop-key enter|esc]]
//                [--press ok|cancel|enter|esc|close|alt-y|alt-n]
//                [--expect-focus NAME] [--expect-message 1] [--expect-failure 1]
//                [--expect-position X,Y]
//   sorea-driver attach EXE [run options]       the same, on a sorea.exe started by another
//                                               program (the batch file through cmd)
//   sorea-driver typing EXE                     byte limits while typing and pasting
//   sorea-driver minimise EXE                   minimise and restore
//   sorea-driver tab EXE                        Tab through the dialog, Enter on Cancel
//
// Prints one line per check and exits 1 when any check failed.
#include "driver.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "util/WinText.h"
#include "win32/ControlIds.h"

namespace sorea::driver {

namespace {

int failures = 0;

}  // namespace

void Check(bool ok, const std::string& what, const std::string& detail) {
  if (!ok) ++failures;
  std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), detail.empty() ? "" : ": ",
              detail.c_str());
  std::fflush(stdout);
}

// ---- The program under test -----------------------------------------------------------------

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

HWND Focus(const Program& p) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (!GetGUIThreadInfo(p.info.dwThreadId, &gui)) return nullptr;
  return gui.hwndFocus;
}

// ---- Controls by name ------------------------------------------------------------------------

HWND Control(const Program& p, const std::string& name) {
  const std::size_t dot = name.find('.');
  const ControlInfo* control = FindControl(std::string_view(name).substr(0, dot));
  if (control == nullptr) return nullptr;
  const int id = dot == std::string::npos
                     ? win32::DialogId(control->Id)
                     : win32::RadioItemId(control->Id, std::atoi(name.c_str() + dot + 1));
  return GetDlgItem(p.dialog, id);
}

std::string NameOf(const Program& p, HWND hwnd) {
  if (!hwnd) return "(none)";
  if (GetParent(hwnd) != p.dialog) return "(outside the dialog)";
  const int id = GetDlgCtrlID(hwnd);
  for (const ControlInfo& control : Controls()) {
    const std::string name(control.Name);
    if (id == win32::DialogId(control.Id)) return name;
    for (int i = 0; control.Kind == ControlKind::Radio; ++i) {
      const std::string item = name + "." + std::to_string(i);
      if (!Control(p, item)) break;
      if (id == win32::RadioItemId(control.Id, i)) return item;
    }
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

void PostKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

}  // namespace sorea::driver

namespace {

using namespace sorea::driver;
using sorea::win::FromUtf8;
using sorea::win::ToUtf8;

// ---- Starting and ending it ------------------------------------------------------------------

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
  const bool ended =
      WaitFor([&] { return WaitForSingleObject(p.info.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
  DWORD code = 1;
  GetExitCodeProcess(p.info.hProcess, &code);
  Check(ended, "sorea.exe ends");
  if (ended) Check(code == 0, "exit code 0", std::to_string(code));
  if (!ended) TerminateProcess(p.info.hProcess, 3);
  CloseHandle(p.info.hProcess);
  if (p.info.hThread) CloseHandle(p.info.hThread);
  return ended;
}

struct AttachQuery {
  const std::wstring* exe;
  Program* p;
};

BOOL CALLBACK AttachEnum(HWND hwnd, LPARAM lparam) {
  auto* q = reinterpret_cast<AttachQuery*>(lparam);
  if (!IsWindowVisible(hwnd) || Text(hwnd) != L"ソレア") return TRUE;
  DWORD pid = 0;
  const DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
  wchar_t image[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  if (process && QueryFullProcessImageNameW(process, 0, image, &size) &&
      _wcsicmp(image, q->exe->c_str()) == 0) {
    q->p->dialog = hwnd;
    q->p->info = {process, nullptr, pid, tid};
    return FALSE;
  }
  if (process) CloseHandle(process);
  return TRUE;
}

// A sorea.exe someone else started (the batch file, through cmd): its dialog, found by caption
// and by the program file of its process.
bool Attach(const std::wstring& exe, Program& p) {
  AttachQuery query{&exe, &p};
  WaitFor([&] { return !EnumWindows(AttachEnum, reinterpret_cast<LPARAM>(&query)); }, 30000);
  Check(p.dialog != nullptr, "the batch file's sorea.exe shows its dialog");
  return p.dialog != nullptr;
}

bool Running(const Program& p) {
  return WaitForSingleObject(p.info.hProcess, 0) == WAIT_TIMEOUT;
}

// Sets a control as the user would leave it: a list's choice (with its notification), a
// field's text, a box's tick, a group's choice.
void SetValue(const Program& p, const std::string& name, const std::string& value) {
  HWND hwnd = Control(p, name);
  const sorea::ControlInfo* control = sorea::FindControl(name);
  const sorea::ControlKind kind = control ? control->Kind : sorea::ControlKind::Label;
  if (kind == sorea::ControlKind::List) {
    SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(value.c_str())), 0);
    SendMessageW(p.dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hwnd));
  } else if (kind == sorea::ControlKind::Edit) {
    std::wstring text = FromUtf8(value);
    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  } else if (kind == sorea::ControlKind::Check) {
    SendMessageW(hwnd, BM_SETCHECK, value == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
  } else if (kind == sorea::ControlKind::Radio) {
    int chosen = std::atoi(value.c_str());
    for (int i = 0; HWND item = Control(p, name + "." + std::to_string(i)); ++i) {
      SendMessageW(item, BM_SETCHECK, i == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  } else {
    Check(false, "set " + name, "no such control");
    return;
  }
  std::printf("set  %s = %s\n", name.c_str(), value.c_str());
}

// What the window shows of a control, in the form SetValue takes.
std::string ShownValue(const Program& p, const std::string& name) {
  HWND hwnd = Control(p, name);
  const sorea::ControlInfo* control = sorea::FindControl(name);
  switch (control ? control->Kind : sorea::ControlKind::Label) {
    case sorea::ControlKind::List:
      return std::to_string(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
    case sorea::ControlKind::Check:
      return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0";
    case sorea::ControlKind::Radio:
      for (int i = 0; HWND item = Control(p, name + "." + std::to_string(i)); ++i) {
        if (SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED) return std::to_string(i);
      }
      return "-1";
    default:
      return ToUtf8(Text(hwnd));
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
    Check(Text(edit) == t.after, std::string("typing into ") + t.name + " gives " + ToUtf8(t.after),
          ToUtf8(Text(edit)));
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
    Check(Text(edit) == t.after,
          std::string("pasting into ") + t.name + " gives " + ToUtf8(t.after), ToUtf8(Text(edit)));
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

// A modal message box of the dialog with this caption, text and icon and an OK button alone,
// then dismissed with OK.
void CheckMessageBox(Program& p, const wchar_t* caption, const std::wstring& text,
                     const std::wstring& icon) {
  const std::string what = "message box \"" + ToUtf8(caption) + "\"";
  HWND box = FindProcessWindow(p.info.dwProcessId, caption, L"#32770");
  Check(box != nullptr, what + " appears");
  if (!box) return;
  Check(Text(GetDlgItem(box, 0xFFFF)) == text, what + ": text",
        ToUtf8(Text(GetDlgItem(box, 0xFFFF))));
  HWND ok = GetDlgItem(box, IDOK);
  Check(ok && IsWindowVisible(ok), what + " has an OK button");
  for (int other : {IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE}) {
    HWND b = GetDlgItem(box, other);
    Check(!b || !IsWindowVisible(b), what + " has no button " + std::to_string(other));
  }
  Check(!IsWindowEnabled(p.dialog), what + " is modal");
  int wanted = 0, others = 0;
  for (const auto& [hwnd, facts] : Probe(p)) {
    if (GetParent(hwnd) != box || facts.icon.empty()) continue;
    ++(facts.icon == icon ? wanted : others);
  }
  Check(wanted == 1 && others == 0, what + " shows the " + ToUtf8(icon) + " icon",
        std::to_string(wanted) + " " + ToUtf8(icon) + ", " + std::to_string(others) + " other");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return !IsWindow(box); }, 5000), what + " dismissed");
}

void RunCase(Program& p, const std::wstring& folder, const std::vector<std::string>& args) {
  HWND statusStrip = Control(p, "LabelA1");
  std::string press = "ok";
  std::string expectFocus;
  std::string expectPosition;
  std::string drop;
  WPARAM dropKey = VK_RETURN;
  int tabs = 0;
  bool expectMessage = false;
  bool expectFailure = false;
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
    } else if (args[i] == "--expect-failure") {
      expectFailure = args[i + 1] == "1";
    } else if (args[i] == "--expect-position") {
      expectPosition = args[i + 1];
    } else if (args[i] == "--tabs") {
      tabs = std::atoi(args[i + 1].c_str());
    } else if (args[i] == "--drop") {
      drop = args[i + 1];
    } else if (args[i] == "--drop-key") {
      dropKey = args[i + 1] == "esc" ? VK_ESCAPE : VK_RETURN;
    } else if (args[i] == "--expect") {
      // What the dialog shows as it opens, e.g. loaded from rusk.dat.
      const std::size_t eq = args[i + 1].find('=');
      const std::string name = args[i + 1].substr(0, eq);
      const std::string want = eq == std::string::npos ? "" : args[i + 1].substr(eq + 1);
      Check(ShownValue(p, name) == want, name + " shows " + want, ShownValue(p, name));
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
    // An open drop-down takes Enter or Esc to close itself; the dialog does not see it.
    const std::string key = dropKey == VK_ESCAPE ? "Esc" : "Enter";
    HWND list = Control(p, drop);
    Check(Focus(p) == list, drop + " has the focus, as when the user opens it",
          NameOf(p, Focus(p)));
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    Check(SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0, drop + " drop-down open");
    PostKey(Focus(p), dropKey);
    Check(WaitFor([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) == 0; }, 5000),
          key + " closes the drop-down");
    Check(Running(p) && IsWindow(p.dialog) && IsWindowVisible(p.dialog),
          key + " on the open drop-down leaves the dialog open");
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
    CheckMessageBox(p, L"確認", L"寸法が「0」になりますので作図出来ません", L"question");
    Check(Running(p) && IsWindowVisible(p.dialog), "dialog stays open after the message");
    Check(WaitFor([&] { return IsWindowEnabled(p.dialog) != 0; }, 5000), "dialog enabled again");
    Check(Exists(folder + L"rusk.dat"), "settings saved before the message");
    Check(FileBytes(folder + L"JWC_TEMP.TXT") == exchangeBefore, "exchange file untouched");
    Check(Text(Control(p, "LabelA1")) == L"　", "status strip still idle");
    // The user gives up: Cancel hands back "hq".
    PostMessageW(Control(p, "Button2"), BM_CLICK, 0, 0);
  }
  if (expectFailure) {
    // The result could not be written: the user is told before the dialog closes.
    CheckMessageBox(p, L"ソレア",
                    L"JWC_TEMP.TXT に書き込めませんでしたので作図出来ません。図面は元のままです",
                    L"exclamation");
    Check(FileBytes(folder + L"JWC_TEMP.TXT") == exchangeBefore, "exchange file untouched");
  }
  const bool finishes = expectFocus.empty() && !expectMessage &&
                        (press == "ok" || press == "enter" || press == "alt-y");
  WaitExit(p);
  // OK shows its progress in the status strip while it works; nothing else writes there.
  std::vector<std::wstring> status = TextsSetOn(statusStrip);
  std::string shown;
  for (const std::wstring& text : status) shown += (shown.empty() ? "" : ", ") + ToUtf8(text);
  const std::vector<std::wstring> want =
      finishes ? std::vector<std::wstring>{L"処理中です", L"ファイル生成中です"}
               : std::vector<std::wstring>{};
  Check(status == want,
        finishes ? "status strip: 処理中です, then ファイル生成中です" : "status strip unchanged",
        shown);
}

// One line a control, for the real input from outside: "NAME left top right bottom" on the
// screen, and for a list "ITEM_HEIGHT" after it: where its drop-down's items will show.
void WritePlaces(Program& p, const std::wstring& path) {
  FILE* f = _wfopen((path + L".tmp").c_str(), L"wb");
  if (f == nullptr) return;
  auto place = [&](const std::string& name, HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::fprintf(f, "%s %ld %ld %ld %ld", name.c_str(), r.left, r.top, r.right, r.bottom);
    if (ClassOf(hwnd) == L"ComboBox") {
      std::fprintf(f, " %ld", static_cast<long>(SendMessageW(hwnd, CB_GETITEMHEIGHT, 0, 0)));
    }
    std::fprintf(f, "\n");
  };
  for (const sorea::ControlInfo& c : sorea::Controls()) {
    const std::string name(c.Name);
    if (c.Kind == sorea::ControlKind::Radio) {
      for (int i = 0; i < 2; ++i)
        place(name + "." + std::to_string(i), Control(p, name + "." + std::to_string(i)));
    } else if (HWND hwnd = Control(p, name)) {
      place(name, hwnd);
    }
  }
  std::fclose(f);
  // Whole or not at all for the script that waits for it.
  MoveFileExW((path + L".tmp").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The driver sees the dialog's real pixels at any display scaling: aware of the monitor's DPI
  // as the program is.
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (setContext == nullptr || !setContext(reinterpret_cast<HANDLE>(-4))) SetProcessDPIAware();
  if (argc < 3) {
    std::fputs("usage: sorea-driver layout|run|attach|typing|minimise|tab|user EXE [options]\n",
               stderr);
    return 2;
  }
  const std::wstring mode = argv[1];
  std::wstring exe = argv[2];
  wchar_t full[MAX_PATH * 4] = {};
  GetFullPathNameW(exe.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
  exe = full;
  const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
  std::vector<std::string> args;
  for (int i = 3; i < argc; ++i) args.push_back(ToUtf8(argv[i]));

  Program p;
  if (mode == L"attach" ? !Attach(exe, p) : !Start(exe, p)) return 1;
  if (!InstallProbe(p)) {
    TerminateProcess(p.info.hProcess, 3);
    return 1;
  }
  if (mode == L"layout") {
    CheckLayout(p);
    CheckTextsFit(p);
    CheckFontsAndInputMethod(p);
    if (args.size() >= 2 && args[0] == "--shot") {
      // Tell the script where the dialog is, then wait until it has taken its screenshot.
      std::wstring flag = FromUtf8(args[1]);
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
  } else if (mode == L"user") {
    // A user works the dialog with the real mouse and keyboard (xdotool, from outside): the
    // driver only tells where each control is on the screen and waits for the dialog to close.
    // While a list is dropped down, PLACES.dropped names it: the script waits for it before it
    // clicks an item.
    const std::wstring places = args.size() >= 2 && args[0] == "--places" ? FromUtf8(args[1]) : L"";
    if (!places.empty()) WritePlaces(p, places);
    const DWORD start = GetTickCount();
    std::string dropped;
    while (WaitForSingleObject(p.info.hProcess, 15) == WAIT_TIMEOUT &&
           GetTickCount() - start < 120000) {
      std::string now;
      for (const sorea::ControlInfo& c : sorea::Controls()) {
        if (c.Kind == sorea::ControlKind::List &&
            SendMessageW(Control(p, std::string(c.Name)), CB_GETDROPPEDSTATE, 0, 0) != 0) {
          now = std::string(c.Name);
        }
      }
      if (now == dropped || places.empty()) continue;
      dropped = now;
      if (dropped.empty()) {
        DeleteFileW((places + L".dropped").c_str());
      } else if (FILE* f = _wfopen((places + L".dropped").c_str(), L"wb")) {
        std::fprintf(f, "%s\n", dropped.c_str());
        std::fclose(f);
      }
    }
    Check(WaitForSingleObject(p.info.hProcess, 0) == WAIT_OBJECT_0, "the user closes the dialog");
  } else if (mode == L"run" || mode == L"attach") {
    RunCase(p, folder, args);
  } else {
    Check(false, "mode", ToUtf8(mode));
    TerminateProcess(p.info.hProcess, 3);
  }
  std::printf("%s: %d failed\n", failures ? "FAILED" : "PASSED", failures);
  return failures ? 1 : 0;
}
