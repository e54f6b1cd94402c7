// rusk.dat: the dialog's values and position between runs, one value a line, 31 lines.
// Lines 1 to 22 are read back into the dialog; lines 23 to 31 record the drawing's layer
// group, its scale, the axis angle and the first three picks, and are never read.
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "exchange/JwwGaibu.h"
#include "util/Files.h"
#include "util/MyFunc.h"

namespace sorea {

namespace {

constexpr std::size_t kLinesRead = kSettingsLinesRead;

using L = SettingsLine;
using C = ControlId;
constexpr std::array<SettingsLine, 31> kLines = {{
    {L::Left},
    {L::Top},
    {L::Value, C::ComboBox1},
    {L::Value, C::ComboBox2},
    {L::Value, C::ComboBox3},
    {L::Value, C::ComboBox4},
    {L::Value, C::ComboBox5},
    {L::Value, C::Edit1},
    {L::Value, C::Edit2},
    {L::Value, C::Edit3},
    {L::Value, C::Edit4},
    {L::Value, C::Edit5},
    {L::Value, C::Edit6},
    {L::Value, C::Edit7},
    {L::Value, C::Edit8},
    {L::Value, C::Edit9},
    {L::Value, C::RadioGroup1},
    {L::Value, C::RadioGroup2},
    {L::Value, C::CheckBox1},
    {L::Value, C::CheckBox2},
    {L::Value, C::CheckBox3},
    {L::Value, C::CheckBox4},
    {L::LayerGroup},
    {L::Scale},
    {L::AxisAngle},
    {.What = L::PickX, .Pick = 1},
    {.What = L::PickY, .Pick = 1},
    {.What = L::PickX, .Pick = 2},
    {.What = L::PickY, .Pick = 2},
    {.What = L::PickX, .Pick = 3},
    {.What = L::PickY, .Pick = 3},
}};

constexpr bool EveryLineReadIsTheDialogs() {
  for (std::size_t i = 0; i < kLines.size(); ++i) {
    const bool dialog =
        kLines[i].What == L::Left || kLines[i].What == L::Top || kLines[i].What == L::Value;
    if (dialog != (i < kLinesRead)) return false;
  }
  return true;
}
static_assert(EveryLineReadIsTheDialogs(), "the lines read back are the dialog's, and only they");

// Reads up to kLinesRead lines. A line ends at LF and no CR is part of a value. complete is
// false when reading failed; lines then holds only the lines read before the failure (a line
// cut by the failure is not among them).
std::vector<std::string> ReadSettingsLines(std::FILE* file, bool& complete) {
  std::vector<std::string> lines;
  std::string line;
  complete = true;
  int c;
  while (lines.size() < kLinesRead && (c = std::fgetc(file)) != EOF) {
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else if (c != '\r') {
      line.push_back(static_cast<char>(c));
    }
  }
  if (std::ferror(file)) {
    complete = false;
  } else if (lines.size() < kLinesRead && !line.empty()) {
    lines.push_back(std::move(line));  // the last line without a line end
  }
  return lines;
}

// The file's bytes; false when it cannot be read to its end.
bool ReadWhole(const std::string& path, std::string& bytes) {
  std::FILE* file = OpenRegularFile(path);
  if (file == nullptr) return false;
  bool complete = false;
  try {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      bytes.append(buffer, n);
    }
    complete = !std::ferror(file);
  } catch (...) {
    // Too large to hold: it could not be put back, so it is not touched.
  }
  std::fclose(file);
  return complete;
}

// In a folder where no file may be created (rights given file by file), rusk.dat itself is
// rewritten. Its previous bytes are read first and written back when the new ones do not go in
// whole, so a failed save still leaves the settings it found; a file that cannot be read first
// is left alone, and one this save created is removed again.
FileProblem SaveInPlace(const std::string& target, const std::string& content) {
  const bool existed = FileExists(target);
  std::string previous;
  if (existed && !ReadWhole(target, previous)) return {"cannot read the file to keep it", errno};
  const FileProblem problem = WriteInPlace(target, content);
  if (!problem) return problem;
  if (!existed) {
    RemoveFile(target);
  } else {
    WriteInPlace(target, previous);
  }
  return problem;
}

FileProblem SaveWhole(const std::string& path, const std::string& content) {
  // Through a symbolic link the file it names is saved; a read-only file is the user's
  // frozen settings.
  std::string target;
  if (const FileProblem problem = ReplaceableTarget(path, target)) return problem;
  // Where the file cannot be replaced, it is written in place. A write that failed beside it
  // (a full disk) is not tried again there: it would most likely fail as well, with the
  // previous settings at stake.
  FileProblem problem;
  if (ReplaceWhole(target, content, problem) == Replacing::NotPossible) {
    problem = SaveInPlace(target, content);
  }
  return problem;
}

void ChooseListItem(TComboBox& list, int value) {
  if (value < 0) value = 0;
  list.ItemIndex = value < static_cast<int>(list.Items.size()) ? value : -1;
}

void ChooseRadioItem(TRadioGroup& group, int value) {
  const int count = static_cast<int>(group.Items.size());
  if (value < 0) value = 0;
  if (value >= count) value = count - 1;
  group.ItemIndex = value;
}

}  // namespace

