#include "util/WinText.h"

#ifdef _WIN32

#include <windows.h>

namespace sorea::win {

namespace {

constexpr UINT kShiftJis = 932;

std::wstring Widen(UINT codePage, DWORD flags, std::string_view text, bool& ok) {
  ok = true;
  if (text.empty()) return std::wstring();
  const int n = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(codePage, flags, text.data(), n, nullptr, 0);
  if (size <= 0) {
    ok = false;
    return std::wstring();
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), n, wide.data(), size);
  return wide;
}

std::string Narrow(UINT codePage, DWORD flags, std::wstring_view text, bool* usedDefault) {
  if (text.empty()) return std::string();
  const int n = static_cast<int>(text.size());
  BOOL defaulted = FALSE;
  // UTF-8 takes neither a default character nor the flag that reports it.
  const bool utf8 = codePage == CP_UTF8;
  const int size =
      WideCharToMultiByte(codePage, flags, text.data(), n, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), n, bytes.data(), size, utf8 ? nullptr : "?",
                      utf8 ? nullptr : &defaulted);
  if (usedDefault != nullptr) *usedDefault = defaulted != FALSE;
  return bytes;
}

}  // namespace

std::wstring FromUtf8(std::string_view utf8) {
  bool ok = true;
  return Widen(CP_UTF8, 0, utf8, ok);
}

std::string ToUtf8(std::wstring_view wide) {
  return Narrow(CP_UTF8, 0, wide, nullptr);
}

std::wstring FromCp932(std::string_view cp932) {
  bool ok = true;
  return Widen(kShiftJis, 0, cp932, ok);
}

bool FromCp932Strict(std::string_view cp932, std::wstring& out) {
  bool ok = true;
  out = Widen(kShiftJis, MB_ERR_INVALID_CHARS, cp932, ok);
  return ok;
}

std::string ToCp932(std::wstring_view wide) {
  return Narrow(kShiftJis, 0, wide, nullptr);
}

bool ToCp932Exact(std::wstring_view wide, std::string& out) {
  bool defaulted = false;
  out = Narrow(kShiftJis, WC_NO_BEST_FIT_CHARS, wide, &defaulted);
  return !defaulted && (wide.empty() || !out.empty());
}

std::size_t Cp932Length(std::wstring_view wide) {
  return ToCp932(wide).size();
}

}  // namespace sorea::win

#endif
