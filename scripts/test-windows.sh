#!/usr/bin/env bash
# Builds sorea.exe for Windows (x86-64 and i686) and tests the x86-64 build for real under
# Wine on a virtual X display: a driver program works the dialog as a user would, and the
# files sorea.exe leaves for Jw_cad are compared byte for byte with the headless sorea-cli's
# for the same case. The release's sorea.bat runs through cmd as Jw_cad runs it. The unit-test
# suites, built with mingw-w64, run under Wine from CTest. Also checks that the Windows
# arithmetic writes the same bytes as Linux: sorea-cli.exe under Wine, and a 32-bit
# (-m32 -msse2 -mfpmath=sse) Linux build standing in for the i686 program, against the Linux
# sorea-cli.
#
# The i686 sorea.exe runs under 32-bit Wine only where this kernel executes 32-bit programs:
# there the script installs wine32:i386 (about 800 MB, and it changes some fifty system
# packages); elsewhere it says that the 32-bit program was not run, and why. Installing wine32
# where 32-bit programs cannot run would break 64-bit Wine too (its wrapper then prefers the
# 32-bit loader), so it is never done there.
#
# Skips (exit 0, saying why) when the packages cannot be had. Everything it makes is under
# build/ (the presets mingw-x64, mingw-i686, mingw-x64-tests, default for the Linux sorea-cli
# and linux-m32 for its 32-bit twin) and build/win32-wine (Wine prefixes, cases, screenshots).
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
# The 32-bit twin only where this kernel runs 32-bit programs at all (some have no IA-32
# emulation); elsewhere its comparison is skipped, and said so.
CAN_RUN_32=0
probe=$(mktemp -d)
if printf 'int main(void){return 0;}\n' >"$probe/p.c" && gcc -m32 "$probe/p.c" -o "$probe/p" 2>/dev/null &&
  "$probe/p" 2>/dev/null; then
  CAN_RUN_32=1
fi
rm -rf "$probe"
if [ $CAN_RUN_32 -eq 1 ]; then
  build linux-m32 sorea-cli || fail "32-bit Linux sorea-cli build"
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
  python3 - "$W/setup.reg" <<'EOF'
import sys
reg = '''Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS UI Gothic"="IPAGothic"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"Decorated"="N"
'''
open(sys.argv[1], 'wb').write(b'\xff\xfe' + reg.replace('\n', '\r\n').encode('utf-16-le'))
EOF
  wine regedit /S "$(winepath -w "$W/setup.reg")" >/dev/null 2>&1
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  wineserver -w
  # One wineserver for the whole run: a program started while an idle server shuts down may
  # fail to start at all. Its services start with the first program and stay; they would keep
  # that program's output open, so the first program writes nowhere (CTest would otherwise
  # wait for the end of its tests' output for ever).
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

# ---- GUI cases -----------------------------------------------------------------------------
CASES=$W/cases
passed=0
cases=0

# prepare DIR INPUT: the program's folder holding the exchange and settings files of INPUT
# (an examples/ folder, or "none" for a folder without them).
prepare() {
  mkdir -p "$1"
  [ "$2" = none ] && return
  cp "$2/JWC_TEMP.TXT" "$1/" 2>/dev/null
  [ -f "$2/rusk.dat" ] && cp "$2/rusk.dat" "$1/"
  return 0
}

# same FILE_A FILE_B: byte-identical, or both absent.
same() {
  if [ ! -e "$1" ] && [ ! -e "$2" ]; then return 0; fi
  cmp -s "$1" "$2"
}

# Splits "CLI_ARGS... -- DRIVER_ARGS..." into the caller's cli_args and driver_args: what
# sorea-cli and the driver each do to the dialog.
split_args() {
  cli_args=() driver_args=()
  while [ "$1" != "--" ]; do cli_args+=("$1"); shift; done
  shift
  driver_args=("$@")
}

