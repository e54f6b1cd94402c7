#!/usr/bin/env python3
"""The Windows program's cases under Wine, one row a case.

Each case runs sorea.exe in a fresh program folder and the Linux sorea-cli on a copy of the
same files, each told the same values once (a row's sets and press), and compares the files
both leave for Jw_cad. The driver (sorea-driver.exe) works the dialog with window messages;
the user cases work it with the real mouse and keyboard (xdotool on the X display); the host
cases run sorea.bat through Wine's cmd as Jw_cad runs it; the layout cases check the window at
a display DPI and leave a screenshot. x87 compares the bytes every build writes.

    wine_cases.py gui --exe EXE --driver DRIVER --cli CLI --cases DIR [--tag TAG] [--shot SUF]
    wine_cases.py layout --exe EXE --driver DRIVER --cli CLI --cases DIR --dpi N --shot SUF
    wine_cases.py x87 --cli CLI --wine-cli EXE --out DIR [--cli32 CLI32]

Run from the repository's root with WINEPREFIX, DISPLAY and LANG set (scripts/test-windows.sh
does). Prints a line a case and a summary; exits 1 when a case failed.
"""
import argparse
import dataclasses
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path.cwd()
CR = "examples/complete-run"
NO_ACT = ("typing", "minimise", "tab")  # driver modes that close the dialog themselves


def say(text):
    print(f"== {text}", flush=True)


def winpath(path):
    return subprocess.run(["winepath", "-w", str(path)], capture_output=True, text=True,
                          check=False).stdout.strip()


def same(a, b):
    """Byte-identical, or both absent."""
    a, b = Path(a), Path(b)
    if not a.exists() and not b.exists():
        return True
    return a.exists() and b.exists() and a.read_bytes() == b.read_bytes()


def run(args, cwd=None, timeout=120, env=None, out=None):
    try:
        with open(out or os.devnull, "wb") as sink:
            return subprocess.run([str(a) for a in args], cwd=cwd, timeout=timeout,
                                  env={**os.environ, **(env or {})}, stdout=sink,
                                  stderr=subprocess.STDOUT, check=False).returncode
    except subprocess.TimeoutExpired:
        return 124


def driver_failures(out):
    lines = Path(out).read_text(encoding="utf-8", errors="replace").splitlines()
    return [line for line in lines if line.startswith("FAIL")][:20]


def driver_checks(out):
    return sum(1 for line in Path(out).read_text(errors="replace").splitlines()
               if line.startswith("ok"))


# ---- the program folder a case starts from ---------------------------------------------------

def settings_lines(changes):
    """The complete run's rusk.dat with lines replaced ("hex:" gives raw bytes), and a 32nd
    line that the next save drops."""
    lines = (ROOT / CR / "rusk.dat").read_bytes().split(b"\r\n")[:-1]
    for number, value in changes.items():
        raw = value.startswith("hex:")
        lines[number - 1] = bytes.fromhex(value[4:]) if raw else value.encode("cp932")
    lines.append(b"a 32nd line, dropped by the next save")
    return b"".join(line + b"\r\n" for line in lines)


