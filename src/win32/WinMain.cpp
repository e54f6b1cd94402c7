// sorea.exe: Jw_cad starts it as an external transformation; it shows the dialog "ソレア" and
// hands JWC_TEMP.TXT back when the dialog closes. No command line is read.
#include "util/X87.h"
#include "win32/Win32View.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  sorea::UseExtendedPrecision();
  try {
    sorea::win32::Win32View view(instance);
    return view.Run();
  } catch (...) {
    return 0;
  }
}