# gui NAME INPUT FOLDER CLI_ARGS -- DRIVER_ARGS: runs sorea.exe in FOLDER (under the case dir)
# through the driver, the Linux sorea-cli on a copy of the same input, compares both files.
gui() {
  local name=$1 input=$2 folder=$3; shift 3
  local cli_args driver_args
  split_args "$@"
  cases=$((cases + 1))
  local dir=$CASES/$name app=$CASES/$name/$folder ref=$CASES/$name/reference
  prepare "$app" "$input"
  prepare "$ref" "$input"
  cp "$EXE" "$app/sorea.exe"
  "$CLI" --folder "$ref" "${cli_args[@]}" >"$dir/cli.out" 2>&1
  (cd "$dir" && timeout 90 wine "$ROOT/$DRIVER" "${driver_args[@]}") >"$dir/driver.out" 2>&1
  local rc=$?
  local ok=1
  [ $rc -eq 0 ] || { ok=0; grep -E '^FAIL' "$dir/driver.out" | head -20; }
  same "$app/JWC_TEMP.TXT" "$ref/JWC_TEMP.TXT" || { ok=0; say "$name: JWC_TEMP.TXT differs from sorea-cli's"; }
  same "$app/rusk.dat" "$ref/rusk.dat" || { ok=0; say "$name: rusk.dat differs from sorea-cli's"; }
  local checks
  checks=$(grep -c '^ok' "$dir/driver.out")
  if [ $ok -eq 1 ]; then
    passed=$((passed + 1))
    say "pass  $name ($checks driver checks, files equal sorea-cli's)"
  else
    fail "$name (driver exit $rc, see $dir/driver.out)"
  fi
}

winpath() { winepath -w "$1" 2>/dev/null; }
exe_in() { winpath "$CASES/$1/$2/sorea.exe"; }

# The layout with its screenshot at the display's DPI ($DPI, 96 unless set): the driver checks
# every control where the scaled layout puts it and every text inside its control, says where
# the dialog is, and we take the picture. layout_case NAME SHOT: the case and the screenshot's
# name (build/win32-wine/screenshotSHOT.png).
DPI=96
at_dpi() { echo $((($1 * DPI + 48) / 96)); }  # a layout length at $DPI, as MulDiv rounds
layout_case() {
  local name=$1 shot=$2 dir=$CASES/$1
  cases=$((cases + 1))
  prepare "$dir/app" none
  prepare "$dir/reference" none
  cp "$EXE" "$dir/app/sorea.exe"
  "$CLI" --folder "$dir/reference" --press cancel >"$dir/cli.out" 2>&1
  local flag=$dir/shot
  (cd "$dir" && timeout 90 wine "$ROOT/$DRIVER" layout "$(exe_in "$name" app)" --shot "$(winpath "$flag")") \
    >"$dir/driver.out" 2>&1 &
  local driver=$!
  for _ in $(seq 300); do [ -f "$flag.ready" ] && break; sleep 0.05; done
  if [ -f "$flag.ready" ]; then
    read -r cx cy cw ch wx wy ww wh <"$flag.ready"
    import -window root "$W/screen.png"
    convert "$W/screen.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$W/screenshot$shot.png"
    # Colours the dialog must show: white ground, light-blue notice, grey status strip.
    pixel() { convert "$W/screen.png" -format "%[pixel:p{$1,$2}]" info: 2>/dev/null; }
    local ground memo status
    ground=$(pixel $((cx + $(at_dpi 330))) $((cy + $(at_dpi 262))))
    memo=$(pixel $((cx + $(at_dpi 480))) $((cy + $(at_dpi 5))))
    status=$(pixel $((cx + $(at_dpi 20))) $((cy + $(at_dpi 362))))
    [ "$ground" = "srgb(255,255,255)" ] || [ "$ground" = "white" ] || fail "$name: dialog ground is $ground"
    [ "$memo" = "srgb(187,235,244)" ] || fail "$name: notice background is $memo"
    [ "$status" = "srgb(231,231,231)" ] || fail "$name: status strip is $status"
    say "screenshot at $DPI DPI: $W/screenshot$shot.png (ground $ground, notice $memo, status $status)"
  fi
  touch "$flag.done"
  wait $driver
  local rc=$?
  same "$dir/app/JWC_TEMP.TXT" "$dir/reference/JWC_TEMP.TXT" || rc=9
  same "$dir/app/rusk.dat" "$dir/reference/rusk.dat" || rc=9
  if [ $rc -eq 0 ]; then
    passed=$((passed + 1))
    say "pass  $name ($(grep -c '^ok' "$dir/driver.out") driver checks: window, controls, texts and their fit, lists, tab order at $DPI DPI)"
  else
    grep -E '^FAIL' "$dir/driver.out" | head -30
    fail "$name (see $dir/driver.out)"
  fi
}

