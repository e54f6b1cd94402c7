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
  // Through a symbolic link the file it names is saved, and the link stays.
  const std::string target = FollowLinks(path);
  if (target.empty()) return {"the symbolic links never end in a file"};
  switch (KindOf(target)) {
    case FileKind::Other:
      return {"not a regular file"};
    case FileKind::Regular:
      // The user froze the settings.
      if (IsReadOnly(target)) return {"the file is read-only"};
      break;
    case FileKind::Missing:
      break;
  }
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
        // Taken whole, since the field's limit stops typing only, up to a NUL byte: a window's
        // field cannot hold one, and the model holds what the window shows.
        Edit(control->Id)->Text = line.substr(0, line.find('\0'));
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

FileProblem TForm1::SaveSettings(const std::string& path) {
  std::string content;
  try {
    content = SettingsText();
  } catch (...) {
    return {"memory ran out"};
  }
  return SaveWhole(path, content);
}

std::string TForm1::SettingsText() {
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
        // line of the file, so it is left out (a CR would be dropped on reading anyway). Like
        // loading, it ends at a NUL byte.
        const std::string& field = Edit(control->Id)->Text;
        std::string text;
        for (char c : std::string_view(field).substr(0, field.find('\0'))) {
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
  return content;
}

}  // namespace sorea
