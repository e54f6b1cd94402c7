// sorea-cli preview: draws an exchange file as a picture, so that a dimension the job built
// can be judged by eye. The SVG needs nothing; the PNG is made by a converter on the PATH.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CliCommands.h"
#include "cli/SvgPreview.h"
#include "exchange/JwwGaibu.h"
#include "util/Files.h"

#ifdef _WIN32
#include <windows.h>

#include "util/WinText.h"
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace sorea::cli {
namespace {

const CommandUsage kUsage = {
    "sorea-cli preview",
    "usage: sorea-cli preview IN [--output OUT.svg] [--png OUT.png] [--before BEFORE.TXT]\n"
    "                            [--no-context] [--fit both|result] [--details]\n"
    "  Draws the exchange file IN as SVG (to stdout unless --output or --png is given).\n"
    "  --before draws BEFORE.TXT, the file Jw_cad wrote, in a muted colour beneath IN (the\n"
    "    drawing Jw_cad adds IN's elements to), and marks and numbers the points picked in it.\n"
    "  --no-context leaves the elements of BEFORE.TXT out; its picks are still marked.\n"
    "  --fit both fits the view to everything drawn (the default); --fit result to IN's\n"
    "    elements and the picks, with a wide margin, so that a small dimension in a large\n"
    "    drawing stays readable.\n"
    "  --details adds magnified views of where small things gather (end marks, values).\n"
    "  Text and point-marker sizes are paper mm drawn at the layer group scale. IN takes the\n"
    "  scales (\"hs\") and text types (\"hcw\", \"hch\", \"hcd\", \"hcc\") of BEFORE.TXT where it\n"
    "  gives none of its own.\n"};

struct Options {
  std::optional<std::string> In, Output, Png, Before, Fit;
  bool Details = false, NoContext = false;
};

// nullopt when the preview is to be drawn, else the exit code to end with.
std::optional<int> ReadOptions(const std::vector<std::string>& args, Options& o) {
  Arguments in(args, kUsage);
  while (in.Next()) {
    if (in.Is("--output", "-o")) {
      in.ValueOnce(o.Output, "a file name");
    } else if (in.Is("--png")) {
      in.ValueOnce(o.Png, "a file name");
    } else if (in.Is("--before")) {
      in.ValueOnce(o.Before, "a file name");
    } else if (in.Is("--fit")) {
      if (in.ValueOnce(o.Fit, "both or result") && o.Fit != "both" && o.Fit != "result")
        in.Problem("--fit takes both or result, not " + *o.Fit);
    } else if (in.Is("--no-context")) {
      o.NoContext = true;
    } else if (in.Is("--details")) {
      o.Details = true;
    } else if (in.IsOption()) {
      in.Unknown();
    } else {
      in.Positional(o.In, "input file");
    }
  }
  if (!o.In) in.Problem("no input file");
  if (o.Png && (o.Png == o.Output || o.Png == o.In))
    in.Problem("--png must name a file of its own");
  if (o.Output && o.Output == o.In) in.Problem("--output would overwrite the input");
  return in.Finish();
}

bool WriteWhole(const std::string& path, const std::string& text) {
  std::FILE* f = OpenFile(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) RemoveFile(path);
  return ok;
}

// Runs a program found on PATH with these arguments, each passed as it stands, with no shell
// between; its exit code, -1 when it could not be started or did not exit.
int RunTool(const std::vector<std::string>& args) {
#ifdef _WIN32
  // One command line, each argument quoted as the C runtime splits it again: backslashes are
  // literal except before a quote, where they and the quote are escaped.
  std::wstring line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += L' ';
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : win::FromUtf8(arg)) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
#else
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#endif
}

bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string all(path);
#ifdef _WIN32
  const char sep = ';';
  const std::string suffix = ".exe";
#else
  const char sep = ':';
  const std::string suffix;
#endif
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(sep, start);
    if (end == std::string::npos) end = all.size();
    std::string dir = all.substr(start, end - start);
    if (!dir.empty()) {
      std::string candidate = dir + "/" + tool + suffix;
#ifdef _WIN32
      if (FileExists(candidate)) return true;
#else
      if (::access(candidate.c_str(), X_OK) == 0) return true;
#endif
    }
    start = end + 1;
  }
  return false;
}