# set_dpi N: the display's DPI for the programs started from now on (Wine reads it at start).
set_dpi() {
  DPI=$1
  wineserver -k >/dev/null 2>&1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  wineserver -w
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

CR=examples/complete-run
settings_input() {  # NAME LINE=VALUE...: the complete run's files, lines of rusk.dat replaced
  local dir=$CASES/$1-input; shift
  mkdir -p "$dir"
  cp $CR/JWC_TEMP.TXT "$dir/"
  python3 - "$CR/rusk.dat" "$dir/rusk.dat" "$@" <<'EOF'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")[:-1]
for change in sys.argv[3:]:
    number, value = change.split("=", 1)
    raw = value.startswith("hex:")
    lines[int(number) - 1] = bytes.fromhex(value[4:]) if raw else value.encode("cp932")
lines.append(b"a 32nd line, dropped by the next save")
open(sys.argv[2], "wb").write(b"".join(line + b"\r\n" for line in lines))
EOF
}
real_input() {  # NAME SAMPLE
  mkdir -p "$CASES/$1-input"
  cp "$2" "$CASES/$1-input/JWC_TEMP.TXT"
  cp $CR/rusk.dat "$CASES/$1-input/"
}

# ---- run the way Jw_cad runs it ------------------------------------------------------------
# A fresh folder with the release's sorea.exe and sorea.bat. jw_host.py reads the batch file's
# directives and writes JWC_TEMP.TXT beside it as Jw_cad would; the batch file runs through
# cmd /c in its folder while the driver works the dialog, and the file is read back the moment
# cmd has ended: it must then be sorea-cli's result, so cmd waited for sorea.exe.
# host_run NAME EXE DRIVER CLI_ARGS... -- DRIVER_ARGS...
host_run() {
  local name=$1 exe=$2 driver=$3; shift 3
  local cli_args driver_args
  split_args "$@"
  cases=$((cases + 1))
  local dir=$CASES/$name ok=1
  mkdir -p "$dir/jw" "$dir/reference"
  cp "$exe" "$dir/jw/sorea.exe"
  cp packaging/sorea.bat "$dir/jw/"
  if ! python3 scripts/jw_host.py "$dir/jw/sorea.bat" tests/data/real/parcel-14.txt >"$dir/host.out"; then
    cat "$dir/host.out"; fail "$name: sorea.bat is not run as Jw_cad runs it"; return
  fi
  cp "$dir/jw/JWC_TEMP.TXT" "$dir/reference/"
  "$CLI" --folder "$dir/reference" "${cli_args[@]}" >"$dir/cli.out" 2>&1
  (cd "$dir/jw" && exec timeout 120 wine cmd /c sorea.bat) >"$dir/cmd.out" 2>&1 &
  local cmd=$!
  (cd "$dir" && exec timeout 90 wine "$ROOT/$driver" attach "$(winpath "$dir/jw/sorea.exe")" \
    "${driver_args[@]}") >"$dir/driver.out" 2>&1 &
  local driver=$!
  wait $cmd
  cp "$dir/jw/JWC_TEMP.TXT" "$dir/read-back.txt" 2>/dev/null
  wait $driver || { ok=0; grep -E '^FAIL' "$dir/driver.out" | head -20; }
  same "$dir/read-back.txt" "$dir/reference/JWC_TEMP.TXT" ||
    { ok=0; say "$name: JWC_TEMP.TXT read back after cmd ended differs from sorea-cli's"; }
  same "$dir/jw/rusk.dat" "$dir/reference/rusk.dat" || { ok=0; say "$name: rusk.dat differs"; }
  case " ${cli_args[*]} " in
    *" cancel "*) [ "$(cat "$dir/read-back.txt")" = $'hq\r' ] || { ok=0; say "$name: not \"hq\""; } ;;
  esac
  # @echo off: the console does not show the REM directives.
  ! grep -q '#jww\|#cd\|#[1-4]' "$dir/cmd.out" || { ok=0; say "$name: cmd echoed the directives"; }
  if [ $ok -eq 1 ]; then
    passed=$((passed + 1))
    say "pass  $name (sorea.bat through cmd; $(grep -c '^ok' "$dir/driver.out") driver checks, file read back equals sorea-cli's)"
  else
    fail "$name (see $dir)"
  fi
}

