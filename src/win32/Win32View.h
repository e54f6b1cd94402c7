// The Win32 window of the dialog "ソレア": the controls the user sees, and the FormView that
// TForm1 drives. Everything the dialog does lives in TForm1; this unit only shows its values,
// reads them back before OK, and carries out what TForm1 asks (focus, message box, repaint,
// close, position).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/Unit1.h"

namespace sorea::win32 {

class Win32View final : public FormView {
 public:
  explicit Win32View(HINSTANCE instance);
  ~Win32View() override;
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  // Creates the windows, runs the show sequence and the event loop until the dialog closes.
  int Run();

  std::string ExecutableFolder() override;
  void SetFocus(ControlId control) override;
  void ShowMessage(std::string_view text, std::string_view caption) override;
  void ShowFailure(std::string_view text, std::string_view caption,
                   std::string_view detail) override;
  void RepaintStatus() override;
  void Close() override;
  int WindowLeft() override;
  int WindowTop() override;
  void MoveWindow(int left, int top) override;

 private:
  using Handler = LRESULT (Win32View::*)(HWND, UINT, WPARAM, LPARAM);
  // The window procedure of a window created with this view: hands its messages to `handler`.
  template <Handler handler>
  static LRESULT CALLBACK Route(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnFormMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnApplicationMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code, HWND control);
  void OnOk();
  void OnCancel();

  bool CreateWindows();
  void CreateControls();
  // Children are placed in the layout's units, the pixels of a 96 DPI display, and shown at
  // the window's DPI; small picks the smaller font.
  HWND AddChild(const wchar_t* className, std::wstring_view text, DWORD style, DWORD exStyle, int x,
                int y, int width, int height, int id, bool small = false);
  void AddLabel(std::string_view text, int x, int y, int id, bool small);
  // A layout length at the window's DPI, rounded as MulDiv rounds.
  int Scaled(int length) const;
  // Makes the fonts for the window's DPI, and places every child and the client area anew.
  void MakeFonts();
  void PlaceChildren();
  void FitClientArea();
  void FitListHeight(HWND list, int height);
  void AddRadioItems(ControlId group, int x, int y, int width, int height);
  // Model -> controls, after the show sequence; controls -> model, before OK.
  void WriteControls();
  void ReadControls();
  void ShowStatus();
  void MarkDefaultButton(HWND focused);
  void KeepRadioTabStop(ControlId group);
  HWND ControlHandle(ControlId id) const;
  HWND RadioItem(ControlId group, int item) const;
  // The radio group's checked item, -1 when none is.
  int CheckedItem(ControlId group) const;

  HINSTANCE instance_;
  TForm1 form_;
  HWND application_ = nullptr;                  // carries the application title in the task bar
  HWND window_ = nullptr;                       // the dialog
  std::array<HWND, kControlCount> controls_{};  // radio groups: their frames
  HWND lastFocus_ = nullptr;
  HFONT font_ = nullptr;
  HFONT smallFont_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
  HBRUSH memoBrush_ = nullptr;
  HBRUSH statusBrush_ = nullptr;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool closing_ = false;
  bool busy_ = false;
  bool hiddenWithApplication_ = false;
  int dpi_ = 96;
  // Every child as placed in layout units, to be placed anew when the DPI changes.
  struct Placed {
    HWND hwnd;
    int x, y, width, height;
    bool small;
    bool label;  // as wide as its text
  };
  std::vector<Placed> placed_;
};

}  // namespace sorea::win32
