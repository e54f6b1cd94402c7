// The dialog "ソレア" as a Win32 window: what TForm1 asks of the platform, the controls' values
// written and read back, and the window's events.
#include "win32/Win32View.h"

#include <imm.h>

#include <algorithm>
#include <cstddef>

#include "app/Texts.h"
#include "util/Files.h"
#include "util/WinText.h"
#include "win32/ControlIds.h"
#include "win32/DialogLook.h"
#include "win32/LimitedEdit.h"

namespace sorea::win32 {

using win::FromCp932;

Win32View::Win32View(HINSTANCE instance) : instance_(instance), form_(*this) {}

Win32View::~Win32View() {
  if (application_) DestroyWindow(application_);
  if (font_) DeleteObject(font_);
  if (smallFont_) DeleteObject(smallFont_);
  if (whiteBrush_) DeleteObject(whiteBrush_);
  if (memoBrush_) DeleteObject(memoBrush_);
  if (statusBrush_) DeleteObject(statusBrush_);
}

HWND Win32View::ControlHandle(ControlId id) const {
  return controls_[Index(id)];
}

HWND Win32View::RadioItem(ControlId group, int item) const {
  return window_ ? GetDlgItem(window_, RadioItemId(group, item)) : nullptr;
}

int Win32View::CheckedItem(ControlId group) const {
  for (int i = 0; i < form_.ItemCount(group); ++i) {
    if (SendMessageW(RadioItem(group, i), BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  }
  return -1;
}

// ---- FormView -------------------------------------------------------------------------------

std::string Win32View::ExecutableFolder() {
  return sorea::ExecutableFolder();
}

void Win32View::SetFocus(ControlId control) {
  // A radio group takes the focus on its checked item, or its first.
  HWND target = Control(control).Kind == ControlKind::Radio
                    ? RadioItem(control, std::max(CheckedItem(control), 0))
                    : ControlHandle(control);
  if (target == nullptr) return;
  lastFocus_ = target;
  ::SetFocus(target);
}

void Win32View::ShowMessage(std::string_view text, std::string_view caption) {
  MessageBoxW(window_, FromCp932(text).c_str(), FromCp932(caption).c_str(),
              MB_ICONQUESTION | MB_OK);
}

void Win32View::ShowFailure(std::string_view text, std::string_view caption, std::string_view) {
  MessageBoxW(window_, FromCp932(text).c_str(), FromCp932(caption).c_str(), MB_ICONWARNING | MB_OK);
}

void Win32View::ShowStatus() {
  SetWindowTextW(ControlHandle(ControlId::LabelA1), FromCp932(form_.LabelA1.Caption).c_str());
}

void Win32View::RepaintStatus() {
  HWND status = ControlHandle(ControlId::LabelA1);
  if (!status) return;
  ShowStatus();
  RedrawWindow(status, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void Win32View::Close() {
  if (closing_ || window_ == nullptr) return;
  closing_ = true;
  try {
    form_.FormClose();
  } catch (...) {
  }
  DestroyWindow(window_);
}

int Win32View::WindowLeft() {
  RECT r{};
  return window_ && GetWindowRect(window_, &r) ? static_cast<int>(r.left) : form_.SavedLeft;
}

int Win32View::WindowTop() {
  RECT r{};
  return window_ && GetWindowRect(window_, &r) ? static_cast<int>(r.top) : form_.SavedTop;
}

void Win32View::MoveWindow(int left, int top) {
  if (window_) {
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// ---- Values ---------------------------------------------------------------------------------

void Win32View::KeepRadioTabStop(ControlId group) {
  // Tab enters a radio group at its checked item (or the first when none is checked).
  const int checked = std::max(CheckedItem(group), 0);
  for (int i = 0; i < form_.ItemCount(group); ++i) {
    HWND item = RadioItem(group, i);
    if (!item) continue;
    LONG_PTR style = GetWindowLongPtrW(item, GWL_STYLE);
    style = i == checked ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(item, GWL_STYLE, style);
  }
}

void Win32View::WriteControls() {
  for (const ControlInfo& c : Controls()) {
    HWND hwnd = ControlHandle(c.Id);
    switch (c.Kind) {
      case ControlKind::List: {
        const TComboBox& list = form_.*c.List;
        SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : list.Items) {
          const std::wstring text = FromCp932(item);
          SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex), 0);
        break;
      }
      case ControlKind::Edit:
        SetFieldText(hwnd, (form_.*c.Edit).Text);
        break;
      case ControlKind::Check:
        SendMessageW(hwnd, BM_SETCHECK, (form_.*c.Check).Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      case ControlKind::Radio:
        for (int i = 0; i < form_.ItemCount(c.Id); ++i) {
          SendMessageW(RadioItem(c.Id, i), BM_SETCHECK,
                       (form_.*c.Radio).ItemIndex == i ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        KeepRadioTabStop(c.Id);
        break;
      case ControlKind::Memo: {
        std::wstring notice;
        for (std::size_t i = 0; i < form_.Memo1.Lines.size(); ++i) {
          if (i > 0) notice += L"\r\n";
          notice += FromCp932(form_.Memo1.Lines[i]);
        }
        SetWindowTextW(hwnd, notice.c_str());
        break;
      }
      case ControlKind::Label:
        ShowStatus();
        break;
      case ControlKind::Button:
        break;
    }
  }
}

void Win32View::ReadControls() {
  for (const ControlInfo& c : Controls()) {
    HWND hwnd = ControlHandle(c.Id);
    switch (c.Kind) {
      case ControlKind::List: {
        const LRESULT index = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
        (form_.*c.List).ItemIndex = index == CB_ERR ? -1 : static_cast<int>(index);
        break;
      }
      case ControlKind::Edit:
        (form_.*c.Edit).Text = FieldText(hwnd);
        break;
      case ControlKind::Check:
        (form_.*c.Check).Checked = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
        break;
      case ControlKind::Radio:
        (form_.*c.Radio).ItemIndex = CheckedItem(c.Id);
        break;
      default:
        break;
    }
  }
}

// ---- Events ---------------------------------------------------------------------------------

void Win32View::OnOk() {
  if (busy_ || closing_) return;
  busy_ = true;
  try {
    ReadControls();
    form_.Button1Click();
  } catch (...) {
    // Nothing may escape into the window procedure; the dialog stays as it is.
  }
  busy_ = false;
}

void Win32View::OnCancel() {
  if (busy_ || closing_) return;
  try {
    form_.Button2Click();
  } catch (...) {
  }
  // Cancel always ends the dialog, whatever the model did.
  Close();
}

void Win32View::MarkDefaultButton(HWND focused) {
  // A focused push button takes Enter and shows the default frame; otherwise OK has it.
  HWND ok = ControlHandle(ControlId::Button1);
  HWND cancel = ControlHandle(ControlId::Button2);
  const bool onCancel = focused == cancel;
  SendMessageW(ok, BM_SETSTYLE, onCancel ? BS_PUSHBUTTON | BS_NOTIFY : BS_DEFPUSHBUTTON | BS_NOTIFY,
               TRUE);
  SendMessageW(cancel, BM_SETSTYLE,
               onCancel ? BS_DEFPUSHBUTTON | BS_NOTIFY : BS_PUSHBUTTON | BS_NOTIFY, TRUE);
}

void Win32View::OnCommand(int id, int code, HWND control) {
  if (id == IDOK || id == IDCANCEL) {
    if (code == BN_SETFOCUS) {
      MarkDefaultButton(control);
      return;
    }
    if (code == BN_KILLFOCUS) {
      MarkDefaultButton(nullptr);
      return;
    }
    if (code != BN_CLICKED) return;
    if (id == IDOK) {
      OnOk();
    } else {
      OnCancel();
    }
    return;
  }
  if (code != BN_CLICKED) return;
  for (const ControlInfo& c : Controls()) {
    if (c.Kind == ControlKind::Radio && id >= RadioItemId(c.Id, 0) &&
        id < RadioItemId(c.Id, form_.ItemCount(c.Id))) {
      KeepRadioTabStop(c.Id);
    }
  }
}

template <Win32View::Handler handler>
LRESULT CALLBACK Win32View::Route(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<Win32View*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (view == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return (view->*handler)(hwnd, message, wparam, lparam);
}

// The two window procedures the window classes name (registered in Win32Layout.cpp).
template LRESULT CALLBACK Win32View::Route<&Win32View::OnFormMessage>(HWND, UINT, WPARAM, LPARAM);
template LRESULT CALLBACK Win32View::Route<&Win32View::OnApplicationMessage>(HWND, UINT, WPARAM,
                                                                             LPARAM);

LRESULT Win32View::OnApplicationMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      // Closing from the task bar is closing the dialog: Cancel.
      if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && window_ && IsWindowEnabled(window_) && !IsIconic(hwnd)) {
        SetActiveWindow(window_);
        return 0;
      }
      break;
    case WM_GETMINMAXINFO: {
      // It stays without any size: only its task-bar entry is seen.
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize.x = 0;
      info->ptMinTrackSize.y = 0;
      return 0;
    }
    case WM_SIZE:
      // The dialog goes and comes with the task-bar entry that owns it.
      if (wparam == SIZE_MINIMIZED && window_ && IsWindowVisible(window_)) {
        hiddenWithApplication_ = true;
        ShowWindow(window_, SW_HIDE);
      } else if (wparam == SIZE_RESTORED && window_ && hiddenWithApplication_) {
        hiddenWithApplication_ = false;
        ShowWindow(window_, SW_SHOW);
        SetActiveWindow(window_);
      }
      break;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_RESTORE) {
        LRESULT result = DefWindowProcW(hwnd, message, wparam, lparam);
        if (window_) SetActiveWindow(window_);
        return result;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT Win32View::OnFormMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case DM_GETDEFID: {
      // Enter on a focused push button presses that button; anywhere else it presses OK.
      const int id = GetFocus() == ControlHandle(ControlId::Button2) ? IDCANCEL : IDOK;
      return MAKELRESULT(id, DC_HASDEFID);
    }
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wparam);
      auto control = reinterpret_cast<HWND>(lparam);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      if (control == ControlHandle(ControlId::Memo1)) {
        SetBkColor(dc, kMemoColour);
        return reinterpret_cast<LRESULT>(memoBrush_);
      }
      if (control == ControlHandle(ControlId::LabelA1)) {
        SetBkColor(dc, kStatusColour);
        return reinterpret_cast<LRESULT>(statusBrush_);
      }
      SetBkColor(dc, kWhite);
      return reinterpret_cast<LRESULT>(whiteBrush_);
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(whiteBrush_);
    case WM_DPICHANGED: {
      // Moved to a monitor of another DPI, or its scaling changed: the size Windows suggests,
      // then fonts, children and the client area for the new DPI.
      dpi_ = HIWORD(wparam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      MakeFonts();
      PlaceChildren();
      FitClientArea();
      return 0;
    }
    case WM_ACTIVATE:
      // Give the focus back to the control that had it when the user comes back.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
      } else if (!IsIconic(hwnd)) {
        HWND target = lastFocus_ ? lastFocus_ : ControlHandle(ControlId::ComboBox1);
        if (target) ::SetFocus(target);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      // Minimising the dialog minimises the application's task-bar entry, which hides the
      // dialog with it; restoring the entry brings the dialog back.
      if ((wparam & 0xFFF0) == SC_MINIMIZE && application_) {
        ShowWindow(application_, SW_MINIMIZE);
        return 0;
      }
      break;
    case WM_CLOSE:
      // The title bar's close button and the system menu act as Cancel.
      OnCancel();
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

int Win32View::Run() {
  if (!CreateWindows()) {
    // Without a window there is no dialog to answer; Jw_cad still gets its file back.
    try {
      form_.FormShow();
      form_.FormClose();
    } catch (...) {
    }
    return 0;
  }
  try {
    form_.FormShow();
  } catch (...) {
  }
  WriteControls();
  if (application_) ShowWindow(application_, SW_SHOWNOACTIVATE);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  SetFocus(ControlId::ComboBox1);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window_ && IsDialogMessageW(window_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (window_) Close();
  return 0;
}

}  // namespace sorea::win32