# ---- real input -----------------------------------------------------------------------------
# user_case NAME CLI_ARGS... -- STEPS...: the dialog worked with the real mouse and keyboard
# (xdotool on the X display, as a user's hand would), on the complete run's files; sorea-cli
# does the same with CLI_ARGS, and both programs' files must be equal. A step is click:NAME,
# open:LIST (click it and wait until it has dropped down), pick:LIST:ITEM (open it, click the
# item), key:KEYS or type:TEXT.
user_step() {  # PLACES STEP
  local places=$1 kind=${2%%:*} rest=${2#*:} l t r b h
  case $kind in
    click | open | pick)
      local name=${rest%%:*}
      read -r l t r b h < <(awk -v n="$name" '$1 == n {print $2, $3, $4, $5, $6}' "$places")
      [ -n "${b:-}" ] || return 1
      xdotool mousemove --sync $(((l + r) / 2)) $(((t + b) / 2)) click 1 || return 1
      if [ "$kind" != click ]; then
        for _ in $(seq 200); do [ "$(cat "$places.dropped" 2>/dev/null)" = "$name" ] && break; sleep 0.025; done
        [ "$(cat "$places.dropped" 2>/dev/null)" = "$name" ] || return 1
      fi
      if [ "$kind" = pick ]; then
        # Its items show below the closed list, one item height each, inside a 1 px border.
        xdotool mousemove --sync $(((l + r) / 2)) $((b + 1 + ${rest#*:} * h + h / 2)) click 1
      fi
      ;;
    key) xdotool key --delay 60 $rest ;;
    type) xdotool type --delay 60 "$rest" ;;
    *) return 1 ;;
  esac
}
user_case() {
  local name=$1; shift
  local cli_args=()
  while [ "$1" != "--" ]; do cli_args+=("$1"); shift; done
  shift
  cases=$((cases + 1))
  local dir=$CASES/$name ok=1 step
  local places=$dir/places
  prepare "$dir/app" $CR
  prepare "$dir/reference" $CR
  cp "$EXE" "$dir/app/sorea.exe"
  "$CLI" --folder "$dir/reference" "${cli_args[@]}" >"$dir/cli.out" 2>&1
  (cd "$dir" && exec timeout 130 wine "$ROOT/$DRIVER" user "$(exe_in "$name" app)" \
    --places "$(winpath "$places")") >"$dir/driver.out" 2>&1 &
  local driver=$!
  for _ in $(seq 400); do [ -f "$places" ] && break; sleep 0.05; done
  for step in "$@"; do
    user_step "$places" "$step" || { ok=0; say "$name: could not do $step"; break; }
    sleep 0.1
  done
  wait $driver || { ok=0; grep -E '^FAIL' "$dir/driver.out" | head; }
  same "$dir/app/JWC_TEMP.TXT" "$dir/reference/JWC_TEMP.TXT" || { ok=0; say "$name: JWC_TEMP.TXT differs from sorea-cli's"; }
  same "$dir/app/rusk.dat" "$dir/reference/rusk.dat" || { ok=0; say "$name: rusk.dat differs from sorea-cli's"; }
  if [ $ok -eq 1 ]; then
    passed=$((passed + 1))
    say "pass  $name (real input: $*; files equal sorea-cli's)"
  else
    fail "$name (see $dir)"
  fi
}
user_cases() {
  user_case click-checks --set CheckBox1=1 --set CheckBox2=1 --set CheckBox3=1 --set CheckBox4=1 -- \
    click:CheckBox1 click:CheckBox2 click:CheckBox3 click:CheckBox4 click:Button1
  user_case click-and-space --set CheckBox2=1 --set CheckBox3=1 -- \
    click:CheckBox1 key:space click:CheckBox2 key:space key:space click:CheckBox3 click:Button1
  user_case pick-by-click --set ComboBox4=1 --set ComboBox5=0 --set ComboBox1=5 -- \
    pick:ComboBox4:1 pick:ComboBox5:0 pick:ComboBox1:5 click:Button1
  user_case pick-by-keys --set ComboBox1=4 --set ComboBox2=3 -- \
    open:ComboBox1 key:Down key:Down key:Return open:ComboBox2 key:Escape key:Down click:Button1
  user_case radio-by-click --set RadioGroup1=1 --set RadioGroup2=1 -- \
    click:RadioGroup1.1 click:RadioGroup2.1 click:Button1
  user_case radio-by-keys --set RadioGroup1=1 --set RadioGroup2=1 -- \
    click:RadioGroup1.0 key:Right click:RadioGroup2.0 key:Down click:Button1
  user_case typing --set Edit2=R= --set Edit3=typ --set Edit7=5 -- \
    click:Edit2 type:R= click:Edit3 type:typ click:Edit7 key:End key:shift+Home type:5 click:Button1
  user_case cancel-by-click --press cancel -- click:CheckBox1 click:Button2
}

