// sorea-cli without a subcommand: the dialog's whole run without a window. The show sequence
// runs as when Jw_cad starts us, the --set options act as the user setting controls, and
// --press presses OK or Cancel; the files are read and written in the program folder as the
// real program does.
//
//   sorea-cli [--folder DIR] [--set NAME=VALUE]... [--press ok|cancel] [--print-state]
//
// Exit codes: 0 the dialog closed (OK built the dimension, or Cancel); 2 a usage error, with
// nothing written; 3 OK refused a value (stderr "refused: NAME"); 4 OK showed its message
// (stderr "message: TEXT"). After 3 and 4 the dialog is cancelled, as a user would.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Unit1.h"
#include "cli/CliCommands.h"
#include "exchange/JwwGaibu.h"
#include "util/Cp932.h"
#include "util/Files.h"
#include "util/MyFunc.h"

namespace sorea::cli {

namespace {

enum class SetKind { List, Radio, Check, Text, Left, Top };

struct SetOption {
  std::string name;
  SetKind kind = SetKind::Text;
  ControlId id = ControlId::Edit1;
  int number = 0;    // list, radio, check, position
  std::string text;  // edit fields: Shift-JIS, not yet cut
};

struct Options {
  std::optional<std::string> folder;
  std::vector<SetOption> sets;
  bool pressOk = true;
  bool pressGiven = false;
  bool printState = false;
};

struct Control {
  std::string_view name;
  ControlId id;
  SetKind kind;
};

constexpr Control kControls[] = {
    {"ComboBox1", ControlId::ComboBox1, SetKind::List},
    {"ComboBox2", ControlId::ComboBox2, SetKind::List},
    {"ComboBox3", ControlId::ComboBox3, SetKind::List},
    {"ComboBox4", ControlId::ComboBox4, SetKind::List},
    {"ComboBox5", ControlId::ComboBox5, SetKind::List},
    {"RadioGroup1", ControlId::RadioGroup1, SetKind::Radio},
    {"RadioGroup2", ControlId::RadioGroup2, SetKind::Radio},
    {"CheckBox1", ControlId::CheckBox1, SetKind::Check},
    {"CheckBox2", ControlId::CheckBox2, SetKind::Check},
    {"CheckBox3", ControlId::CheckBox3, SetKind::Check},
    {"CheckBox4", ControlId::CheckBox4, SetKind::Check},
    {"Edit1", ControlId::Edit1, SetKind::Text},
    {"Edit2", ControlId::Edit2, SetKind::Text},
    {"Edit3", ControlId::Edit3, SetKind::Text},
    {"Edit4", ControlId::Edit4, SetKind::Text},
    {"Edit5", ControlId::Edit5, SetKind::Text},
    {"Edit6", ControlId::Edit6, SetKind::Text},
    {"Edit7", ControlId::Edit7, SetKind::Text},
    {"Edit8", ControlId::Edit8, SetKind::Text},
    {"Edit9", ControlId::Edit9, SetKind::Text},
    {"Left", ControlId::Button1, SetKind::Left},
    {"Top", ControlId::Button1, SetKind::Top},
};

// The view of a dialog nobody sees: it records what the dialog asks of the platform.
class HeadlessView final : public FormView {
 public:
  explicit HeadlessView(std::string folder) : folder_(std::move(folder)) {}
  void Attach(TForm1* form) { form_ = form; }

  std::string ExecutableFolder() override { return folder_; }
  void SetFocus(ControlId control) override { focus_ = control; }
  void ShowMessage(std::string_view text, std::string_view) override {
    message_ = std::string(text);
  }
  void RepaintStatus() override {
    if (form_ != nullptr) {
      std::fprintf(stderr, "status: %s\n", Cp932ToUtf8(form_->LabelA1.Caption).c_str());
    }
  }
  void Close() override {
    if (closed_) return;
    closed_ = true;
    if (form_ != nullptr) form_->FormClose();  // no window: it closes at once
  }
  int WindowLeft() override { return left_; }
  int WindowTop() override { return top_; }
  void MoveWindow(int left, int top) override {
    left_ = left;
    top_ = top;
  }

  std::optional<ControlId> focus_;
  std::optional<std::string> message_;
  bool closed_ = false;