@dataclasses.dataclass
class Case:
    name: str
    sets: list = dataclasses.field(default_factory=list)  # NAME=VALUE, for both programs
    press: str = "ok"  # the driver's: ok, enter, alt-y, cancel, esc, alt-n or close
    shows: list = dataclasses.field(default_factory=list)  # NAME=VALUE the dialog opens with
    options: list = dataclasses.field(default_factory=list)  # the driver's other checks
    mode: str = "run"
    source: str = CR  # a folder with JWC_TEMP.TXT and rusk.dat, or None for neither
    exchange: str = None  # a JWC_TEMP.TXT to take instead of the folder's
    settings: dict = None  # rusk.dat lines changed
    position: str = None  # LEFT,TOP saved in rusk.dat beforehand
    read_only: bool = False  # JWC_TEMP.TXT read-only
    folder: str = "app"
    env: dict = None
    steps: list = None  # real input: click:NAME, open:LIST, pick:LIST:ITEM, key:KEYS, type:TEXT
    host: bool = False  # sorea.bat through cmd

    def cli_args(self):
        args = [a for s in self.sets for a in ("--set", s)]
        ok = self.press in ("ok", "enter", "alt-y") and self.mode == "run"
        return args + ["--press", "ok" if ok else "cancel"]

    def driver_args(self):
        if self.mode in NO_ACT:
            return []
        args = [a for s in self.shows for a in ("--expect", s)]
        args += [a for s in self.sets for a in ("--set", s)]
        return args + ["--press", self.press] + self.options

    def prepare(self, folder, cli):
        folder.mkdir(parents=True, exist_ok=True)
        if self.source:
            for name in ("JWC_TEMP.TXT", "rusk.dat"):
                if (ROOT / self.source / name).exists():
                    shutil.copy(ROOT / self.source / name, folder / name)
        if self.exchange:
            shutil.copy(ROOT / self.exchange, folder / "JWC_TEMP.TXT")
        if self.settings:
            (folder / "rusk.dat").write_bytes(settings_lines(self.settings))
        if self.position:
            # Saved by an OK in a folder of its own: without an exchange file OK stops at its
            # message, after it has saved the settings.
            left, top = self.position.split(",")
            scratch = folder.parent / (folder.name + "-position")
            scratch.mkdir()
            run([cli, "--folder", scratch, "--set", "ComboBox3=1", "--set", f"Left={left}",
                 "--set", f"Top={top}", "--press", "ok"])
            shutil.copy(scratch / "rusk.dat", folder / "rusk.dat")
            shutil.rmtree(scratch)
        if self.read_only:
            (folder / "JWC_TEMP.TXT").chmod(0o444)


def parcel_with_picks():
    for sample in sorted((ROOT / "tests/data/real").glob("parcel-*.txt")):
        text = sample.read_bytes()
        if all(re.search(rb"^hp%d" % i, text, re.M) for i in (1, 2, 4)):
            return str(sample.relative_to(ROOT))
    return None


