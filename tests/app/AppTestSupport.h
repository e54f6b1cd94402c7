// A view that records what the dialog asks of the platform, and a scratch program folder.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/Unit1.h"

namespace sorea::testing {

class RecordingView final : public FormView {
 public:
  explicit RecordingView(std::string folder) : folder_(std::move(folder)) {}
  void Attach(TForm1* form) { form_ = form; }

  std::string ExecutableFolder() override { return folder_; }
  void SetFocus(ControlId control) override { focus = control; }
  void ShowMessage(std::string_view text, std::string_view caption) override {
    message = std::string(text);
    messageCaption = std::string(caption);
  }
  void RepaintStatus() override {
    if (form_ != nullptr) statuses.push_back(form_->LabelA1.Caption);
  }
  void Close() override {
    ++closeCalls;
    if (form_ != nullptr) form_->FormClose();
  }
  int WindowLeft() override { return left; }
  int WindowTop() override { return top; }
  void MoveWindow(int l, int t) override {
    left = l;
    top = t;
    ++moves;
  }

  std::optional<ControlId> focus;
  std::optional<std::string> message;
  std::string messageCaption;
  std::vector<std::string> statuses;
  int closeCalls = 0;
  int left = 0, top = 0, moves = 0;

 private:
  std::string folder_;
  TForm1* form_ = nullptr;
};

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorea-app-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    char* made = mkdtemp(buffer.data());
    path_ = made != nullptr ? std::string(made) + "/" : std::string();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

 private:
  std::string path_;
};

// Lines joined with CR LF, each ended by one.
inline std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace sorea::testing