# gui_suite: every GUI case with $EXE and $DRIVER, in $CASES; $TAG names the build in what is
# said and in the screenshot's name.
gui_suite() {
  local before=$passed count=$cases
  rm -rf "$CASES"
  mkdir -p "$CASES"
  layout_case layout "$SHOT"
  gui complete-run-ok $CR app --press ok -- run "$(exe_in complete-run-ok app)" --press ok
  for ex in axis-angle dimension-entity reversed-arrows value-outside; do
    gui "$ex" examples/$ex app --press ok -- run "$(exe_in $ex app)" --press ok
  done
  gui enter-key $CR app --press ok -- run "$(exe_in enter-key app)" --press enter
  gui alt-y $CR app --press ok -- run "$(exe_in alt-y app)" --press alt-y
  gui cancel-button $CR app --press cancel -- run "$(exe_in cancel-button app)" --press cancel
  gui esc-key $CR app --press cancel -- run "$(exe_in esc-key app)" --press esc
  gui alt-n $CR app --press cancel -- run "$(exe_in alt-n app)" --press alt-n
  gui title-bar-close $CR app --press cancel -- run "$(exe_in title-bar-close app)" --press close
  gui refuse-empty-length $CR app --set Edit7= --press ok -- \
    run "$(exe_in refuse-empty-length app)" --set Edit7= --press ok --expect-focus Edit7
  gui refuse-negative-gap $CR app --set Edit5=-0.5 --press ok -- \
    run "$(exe_in refuse-negative-gap app)" --set Edit5=-0.5 --press ok --expect-focus Edit5
  gui refuse-no-text-type none app --press ok -- \
    run "$(exe_in refuse-no-text-type app)" --press ok --expect-focus ComboBox3
  gui zero-length none app --set ComboBox3=1 --press ok -- \
    run "$(exe_in zero-length app)" --set ComboBox3=1 --press ok --expect-message 1
  gui typing-limits $CR app --press cancel -- typing "$(exe_in typing-limits app)"
  gui minimise $CR app --press cancel -- minimise "$(exe_in minimise app)"
  gui tab-order $CR app --press cancel -- tab "$(exe_in tab-order app)"
  gui japanese-folder $CR "ソレア 作業/外部変形" --press ok -- \
    run "$(exe_in japanese-folder "ソレア 作業/外部変形")" --press ok
  LANG=C.UTF-8 gui ansi-not-932 $CR app --set Edit2=接頭 --set CheckBox3=1 --press ok -- \
    run "$(exe_in ansi-not-932 app)" --set Edit2=接頭 --set CheckBox3=1 --press ok
  gui enter-from-edit $CR app --press ok -- run "$(exe_in enter-from-edit app)" --tabs 3 --press enter
  gui enter-on-open-list $CR app --press ok -- \
    run "$(exe_in enter-on-open-list app)" --drop ComboBox1 --press enter
  gui esc-on-open-list $CR app --press ok -- \
    run "$(exe_in esc-on-open-list app)" --tabs 1 --drop ComboBox2 --drop-key esc --press ok
  # rusk.dat at the edges of what it may hold: the dialog shows what the file says (a list index
  # below 0 as the first item, one past the list as no choice, a radio choice past the last as
  # the last, a check value of 2 as ticked, texts longer than a field takes whole, a Japanese
  # prefix) and OK saves what it shows, as sorea-cli does.
  long_suffix=ああああああああああああああああああ  # 36 bytes, past the 32 a user can type
  settings_input settings-edges 1=120 2=80 3=-4 4=11 8=1.000000000000001 9=接頭Ａ 10=$long_suffix \
    14=3.0000000 17=5 18=-2 19=2 20=x
  gui settings-edges "$CASES/settings-edges-input" app --press ok -- \
    run "$(exe_in settings-edges app)" --expect-position 120,80 --expect ComboBox1=0 \
    --expect ComboBox2=11 --expect Edit1=1.000000000000001 --expect Edit2=接頭Ａ \
    --expect Edit3=$long_suffix --expect Edit7=3.0000000 --expect RadioGroup1=1 \
    --expect RadioGroup2=0 --expect CheckBox1=1 --expect CheckBox2=0 --press ok
  # Fields nobody edits are saved as the bytes they were loaded with, even bytes that are not
  # Shift-JIS (a lone lead byte, 0x80, 0xA0, 0xFD to 0xFF) or a character with no single way back
  # from UTF-16 (the NEC row's U+2252); the comparison with sorea-cli's rusk.dat checks each byte.
  settings_input settings-odd-bytes 9=hex:4182 10=hex:80a0 11=hex:fdfeff8790 16=hex:3287
  gui settings-odd-bytes "$CASES/settings-odd-bytes-input" app --press ok -- \
    run "$(exe_in settings-odd-bytes app)" --press ok
  settings_input settings-past-list 6=9
  gui settings-past-list "$CASES/settings-past-list-input" app --press ok -- \
    run "$(exe_in settings-past-list app)" --expect ComboBox4=-1 --press ok --expect-focus ComboBox4
  # A saved position off the screen is where the dialog shows, unchanged; OK saves it again.
  mkdir -p "$CASES/offscreen-input"
  "$CLI" --folder "$CASES/offscreen-input" --set ComboBox3=1 --set Left=1500 --set Top=-40 --press ok \
    >/dev/null 2>&1
  cp $CR/JWC_TEMP.TXT "$CASES/offscreen-input/"
  gui offscreen-position "$CASES/offscreen-input" app --press ok -- \
    run "$(exe_in offscreen-position app)" --expect-position 1500,-40 --press ok
  # Real exchange files from Jw_cad: a floor plan without picks (the zero-length message) and a
  # parcel drawing with its four picks.
  plan=$ROOT/tests/data/real/floor-plan.txt
  parcel=
  for f in "$ROOT"/tests/data/real/parcel-*.txt; do
    grep -q '^hp1' "$f" && grep -q '^hp2' "$f" && grep -q '^hp4' "$f" && { parcel=$f; break; }
  done
  if [ -n "$plan" ]; then
    real_input real-plan "$plan"
    gui real-plan "$CASES/real-plan-input" app --press ok -- \
      run "$(exe_in real-plan app)" --press ok --expect-message 1
  fi
  if [ -n "$parcel" ]; then
    real_input real-parcel "$parcel"
    gui real-parcel "$CASES/real-parcel-input" app --set ComboBox3=0 --press ok -- \
      run "$(exe_in real-parcel app)" --set ComboBox3=0 --press ok
  fi
  # Jw_cad's file read-only: the result cannot be handed back, and the user is told so.
  mkdir -p "$CASES/read-only-input"
  cp $CR/JWC_TEMP.TXT $CR/rusk.dat "$CASES/read-only-input/"
  chmod 0444 "$CASES/read-only-input/JWC_TEMP.TXT"
  gui result-not-written "$CASES/read-only-input" app --press ok -- \
    run "$(exe_in result-not-written app)" --press ok --expect-failure 1
  user_cases
  host_run host-ok "$EXE" "$DRIVER" --set ComboBox3=1 --press ok -- --set ComboBox3=1 --press ok
  host_run host-cancel "$EXE" "$DRIVER" --press cancel -- --press cancel
  say "${TAG}GUI cases: $((passed - before)) of $((cases - count)) passed"
}
TAG= SHOT= gui_suite
# The dialog at 125 %, 150 % and 200 % display scaling: the layout case at each, a screenshot
# each, then back to 96 DPI.
for dpi in 120 144 192; do
  set_dpi $dpi
  layout_case layout-$dpi -$dpi
