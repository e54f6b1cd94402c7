#!/usr/bin/env bash
# The Windows program under Wine on a virtual X display: builds sorea.exe for x86-64 and i686
# (through the presets), runs the unit-test suites built for Windows, then the cases of
# tests/win32/wine_cases.py: the dialog worked by a driver and by real input, each case's files
# compared byte for byte with sorea-cli's; the layout at 96 to 192 DPI; sorea.bat through cmd;
# the same bytes from every build. Where this kernel runs 32-bit programs, 32-bit Wine is
# installed first (about 800 MB; it changes some fifty system packages) and the i686 program
# runs the whole suite too; elsewhere that is said and skipped (installing it there would break
# 64-bit Wine). Skips, saying why, when the packages cannot be had. All it makes is under
# build/ (the mingw-*, default and linux-m32 presets' folders, and win32-wine).
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ROOT=$PWD
started=$(date +%s)

WINE_PACKAGES=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 g++-multilib wine wine64 xvfb xauth
  xdotool imagemagick fonts-ipafont-gothic fonts-wine locales googletest)
if ! need_packages "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}"; then
  say "SKIPPED the Windows tests: the cross compilers or Wine are not installed and cannot be installed here"
  exit 0
fi
if ! need_locale ja_JP.UTF-8; then
  say "SKIPPED the Windows tests: locale ja_JP.UTF-8 cannot be generated (Wine needs it for Japanese folder names)"
  exit 0
fi

failed=0
fail() { say "FAIL: $*"; failed=1; }
# A case that calls a function or program that is not there fails, never passes by silence
# (bash runs this handler in a subshell, so it leaves its mark in a file).
MISSING=$(mktemp)
command_not_found_handle() { say "FAIL: no such command: $1"; echo "$1" >>"$MISSING"; return 127; }

# ---- builds, all through the presets -------------------------------------------------------
# build PRESET TARGETS...: configures and builds the preset, its log under build/.
build() {
  local preset=$1; shift
  { cmake --preset "$preset" && cmake --build --preset "$preset" --target "$@"; } \
    >"build/$preset.log" 2>&1 || { tail -30 "build/$preset.log"; return 1; }
}
mkdir -p build
say "building: mingw-x64, mingw-i686, the Windows unit tests, the Linux sorea-cli and its 32-bit twin"
build mingw-x64 sorea sorea-driver sorea-cli || fail "mingw-x64 build"
build mingw-i686 sorea sorea-driver sorea-cli || fail "mingw-i686 build"
build mingw-x64-tests all || fail "mingw-x64-tests build"
# The Linux sorea-cli the test command built already is the reference.
build default sorea-cli || fail "Linux sorea-cli build"
# The 32-bit twin, with every Linux suite built -m32 and run, only where this kernel runs
# 32-bit programs at all (some have no IA-32 emulation); elsewhere it is skipped, and said so.
CAN_RUN_32=0
probe=$(mktemp -d)
printf 'int main(void){return 0;}\n' >"$probe/p.c"
gcc -m32 "$probe/p.c" -o "$probe/p" 2>/dev/null && "$probe/p" 2>/dev/null && CAN_RUN_32=1
rm -rf "$probe"
if [ $CAN_RUN_32 -eq 1 ]; then
  build linux-m32 all || fail "32-bit Linux build"
  ctest --preset linux-m32 -j2 >build/linux-m32.tests.log 2>&1 || fail "32-bit Linux suites (see build/linux-m32.tests.log)"
  say "32-bit Linux suites: $(grep -E 'tests passed' build/linux-m32.tests.log)"
else
  say "SKIPPED the 32-bit Linux twin: this kernel cannot run 32-bit programs"
fi
EXE=build/mingw-x64/src/win32/sorea.exe
DRIVER=build/mingw-x64/tests/win32/sorea-driver.exe
CLI_EXE=build/mingw-x64/src/cli/sorea-cli.exe
CLI=build/default/src/cli/sorea-cli
CLI32=build/linux-m32/src/cli/sorea-cli
EXE32=build/mingw-i686/src/win32/sorea.exe
DRIVER32=build/mingw-i686/tests/win32/sorea-driver.exe
CLI_EXE32=build/mingw-i686/src/cli/sorea-cli.exe
for f in "$EXE" "$DRIVER" "$CLI_EXE" "$CLI"; do
  [ -x "$f" ] || { fail "missing $f"; say "SOME WINDOWS TESTS FAILED"; exit 1; }
done

