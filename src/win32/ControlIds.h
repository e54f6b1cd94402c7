// Child-window identifiers of the dialog "ソレア". The test driver finds the controls by them,
// so they are fixed: OK and Cancel carry IDOK and IDCANCEL, which is what the dialog keyboard
// handling (Enter, Esc) sends.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "app/Unit1.h"

namespace sorea::win32 {

// The other controls: kFirstControlId + the index of ControlId.
inline constexpr int kFirstControlId = 100;
// The choices of RadioGroup1 and RadioGroup2: kRadioGroup1Item (kRadioGroup2Item) + item index.
inline constexpr int kRadioGroup1Item = 200;
inline constexpr int kRadioGroup2Item = 210;
// Static labels, in the order the dialog lists them, from kFirstLabelId.
inline constexpr int kFirstLabelId = 300;

inline int DialogId(ControlId id) {
  if (id == ControlId::Button1) return IDOK;
  if (id == ControlId::Button2) return IDCANCEL;
  return kFirstControlId + static_cast<int>(id);
}

// The window of choice `item` of a radio group.
inline int RadioItemId(ControlId group, int item) {
  return (group == ControlId::RadioGroup1 ? kRadioGroup1Item : kRadioGroup2Item) + item;
}

}  // namespace sorea::win32
