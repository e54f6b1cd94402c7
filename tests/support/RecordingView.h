// A view that records what the dialog asks of the platform, for every program that runs the
// dialog without a window to check what it did: the app tests, the fuzz targets, the
// benchmarks. Close runs the close sequence at once, as a window would as it closes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
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
  void ShowFailure(std::string_view text, std::string_view, std::string_view detail) override {
    failure = std::string(text);
    failureDetail = std::string(detail);
  }
  void Warn(std::string_view text) override { warnings.push_back(std::string(text)); }
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
  std::optional<std::string> failure;
  std::string failureDetail;
  std::vector<std::string> warnings;
  std::vector<std::string> statuses;
  int closeCalls = 0;
  int left = 0, top = 0, moves = 0;

 private:
  std::string folder_;
  TForm1* form_ = nullptr;
};

}  // namespace sorea::testing
