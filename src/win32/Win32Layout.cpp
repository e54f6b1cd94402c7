// The dialog's window and controls: created from the layout, written in the pixels of a
// 96 DPI display, and placed, sized and given fonts for the window's DPI (again when it
// changes).
#include "win32/Win32View.h"
// after <windows.h>, which it needs
#include <imm.h>

#include <cstddef>

#include "app/Texts.h"
#include "util/WinText.h"
#include "win32/ControlIds.h"
#include "win32/DialogLook.h"
#include "win32/LimitedEdit.h"

namespace sorea::win32 {

using win::FromCp932;

namespace {

// The notice is read-only and out of the tab order; it must not keep Tab, Enter and Esc from
// the dialog when the user has clicked into it.
LRESULT CALLBACK NoticeProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (original == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  LRESULT result = CallWindowProcW(original, hwnd, message, wparam, lparam);
  if (message == WM_GETDLGCODE) {
    result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
  }
  return result;
}

// The DPI the window is shown at: its monitor's for a per-monitor aware program on Windows 10
// and later, the screen's elsewhere.
int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (hwnd != nullptr && getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
  }
  int dpi = 96;
  if (HDC screen = GetDC(nullptr)) {
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

}  // namespace

// ---- Windows --------------------------------------------------------------------------------

bool Win32View::CreateWindows() {
  icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
  smallIcon_ =
      static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
  whiteBrush_ = CreateSolidBrush(kWhite);
  memoBrush_ = CreateSolidBrush(kMemoColour);
  statusBrush_ = CreateSolidBrush(kStatusColour);

  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = Route<&Win32View::OnFormMessage>;
  form.hInstance = instance_;
  form.hIcon = icon_;
  form.hIconSm = smallIcon_;
  form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  form.hbrBackground = whiteBrush_;
  form.lpszClassName = kFormClass;
  WNDCLASSEXW application = form;
  application.lpfnWndProc = Route<&Win32View::OnApplicationMessage>;
  application.lpszClassName = kApplicationClass;
  if (!RegisterClassExW(&form) || !RegisterClassExW(&application)) return false;

  // The application window never shows a client area: it is the task-bar entry that carries
  // the application title, and the owner of the dialog.
  application_ = CreateWindowExW(
      0, kApplicationClass, FromCp932(texts::kAppTitle).c_str(),
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, GetSystemMetrics(SM_CXSCREEN) / 2,
      GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance_, this);
  if (!application_) return false;

  // Sized first for the screen's DPI, then for the DPI of the monitor the window is on.
  dpi_ = WindowDpi(nullptr);
  RECT frame{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
  window_ = CreateWindowExW(0, kFormClass, FromCp932(texts::kCaption).c_str(), kFormStyle,
                            form_.SavedLeft, form_.SavedTop, frame.right - frame.left,
                            frame.bottom - frame.top, application_, nullptr, instance_, this);
  if (!window_) return false;
  dpi_ = WindowDpi(window_);
  FitClientArea();
  MakeFonts();
  CreateControls();
  return true;
}

int Win32View::Scaled(int length) const {
  return MulDiv(length, dpi_, 96);
}

void Win32View::FitClientArea() {
  // The frame the window manager draws may differ from what AdjustWindowRectEx assumed: make
  // the client area exactly what the layout needs.
  RECT client{}, outer{};
  GetClientRect(window_, &client);
  GetWindowRect(window_, &outer);
  const int dw = Scaled(kClientWidth) - (client.right - client.left);
  const int dh = Scaled(kClientHeight) - (client.bottom - client.top);
  if (dw != 0 || dh != 0) {
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + dw,
                 outer.bottom - outer.top + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32View::MakeFonts() {
  const std::wstring face = FromCp932(texts::kDialogFontFace);
  auto makeFont = [this, &face](int height) {
    return CreateFontW(-Scaled(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, face.c_str());
  };
  HFONT oldFont = font_, oldSmall = smallFont_;
  font_ = makeFont(13);
  smallFont_ = makeFont(11);
  // The children leave the old fonts before they go.
  for (const Placed& child : placed_) {
    SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(child.small ? smallFont_ : font_),
                 FALSE);
  }
  if (oldFont) DeleteObject(oldFont);
  if (oldSmall) DeleteObject(oldSmall);
}

HWND Win32View::AddChild(const wchar_t* className, std::wstring_view text, DWORD style,
                         DWORD exStyle, int x, int y, int width, int height, int id, bool small) {
  std::wstring caption(text);
  HWND hwnd = CreateWindowExW(
      exStyle, className, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
      Scaled(x), Scaled(y), Scaled(width), Scaled(height), window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  if (hwnd) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(small ? smallFont_ : font_), FALSE);
    placed_.push_back(Placed{hwnd, x, y, width, height, small, false});
  }
  return hwnd;
}

void Win32View::AddLabel(std::string_view text, int x, int y, int id, bool small) {
  if (HWND label = AddChild(L"STATIC", FromCp932(text), SS_LEFT | SS_NOPREFIX, 0, x, y, 0,
                            small ? 11 : 13, id, small)) {
    placed_.back().label = true;
    // As wide as its text in its font.
    SIZE size{};
    const std::wstring wide = FromCp932(text);
    if (HDC dc = GetDC(window_)) {
      HGDIOBJ old = SelectObject(dc, small ? smallFont_ : font_);
      GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
      SelectObject(dc, old);
      ReleaseDC(window_, dc);
    }
    SetWindowPos(label, nullptr, 0, 0, static_cast<int>(size.cx), Scaled(small ? 11 : 13),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32View::FitListHeight(HWND list, int height) {
  // The closed height follows the selection field's item height. Toolkits add their own
  // borders to what is asked for (and may report it back otherwise), so step the value we ask
  // for until the closed list is as high as the layout says.
  LRESULT asked = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int step = 0; asked != CB_ERR && step < 5; ++step) {
    RECT r{};
    GetWindowRect(list, &r);
    const int adjust = Scaled(height) - static_cast<int>(r.bottom - r.top);
    if (adjust == 0 || asked + adjust <= 0) break;
    asked += adjust;
    SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), asked);
  }
}

void Win32View::PlaceChildren() {
  HDC dc = GetDC(window_);
  for (const Placed& child : placed_) {
    int width = Scaled(child.width);
    if (child.label && dc) {
      wchar_t text[256] = {};
      const int n = GetWindowTextW(child.hwnd, text, 256);
      SIZE size{};
      HGDIOBJ old = SelectObject(dc, child.small ? smallFont_ : font_);
      GetTextExtentPoint32W(dc, text, n, &size);
      SelectObject(dc, old);
      width = static_cast<int>(size.cx);
    }
    SetWindowPos(child.hwnd, nullptr, Scaled(child.x), Scaled(child.y), width, Scaled(child.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (dc) ReleaseDC(window_, dc);
  for (const ControlInfo& c : Controls()) {
    if (c.Kind == ControlKind::List) FitListHeight(ControlHandle(c.Id), kListHeight);
  }
  InvalidateRect(window_, nullptr, TRUE);
}

void Win32View::AddRadioItems(ControlId group, int x, int y, int width, int height) {
  const TRadioGroup& model = *form_.RadioGroup(group);
  const int count = form_.ItemCount(group);
  if (count <= 0) return;
  // The choices side by side inside the frame, below its caption.
  const int itemWidth = (width - 10) / count;
  for (int i = 0; i < count; ++i) {
    const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    AddChild(L"BUTTON", FromCp932(model.Items[static_cast<std::size_t>(i)]), style, 0,
             x + 8 + i * itemWidth, y + 17, itemWidth - 4, height - 22, RadioItemId(group, i));
  }
}

void Win32View::CreateControls() {
  const DWORD list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
  const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
  const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP;
  const DWORD button = BS_NOTIFY | WS_TABSTOP | WS_GROUP;
  struct Field {
    ControlId id;
    int x, y, width, height;
    std::string_view caption;  // a check box's, a button's, a radio group frame's
  };
  // Tab order is the order of creation.
  const Field fields[] = {
      {ControlId::ComboBox1, 48, 4, 81, 21, {}},
      {ControlId::ComboBox2, 48, 28, 81, 21, {}},
      {ControlId::Edit7, 48, 64, 33, 21, {}},
      {ControlId::Edit8, 48, 88, 33, 21, {}},
      {ControlId::Edit1, 72, 112, 57, 21, {}},
      {ControlId::ComboBox3, 136, 28, 169, 21, {}},
      {ControlId::Edit2, 200, 56, 105, 21, {}},
      {ControlId::Edit3, 200, 80, 105, 21, {}},
      {ControlId::ComboBox4, 200, 136, 105, 21, {}},
      {ControlId::ComboBox5, 200, 160, 105, 21, {}},
      {ControlId::RadioGroup1, 8, 184, 145, 41, texts::kRadioGroup1Caption},
      {ControlId::RadioGroup2, 160, 184, 145, 41, texts::kRadioGroup2Caption},
      {ControlId::CheckBox1, 8, 232, 145, 17, texts::kCheckBox1Caption},
      {ControlId::CheckBox2, 152, 232, 105, 17, texts::kCheckBox2Caption},
      {ControlId::CheckBox3, 256, 232, 129, 17, texts::kCheckBox3Caption},
      {ControlId::CheckBox4, 384, 232, 105, 17, texts::kCheckBox4Caption},
      {ControlId::Edit4, 200, 252, 57, 21, {}},
      {ControlId::Edit5, 200, 276, 57, 21, {}},
      {ControlId::Edit6, 200, 300, 57, 21, {}},
      {ControlId::Edit9, 200, 324, 57, 21, {}},
      {ControlId::Button1, 360, 264, 137, 33, texts::kButtonOk},
      {ControlId::Button2, 360, 312, 137, 33, texts::kButtonCancel},
  };
  for (const Field& f : fields) {
    const int id = DialogId(f.id);
    const std::wstring caption = FromCp932(f.caption);
    HWND hwnd = nullptr;
    switch (Control(f.id).Kind) {
      case ControlKind::List: {
        // The height given is the closed list's; the drop-down part comes below it.
        hwnd = AddChild(L"COMBOBOX", L"", list, 0, f.x, f.y, f.width, f.height + 240, id);
        if (hwnd) FitListHeight(hwnd, f.height);
        if (hwnd) ImmAssociateContext(hwnd, nullptr);
        break;
      }
      case ControlKind::Edit: {
        const TEdit& model = *form_.Edit(f.id);
        hwnd = AddChild(L"EDIT", L"", edit, WS_EX_CLIENTEDGE, f.x, f.y, f.width, f.height, id);
        LimitTyping(hwnd, model);
        if (hwnd && model.ImeOff) ImmAssociateContext(hwnd, nullptr);
        break;
      }
      case ControlKind::Radio:
        // Its frame comes later, out of the tab order.
        AddRadioItems(f.id, f.x, f.y, f.width, f.height);
        continue;
      case ControlKind::Check:
        hwnd = AddChild(L"BUTTON", caption, check, 0, f.x, f.y, f.width, f.height, id);
        break;
      case ControlKind::Button:
        hwnd =
            AddChild(L"BUTTON", caption, (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | button,
                     0, f.x, f.y, f.width, f.height, id);
        break;
      default:
        continue;
    }
    controls_[Index(f.id)] = hwnd;
  }

  // Out of the tab order: the notice, the labels, the radio frames and the status strip. The
  // first control after the last radio group starts a new group (arrow keys stay inside). The
  // notice keeps its lines as written: a multi-line edit wraps words unless it may scroll
  // sideways, so it gets ES_AUTOHSCROLL (without a horizontal scroll bar).
  HWND memo =
      AddChild(L"EDIT", L"",
               ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_GROUP,
               WS_EX_CLIENTEDGE, 312, 0, 193, 225, DialogId(ControlId::Memo1));
  if (memo) {
    SetWindowLongPtrW(memo, GWLP_USERDATA, GetWindowLongPtrW(memo, GWLP_WNDPROC));
    SetWindowLongPtrW(memo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoticeProc));
  }
  controls_[Index(ControlId::Memo1)] = memo;

  struct Label {
    std::string_view text;
    int x, y;
  };
  const Label labels[] = {
      {texts::kLabelStart, 8, 8},
      {texts::kLabelEnd, 8, 32},
      {texts::kLabelLineArrow, 8, 52},
      {texts::kLabelLength, 8, 68},
      {texts::kLabelPaperMm, 88, 68},
      {texts::kLabelAngle, 8, 92},
      {texts::kLabelDegree, 88, 92},
      {texts::kLabelMarkScale, 8, 116},
      {texts::kLabelMarkScaleNote, 128, 116},
      {texts::kLabelTextType, 136, 8},
      {texts::kLabelPrefix, 136, 60},
      {texts::kLabelSuffix, 136, 84},
      {texts::kLabelPrecision, 8, 140},
      {texts::kLabelRounding, 8, 164},
      {texts::kLabelValueLineDistance, 8, 256},
      {texts::kLabelPaperMm, 264, 256},
      {texts::kLabelExtensionGap, 8, 280},
      {texts::kLabelPaperMm, 264, 280},
      {texts::kLabelExtensionOvershoot, 8, 304},
      {texts::kLabelPaperMm, 264, 304},
      {texts::kLabelReverseOvershoot, 8, 328},
      {texts::kLabelPaperMm, 264, 328},
  };
  int labelId = kFirstLabelId;
  for (const Label& l : labels) {
    const bool small = l.text == texts::kLabelLineArrow;
    AddLabel(l.text, l.x, l.y, labelId++, small);
  }

  for (const Field& f : fields) {
    if (Control(f.id).Kind != ControlKind::Radio) continue;
    controls_[Index(f.id)] = AddChild(L"BUTTON", FromCp932(f.caption), BS_GROUPBOX, 0, f.x, f.y,
                                      f.width, f.height, DialogId(f.id));
  }
  controls_[Index(ControlId::LabelA1)] =
      AddChild(L"STATIC", L"", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0, 350, 509, 24,
               DialogId(ControlId::LabelA1));
}

}  // namespace sorea::win32
