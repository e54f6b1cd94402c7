// sorea-cli without a subcommand: the dialog's whole run without a window. The show sequence
// runs as when Jw_cad starts us, the --set options act as the user setting controls, and
// --press presses OK or Cancel; the files are read and written in the program folder as the
// real program does.
//
// Exit codes: 0 the dialog closed (OK built the dimension, or Cancel); 2 a usage error, with
// nothing written; 3 OK refused a value (stderr "refused: NAME"); 4 OK showed its message
// (stderr "message: TEXT"); 5 the result could not be written to JWC_TEMP.TXT (stderr
// "error: result not written: FILE: REASON"), whatever else happened. After 3 and 4 the dialog
// is cancelled, as a user would. Settings that could not be saved and a JWC_TEMP.TXT or
// rusk.dat that is no plain file are told on stderr with "warning: ", and change no exit code.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Unit1.h"
#include "cli/Arguments.h"
#include "cli/CliCommands.h"
#include "exchange/JwwGaibu.h"
#include "util/Cp932.h"
#include "util/Files.h"
#include "util/MyFunc.h"

namespace sorea::cli {

namespace {

const CommandUsage kUsage = {
    "sorea-cli",
    "usage: sorea-cli [--folder DIR] [--set NAME=VALUE]... [--press ok|cancel] [--print-state]\n"
    "       sorea-cli inspect FILE\n"
    "       sorea-cli preview IN [options]\n"
    "  Runs the dialog without a window on JWC_TEMP.TXT and rusk.dat in DIR (by default the\n"
    "  program's folder). --set sets the list, radio group (an item index), check box (0 or 1)\n"
    "  or edit field NAME as the user would, or Left and Top, the window's position;\n"
    "  --print-state prints them all once set. --press presses OK (the default) or Cancel.\n"
    "  Exit codes: 0 the dialog closed; 2 a usage error, nothing written; 3 OK refused a value;\n"
    "  4 OK showed its message; 5 JWC_TEMP.TXT could not be written (\"error: \" on stderr).\n"
    "  Settings not saved are told with \"warning: \" on stderr.\n"
    "  sorea-cli inspect --help and sorea-cli preview --help tell of the other commands.\n"};

// One --set: a control of the dialog, or the window's position (Left, Top).
struct SetOption {
  std::string name;
  std::string value;                     // as given, for the messages
  const ControlInfo* control = nullptr;  // nullptr: the window's position
  int number = 0;                        // list, radio, check, position
  std::string text;                      // edit fields: Shift-JIS, not yet cut
};

struct Options {
  std::optional<std::string> folder;
  std::vector<SetOption> sets;
  std::optional<std::string> press;
  bool printState = false;
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
  void ShowFailure(std::string_view, std::string_view, std::string_view detail) override {
    std::fprintf(stderr, "error: result not written: %.*s\n", static_cast<int>(detail.size()),
                 detail.data());
    failed_ = true;
  }
  void Warn(std::string_view text) override {
    std::fprintf(stderr, "warning: %.*s\n", static_cast<int>(text.size()), text.data());
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
  bool failed_ = false;

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

std::optional<std::string> ParseSet(std::string_view assignment, SetOption& option) {
  const std::size_t eq = assignment.find('=');
  if (eq == std::string_view::npos) return "--set needs NAME=VALUE: " + std::string(assignment);
  option.name = std::string(assignment.substr(0, eq));
  option.value = std::string(assignment.substr(eq + 1));
  const std::string& name = option.name;
  const std::string& value = option.value;
  if (name == "Left" || name == "Top") {
    if (!ParseInt(value, option.number)) return "malformed position for " + name + ": " + value;
    return std::nullopt;
  }
  option.control = FindControl(name);
  switch (option.control != nullptr ? option.control->Kind : ControlKind::Memo) {
    case ControlKind::List:
    case ControlKind::Radio:
      // Whether the index lies within the items is known once the show sequence has run.
      if (!ParseInt(value, option.number) || option.number < -1) {
        return "malformed item index for " + name + ": " + value;
      }
      return std::nullopt;
    case ControlKind::Check:
      if (value != "0" && value != "1") {
        return "check state of " + name + " must be 0 or 1: " + value;
      }
      option.number = value == "1" ? 1 : 0;
      return std::nullopt;
    case ControlKind::Edit: {
      bool ok = true;
      option.text = Utf8ToCp932(value, &ok);
      if (!ok) return "text for " + name + " is not UTF-8 that Shift-JIS can hold";
      if (option.text.find_first_of("\r\n") != std::string::npos) {
        return "a single-line field holds no line break: " + name;
      }
      return std::nullopt;
    }
    default:  // no such control, or one the user sets no value of
      return "unknown control: " + name;
  }
}

// The folder must exist: the dialog would otherwise run and quietly write nothing back.
bool IsFolder(const std::string& utf8) {
  std::error_code error;
  const std::u8string path(utf8.begin(), utf8.end());
  return std::filesystem::is_directory(std::filesystem::path(path), error);
}

// nullopt when the dialog is to run, else the exit code to end with.
std::optional<int> ReadOptions(const std::vector<std::string>& args, Options& options) {
  Arguments in(args, kUsage);
  while (in.Next()) {
    if (in.Is("--folder")) {
      if (in.ValueOnce(options.folder, "a folder") && !IsFolder(*options.folder)) {
        in.Problem("no such folder: " + *options.folder);
      }
    } else if (in.Is("--set")) {
      SetOption option;
      std::optional<std::string> assignment = in.Value("NAME=VALUE");
      if (!assignment) continue;
      if (std::optional<std::string> error = ParseSet(*assignment, option)) {
        in.Problem(*error);
      } else {
        options.sets.push_back(std::move(option));
      }
    } else if (in.Is("--press")) {
      if (in.ValueOnce(options.press, "ok or cancel") && options.press != "ok" &&
          options.press != "cancel") {
        in.Problem("--press needs ok or cancel: " + *options.press);
      }
    } else if (in.Is("--print-state")) {
      options.printState = true;
    } else {
      in.Unknown();
    }
  }
  return in.Finish();
}

// Sets a control as the user would: an edit field as if its text were selected and the value
// typed over it.
void Apply(const SetOption& option, TForm1& form, HeadlessView& view) {
  if (option.control == nullptr) {
    if (option.name == "Left") {
      view.MoveWindow(option.number, view.WindowTop());
    } else {
      view.MoveWindow(view.WindowLeft(), option.number);
    }
    return;
  }
  const ControlId id = option.control->Id;
  switch (option.control->Kind) {
    case ControlKind::List:
      form.ComboBox(id)->ItemIndex = option.number;
      break;
    case ControlKind::Radio:
      form.RadioGroup(id)->ItemIndex = option.number;
      break;
    case ControlKind::Check:
      form.CheckBox(id)->Checked = option.number != 0;
      break;
    case ControlKind::Edit: {
      TEdit* edit = form.Edit(id);
      edit->Type(option.text, 0, edit->Text.size());
      break;
    }
    default:
      break;
  }
}

// The value a control shows, as --set takes it.
std::string ValueOf(const TForm1& form, const ControlInfo& control) {
  switch (control.Kind) {
    case ControlKind::List:
      return IntText((form.*control.List).ItemIndex);
    case ControlKind::Radio:
      return IntText((form.*control.Radio).ItemIndex);
    case ControlKind::Check:
      return (form.*control.Check).Checked ? "1" : "0";
    case ControlKind::Edit:
      return Cp932ToUtf8((form.*control.Edit).Text);
    default:
      return "";
  }
}

// The controls' values, the window's position now and as saved, and the items of
// the lists the show sequence filled from the exchange file.
void PrintState(const TForm1& form, HeadlessView& view, const std::vector<ControlId>& filled) {
  auto print = [](std::string_view name, const std::string& value) {
    std::printf("%.*s=%s\n", static_cast<int>(name.size()), name.data(), value.c_str());
  };
  // In the order rusk.dat keeps them.
  for (const SettingsLine& line : SettingsLines()) {
    if (line.What == SettingsLine::Value)
      print(ControlName(line.Id), ValueOf(form, Control(line.Id)));
  }
  print("Left", std::to_string(view.WindowLeft()));
  print("Top", std::to_string(view.WindowTop()));
  print("SavedLeft", std::to_string(form.SavedLeft));
  print("SavedTop", std::to_string(form.SavedTop));
  for (ControlId id : filled) {
    const std::vector<std::string>& items = (form.*Control(id).List).Items;
    for (std::size_t i = 0; i < items.size(); ++i) {
      print(std::string(ControlName(id)) + ".Items[" + std::to_string(i) + "]",
            Cp932ToUtf8(items[i]));
    }
  }
  std::fflush(stdout);
}

}  // namespace

int RunHeadless(const std::vector<std::string>& args) {
  Options options;
  if (std::optional<int> exit = ReadOptions(args, options)) return *exit;

  HeadlessView view(WithSeparator(options.folder ? *options.folder : sorea::ExecutableFolder()));
  TForm1 form(view);
  view.Attach(&form);
  // The lists without items until the show sequence fills them from the exchange file.
  std::vector<ControlId> filled;
  for (const ControlInfo& control : Controls()) {
    if (control.Kind == ControlKind::List && form.ItemCount(control.Id) == 0) {
      filled.push_back(control.Id);
    }
  }
  form.FormShow();

  // Every index within its list's items, now that all are filled. The show sequence writes
  // nothing: dropping the dialog without its close sequence leaves Jw_cad's file as it was.
  for (const SetOption& option : options.sets) {
    const int count = option.control != nullptr ? form.ItemCount(option.control->Id) : -1;
    if (count >= 0 && option.number >= count) {
      ReleaseElementStore();
      return UsageError(kUsage,
                        "item index past the items of " + option.name + ": " + option.value);
    }
  }
  for (const SetOption& option : options.sets) Apply(option, form, view);
  if (options.printState) PrintState(form, view, filled);

  // The result not handed back outweighs whatever else the run ended with.
  auto finish = [&view](int code) { return view.failed_ ? 5 : code; };
  if (options.press == "cancel") {
    form.Button2Click();
    return finish(0);
  }
  form.Button1Click();
  if (view.closed_) return finish(0);
  if (view.focus_) {
    const std::string_view name = ControlName(*view.focus_);
    std::fprintf(stderr, "refused: %.*s\n", static_cast<int>(name.size()), name.data());
    form.Button2Click();
    return finish(3);
  }
  if (view.message_) {
    std::fprintf(stderr, "message: %s\n", Cp932ToUtf8(*view.message_).c_str());
    form.Button2Click();
    return finish(4);
  }
  form.Button2Click();
  return finish(1);
}

}  // namespace sorea::cli