done
set_dpi 96

# ---- same bytes on every build -------------------------------------------------------------
# The examples, and the axis-angle example turned to angles where FCOS/FSIN land near 0 and 1.
X87=$W/x87
rm -rf "$X87"
mkdir -p "$X87"
inputs=()
for ex in examples/*/; do inputs+=("${ex%/}"); done
for angle in 30 45 60 90 120 135 150 180 -90 270 359.999 0.0001 1e-12; do
  d=$X87/inputs/angle-$angle
  mkdir -p "$d"
  sed "s/^hk .*/hk $angle\r/" examples/axis-angle/JWC_TEMP.TXT >"$d/JWC_TEMP.TXT"
  cp examples/axis-angle/rusk.dat "$d/"
  inputs+=("$d")
done
# Real exchange files written by Jw_cad, with the complete run's settings.
for sample in "$ROOT"/tests/data/real/*.txt; do
  [ -f "$sample" ] || continue
  [ "$(basename "$sample")" = PROVENANCE.txt ] && continue
  d=$X87/inputs/real-$(basename "$sample" .txt)
  mkdir -p "$d"
  cp "$sample" "$d/JWC_TEMP.TXT"
  cp examples/complete-run/rusk.dat "$d/"
  inputs+=("$d")
done
same_runs=0
runs=0
drawn=0
for input in "${inputs[@]}"; do
  name=$(basename "$input")
  runs=$((runs + 1))
  for kind in linux m32 wine; do prepare "$X87/$kind/$name" "$input"; done
  "$CLI" --folder "$X87/linux/$name" --press ok >/dev/null 2>&1
  [ $CAN_RUN_32 -eq 1 ] && "$CLI32" --folder "$X87/m32/$name" --press ok >/dev/null 2>&1
  wine "$ROOT/$CLI_EXE" --folder "$(winpath "$X87/wine/$name")" --press ok >"$X87/wine/$name.out" 2>&1
  wine_rc=$?
  [ $wine_rc -eq 0 ] || [ $wine_rc -eq 4 ] || say "x87: $name: sorea-cli.exe under Wine exited $wine_rc"
  ok=1
  same "$X87/linux/$name/JWC_TEMP.TXT" "$X87/wine/$name/JWC_TEMP.TXT" || { ok=0; fail "x87: $name: sorea-cli.exe under Wine differs from Linux"; }
  if [ $CAN_RUN_32 -eq 1 ]; then
    same "$X87/linux/$name/JWC_TEMP.TXT" "$X87/m32/$name/JWC_TEMP.TXT" || { ok=0; fail "x87: $name: 32-bit build differs from Linux"; }
  fi
  same "$X87/linux/$name/rusk.dat" "$X87/wine/$name/rusk.dat" || { ok=0; fail "x87: $name: rusk.dat differs"; }
  # The examples all build a dimension; an axis angle may make the two points level (the
  # zero-length message), which must then happen on every build alike.
  if [ "$(cat "$X87/linux/$name/JWC_TEMP.TXT" 2>/dev/null)" = $'hq\r' ]; then
    case $input in examples/*) ok=0; fail "x87: $name wrote no dimension" ;; esac
  else
    drawn=$((drawn + 1))
  fi
  [ $ok -eq 1 ] && same_runs=$((same_runs + 1))
done
builds="Linux x86-64, Windows x86-64 under Wine"
[ $CAN_RUN_32 -eq 1 ] && builds="$builds and Linux -m32 -msse2 -mfpmath=sse"
say "x87 byte identity: $same_runs of $runs cases ($drawn with a dimension) equal on $builds"

# ---- the 32-bit program --------------------------------------------------------------------
# x86/sorea.exe, for 32-bit Windows, under 32-bit Wine in a 32-bit prefix of its own: the whole
# GUI suite and the byte identity of the i686 sorea-cli.exe.
if [ "$WINE32" = yes ]; then
  prefix64=$WINEPREFIX
  wineserver -k
  export WINEPREFIX=$W/prefix32 WINEARCH=win32
  prepare_prefix
  EXE=$EXE32 DRIVER=$DRIVER32 CASES=$W/cases32 TAG="32-bit " SHOT=-x86 gui_suite
  same32=0
  for input in "${inputs[@]}"; do
    name=$(basename "$input")
    prepare "$X87/wine32/$name" "$input"
    wine "$ROOT/$CLI_EXE32" --folder "$(winpath "$X87/wine32/$name")" --press ok >/dev/null 2>&1
    if same "$X87/linux/$name/JWC_TEMP.TXT" "$X87/wine32/$name/JWC_TEMP.TXT" &&
      same "$X87/linux/$name/rusk.dat" "$X87/wine32/$name/rusk.dat"; then
      same32=$((same32 + 1))
    else
      fail "x87: $name: the i686 sorea-cli.exe under 32-bit Wine differs from Linux"
    fi
  done
  say "x87 byte identity, i686 under 32-bit Wine: $same32 of ${#inputs[@]} cases equal Linux"
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
