// rusk.dat: the dialog's values and position between runs, one value a line, 31 lines.
// Lines 1 to 22 are read back into the dialog; lines 23 to 31 record the drawing's layer
// group, its scale, the axis angle and the first three picks, and are never read.
#include <charconv>
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

std::string IntText(int value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
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

  TComboBox* lists[] = {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4, &ComboBox5};
  TEdit* edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8, &Edit9};
  TRadioGroup* groups[] = {&RadioGroup1, &RadioGroup2};
  TCheckBox* boxes[] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4};
  for (std::size_t i = 0; i < available; ++i) {
    const std::string& line = lines[i];
    if (i == 0) {
      SavedLeft = TextToInt(line);
    } else if (i == 1) {
      SavedTop = TextToInt(line);
    } else if (i < 7) {
      ChooseListItem(*lists[i - 2], TextToInt(line));
    } else if (i < 16) {
      edits[i - 7]->Text = line;  // taken whole: the field's limit stops typing only
    } else if (i < 18) {
      ChooseRadioItem(*groups[i - 16], TextToInt(line));
    } else {
      boxes[i - 18]->Checked = TextToInt(line) != 0;
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
  for (const TComboBox* list : {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4, &ComboBox5}) {
    line(IntText(list->ItemIndex));
  }
  for (const TEdit* edit :
       {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8, &Edit9}) {
    // A single-line field holds no line break; one set by a caller would shift every later
    // line of the file, so it is left out (a CR would be dropped on reading anyway).
    std::string text;
    for (char c : edit->Text) {
      if (c != '\r' && c != '\n') text.push_back(c);
    }
    line(text);
  }
  line(IntText(RadioGroup1.ItemIndex));
  line(IntText(RadioGroup2.ItemIndex));
  for (const TCheckBox* box : {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4}) {
    line(box->Checked ? "1" : "0");
  }
  line(IntText(Store.InitialLayerGroup));
  line(FormatGeneral(DrawingScale()));
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
