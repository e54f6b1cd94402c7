// The whole OK job on arbitrary input: the first kControlBytes bytes choose the dialog's values,
// the rest is JWC_TEMP.TXT up to a line "#rusk.dat" and rusk.dat after it. After OK the written
// exchange file must read back, and every real in its records must be a number the reader
// takes (no inf, no nan, nothing beyond a double's range); a refusal or a message leaves the
// output empty, and a saved rusk.dat has its 31 bounded lines.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "exchange/JwwGaibu.h"
#include "util/MyFunc.h"

namespace {

using namespace sorea;
using namespace sorea::fuzz;

constexpr std::size_t kControlBytes = 24;
constexpr std::string_view kSettingsMark = "\n#rusk.dat\n";

// What a user could type into the fields, from the ordinary to the extreme.
constexpr std::string_view kMarkScales[] = {"1", "0.5", "2.5", "1e-300", "1e300", "1e308", "0"};
constexpr std::string_view kArrowLengths[] = {"3", "1000", "0.001", "7.5"};
constexpr std::string_view kArrowAngles[] = {"15", "179.999", "1e-9", "90", "45", "0.5"};
constexpr std::string_view kDistances[] = {"2", "0", "0.5", "1e300", "1e308", "1e-300"};
constexpr std::string_view kAffixes[] = {"", "   ", "\201@", "L=", "\203\\", "\202\240\202\242"};

class Choices {
 public:
  explicit Choices(std::string_view bytes) : bytes_(bytes) {}
  int Next(std::size_t count) {
    const auto byte = next_ < bytes_.size() ? static_cast<unsigned char>(bytes_[next_]) : 0u;
    ++next_;
    return static_cast<int>(byte % count);
  }
  template <std::size_t N>
  std::string_view From(const std::string_view (&values)[N]) {
    return values[static_cast<std::size_t>(Next(N))];
  }

 private:
  std::string_view bytes_;
  std::size_t next_ = 0;
};

void Type(TEdit& edit, std::string_view text) {
  edit.Text.clear();
  edit.Type(text, 0, 0);
}

// The dialog's values from the control bytes; with the first byte even, what rusk.dat gave
// stands instead.
void SetControls(TForm1& form, Choices& c) {
  if (c.Next(2) == 0) return;
  form.ComboBox1.ItemIndex = c.Next(form.ComboBox1.Items.size());
  form.ComboBox2.ItemIndex = c.Next(form.ComboBox2.Items.size());
  form.ComboBox3.ItemIndex = c.Next(form.ComboBox3.Items.size());
  form.ComboBox4.ItemIndex = c.Next(form.ComboBox4.Items.size());
  form.ComboBox5.ItemIndex = c.Next(form.ComboBox5.Items.size());
  form.RadioGroup1.ItemIndex = c.Next(2);
  form.RadioGroup2.ItemIndex = c.Next(2);
  for (TCheckBox* box : {&form.CheckBox1, &form.CheckBox2, &form.CheckBox3, &form.CheckBox4}) {
    box->Checked = c.Next(2) != 0;
  }
  Type(form.Edit1, c.From(kMarkScales));
  Type(form.Edit7, c.From(kArrowLengths));
  Type(form.Edit8, c.From(kArrowAngles));
  for (TEdit* edit : {&form.Edit5, &form.Edit6, &form.Edit9}) Type(*edit, c.From(kDistances));
  Type(form.Edit2, c.From(kAffixes));
  Type(form.Edit3, c.From(kAffixes));
}

// A real as a record holds it: the whole token is a finite number, and one the reader takes for
// 0 is 0 or too small to matter, never a number past the range.
bool ReadableReal(std::string_view token) {
  const std::string text(token);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value)) return false;
  return TextToFloat(token) != 0 || std::fabs(value) < 1;
}

// The reals of one written line: a line's four coordinates, a point's values, a text's
// position and direction, a free text size; other records hold none.
void CheckReals(std::string_view line) {
  const std::string_view keyword = line.substr(0, line.find(' '));
  std::string_view reals;
  if (!line.empty() && (std::isdigit(static_cast<unsigned char>(line[0])) || line[0] == '-')) {
    reals = line;
  } else if (keyword == "pt" || keyword == "cn0" ||
             std::find(kTextKeywords.begin(), kTextKeywords.end(), keyword) !=
                 kTextKeywords.end()) {
    reals = line.substr(keyword.size() + 1);
    reals = reals.substr(0, reals.find('"'));
  }
  while (!reals.empty()) {
    const std::size_t blank = reals.find(' ');
    const std::string_view token = reals.substr(0, blank);
    if (!token.empty()) Check(ReadableReal(token), "every real of a record reads back");
    reals = blank == std::string_view::npos ? std::string_view() : reals.substr(blank + 1);
  }
}

void CheckWritten(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    CheckReals(std::string_view(bytes).substr(start, end - start));
    start = end + 2;
  }
  InitElementStore();
  Check(ReadExchangeFile(path), "the written file reads back");
  ReleaseElementStore();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view controls = input.substr(0, std::min(size, kControlBytes));
  const std::string_view files = input.substr(controls.size());
  const std::size_t mark = files.find(kSettingsMark);
  const std::string& folder = ScratchFolder();
  WriteBytes(folder + "JWC_TEMP.TXT", files.substr(0, mark));
  if (mark == std::string_view::npos) {
    RemoveFile(folder + "rusk.dat");
  } else {
    WriteBytes(folder + "rusk.dat", files.substr(mark + kSettingsMark.size()));
  }
  const std::size_t longestField = std::max<std::size_t>(files.size(), 32);

  testing::RecordingView view(folder);
  TForm1 form(view);
  view.Attach(&form);
  form.FormShow();
  Choices choices(controls);
  SetControls(form, choices);
  form.Button1Click();
  if (view.focus || view.message) {
    Check(Store.Output.empty(), "nothing written before a refusal or a message");
    form.Button2Click();
    Check(ReadBytes(folder + "JWC_TEMP.TXT") == "hq\r\n", "cancel hands back hq");
  } else {
    Check(form.Closed(), "OK closes the dialog");
    CheckWritten(folder + "JWC_TEMP.TXT");
  }
  if (!view.focus) CheckSavedSettings(ReadBytes(folder + "rusk.dat"), longestField);
  return 0;
}