 private:
  std::string folder_;
  TForm1* form_ = nullptr;
  int left_ = 0;
  int top_ = 0;
};

bool ParseInt(std::string_view text, int& value) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  auto result = std::from_chars(first, last, value);
  return result.ec == std::errc() && result.ptr == last;
}

int Usage(const std::string& why) {
  std::fprintf(stderr, "sorea-cli: %s\n", why.c_str());
  std::fputs(
      "usage: sorea-cli [--folder DIR] [--set NAME=VALUE]... [--press ok|cancel] "
      "[--print-state]\n",
      stderr);
  return 2;
}

// Upper bound (exclusive) of the item index of a list known before the show sequence.
int FixedItemCount(ControlId id) {
  switch (id) {
    case ControlId::ComboBox1:
    case ControlId::ComboBox2:
      return 12;
    case ControlId::ComboBox4:
      return 9;
    case ControlId::ComboBox5:
      return 3;
    case ControlId::RadioGroup1:
    case ControlId::RadioGroup2:
      return 2;
    default:
      return -1;  // ComboBox3: filled at show
  }
}

std::optional<std::string> ParseSet(std::string_view assignment, SetOption& option) {
  const std::size_t eq = assignment.find('=');
  if (eq == std::string_view::npos) return "--set needs NAME=VALUE: " + std::string(assignment);
  const std::string_view name = assignment.substr(0, eq);
  const std::string_view value = assignment.substr(eq + 1);
  const Control* control = nullptr;
  for (const Control& c : kControls) {
    if (c.name == name) control = &c;
  }
  if (control == nullptr) return "unknown control: " + std::string(name);
  option.name = std::string(name);
  option.kind = control->kind;
  option.id = control->id;
  switch (control->kind) {
    case SetKind::List:
    case SetKind::Radio: {
      if (!ParseInt(value, option.number) || option.number < -1) {
        return "malformed item index for " + option.name + ": " + std::string(value);
      }
      const int count = FixedItemCount(control->id);
      if (count >= 0 && option.number >= count) {
        return "item index past the items of " + option.name + ": " + std::string(value);
      }
      break;
    }
    case SetKind::Check:
      if (value != "0" && value != "1") {
        return "check state of " + option.name + " must be 0 or 1: " + std::string(value);
      }
      option.number = value == "1" ? 1 : 0;
      break;
    case SetKind::Text: {
      bool ok = true;
      option.text = Utf8ToCp932(value, &ok);
      if (!ok) return "text for " + option.name + " is not UTF-8 that Shift-JIS can hold";
      if (option.text.find_first_of("\r\n") != std::string::npos) {
        return "a single-line field holds no line break: " + option.name;
      }
      break;
    }
    case SetKind::Left:
    case SetKind::Top:
      if (!ParseInt(value, option.number)) {
        return "malformed position for " + option.name + ": " + std::string(value);
      }
      break;
  }
  return std::nullopt;
}

// The folder must exist: the dialog would otherwise run and quietly write nothing back.
bool IsFolder(const std::string& utf8) {
  std::error_code error;
  const std::u8string path(utf8.begin(), utf8.end());
  return std::filesystem::is_directory(std::filesystem::path(path), error);
}

std::optional<std::string> ParseArgs(const std::vector<std::string>& args, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--folder") {
      if (!hasValue) return std::string("--folder needs a folder");
      if (options.folder) return std::string("--folder given twice");
      options.folder = args[++i];
      if (options.folder->empty()) return std::string("--folder needs a folder");
      if (!IsFolder(*options.folder)) return "no such folder: " + *options.folder;
    } else if (arg == "--set") {
      if (!hasValue) return std::string("--set needs NAME=VALUE");
      SetOption option;
      if (auto error = ParseSet(args[++i], option)) return error;
      options.sets.push_back(std::move(option));
    } else if (arg == "--press") {
      if (!hasValue) return std::string("--press needs ok or cancel");
      if (options.pressGiven) return std::string("--press given twice");
      const std::string& which = args[++i];
      if (which != "ok" && which != "cancel") return "--press needs ok or cancel: " + which;
      options.pressOk = which == "ok";
      options.pressGiven = true;
    } else if (arg == "--print-state") {
      options.printState = true;
    } else {
      return "unknown option: " + arg;
    }
  }
  return std::nullopt;
}

