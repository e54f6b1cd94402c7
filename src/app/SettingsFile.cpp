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

// The whole of content to file, which is closed either way; true when all of it went in.
bool WriteAndClose(std::FILE* file, const std::string& content) {
  bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  written = std::fflush(file) == 0 && written;
  return std::fclose(file) == 0 && written;
}

// The new content goes to a file beside rusk.dat and replaces it only once it is complete, so
// a failed or interrupted save leaves the previous settings in place. A temporary file that an
// interrupted run left behind is removed first; one that cannot be removed is never written
// into, since whatever stands at that name (a link to another file, someone else's file) is
// not ours to fill.
enum class Replacing {
  Done,
  WriteFailed,  // the temporary file is gone again and the previous file untouched
  NotPossible,  // no temporary file could be made, or it could not take the file's place
};

Replacing SaveReplacing(const std::string& target, const std::string& content) {
  const std::string temporary = target + ".tmp";
  RemoveFile(temporary);
  std::FILE* file = CreateNewFile(temporary);
  if (file == nullptr) return Replacing::NotPossible;
  if (!WriteAndClose(file, content)) {
    RemoveFile(temporary);
    return Replacing::WriteFailed;
  }
  if (ReplaceFile(temporary, target)) return Replacing::Done;
  RemoveFile(temporary);
  return Replacing::NotPossible;
}

// The file's bytes; false when it cannot be read to its end.
bool ReadWhole(const std::string& path, std::string& bytes) {
  std::FILE* file = OpenFile(path, "rb");
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
void SaveInPlace(const std::string& target, const std::string& content) {
  const bool existed = FileExists(target);
  std::string previous;
  if (existed && !ReadWhole(target, previous)) return;
  std::FILE* file = OpenFile(target, "wb");
  if (file == nullptr || WriteAndClose(file, content)) return;
  if (!existed) {
    RemoveFile(target);
  } else if (std::FILE* again = OpenFile(target, "wb")) {
    WriteAndClose(again, previous);
  }
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

  // Through a symbolic link the file it names is saved, and the link stays.
  const std::string target = FollowLinks(path);
  if (target.empty()) return;
  // Where the file cannot be replaced, it is written in place. A write that failed beside it
  // (a full disk) is not tried again there: it would most likely fail as well, with the
  // previous settings at stake.
  if (SaveReplacing(target, content) == Replacing::NotPossible) SaveInPlace(target, content);
}

}  // namespace sorea
