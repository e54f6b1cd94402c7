// Feeds arbitrary bytes to the dialog as its rusk.dat, saves the settings back and loads them
// again: the saved file must be 31 bounded lines, and loading it must give the same values
// (and saving those the same bytes).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "exchange/JwwGaibu.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sorea;
  using namespace sorea::fuzz;
  const std::string& folder = ScratchFolder();
  const std::string settings = folder + "rusk.dat";
  WriteBytes(settings, std::string_view(reinterpret_cast<const char*>(data), size));

  testing::RecordingView view(folder);
  TForm1 first(view);
  view.Attach(&first);
  first.FormShow();
  // OK saves only once every list has an item chosen; a user chooses the first one.
  for (const ControlInfo& control : Controls()) {
    TComboBox* list = first.ComboBox(control.Id);
    if (list != nullptr && list->ItemIndex < 0) list->ItemIndex = 0;
  }
  first.SaveSettings(settings, Store);
  const std::string saved = ReadBytes(settings);
  CheckSavedSettings(saved, size);

  testing::RecordingView again(folder);
  TForm1 second(again);
  again.Attach(&second);
  second.FormShow();
  Check(FormState(first) == FormState(second), "the saved values load back the same");
  second.SaveSettings(settings, Store);
  Check(ReadBytes(settings) == saved, "saving them again writes the same bytes");
  ReleaseElementStore();
  return 0;
}