LONG_SUFFIX = "あ" * 18  # 36 bytes, past the 32 a user can type
CASES = [
    Case("complete-run-ok"),
    *[Case(ex, source=f"examples/{ex}")
      for ex in ("axis-angle", "dimension-entity", "reversed-arrows", "value-outside")],
    Case("enter-key", press="enter"),
    Case("alt-y", press="alt-y"),
    Case("cancel-button", press="cancel"),
    Case("esc-key", press="esc"),
    Case("alt-n", press="alt-n"),
    Case("title-bar-close", press="close"),
    Case("refuse-empty-length", sets=["Edit7="], options=["--expect-focus", "Edit7"]),
    Case("refuse-negative-gap", sets=["Edit5=-0.5"], options=["--expect-focus", "Edit5"]),
    Case("refuse-no-text-type", source=None, options=["--expect-focus", "ComboBox3"]),
    Case("zero-length", source=None, sets=["ComboBox3=1"], options=["--expect-message", "1"]),
    Case("typing-limits", mode="typing", press="cancel"),
    Case("minimise", mode="minimise", press="cancel"),
    Case("tab-order", mode="tab", press="cancel"),
    Case("japanese-folder", folder="ソレア 作業/外部変形"),
    # The system's ANSI code page is not 932: the program converts Shift-JIS itself.
    Case("ansi-not-932", sets=["Edit2=接頭", "CheckBox3=1"], env={"LANG": "C.UTF-8"}),
    Case("enter-from-edit", press="enter", options=["--tabs", "3"]),
    Case("enter-on-open-list", press="enter", options=["--drop", "ComboBox1"]),
    Case("esc-on-open-list", options=["--tabs", "1", "--drop", "ComboBox2", "--drop-key", "esc"]),
    # rusk.dat at the edges of what it may hold: the dialog shows what the file says (a list
    # index below 0 as the first item, one past the list as no choice, a radio choice past the
    # last as the last, a check value of 2 as ticked, texts longer than a field takes whole, a
    # Japanese prefix) and OK saves what it shows, as sorea-cli does.
    Case("settings-edges",
         settings={1: "120", 2: "80", 3: "-4", 4: "11", 8: "1.000000000000001", 9: "接頭Ａ",
                   10: LONG_SUFFIX, 14: "3.0000000", 17: "5", 18: "-2", 19: "2", 20: "x"},
         shows=["ComboBox1=0", "ComboBox2=11", "Edit1=1.000000000000001", "Edit2=接頭Ａ",
                f"Edit3={LONG_SUFFIX}", "Edit7=3.0000000", "RadioGroup1=1", "RadioGroup2=0",
                "CheckBox1=1", "CheckBox2=0"],
         options=["--expect-position", "120,80"]),
    # Fields nobody edits are saved as the bytes they were loaded with, even bytes that are not
    # Shift-JIS (a lone lead byte, 0x80, 0xA0, 0xFD to 0xFF) or a character with no single way
    # back from UTF-16 (the NEC row's U+2252).
    Case("settings-odd-bytes",
         settings={9: "hex:4182", 10: "hex:80a0", 11: "hex:fdfeff8790", 16: "hex:3287"}),
    Case("settings-past-list", settings={6: "9"}, shows=["ComboBox4=-1"],
         options=["--expect-focus", "ComboBox4"]),
    # A saved position off the screen is where the dialog shows, unchanged; OK saves it again.
    Case("offscreen-position", position="1500,-40", options=["--expect-position", "1500,-40"]),
    # Real exchange files from Jw_cad: a floor plan without picks (the zero-length message) and
    # a parcel drawing with its four picks.
    Case("real-plan", exchange="tests/data/real/floor-plan.txt", options=["--expect-message", "1"]),
    Case("real-parcel", exchange=parcel_with_picks(), sets=["ComboBox3=0"]),
    # Jw_cad's file read-only: the result cannot be handed back, and the user is told so.
    Case("result-not-written", read_only=True, options=["--expect-failure", "1"]),
    # Real input: what a user's hand does, and the same values for sorea-cli.
    Case("click-checks", sets=["CheckBox1=1", "CheckBox2=1", "CheckBox3=1", "CheckBox4=1"],
         steps=["click:CheckBox1", "click:CheckBox2", "click:CheckBox3", "click:CheckBox4",
                "click:Button1"]),
    Case("click-and-space", sets=["CheckBox2=1", "CheckBox3=1"],
         steps=["click:CheckBox1", "key:space", "click:CheckBox2", "key:space", "key:space",
                "click:CheckBox3", "click:Button1"]),
    Case("pick-by-click", sets=["ComboBox4=1", "ComboBox5=0", "ComboBox1=5"],
         steps=["pick:ComboBox4:1", "pick:ComboBox5:0", "pick:ComboBox1:5", "click:Button1"]),
    Case("pick-by-keys", sets=["ComboBox1=4", "ComboBox2=3"],
         steps=["open:ComboBox1", "key:Down", "key:Down", "key:Return", "open:ComboBox2",
                "key:Escape", "key:Down", "click:Button1"]),
    Case("radio-by-click", sets=["RadioGroup1=1", "RadioGroup2=1"],
         steps=["click:RadioGroup1.1", "click:RadioGroup2.1", "click:Button1"]),
    Case("radio-by-keys", sets=["RadioGroup1=1", "RadioGroup2=1"],
         steps=["click:RadioGroup1.0", "key:Right", "click:RadioGroup2.0", "key:Down",
                "click:Button1"]),
    Case("typing", sets=["Edit2=R=", "Edit3=typ", "Edit7=5"],
         steps=["click:Edit2", "type:R=", "click:Edit3", "type:typ", "click:Edit7", "key:End",
                "key:shift+Home", "type:5", "click:Button1"]),
    Case("cancel-by-click", press="cancel", steps=["click:CheckBox1", "click:Button2"]),
    # sorea.bat through cmd, on the parcel drawing's header as Jw_cad writes it.
    Case("host-ok", sets=["ComboBox3=1"], host=True),
    Case("host-cancel", press="cancel", host=True),
]


# ---- running a case --------------------------------------------------------------------------

