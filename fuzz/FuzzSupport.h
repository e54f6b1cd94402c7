// What the dialog's fuzz targets share: a view nobody sees, a scratch folder of the process's
// own, and the checks of a saved rusk.dat. A failed check aborts, so libFuzzer keeps the input.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/Unit1.h"
#include "support/RecordingView.h"
#include "util/Files.h"

namespace sorea::fuzz {

inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// A folder of this process's own in the temporary folder (TMPDIR), ending in "/", removed when
// the process ends.
inline const std::string& ScratchFolder() {
  struct Folder {
    std::string path;
    Folder() {
      std::error_code ignored;
      const std::filesystem::path temporary = std::filesystem::temp_directory_path(ignored);
      path = (temporary / ("sorea-fuzz-" + std::to_string(::getpid()))).string() + "/";
      std::filesystem::create_directories(path, ignored);
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::FILE* file = OpenFile(path, "wb");
  Check(file != nullptr, "scratch file can be written");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

inline std::string ReadBytes(const std::string& path) {
  std::string bytes;
  if (std::FILE* file = OpenFile(path, "rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      bytes.append(buffer, n);
    }
    std::fclose(file);
  }
  return bytes;
}

// A saved rusk.dat: 31 lines, each ended by CR LF and holding no other CR, LF or NUL; the edit
// fields' lines (8 to 16) at most maxField bytes, every other line a number of at most 24.
inline void CheckSavedSettings(const std::string& bytes, std::size_t maxField) {
  std::size_t start = 0;
  int line = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    Check(end != std::string::npos, "every line ends in CR LF");
    const std::string_view text(bytes.data() + start, end - start);
    Check(text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos,
          "no CR, LF or NUL inside a line");
    ++line;
    Check(text.size() <= (line < 8 || line > 16 ? 24 : maxField), "a line of bounded length");
    start = end + 2;
  }
  Check(line == 31, "31 lines");
}

// Every value the dialog keeps in rusk.dat, as one text to compare (NUL between the values: no
// field holds one).
inline std::string FormState(TForm1& form) {
  std::string state = std::to_string(form.SavedLeft) + " " + std::to_string(form.SavedTop);
  for (const ControlInfo& control : Controls()) {
    state += '\0';
    if (TComboBox* list = form.ComboBox(control.Id)) state += std::to_string(list->ItemIndex);
    if (TRadioGroup* group = form.RadioGroup(control.Id)) state += std::to_string(group->ItemIndex);
    if (TCheckBox* box = form.CheckBox(control.Id)) state += box->Checked ? "1" : "0";
    if (TEdit* edit = form.Edit(control.Id)) state += edit->Text;
  }
  return state;
}

}  // namespace sorea::fuzz
