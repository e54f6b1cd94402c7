// rusk.dat: the dialog's values and position between runs, one value a line, 31 lines.
// Lines 1 to 22 are read back into the dialog; lines 23 to 31 record the drawing's layer
// group, its scale, the axis angle and the first three picks, and are never read.
#include <cstdio>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "exchange/JwwGaibu.h"
#include "util/Files.h"
#include "util/MyFunc.h"

namespace sorea {

namespace {

constexpr std::size_t kLinesRead = 22;

// The controls whose values the file keeps, in the file's order from line 3 on: the lists,
// the edit fields, the radio groups, then the check boxes, each kind in the order of the
// controls.
std::vector<const ControlInfo*> FileOrder() {
  std::vector<const ControlInfo*> order;
  for (ControlKind kind :
       {ControlKind::List, ControlKind::Edit, ControlKind::Radio, ControlKind::Check}) {
    for (const ControlInfo& control : Controls()) {
      if (control.Kind == kind) order.push_back(&control);
    }
  }
  return order;
}

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

void TForm1::LoadSettings(const std::string& path) {
  SavedLeft = 100;
  SavedTop = 100;
  if (!FileExists(path)) return;
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return;
  bool complete = true;
  std::vector<std::string> lines = ReadSettingsLines(file, complete);
  std::fclose(file);
  // A short file reads as empty lines; after a read failure only what was read is applied.
  const std::size_t available = complete ? kLinesRead : lines.size();
  lines.resize(kLinesRead);

  // Lines 1 and 2 are the position; the controls' values follow from line 3 on.
  if (available > 0) SavedLeft = TextToInt(lines[0]);
  if (available > 1) SavedTop = TextToInt(lines[1]);
  std::size_t i = 2;
  for (const ControlInfo* control : FileOrder()) {
    if (i >= available) break;
    const std::string& line = lines[i++];
    switch (control->Kind) {
      case ControlKind::List:
        ChooseListItem(*ComboBox(control->Id), TextToInt(line));
        break;
      case ControlKind::Edit:
        Edit(control->Id)->Text = line;  // taken whole: the field's limit stops typing only
        break;
      case ControlKind::Radio:
        ChooseRadioItem(*RadioGroup(control->Id), TextToInt(line));
        break;
      default:
        CheckBox(control->Id)->Checked = TextToInt(line) != 0;
        break;
    }
  }
}

void TForm1::SaveSettings(const std::string& path) {
  std::string content;
  auto line = [&content](const std::string& text) {
    content += text;
    content += "\r\n";
  };
  line(IntText(SavedLeft));
  line(IntText(SavedTop));
  for (const ControlInfo* control : FileOrder()) {
    switch (control->Kind) {
      case ControlKind::List:
        line(IntText(ComboBox(control->Id)->ItemIndex));
        break;
      case ControlKind::Edit: {
        // A single-line field holds no line break; one set by a caller would shift every later
        // line of the file, so it is left out (a CR would be dropped on reading anyway).
        std::string text;
        for (char c : Edit(control->Id)->Text) {
          if (c != '\r' && c != '\n') text.push_back(c);
        }
        line(text);
        break;
      }
      case ControlKind::Radio:
        line(IntText(RadioGroup(control->Id)->ItemIndex));
        break;
      default:
        line(CheckBox(control->Id)->Checked ? "1" : "0");
        break;
    }
  }
  line(IntText(Store.InitialLayerGroup));
  line(FormatGeneral(DrawingScale(Store)));
  line(FormatGeneral(Store.AxisAngle));
  for (std::size_t i = 1; i <= 3; ++i) {
    const bool present = i < Store.PickedPoints.size();
    line(FormatGeneral(present ? Store.PickedPoints[i].X : 0.0));
    line(FormatGeneral(present ? Store.PickedPoints[i].Y : 0.0));
  }

  // The new content goes to a file beside rusk.dat and replaces it only once it is complete,
  // so a failed or interrupted save leaves the previous settings in place.
  const std::string temporary = path + ".tmp";
  std::FILE* file = OpenFile(temporary, "wb");
  if (file == nullptr) return;
  bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  written = std::fflush(file) == 0 && written;
  written = std::fclose(file) == 0 && written;
  if (!written || !ReplaceFile(temporary, path)) RemoveFile(temporary);
}

}  // namespace sorea