// Sets a control as the user would; false when the index lies past the list's items.
bool Apply(const SetOption& option, TForm1& form, HeadlessView& view) {
  switch (option.kind) {
    case SetKind::List: {
      TComboBox* list = form.ComboBox(option.id);
      if (option.number >= static_cast<int>(list->Items.size())) return false;
      list->ItemIndex = option.number;
      return true;
    }
    case SetKind::Radio: {
      TRadioGroup* group = form.RadioGroup(option.id);
      if (option.number >= static_cast<int>(group->Items.size())) return false;
      group->ItemIndex = option.number;
      return true;
    }
    case SetKind::Check:
      form.CheckBox(option.id)->Checked = option.number != 0;
      return true;
    case SetKind::Text: {
      TEdit* edit = form.Edit(option.id);
      // Typing stops at the field's limit, never inside a double-byte character.
      edit->Text =
          std::string(CutWholeChars(option.text, static_cast<std::size_t>(edit->MaxLength)));
      return true;
    }
    case SetKind::Left:
      view.MoveWindow(option.number, view.WindowTop());
      return true;
    case SetKind::Top:
      view.MoveWindow(view.WindowLeft(), option.number);
      return true;
  }
  return true;
}

void PrintState(TForm1& form, HeadlessView& view) {
  auto print = [](std::string_view name, const std::string& value) {
    std::printf("%.*s=%s\n", static_cast<int>(name.size()), name.data(), value.c_str());
  };
  const ControlId lists[] = {ControlId::ComboBox1, ControlId::ComboBox2, ControlId::ComboBox3,
                             ControlId::ComboBox4, ControlId::ComboBox5};
  for (ControlId id : lists) print(ControlName(id), std::to_string(form.ComboBox(id)->ItemIndex));
  const ControlId edits[] = {ControlId::Edit1, ControlId::Edit2, ControlId::Edit3,
                             ControlId::Edit4, ControlId::Edit5, ControlId::Edit6,
                             ControlId::Edit7, ControlId::Edit8, ControlId::Edit9};
  for (ControlId id : edits) print(ControlName(id), Cp932ToUtf8(form.Edit(id)->Text));
  for (ControlId id : {ControlId::RadioGroup1, ControlId::RadioGroup2}) {
    print(ControlName(id), std::to_string(form.RadioGroup(id)->ItemIndex));
  }
  for (ControlId id :
       {ControlId::CheckBox1, ControlId::CheckBox2, ControlId::CheckBox3, ControlId::CheckBox4}) {
    print(ControlName(id), form.CheckBox(id)->Checked ? "1" : "0");
  }
  print("Left", std::to_string(view.WindowLeft()));
  print("Top", std::to_string(view.WindowTop()));
  print("SavedLeft", std::to_string(form.SavedLeft));
  print("SavedTop", std::to_string(form.SavedTop));
  for (std::size_t i = 0; i < form.ComboBox3.Items.size(); ++i) {
    print("ComboBox3.Items[" + std::to_string(i) + "]", Cp932ToUtf8(form.ComboBox3.Items[i]));
  }
  std::fflush(stdout);
}

}  // namespace

int RunHeadless(const std::vector<std::string>& args) {
  Options options;
  if (auto error = ParseArgs(args, options)) return Usage(*error);

  HeadlessView view(WithSeparator(options.folder ? *options.folder : sorea::ExecutableFolder()));
  TForm1 form(view);
  view.Attach(&form);
  form.FormShow();

  for (const SetOption& option : options.sets) {
    if (!Apply(option, form, view)) {
      // Only known now that the text-type list is filled. The dialog is dropped without its
      // close sequence, so Jw_cad's file stays as it was.
      ReleaseElementStore();
      return Usage("item index past the items of " + option.name + ": " +
                   std::to_string(option.number));
    }
  }
  if (options.printState) PrintState(form, view);

  if (!options.pressOk) {
    form.Button2Click();
    return 0;
  }
  form.Button1Click();
  if (view.closed_) return 0;
  if (view.focus_) {
    const std::string_view name = ControlName(*view.focus_);
    std::fprintf(stderr, "refused: %.*s\n", static_cast<int>(name.size()), name.data());
    form.Button2Click();
    return 3;
  }
  if (view.message_) {
    std::fprintf(stderr, "message: %s\n", Cp932ToUtf8(*view.message_).c_str());
    form.Button2Click();
    return 4;
  }
  form.Button2Click();
  return 1;
}

}  // namespace sorea::cli