# ---- only system DLLs ----------------------------------------------------------------------
SYSTEM_DLLS='^(kernel32|user32|gdi32|imm32|comctl32|advapi32|shell32|ole32|oleaut32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'
for exe in build/mingw-x64/src/win32/sorea.exe build/mingw-i686/src/win32/sorea.exe \
  build/mingw-x64/src/cli/sorea-cli.exe build/mingw-i686/src/cli/sorea-cli.exe; do
  [ -f "$exe" ] || continue
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
  bad=$(echo "$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$SYSTEM_DLLS" || true)
  if [ -n "$bad" ]; then fail "$exe imports non-system DLLs: $bad"; else
    say "$exe ($(stat -c %s "$exe") bytes) imports only: $(echo $dlls)"; fi
done
x86_64-w64-mingw32-objdump -f build/mingw-i686/src/win32/sorea.exe 2>/dev/null | grep -q 'i386' ||
  fail "the i686 sorea.exe is not a 32-bit program"

# ---- 32-bit Wine, before any prefix -------------------------------------------------------
# Installed before any Wine prefix is made: a prefix made before the install fails every
# 64-bit program afterwards ("could not load kernel32.dll"), so prepare_prefix also makes anew
# a prefix that was made with another set of Wine packages. Every apt command runs under
# LC_ALL=C: the script reads apt's words, and LANG is Japanese for Wine here. An install that
# fails for a reason outside the project (the mirror lacks a package) is a skip, not a failure.
# WINE32 is "yes" when the 32-bit program can run, else why it cannot.
wine32_installed() { dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; }
install_wine32() {
  wine32_installed && return 0
  if [ "$(id -u)" -ne 0 ]; then WINE32="32-bit Wine is not installed, and only root may install it"; return 1; fi
  local t0 disk0 gst log=$ROOT/build/wine32-install.log
  t0=$(date +%s)
  disk0=$(df -BM --output=used / | tail -1 | tr -dc 0-9)
  export LC_ALL=C
  if ! { dpkg --add-architecture i386 && apt-get update; } >"$log" 2>&1; then
    WINE32="the i386 package lists could not be had ($(tail -1 "$log"))"
    unset LC_ALL; return 1
  fi
  # Debian's wine32 comes from bookworm here, and pulls libgstreamer-plugins-base1.0-0:i386,
  # whose amd64 twin must be at the very same version (even if that is a step down).
  gst=$(apt-cache -o APT::Default-Release=bookworm policy libgstreamer-plugins-base1.0-0:i386 |
    awk '/Candidate:/ {print $2}')
  local pins=()
  [ -n "$gst" ] && [ "$gst" != "(none)" ] &&
    pins=("libgstreamer-plugins-base1.0-0:i386=$gst" "libgstreamer-plugins-base1.0-0:amd64=$gst")
  if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -t bookworm --allow-downgrades \
    --no-install-recommends wine32:i386 "${pins[@]}" >>"$log" 2>&1; then
    WINE32="32-bit Wine could not be installed from this machine's package mirror ($(grep -E '^E:' "$log" | head -1); see $log)"
    unset LC_ALL; return 1
  fi
  unset LC_ALL
  say "installed 32-bit Wine in $(($(date +%s) - t0)) s, $(($(df -BM --output=used / | tail -1 |
    tr -dc 0-9) - disk0)) MB of disk: $(grep -Eo '[0-9]+ upgraded, [0-9]+ newly installed, [0-9]+ downgraded' "$log" | tail -1)"
}
if [ $CAN_RUN_32 -eq 0 ]; then
  WINE32="this kernel cannot execute 32-bit programs (no IA-32 emulation), so 32-bit Wine cannot run here and is not installed (it would break 64-bit Wine too)"
elif install_wine32; then
  WINE32=yes
fi

