// The dialog's edit fields. Their model holds Shift-JIS bytes and limits typing in bytes,
// which the edit control cannot count (a full-width character takes two), so the field hands
// what the user types, pastes or converts with the input method to the model's typing rule
// (TEdit::Type) and shows only what the rule let in.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

#include "app/Unit1.h"

namespace sorea::win32 {

// The field's text as the model holds it, and back. Text is shown whole, even beyond the
// typing limit (a settings file may hold more).
std::string FieldText(HWND edit);
void SetFieldText(HWND edit, std::string_view text);

// From now on `edit` takes typing, pasting and the input method's result only as `model`'s
// typing rule allows. `model` gives the limit and must outlive the window.
void LimitTyping(HWND edit, const TEdit& model);

}  // namespace sorea::win32
