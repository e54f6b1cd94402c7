// The driver's layout and tab-order checks: where each control sits, what it says and offers
// when the dialog first shows, and the order Tab visits them.
#include <cstdio>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "driver.h"
#include "util/WinText.h"
#include "win32/ControlIds.h"

namespace sorea::driver {

namespace {

using win::ToUtf8;

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
  if (id >= win32::kFirstLabelId && id < win32::kFirstLabelId + 100) q->statics.push_back(hwnd);
  return TRUE;
}

}  // namespace

int DialogDpi(const Program& p) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(p.dialog) : 0;
  return dpi != 0 ? static_cast<int>(dpi) : 96;
}

int Scaled(const Program& p, int length) {
  return MulDiv(length, DialogDpi(p), 96);
}

void CheckLayout(Program& p) {
  const auto S = [&p](int length) { return Scaled(p, length); };
  // The display's DPI as a program aware of it sees it: the dialog must be laid out for it,
  // not left for Windows to stretch.
  int display = 96;
  if (HDC screen = GetDC(nullptr)) {
    display = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  Check(DialogDpi(p) == display, "dialog at the display's " + std::to_string(display) + " DPI",
        std::to_string(DialogDpi(p)));
  Check(Text(p.dialog) == L"ソレア", "caption");
  LONG_PTR style = GetWindowLongPtrW(p.dialog, GWL_STYLE);
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX),
        "title bar with system menu and minimise button");
  Check(!(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME), "no maximise, not resizable");
  RECT client{};
  GetClientRect(p.dialog, &client);
  Check(client.right == S(509) && client.bottom == S(374),
        "client area " + std::to_string(S(509)) + "x" + std::to_string(S(374)), RectText(client));
  RECT outer{};
  GetWindowRect(p.dialog, &outer);
  Check(outer.left == 100 && outer.top == 100, "placed at 100,100 without settings",
        RectText(outer));
  HWND owner = GetWindow(p.dialog, GW_OWNER);
  Check(owner && Text(owner) == L"tavo_ソレア", "application title", ToUtf8(Text(owner)));

  for (const Expected& e : kControls) {
    HWND hwnd = Control(p, e.name);
    if (!hwnd) {
      Check(false, e.name, "missing");
      continue;
    }
    RECT r = ClientRectOf(p, hwnd);
    RECT want{S(e.x), S(e.y), S(e.x) + S(e.width), S(e.y) + S(e.height)};
    Check(EqualRect(&r, &want) != 0, std::string(e.name) + " at " + RectText(want), RectText(r));
    Check(_wcsicmp(ClassOf(hwnd).c_str(), e.className) == 0, std::string(e.name) + " class",
          ToUtf8(ClassOf(hwnd)));
    if (e.text) {
      Check(Text(hwnd) == e.text, std::string(e.name) + " text", ToUtf8(Text(hwnd)));
    }
  }

  LabelQuery q{&p, {}};
  EnumChildWindows(p.dialog, CollectStatics, reinterpret_cast<LPARAM>(&q));
  Check(q.statics.size() == std::size(kLabels), "label count", std::to_string(q.statics.size()));
  for (const ExpectedLabel& l : kLabels) {
    bool found = false;
    for (HWND hwnd : q.statics) {
      RECT r = ClientRectOf(p, hwnd);
      if (Text(hwnd) != l.text || r.left != S(l.x) || r.top != S(l.y)) continue;
      found = true;
      const int bytes = static_cast<int>(win::Cp932Length(l.text));
      const int width = r.right - r.left;
      Check(r.bottom - r.top == S(l.height) && width >= S(bytes * 5) && width <= S(bytes * 7) + 2,
            "label " + ToUtf8(l.text) + " size", RectText(r));
    }
    Check(found, "label " + ToUtf8(l.text) + " at " + std::to_string(S(l.x)) + "," +
                     std::to_string(S(l.y)));
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
      Check(l.items[i] == buffer, std::string(l.name) + " item " + std::to_string(i),
            ToUtf8(buffer));
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
    Check(hwnd && Text(hwnd) == r.text, std::string(r.name) + " text", ToUtf8(Text(hwnd)));
    Check((SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) == r.checked,
          std::string(r.name) + (r.checked ? " chosen" : " not chosen"));
    RECT inner = ClientRectOf(p, hwnd);
    RECT frame =
        ClientRectOf(p, Control(p, std::string(r.name).substr(0, std::string(r.name).find('.'))));
    RECT both{};
    IntersectRect(&both, &inner, &frame);
    Check(EqualRect(&both, &inner) != 0, std::string(r.name) + " inside its frame",
          RectText(inner));
  }
  for (const ControlInfo& box : Controls()) {
    if (box.Kind != ControlKind::Check) continue;
    Check(SendMessageW(Control(p, std::string(box.Name)), BM_GETCHECK, 0, 0) == BST_UNCHECKED,
          std::string(box.Name) + " not ticked");
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
  Check((memoStyle & ES_AUTOHSCROLL) != 0, "notice does not wrap words (ES_AUTOHSCROLL)");
  SendMessageW(memo, WM_CHAR, L'x', 1);
  Check(Text(memo) == notice, "typing into the notice changes nothing");
  // A line wider than the box stays one line; then the notice goes back as it was.
  std::wstring wide;
  for (int i = 0; i < 30; ++i) wide += L"寸法 ";
  SendMessageW(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  const LRESULT lines = SendMessageW(memo, EM_GETLINECOUNT, 0, 0);
  Check(lines == 1, "a line wider than the notice stays one line", std::to_string(lines));
  SendMessageW(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(notice.c_str()));

  Check(NameOf(p, Focus(p)) == "ComboBox1", "first focus on ComboBox1", NameOf(p, Focus(p)));
  HWND at = Control(p, kTabOrder[0]);
  for (std::size_t i = 1; i <= std::size(kTabOrder); ++i) {
    at = GetNextDlgTabItem(p.dialog, at, FALSE);
    const char* want = kTabOrder[i % std::size(kTabOrder)];
    Check(NameOf(p, at) == want, std::string("tab ") + std::to_string(i) + " -> " + want,
          NameOf(p, at));
  }
}

namespace {

// A text without its mnemonic mark, as a control draws it.
std::wstring Shown(std::wstring text) {
  const std::size_t amp = text.find(L'&');
  if (amp != std::wstring::npos) text.erase(amp, 1);
  return text;
}

}  // namespace

void CheckTextsFit(Program& p) {
  const int dpi = DialogDpi(p);
  // The dialog's font at its DPI, measured here: the same face and size give the same extents.
  HFONT font = CreateFontW(-Scaled(p, 13), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  auto extent = [dc](const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
  };
  auto client = [](HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
  };
  auto fits = [](const SIZE& text, int width, int height) {
    return text.cx <= width && text.cy <= height;
  };
  auto size = [](const SIZE& s) { return std::to_string(s.cx) + "x" + std::to_string(s.cy); };
  // The square or circle a check box or radio button draws: 13 px at 96 DPI, scaled.
  const int glyph = MulDiv(12, dpi, 96) + 1;
  const int gap = MulDiv(4, dpi, 96);
  std::vector<std::string> boxes;
  for (const ControlInfo& c : Controls()) {
    if (c.Kind == ControlKind::Check) boxes.push_back(std::string(c.Name));
    for (int i = 0; c.Kind == ControlKind::Radio && i < 2; ++i) {
      boxes.push_back(std::string(c.Name) + "." + std::to_string(i));
    }
  }
  for (const std::string& name : boxes) {
    HWND hwnd = Control(p, name);
    const RECT r = client(hwnd);
    const SIZE text = extent(Text(hwnd));
    Check(glyph <= r.bottom && glyph <= r.right, name + " glyph inside the control",
          std::to_string(glyph) + " in " + RectText(r));
    Check(fits(text, r.right - glyph - gap, r.bottom), name + " caption fits beside the glyph",
          size(text) + " in " + RectText(r));
  }
  for (const char* name : {"Button1", "Button2", "RadioGroup1", "RadioGroup2"}) {
    HWND hwnd = Control(p, name);
    const RECT r = client(hwnd);
    const SIZE text = extent(Shown(Text(hwnd)));
    Check(fits(text, r.right - 2 * gap, r.bottom), std::string(name) + " caption fits",
          size(text) + " in " + RectText(r));
  }
  for (const ControlInfo& c : Controls()) {
    HWND hwnd = Control(p, std::string(c.Name));
    if (c.Kind == ControlKind::List) {
      // Beside the drop-down button (as wide as a scroll bar, 17 px at 96 DPI) and the
      // selection field's margins.
      const RECT r = client(hwnd);
      const int room = r.right - MulDiv(17 + 4, dpi, 96);
      const LRESULT count = SendMessageW(hwnd, CB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[256] = {};
        SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        const SIZE text = extent(item);
        Check(fits(text, room, r.bottom), std::string(c.Name) + " item " + ToUtf8(item) + " fits",
              size(text) + " in " + std::to_string(room));
      }
    } else if (c.Kind == ControlKind::Edit || c.Kind == ControlKind::Memo) {
      // Every line within the field's formatting rectangle.
      RECT r{};
      SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
      std::wstring all = Text(hwnd);
      for (std::size_t start = 0; start <= all.size();) {
        std::size_t end = all.find(L"\r\n", start);
        if (end == std::wstring::npos) end = all.size();
        const std::wstring line = all.substr(start, end - start);
        const SIZE text = extent(line);
        Check(fits(text, r.right - r.left, r.bottom - r.top),
              std::string(c.Name) + " shows " + ToUtf8(line) + " whole",
              size(text) + " in " + RectText(r));
        start = end + 2;
      }
    }
  }
  LabelQuery q{&p, {}};
  EnumChildWindows(p.dialog, CollectStatics, reinterpret_cast<LPARAM>(&q));
  // A label is as high as its font's em: the glyphs, not the line's leading, must fit.
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int em = static_cast<int>(metrics.tmHeight - metrics.tmInternalLeading);
  for (HWND hwnd : q.statics) {
    const std::wstring text = Text(hwnd);
    if (text == L"（線矢印）") continue;  // the small font's, as wide as its own text
    const RECT r = client(hwnd);
    const SIZE shown = extent(text);
    Check(fits(SIZE{shown.cx, em}, r.right, r.bottom), "label " + ToUtf8(text) + " fits",
          size(shown) + " in " + RectText(r));
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
}

// Shift+Tab as the keyboard gives it: the dialog asks the key state for Shift, which a posted
// message does not carry, so the keys go in as input to the active window.
void PressShiftTab() {
  const WORD keys[] = {VK_SHIFT, VK_TAB, VK_TAB, VK_SHIFT};
  INPUT input[std::size(keys)] = {};
  for (std::size_t i = 0; i < std::size(keys); ++i) {
    input[i].type = INPUT_KEYBOARD;
    input[i].ki.wVk = keys[i];
    input[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(static_cast<UINT>(std::size(input)), input, sizeof(INPUT));
}

void RunTab(Program& p) {
  const std::size_t n = std::size(kTabOrder);
  for (std::size_t i = 1; i < n; ++i) {
    PostKey(Focus(p), VK_TAB);
    const char* want = kTabOrder[i];
    bool ok = WaitFor([&] { return NameOf(p, Focus(p)) == want; }, 5000);
    Check(ok, std::string("Tab moves to ") + want, NameOf(p, Focus(p)));
  }
  // Back through the whole order, and from the first control round to Cancel.
  std::vector<std::size_t> back;
  for (std::size_t i = n - 1; i-- > 0;) back.push_back(i);
  back.push_back(n - 1);
  for (std::size_t i : back) {
    PressShiftTab();
    const char* want = kTabOrder[i];
    bool ok = WaitFor([&] { return NameOf(p, Focus(p)) == want; }, 5000);
    Check(ok, std::string("Shift+Tab moves to ") + want, NameOf(p, Focus(p)));
  }
  // The frame follows the focus as the dialog handles it: waited for, not read once.
  Check(WaitFor(
            [&] {
              return (GetWindowLongPtrW(Control(p, "Button2"), GWL_STYLE) & 0x0F) ==
                     BS_DEFPUSHBUTTON;
            },
            5000),
        "focused Cancel shows the default frame");
  // Enter on the focused Cancel button presses Cancel, not OK.
  PostKey(Focus(p), VK_RETURN);
}

}  // namespace sorea::driver