# ---- Wine prefix and display ---------------------------------------------------------------
W=$ROOT/build/win32-wine
export WINEPREFIX=$W/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8
XVFB_PID=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -d "$W/prefix32" ] && WINEPREFIX=$W/prefix32 wineserver -k >/dev/null 2>&1
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
display=90
while [ -e /tmp/.X$display-lock ] || [ -e /tmp/.X11-unix/X$display ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=:$display
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || { fail "Xvfb did not start"; exit 1; }
# prepare_prefix: creates $WINEPREFIX when it is missing and sets it up for the dialog.
prepare_prefix() {
  local made
  made=$(dpkg-query -W -f='${Package}:${Architecture}=${Version}\n' 'wine*' 'libwine*' 2>/dev/null | sort)
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$WINEPREFIX/.made-with" 2>/dev/null)" != "$made" ]; then
    say "making the Wine prefix $WINEPREFIX anew: it was made with other Wine packages"
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix $WINEPREFIX"
    mkdir -p "$W"
    wineboot --init >/dev/null 2>&1
    wineserver -w
    printf '%s\n' "$made" >"$WINEPREFIX/.made-with"
  fi
  # Japanese text in "ＭＳ ゴシック" needs a real font behind the name, and without a window
  # manager Wine must draw the frames itself and not wait for one.
  local fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' face
  for face in "ＭＳ ゴシック=IPAGothic" "MS Gothic=IPAGothic" "ＭＳ Ｐゴシック=IPAPGothic" \
    "MS UI Gothic=IPAGothic"; do
    wine reg add "$fonts" /v "${face%%=*}" /d "${face#*=}" /f >/dev/null 2>&1
  done
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  serve
}
# One wineserver for the whole run: a program started while an idle server shuts down may fail
# to start at all. Its services start with the first program and stay; they would keep that
# program's output open, so the first program writes nowhere (CTest would otherwise wait for
# the end of its tests' output for ever).
serve() {
  wineserver -w
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
prepare_prefix
say "Wine $(wine --version) ready on display :$display after $(($(date +%s) - started)) s"

# ---- unit tests under Wine -----------------------------------------------------------------
# The same suites as on Linux (less the two that need POSIX, see tests/CMakeLists.txt) and
# the Windows-only ones, built with mingw-w64 and run by CTest through Wine.
if [ -f build/mingw-x64-tests/CTestTestfile.cmake ]; then
  unit_log=$W/unit-tests.log
  if ctest --preset mingw-x64-tests -j2 >"$unit_log" 2>&1; then
    say "unit tests under Wine: $(grep -E 'tests passed' "$unit_log")"
  else
    tail -40 "$unit_log"
    fail "unit tests under Wine (see $unit_log)"
  fi
fi

# ---- the cases ---------------------------------------------------------------------------
# One table of cases, run by tests/win32/wine_cases.py: the dialog's cases, its layout at each
# display DPI, and the same bytes on every build.
cases() { python3 tests/win32/wine_cases.py "$@" || fail "${1} cases (see $W)"; }

# set_dpi N: the display's DPI for the programs started from now on (Wine reads it at start).
set_dpi() {
  wineserver -k >/dev/null 2>&1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  serve
}

cases gui --exe "$EXE" --driver "$DRIVER" --cli "$CLI" --cases "$W/cases"
# The dialog at 125 %, 150 % and 200 % display scaling, a screenshot each; then 96 DPI again.
for dpi in 120 144 192; do
  set_dpi $dpi
  cases layout --exe "$EXE" --driver "$DRIVER" --cli "$CLI" --cases "$W/cases" --dpi $dpi --shot=-$dpi
done
set_dpi 96
twin=()
[ $CAN_RUN_32 -eq 1 ] && twin=(--cli32 "$CLI32")
cases x87 --cli "$CLI" --wine-cli "$CLI_EXE" --out "$W/x87" "${twin[@]}"

# ---- the 32-bit program --------------------------------------------------------------------
# x86/sorea.exe, for 32-bit Windows, under 32-bit Wine in a 32-bit prefix of its own: the whole
# GUI suite and the byte identity of the i686 sorea-cli.exe.
if [ "$WINE32" = yes ]; then
  prefix64=$WINEPREFIX
  wineserver -k
  export WINEPREFIX=$W/prefix32 WINEARCH=win32
  prepare_prefix
  cases gui --exe "$EXE32" --driver "$DRIVER32" --cli "$CLI" --cases "$W/cases32" --tag "32-bit " \
    --shot=-x86
  cases x87 --cli "$CLI" --wine-cli "$CLI_EXE32" --out "$W/x87-32"
  wineserver -k
  export WINEPREFIX=$prefix64
  unset WINEARCH
else
  say "SKIPPED the 32-bit program x86/sorea.exe: $WINE32; the i686 build is only compiled and its imports and architecture checked"
fi

[ -s "$MISSING" ] && fail "commands not found: $(sort -u "$MISSING" | tr '\n' ' ')"
rm -f "$MISSING"
say "Windows tests took $(($(date +%s) - started)) s"
if [ $failed -ne 0 ]; then
  say "SOME WINDOWS TESTS FAILED"
  exit 1
fi
say "all Windows tests passed"