// Converts the SVG file to PNG with rsvg-convert (librsvg2-bin) or ImageMagick's convert.
int ConvertToPng(const std::string& svg, const std::string& png) {
  std::vector<std::string> command;
  if (OnPath("rsvg-convert")) {
    command = {"rsvg-convert", "-b", "white", "-o", png, svg};
  } else if (OnPath("convert")) {
    command = {"convert", "-background", "white", svg, png};
  } else {
    std::fputs(
        "sorea-cli preview: no SVG converter for --png: install librsvg2-bin (rsvg-convert) or "
        "imagemagick (convert)\n",
        stderr);
    return 1;
  }
  RemoveFile(png);
  const int rc = RunTool(command);
  if (rc != 0 || !FileExists(png)) {
    RemoveFile(png);  // a converter that failed may leave an empty or partial picture
    std::fprintf(stderr, "sorea-cli preview: the converter failed to write %s\n", png.c_str());
    return 1;
  }
  return 0;
}

int Run(const std::vector<std::string>& args) {
  Options o;
  if (std::optional<int> exit = ReadOptions(args, o)) return *exit;
  const std::string& input = *o.In;

  PreviewOptions view;
  view.Details = o.Details;
  view.Fit = o.Fit == "result" ? PreviewFit::Result : PreviewFit::Both;
  ElementStore before;
  if (o.Before) {
    InitElementStore();
    bool read = FileExists(*o.Before) && ReadExchangeFile(*o.Before);
    if (!read) {
      ReleaseElementStore();
      std::fprintf(stderr, "sorea-cli preview: cannot read %s\n", o.Before->c_str());
      return 1;
    }
    before = std::move(Store);
    ReleaseElementStore();
    for (std::size_t i = 1; i < before.PickedPoints.size(); ++i) {
      const PickedPoint& p = before.PickedPoints[i];
      if (p.Set) view.Picks.push_back({static_cast<int>(i), p.X, p.Y});
    }
    if (!o.NoContext) view.Context = &before;
  }

  InitElementStore();
  if (o.Before) {
    // The job's result carries no "hs", "hcw" or "hch" record: Jw_cad adds its elements to the
    // drawing of the file it handed over, whose scales and text types size the texts and marks
    // (a text of type 2 is as wide, as high and of the colour type 2 has there).
    Store.LayerGroupScale = before.LayerGroupScale;
    Store.TextTypeTable = before.TextTypeTable;
  }
  if (!FileExists(input) || !ReadExchangeFile(input)) {
    ReleaseElementStore();
    std::fprintf(stderr, "sorea-cli preview: cannot read %s\n", input.c_str());
    return 1;
  }
  std::string svg = BuildPreviewSvg(Store, view);
  ReleaseElementStore();

  if (!o.Output && !o.Png) {
    bool ok = std::fwrite(svg.data(), 1, svg.size(), stdout) == svg.size();
    ok = std::fflush(stdout) == 0 && ok;
    if (!ok) {
      std::fputs("sorea-cli preview: cannot write the SVG to standard output\n", stderr);
      return 1;
    }
    return 0;
  }
  const std::string svgPath = o.Output ? *o.Output : *o.Png + ".tmp.svg";
  if (!WriteWhole(svgPath, svg)) {
    std::fprintf(stderr, "sorea-cli preview: cannot write %s\n", svgPath.c_str());
    return 1;
  }
  int rc = 0;
  if (o.Png) rc = ConvertToPng(svgPath, *o.Png);
  if (!o.Output) RemoveFile(svgPath);
  return rc;
}

}  // namespace

int RunPreview(const std::vector<std::string>& args) {
  try {
    return Run(args);
  } catch (...) {
    // Only an allocation can throw here; report it instead of ending abruptly.
    std::fputs("sorea-cli preview: out of memory\n", stderr);
    return 1;
  }
}

}  // namespace sorea::cli