const std::array<SettingsLine, 31>& SettingsLines() {
  return kLines;
}

void TForm1::LoadSettings(const std::string& path) {
  SavedLeft = 100;
  SavedTop = 100;
  std::FILE* file = OpenRegularFile(path);
  if (file == nullptr) {
    // A pipe or a device there reads as no settings at all.
    if (KindOf(path) == FileKind::Other) view_.Warn(path + " is not a regular file: not read");
    return;
  }
  bool complete = true;
  std::vector<std::string> lines = ReadSettingsLines(file, complete);
  std::fclose(file);
  // A short file reads as empty lines; after a read failure only what was read is applied.
  const std::size_t available = complete ? kLinesRead : lines.size();
  lines.resize(kLinesRead);

  for (std::size_t i = 0; i < available; ++i) {
    const SettingsLine& entry = kLines[i];
    const std::string& line = lines[i];
    if (entry.What == L::Left) {
      SavedLeft = TextToInt(line);
    } else if (entry.What == L::Top) {
      SavedTop = TextToInt(line);
    } else if (TComboBox* list = ComboBox(entry.Id)) {
      ChooseListItem(*list, TextToInt(line));
    } else if (TEdit* edit = Edit(entry.Id)) {
      // Taken whole, since the field's limit stops typing only, up to a NUL byte: a window's
      // field cannot hold one, and the model holds what the window shows.
      edit->Text = line.substr(0, line.find('\0'));
    } else if (TRadioGroup* radio = RadioGroup(entry.Id)) {
      ChooseRadioItem(*radio, TextToInt(line));
    } else if (TCheckBox* check = CheckBox(entry.Id)) {
      check->Checked = TextToInt(line) != 0;
    }
  }
}

FileProblem TForm1::SaveSettings(const std::string& path, const ElementStore& store) {
  std::string content;
  try {
    content = SettingsText(store);
  } catch (...) {
    return {"memory ran out"};
  }
  return SaveWhole(path, content);
}

std::string TForm1::ControlText(ControlId id) {
  if (const TComboBox* list = ComboBox(id)) return IntText(list->ItemIndex);
  if (const TRadioGroup* radio = RadioGroup(id)) return IntText(radio->ItemIndex);
  if (const TCheckBox* check = CheckBox(id)) return check->Checked ? "1" : "0";
  const TEdit* edit = Edit(id);
  if (edit == nullptr) return "";
  // A single-line field holds no line break; one set by a caller would shift every later line
  // of the file, so it is left out (a CR would be dropped on reading anyway). Like loading, it
  // ends at a NUL byte.
  std::string text;
  for (char c : std::string_view(edit->Text).substr(0, edit->Text.find('\0'))) {
    if (c != '\r' && c != '\n') text.push_back(c);
  }
  return text;
}

std::string TForm1::SettingsText(const ElementStore& store) {
  std::string content;
  auto line = [&content](const std::string& text) {
    content += text;
    content += "\r\n";
  };
  for (const SettingsLine& entry : kLines) {
    const std::size_t pick = static_cast<std::size_t>(entry.Pick);
    const bool present = pick < store.PickedPoints.size();
    switch (entry.What) {
      case L::Left:
        line(IntText(SavedLeft));
        break;
      case L::Top:
        line(IntText(SavedTop));
        break;
      case L::Value:
        line(ControlText(entry.Id));
        break;
      case L::LayerGroup:
        line(IntText(store.InitialLayerGroup));
        break;
      case L::Scale:
        line(FormatGeneral(DrawingScale(store)));
        break;
      case L::AxisAngle:
        line(FormatGeneral(store.AxisAngle));
        break;
      case L::PickX:
        line(FormatGeneral(present ? store.PickedPoints[pick].X : 0.0));
        break;
      case L::PickY:
        line(FormatGeneral(present ? store.PickedPoints[pick].Y : 0.0));
        break;
    }
  }
  return content;
}

}  // namespace sorea