class Runner:
    def __init__(self, options):
        self.exe, self.driver, self.cli = options.exe, options.driver, options.cli
        self.cases = Path(options.cases)
        self.passed = self.count = 0

    def outcome(self, name, problems, what):
        self.count += 1
        if problems:
            for problem in problems:
                print(problem)
            say(f"FAIL: {name} (see {self.cases / name})")
        else:
            self.passed += 1
            say(f"pass  {name} ({what})")

    def reference(self, case, folder):
        case.prepare(folder, self.cli)
        run([self.cli, "--folder", folder] + case.cli_args(), out=folder.parent / "cli.out")

    def files_equal(self, app, ref, problems):
        for name in ("JWC_TEMP.TXT", "rusk.dat"):
            if not same(app / name, ref / name):
                problems.append(f"{name} differs from sorea-cli's")

    def gui(self, case):
        top = self.cases / case.name
        app, ref = top / case.folder, top / "reference"
        case.prepare(app, self.cli)
        self.reference(case, ref)
        shutil.copy(self.exe, app / "sorea.exe")
        out = top / "driver.out"
        rc = run(["wine", ROOT / self.driver, case.mode, winpath(app / "sorea.exe")]
                 + case.driver_args(), cwd=top, timeout=90, env=case.env, out=out)
        problems = [] if rc == 0 else driver_failures(out) + [f"driver exit {rc}"]
        self.files_equal(app, ref, problems)
        self.outcome(case.name, problems, f"{driver_checks(out)} driver checks, files equal sorea-cli's")

    def user(self, case):
        top = self.cases / case.name
        app, ref = top / "app", top / "reference"
        case.prepare(app, self.cli)
        self.reference(case, ref)
        shutil.copy(self.exe, app / "sorea.exe")
        places = top / "places"
        with open(top / "driver.out", "wb") as out:
            driver = subprocess.Popen(["wine", str(ROOT / self.driver), "user",
                                       winpath(app / "sorea.exe"), "--places", winpath(places)],
                                      cwd=top, stdout=out, stderr=subprocess.STDOUT)
        problems = []
        if not wait_for(places.exists, 20):
            problems.append("the driver told no places")
        for step in case.steps if not problems else []:
            if not user_step(places, step):
                problems.append(f"could not do {step}")
                break
            time.sleep(0.1)
        try:
            rc = driver.wait(timeout=130)
        except subprocess.TimeoutExpired:
            driver.kill()
            rc = 124
        if rc != 0:
            problems += driver_failures(top / "driver.out") + [f"driver exit {rc}"]
        self.files_equal(app, ref, problems)
        self.outcome(case.name, problems, f"real input: {' '.join(case.steps)}; files equal sorea-cli's")

    def host(self, case):
        top = self.cases / case.name
        jw, ref = top / "jw", top / "reference"
        jw.mkdir(parents=True, exist_ok=True)
        shutil.copy(self.exe, jw / "sorea.exe")
        shutil.copy(ROOT / "packaging/sorea.bat", jw)
        if run([sys.executable, ROOT / "scripts/jw_host.py", jw / "sorea.bat",
                ROOT / "tests/data/real/parcel-14.txt"], out=top / "host.out") != 0:
            self.outcome(case.name, [(top / "host.out").read_text()], "")
            return
        ref.mkdir(exist_ok=True)
        shutil.copy(jw / "JWC_TEMP.TXT", ref)
        run([self.cli, "--folder", ref] + case.cli_args(), out=top / "cli.out")
        with open(top / "cmd.out", "wb") as cmd_out, open(top / "driver.out", "wb") as drv_out:
            cmd = subprocess.Popen(["timeout", "120", "wine", "cmd", "/c", "sorea.bat"], cwd=jw,
                                   stdout=cmd_out, stderr=subprocess.STDOUT)
            driver = subprocess.Popen(["timeout", "90", "wine", str(ROOT / self.driver),
                                       "attach", winpath(jw / "sorea.exe")]
                                      + case.driver_args(), cwd=top, stdout=drv_out,
                                      stderr=subprocess.STDOUT)
            cmd.wait()
            # Read back the moment cmd has ended: cmd must have waited for sorea.exe.
            read_back = (jw / "JWC_TEMP.TXT").read_bytes() if (jw / "JWC_TEMP.TXT").exists() else b""
            rc = driver.wait()
        problems = [] if rc == 0 else driver_failures(top / "driver.out") + [f"driver exit {rc}"]
        if read_back != (ref / "JWC_TEMP.TXT").read_bytes():
            problems.append("JWC_TEMP.TXT read back after cmd ended differs from sorea-cli's")
        if not same(jw / "rusk.dat", ref / "rusk.dat"):
            problems.append("rusk.dat differs from sorea-cli's")
        if case.press == "cancel" and read_back != b"hq\r\n":
            problems.append('not "hq"')
        # @echo off: the console does not show the REM directives.
        if re.search(rb"#jww|#cd|#[1-4]", (top / "cmd.out").read_bytes()):
            problems.append("cmd echoed the directives")
        self.outcome(case.name, problems, f"sorea.bat through cmd; {driver_checks(top / 'driver.out')} "
                     "driver checks, file read back equals sorea-cli's")

    def layout(self, name, dpi, shot):
        top = self.cases / name
        (top / "app").mkdir(parents=True, exist_ok=True)
        (top / "reference").mkdir(parents=True, exist_ok=True)
        shutil.copy(self.exe, top / "app/sorea.exe")
        run([self.cli, "--folder", top / "reference", "--press", "cancel"], out=top / "cli.out")
        flag = top / "shot"
        with open(top / "driver.out", "wb") as out:
            driver = subprocess.Popen(["timeout", "90", "wine", str(ROOT / self.driver), "layout",
                                       winpath(top / "app/sorea.exe"), "--shot", winpath(flag)],
                                      cwd=top, stdout=out, stderr=subprocess.STDOUT)
        problems = []
        ready = Path(str(flag) + ".ready")
        if wait_for(ready.exists, 30):
            cx, cy, _, _, wx, wy, ww, wh = (int(v) for v in ready.read_text().split())
            screen = self.cases.parent / "screen.png"
            picture = self.cases.parent / f"screenshot{shot}.png"
            subprocess.run(["import", "-window", "root", str(screen)], check=False)
            subprocess.run(["convert", str(screen), "-crop", f"{ww}x{wh}+{wx}+{wy}", "+repage",
                            str(picture)], check=False)
            # Colours the dialog must show: white ground, light-blue notice, grey status strip.
            for what, x, y, want in (("ground", 330, 262, "255,255,255"),
                                     ("notice", 480, 5, "187,235,244"),
                                     ("status strip", 20, 362, "231,231,231")):
                at = (cx + (x * dpi + 48) // 96, cy + (y * dpi + 48) // 96)
                seen = subprocess.run(["convert", str(screen), "-format",
                                       f"%[pixel:p{{{at[0]},{at[1]}}}]", "info:"],
                                      capture_output=True, text=True, check=False).stdout
                if want not in seen and not (want == "255,255,255" and seen == "white"):
                    problems.append(f"{what} is {seen}")
            say(f"screenshot at {dpi} DPI: {picture}")
        Path(str(flag) + ".done").touch()
        if driver.wait() != 0:
            problems += driver_failures(top / "driver.out") + ["driver failed"]
        self.files_equal(top / "app", top / "reference", problems)
        self.outcome(name, problems, f"{driver_checks(top / 'driver.out')} driver checks: window, "
                     f"controls, texts and their fit, lists, tab order at {dpi} DPI")


def wait_for(ready, seconds):
    end = time.monotonic() + seconds
    while not ready():
        if time.monotonic() > end:
            return False
        time.sleep(0.025)
    return True


def user_step(places, step):
    """One thing a user's hand does, with xdotool on the X display."""
    kind, _, rest = step.partition(":")
    if kind in ("key", "type"):
        what = rest.split() if kind == "key" else [rest]
        return subprocess.run(["xdotool", kind, "--delay", "60"] + what, check=False).returncode == 0
    name, _, item = rest.partition(":")
    found = [line.split() for line in places.read_text().splitlines() if line.split()[0] == name]
    if not found:
        return False
    left, top, right, bottom, *height = (int(v) for v in found[0][1:])
    click = ["xdotool", "mousemove", "--sync"]
    subprocess.run(click + [str((left + right) // 2), str((top + bottom) // 2), "click", "1"],
                   check=False)
    if kind == "click":
        return True
    # Wait until the list has dropped down (the driver names it in PLACES.dropped).
    dropped = Path(str(places) + ".dropped")
    if not wait_for(lambda: dropped.exists() and dropped.read_text().strip() == name, 5):
        return False
    if kind == "pick":
        # Its items show below the closed list, one item height each, inside a 1 px border.
        y = bottom + 1 + int(item) * height[0] + height[0] // 2
        subprocess.run(click + [str((left + right) // 2), str(y), "click", "1"], check=False)
    return True


# ---- the same bytes on every build -----------------------------------------------------------

def x87(options):
    out = Path(options.out)
    shutil.rmtree(out, ignore_errors=True)
    inputs = [(p.name, p) for p in sorted((ROOT / "examples").iterdir()) if p.is_dir()]
    # The axis-angle example turned to angles where FCOS and FSIN land near 0 and 1.
    axis = ROOT / "examples/axis-angle"
    for angle in "30 45 60 90 120 135 150 180 -90 270 359.999 0.0001 1e-12".split():
        folder = out / "inputs" / f"angle-{angle}"
        folder.mkdir(parents=True)
        text = re.sub(rb"^hk .*\r$", b"hk " + angle.encode() + b"\r",
                      (axis / "JWC_TEMP.TXT").read_bytes(), flags=re.M)
        (folder / "JWC_TEMP.TXT").write_bytes(text)
        shutil.copy(axis / "rusk.dat", folder)
        inputs.append((folder.name, folder))
    # Real exchange files written by Jw_cad, with the complete run's settings.
    for sample in sorted((ROOT / "tests/data/real").glob("*.txt")):
        if sample.name == "PROVENANCE.txt":
            continue
        folder = out / "inputs" / f"real-{sample.stem}"
        folder.mkdir(parents=True)
        shutil.copy(sample, folder / "JWC_TEMP.TXT")
        shutil.copy(ROOT / CR / "rusk.dat", folder)
        inputs.append((folder.name, folder))
    builds = {"linux": [options.cli], "wine": ["wine", ROOT / options.wine_cli]}
    if options.cli32:
        builds["linux-m32"] = [options.cli32]
    equal = drawn = 0
    for name, source in inputs:
        for build, command in builds.items():
            folder = out / build / name
            shutil.copytree(source, folder)
            where = winpath(folder) if build == "wine" else folder
            run(command + ["--folder", where, "--press", "ok"])
        linux = out / "linux" / name
        problems = [f"{name}: {f} from {build} differs from Linux" for build in builds
                    for f in ("JWC_TEMP.TXT", "rusk.dat")
                    if build != "linux" and not same(linux / f, out / build / name / f)]
        # The examples all build a dimension; an axis angle may make the two points level,
        # which must then happen on every build alike.
        if (linux / "JWC_TEMP.TXT").read_bytes() == b"hq\r\n":
            if source.parent.name == "examples":
                problems.append(f"{name} wrote no dimension")
        else:
            drawn += 1
        for problem in problems:
            say(f"FAIL: x87: {problem}")
        equal += not problems
    say(f"x87 byte identity: {equal} of {len(inputs)} cases ({drawn} with a dimension) equal on "
        f"{', '.join(builds)}")
    return 0 if equal == len(inputs) else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["gui", "layout", "x87"])
    for option in ("--exe", "--driver", "--cli", "--cases", "--wine-cli", "--out", "--cli32"):
        parser.add_argument(option)
    parser.add_argument("--tag", default="")
    parser.add_argument("--shot", default="")
    parser.add_argument("--dpi", type=int, default=96)
    options = parser.parse_args()
    if options.what == "x87":
        return x87(options)
    runner = Runner(options)
    if options.what == "layout":
        runner.layout(f"layout-{options.dpi}", options.dpi, options.shot)
    else:
        shutil.rmtree(runner.cases, ignore_errors=True)
        runner.layout("layout", 96, options.shot)
        for case in CASES:
            (runner.host if case.host else runner.user if case.steps else runner.gui)(case)
        say(f"{options.tag}GUI cases: {runner.passed} of {runner.count} passed")
    return 0 if runner.passed == runner.count else 1


if __name__ == "__main__":
    sys.exit(main())
