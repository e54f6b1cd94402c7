// sorea.exe: Jw_cad starts it as an external transformation; it shows the dialog "ソレア" and
// hands JWC_TEMP.TXT back when the dialog closes. No command line is read.
#include "win32/Win32View.h"

namespace {

// The dimension's coordinates are computed in x87 extended precision. The x64 Windows ABI
// starts a thread with the x87 unit at 53-bit precision, and a host may leave any setting
// behind: set 64-bit precision, round to nearest, all exceptions masked, as the arithmetic
// expects and the Linux build has.
void UseExtendedPrecision() {
  unsigned short control = 0x037F;
  __asm__ volatile("fldcw %0" : : "m"(control));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  UseExtendedPrecision();
  try {
    sorea::win32::Win32View view(instance);
    return view.Run();
  } catch (...) {
    return 0;
  }
}
