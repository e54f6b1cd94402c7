// The dialog "ソレア" as a portable model: its controls' values, item lists and limits, the
// show and close sequences, the OK job's entry and the settings file. Everything a platform
// must do (focus, message box, repaint, close, window position) goes through FormView, so the
// same TForm1 runs under the Win32 window and headless.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "util/Files.h"

namespace sorea {

struct DimensionSettings;
struct ElementStore;

enum class ControlId {
  ComboBox1,
  ComboBox2,
  ComboBox3,
  ComboBox4,
  ComboBox5,
  Edit1,
  Edit2,
  Edit3,
  Edit4,
  Edit5,
  Edit6,
  Edit7,
  Edit8,
  Edit9,
  CheckBox1,
  CheckBox2,
  CheckBox3,
  CheckBox4,
  RadioGroup1,
  RadioGroup2,
  Memo1,
  LabelA1,
  Button1,
  Button2,
};

// Button2 is the last control: a control added after it must take its place here.
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlId::Button2) + 1;

// What a control is, and so which model value it has.
enum class ControlKind { List, Edit, Check, Radio, Memo, Label, Button };

struct TComboBox {
  std::vector<std::string> Items;  // Shift-JIS
  int ItemIndex = -1;              // -1: nothing chosen
};

struct TEdit {
  std::string Text;   // Shift-JIS; loading and typing stop at a NUL byte
  int MaxLength = 0;  // bytes; limits typing only
  bool ImeOff = true;

  // The user types (or pastes) `typed` over bytes [from, to) of Text. What goes in stops at the
  // first line break, since the field holds one line, at a NUL byte, which no window's field
  // holds, and where Text would grow past MaxLength bytes, never inside a double-byte character.
  // Text loaded longer than the limit keeps its bytes but takes nothing more. Returns the bytes
  // that went in.
  std::string Type(std::string_view typed, std::size_t from, std::size_t to);
};

struct TCheckBox {
  bool Checked = false;
};

struct TRadioGroup {
  std::vector<std::string> Items;
  int ItemIndex = -1;
};

struct TMemo {
  std::vector<std::string> Lines;
};

struct TLabel {
  std::string Caption;
};

// What TForm1 asks of the platform.
class FormView {
 public:
  virtual ~FormView() = default;
  // Folder of the running executable, ending in the path separator (UTF-8 path).
  virtual std::string ExecutableFolder() = 0;
  virtual void SetFocus(ControlId control) = 0;
  // The confirmation box: caption, question-mark icon, one OK button; returns when dismissed.
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
  // The result for Jw_cad could not be written: text and caption for the user (a warning box
  // that returns when dismissed), detail (the file and the system's reason) for a log.
  virtual void ShowFailure(std::string_view text, std::string_view caption,
                           std::string_view detail) = 0;
  // Something went wrong that the user need not stop for (settings not saved, a file that is
  // no plain file read as missing). A window says nothing: a folder without write access is a
  // normal installation.
  virtual void Warn(std::string_view /*text*/) {}
  // LabelA1's caption changed: repaint it now (the job does not return to the event loop).
  virtual void RepaintStatus() = 0;
  // Close the window. The platform calls TForm1::FormClose as the window closes.
  virtual void Close() = 0;
  virtual int WindowLeft() = 0;
  virtual int WindowTop() = 0;
  virtual void MoveWindow(int left, int top) = 0;
};

class TForm1 {
 public:
  explicit TForm1(FormView& view);

  TComboBox ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5;
  TEdit Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9;
  TCheckBox CheckBox1, CheckBox2, CheckBox3, CheckBox4;
  TRadioGroup RadioGroup1, RadioGroup2;
  TMemo Memo1;
  TLabel LabelA1;

  int SavedLeft = 100;
  int SavedTop = 100;
  std::string ProgramFolder;

  void FormShow();
  void FormClose();
  void Button1Click();  // OK: the dimension job
  void Button2Click();  // Cancel
  // rusk.dat: the dialog's values and position between runs. A read-only file is left as the
  // user froze it.
  void LoadSettings(const std::string& path);
  // The settings file also records the drawing's layer group, scale, axis angle and first
  // three picks, from store.
  FileProblem SaveSettings(const std::string& path, const ElementStore& store);

  // Lookup by id, for views and drivers; nullptr when the control is of another kind.
  TComboBox* ComboBox(ControlId id) { return Find<TComboBox>(id); }
  TEdit* Edit(ControlId id) { return Find<TEdit>(id); }
  TCheckBox* CheckBox(ControlId id) { return Find<TCheckBox>(id); }
  TRadioGroup* RadioGroup(ControlId id) { return Find<TRadioGroup>(id); }
  // How many items a list or radio group offers now (ComboBox3 is filled at show); -1 for a
  // control of another kind.
  int ItemCount(ControlId id) const;

  FormView& View() { return view_; }

  // Refills ComboBox3 from the text types the exchange file gave (show sequence).
  void FillTextTypeList(const ElementStore& store);
  // Reads the controls into the job's settings as OK does; false (focus put on the refused
  // control) when a value is refused.
  bool ReadDimensionSettings(DimensionSettings& settings);
  bool Shown() const { return shown_; }
  bool Closed() const { return closed_; }

 private:
  // The model value of kind T of the control, through the control table.
  template <typename T>
  T* Find(ControlId id);
  void SetStatus(std::string_view text);
  std::string SettingsText(const ElementStore& store);
  // A control's value as rusk.dat holds it.
  std::string ControlText(ControlId id);

  FormView& view_;
  bool shown_ = false;
  bool closed_ = false;
};

// The one list of the dialog's controls, in ControlId order: name, kind and the model value a
// control of that kind has in TForm1. Views, the headless driver and the settings file go
// through it instead of naming controls one by one.
struct ControlInfo {
  ControlId Id;
  std::string_view Name;
  ControlKind Kind;
  TComboBox TForm1::*List = nullptr;
  TEdit TForm1::*Edit = nullptr;
  TCheckBox TForm1::*Check = nullptr;
  TRadioGroup TForm1::*Radio = nullptr;
};

const std::array<ControlInfo, kControlCount>& Controls();
const ControlInfo& Control(ControlId id);
// nullptr when no control has that name.
const ControlInfo* FindControl(std::string_view name);
// The control's component name, "ComboBox1" and so on.
std::string_view ControlName(ControlId id);

// The 31 lines of rusk.dat, in the file's order: the table is the file's layout, whatever the
// order of ControlId. Lines 1 to 22 are read back into the dialog; the rest record the drawing
// and are never read.
struct SettingsLine {
  // Value: a control's value; the rest as named.
  enum Kind { Left, Top, Value, LayerGroup, Scale, AxisAngle, PickX, PickY };
  Kind What;
  ControlId Id = ControlId::ComboBox1;  // for Value: the control
  int Pick = 0;                         // for PickX and PickY: picked point 1 to 3
};
inline constexpr std::size_t kSettingsLinesRead = 22;
const std::array<SettingsLine, 31>& SettingsLines();

// The scale of the drawing's layer group (InitialLayerGroup): drawing units per paper
// millimetre; 1 when the group lies outside the table.
double DrawingScale(const ElementStore& store);

}  // namespace sorea
