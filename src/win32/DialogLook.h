// What the dialog's window and its parts share: the window classes, the layout's size in the
// pixels of a 96 DPI display, the colours.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>

#include "app/Unit1.h"

namespace sorea::win32 {

// A control's place in the view's table of windows.
inline std::size_t Index(ControlId id) {
  return static_cast<std::size_t>(id);
}

inline constexpr wchar_t kFormClass[] = L"SoreaForm";
inline constexpr wchar_t kApplicationClass[] = L"SoreaApplication";
inline constexpr int kClientWidth = 509;
inline constexpr int kClientHeight = 374;
inline constexpr int kListHeight = 21;  // a closed drop-down list
inline constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kMemoColour = RGB(187, 235, 244);
inline constexpr COLORREF kStatusColour = RGB(231, 231, 231);

}  // namespace sorea::win32
