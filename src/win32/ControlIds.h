// Child-window identifiers of the dialog "ソレア". The test driver finds the controls by them,
// so they are fixed: OK and Cancel carry IDOK and IDCANCEL, which is what the dialog keyboard
// handling (Enter, Esc) sends.
#pragma once

namespace sorea::win32 {

// The controls that hold a value: kFirstControlId + the index of ControlId.
inline constexpr int kFirstControlId = 100;
// The two choices of RadioGroup1 and RadioGroup2: kRadioGroup1Item + item index.
inline constexpr int kRadioGroup1Item = 200;
inline constexpr int kRadioGroup2Item = 210;
// Static labels, in the order the dialog lists them, from kFirstLabelId.
inline constexpr int kFirstLabelId = 300;

}  // namespace sorea::win32
