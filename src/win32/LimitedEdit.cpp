#include "win32/LimitedEdit.h"

#include <imm.h>

#include <cstddef>
#include <new>
#include <utility>

#include "util/WinText.h"

namespace sorea::win32 {

namespace {

// What a subclassed field keeps: the control's own procedure, the model that limits it, and
// the text last put into it with the bytes it came from.
struct Limited {
  WNDPROC original = nullptr;
  const TEdit* model = nullptr;
  std::wstring shown;
  std::string shownBytes;
};

Limited* LimitedOf(HWND edit) {
  return reinterpret_cast<Limited*>(GetWindowLongPtrW(edit, GWLP_USERDATA));
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

// What of `typed` the model's typing rule lets in over the field's selection, as the field's
// text would then hold it.
std::wstring Admitted(HWND edit, const TEdit& model, std::wstring_view typed) {
  const std::wstring text = WindowText(edit);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start > end) std::swap(start, end);
  if (end > text.size()) end = static_cast<DWORD>(text.size());
  if (start > end) start = end;
  const std::wstring_view view(text);
  const std::size_t from = win::Cp932Length(view.substr(0, start));
  const std::size_t to = from + win::Cp932Length(view.substr(start, end - start));
  TEdit field = model;
  field.Text = win::ToCp932(text);
  return win::FromCp932(field.Type(win::ToCp932(typed), from, to));
}

void Insert(HWND edit, const TEdit& model, std::wstring_view typed) {
  const std::wstring admitted = Admitted(edit, model, typed);
  if (!admitted.empty()) {
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(admitted.c_str()));
  }
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The input method's converted text; false when the field has no input context.
bool ResultString(HWND edit, std::wstring& text) {
  HIMC context = ImmGetContext(edit);
  if (!context) return false;
  const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
  text.assign(bytes > 0 ? static_cast<std::size_t>(bytes) / sizeof(wchar_t) : 0, L'\0');
  if (bytes > 0) {
    ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
  }
  ImmReleaseContext(edit, context);
  return true;
}

LRESULT CALLBACK LimitedProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Limited* limited = LimitedOf(hwnd);
  if (limited == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  const WNDPROC original = limited->original;
  switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
      // Control characters (Backspace, Ctrl+C...) never lengthen the text. A character the
      // rule takes goes in as the control types it, so a character typed in two halves
      // (a surrogate pair) stays one character.
      const auto c = static_cast<wchar_t>(wparam);
      if (c >= 0x20 && c != 0x7F && Admitted(hwnd, *limited->model, {&c, 1}).empty()) return 0;
      break;
    }
    case WM_PASTE:
      Insert(hwnd, *limited->model, ClipboardText(hwnd));
      return 0;
    case WM_IME_COMPOSITION: {
      std::wstring text;
      if ((lparam & GCS_RESULTSTR) && ResultString(hwnd, text)) {
        Insert(hwnd, *limited->model, text);
        // Let the input method clear its composition window, without inserting again.
        return DefWindowProcW(hwnd, message, wparam, lparam & ~static_cast<LPARAM>(GCS_RESULTSTR));
      }
      break;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete limited;
      break;
    default:
      break;
  }
  return CallWindowProcW(original, hwnd, message, wparam, lparam);
}

}  // namespace

std::string FieldText(HWND edit) {
  const std::wstring text = WindowText(edit);
  // A field the user left as it was shown gives back the very bytes it was given: bytes that are
  // not Shift-JIS, or that have no single way back from UTF-16, would otherwise come back
  // changed, and OK would rewrite a setting nobody touched.
  if (const Limited* limited = LimitedOf(edit); limited != nullptr && text == limited->shown) {
    return limited->shownBytes;
  }
  return win::ToCp932(text);
}

void SetFieldText(HWND edit, std::string_view text) {
  std::wstring wide = win::FromCp932(text);
  SetWindowTextW(edit, wide.c_str());
  if (Limited* limited = LimitedOf(edit)) {
    limited->shown = WindowText(edit);
    limited->shownBytes = std::string(text);
  }
}

void LimitTyping(HWND edit, const TEdit& model) {
  if (!edit) return;
  // The byte limit is ours (Shift-JIS bytes), not the control's count of characters.
  SendMessageW(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  auto* limited = new (std::nothrow) Limited{nullptr, &model, {}, {}};
  if (!limited) return;
  limited->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
  SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(limited));
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LimitedProc));
}

}  // namespace sorea::win32
