// sorea-cli driven as scripts drive it: the built executable on a scratch program folder,
// checked by its exit code, its stdout and stderr, and the files it leaves for Jw_cad.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using namespace sorea::testing;

const std::string kCli = SOREA_CLI_PATH;
const std::string kExamples = std::string(SOREA_SOURCE_DIR) + "/examples/";
const std::string kGolden = std::string(SOREA_SOURCE_DIR) + "/tests/cli/golden/";

// A program folder holding an example's exchange file and settings.
struct Program {
  ScratchFolder dir;
  explicit Program(const std::string& example = "complete-run") {
    dir.Write("JWC_TEMP.TXT", ReadFile(kExamples + example + "/JWC_TEMP.TXT"));
    dir.Write("rusk.dat", ReadFile(kExamples + example + "/rusk.dat"));
  }
  RunResult Cli(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--folder", dir.Path()});
    return RunProgram(kCli, args);
  }
};

// Arguments written with one blank between them.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; std::getline(in, word, ' ');) words.push_back(word);
  return words;
}

TEST(HeadlessExamples, OkWritesTheGoldenRecords) {
  for (const std::string example : {"complete-run", "axis-angle", "value-outside",
                                    "reversed-arrows", "dimension-entity", "floor-plan"}) {
    SCOPED_TRACE(example);
    Program program(example);
    const RunResult result = program.Cli({"--press", "ok"});
    EXPECT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(program.dir.Read("JWC_TEMP.TXT"), ReadFile(kGolden + example + ".txt"));
    // The example's settings are what the dialog saves for them again.
    EXPECT_EQ(program.dir.Read("rusk.dat"), ReadFile(kExamples + example + "/rusk.dat"));
    EXPECT_NE(result.Err.find("status: 処理中です\n"), std::string::npos);
    EXPECT_NE(result.Err.find("status: ファイル生成中です\n"), std::string::npos);
  }
}

TEST(HeadlessUsage, ErrorsWriteNothing) {
  const std::vector<std::string> cases = {
      "--bogus",
      "positional",
      "--set Edit10=1",
      "--set Memo1=x",
      "--set Button1=1",
      "--set Edit1",
      "--set",
      "--set ComboBox1=12",
      "--set ComboBox1=x",
      "--set ComboBox1=-2",
      "--set ComboBox4=9",
      "--set ComboBox5=3",
      "--set RadioGroup1=2",
      "--set RadioGroup2=1.0",
      "--set CheckBox1=2",
      "--set CheckBox1=",
      "--set Left=abc",
      "--set Top=1.5",
      "--set Edit2=\xff",
      "--set Edit3=a\nb",
      "--press maybe",
      "--press ok --press cancel",
      "--press",
      "--set ComboBox3=11",  // known only once the text-type list is filled
      "--set Edit1=0 --set ComboBox3=20",
  };
  for (const std::string& args : cases) {
    SCOPED_TRACE(args);
    Program program;
    const std::string exchange = program.dir.Read("JWC_TEMP.TXT");
    std::filesystem::remove(program.dir.File("rusk.dat"));
    const RunResult result = program.Cli(Words(args));
    EXPECT_EQ(result.Exit, 2);
    EXPECT_NE(result.Err.find("sorea-cli: "), std::string::npos) << result.Err;
    EXPECT_NE(result.Err.find("\nusage: sorea-cli"), std::string::npos) << result.Err;
    EXPECT_EQ(program.dir.Read("JWC_TEMP.TXT"), exchange);
    EXPECT_FALSE(program.dir.Exists("rusk.dat"));
  }
  // Without --folder as well: nothing is read or written before the arguments are checked.
  ScratchFolder scratch;
  EXPECT_EQ(RunProgram(kCli, {"--frobnicate"}).Exit, 2);
  // A folder that is not there would leave Jw_cad nothing to read back.
  EXPECT_EQ(RunProgram(kCli, {"--folder", scratch.File("absent")}).Exit, 2);
  EXPECT_FALSE(scratch.Exists("absent"));
}

TEST(HeadlessUsage, HelpForEachCommand) {
  struct Case {
    std::vector<std::string> args;
    std::string usage;
  };
  const std::vector<Case> cases = {
      {.args = {"--help"}, .usage = "usage: sorea-cli [--folder DIR]"},
      {.args = {"-h", "--bogus"}, .usage = "usage: sorea-cli [--folder DIR]"},
      {.args = {"inspect", "--help"}, .usage = "usage: sorea-cli inspect FILE\n"},
      {.args = {"preview", "--help"}, .usage = "usage: sorea-cli preview IN"},
      {.args = {"preview", "in.txt", "-h"}, .usage = "usage: sorea-cli preview IN"},
  };
  for (const Case& c : cases) {
    Program program;
    const bool command = c.args[0] == "inspect" || c.args[0] == "preview";
    const RunResult result = command ? RunProgram(kCli, c.args) : program.Cli(c.args);
    EXPECT_EQ(result.Exit, 0) << c.args[0];
    EXPECT_EQ(result.Out.rfind(c.usage, 0), 0u) << result.Out;
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(program.dir.Read("JWC_TEMP.TXT"), ReadFile(kExamples + "complete-run/JWC_TEMP.TXT"));
  }
}

TEST(HeadlessPress, OutcomesAndFiles) {
  struct Case {
    std::string args;  // separated by blanks
    int exit;
    std::string err;                      // a line of stderr
    bool saved = false, written = false;  // rusk.dat, the dimension's records
    std::string exchange = "";            // empty: the complete-run example's
  };
  const std::string level = CrLf({"hp1 0 0", "hp2 300 0", "hp3 500 0", "hp4 0 0"});
  const std::string zero = "message: 寸法が「0」になりますので作図出来ません\n";
  const std::vector<Case> cases = {
      {.args = "--set Edit1=0", .exit = 3, .err = "refused: Edit1\n"},
      {.args = "--set ComboBox3=-1 --press ok", .exit = 3, .err = "refused: ComboBox3\n"},
      // Of two refused values, the one OK checks first.
      {.args = "--set Edit5=-1 --set RadioGroup2=-1", .exit = 3, .err = "refused: RadioGroup2\n"},
      {.args = "", .exit = 4, .err = zero, .saved = true, .exchange = level},
      {.args = "--press cancel --set Edit1=0", .exit = 0, .err = ""},
      {.args = "--set CheckBox4=1", .exit = 0, .err = "", .saved = true, .written = true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Program program;
    if (!c.exchange.empty()) program.dir.Write("JWC_TEMP.TXT", c.exchange);
    const std::string settings = program.dir.Read("rusk.dat");
    const RunResult result = program.Cli(Words(c.args));
    EXPECT_EQ(result.Exit, c.exit) << result.Err;
    EXPECT_NE(result.Err.find(c.err), std::string::npos) << result.Err;
    EXPECT_EQ(program.dir.Read("rusk.dat") != settings, c.saved);
    const std::string written = program.dir.Read("JWC_TEMP.TXT");
    EXPECT_EQ(written.find("msg\r\n") != std::string::npos, c.written);
    if (!c.written) {
      EXPECT_EQ(written, "hq\r\n");
    }
    EXPECT_FALSE(program.dir.Exists("rusk.dat.tmp"));
  }
}

// The real floor plan with its second pick moved onto the grid, 2610 from the first: Jw_cad's
// 15 digits measure 2609.9999999999995, and the wall still reads 2,610 when truncated.
TEST(HeadlessExamples, PickOnTheGridReadsWhole) {
  Program program("floor-plan");
  std::string exchange = program.dir.Read("JWC_TEMP.TXT");
  const std::string from = "hp2   3461.91080358399 -1497.26158243267";
  ASSERT_NE(exchange.find(from), std::string::npos);
  exchange.replace(exchange.find(from), from.size(), "hp2   3461.91080358399 -1497.26178038453");
  program.dir.Write("JWC_TEMP.TXT", exchange);
  const RunResult result = program.Cli({"--set", "ComboBox5=0"});
  ASSERT_EQ(result.Exit, 0) << result.Err;
  EXPECT_NE(program.dir.Read("JWC_TEMP.TXT").find(" \"2,610\r\n"), std::string::npos);
}

// What goes wrong with the files is told: the result not written with exit 5 and "error: ",
// settings not saved and a file that is no plain file with "warning: ". Nothing waits on a pipe.
TEST(HeadlessFiles, FailuresAreTold) {
  namespace fs = std::filesystem;
  using Setup = std::function<void(const ScratchFolder&)>;
  const Setup none = [](const ScratchFolder&) {};
  const Setup pipeJwc = [](const ScratchFolder& f) {
    fs::remove(f.File("JWC_TEMP.TXT"));
    ::mkfifo(f.File("JWC_TEMP.TXT").c_str(), 0666);
  };
  const Setup pipeRusk = [](const ScratchFolder& f) {
    fs::remove(f.File("rusk.dat"));
    ::mkfifo(f.File("rusk.dat").c_str(), 0666);
  };
  const Setup frozen = [](const ScratchFolder& f) { ::chmod(f.File("rusk.dat").c_str(), 0444); };
  struct Case {
    const char* name;
    Setup setUp;
    std::vector<std::string> wrapper;  // run sorea-cli under these commands
    std::string args;
    int exit;
    std::vector<std::string> told;  // lines on stderr, in this order
    std::string jwc;                // "golden", "written" (a dimension), "absent" or "pipe"
    bool ruskKept = true;
    std::string example = "complete-run";
  };
  const std::string notWritten = "error: result not written: ";
  const std::string notSaved = "warning: settings not saved: ";
  const std::vector<Case> cases = {
      // Read as missing: every pick at (0, 0), so OK shows its message and cancels.
      {"pipe for JWC_TEMP.TXT, OK",
       pipeJwc,
       {},
       "--press ok",
       5,
       {"warning: ", "JWC_TEMP.TXT is not a regular file: not read", "message: ", notWritten,
        "JWC_TEMP.TXT: not a regular file"},
       "pipe",
       false},
      {"pipe for JWC_TEMP.TXT, Cancel",
       pipeJwc,
       {},
       "--press cancel",
       5,
       {"not a regular file: not read", notWritten},
       "pipe"},
      {"pipe for rusk.dat",
       pipeRusk,
       {},
       "--set ComboBox3=1",
       0,
       {"rusk.dat is not a regular file: not read", notSaved, "rusk.dat: not a regular file"},
       "written"},
      {"rusk.dat read-only",
       frozen,
       {},
       "--set Edit4=7",
       0,
       {notSaved, "rusk.dat: the file is read-only"},
       "golden"},
      // 400 bytes take the settings and stderr, not the 597 bytes of the result.
      {"file size limit",
       none,
       {"prlimit", "--fsize=400"},
       "",
       5,
       {notWritten, "JWC_TEMP.TXT: cannot write the file: File too large"},
       "absent",
       true,
       "axis-angle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program program(c.example);
    const std::string settings = program.dir.Read("rusk.dat");
    c.setUp(program.dir);
    std::vector<std::string> command = {"20"};
    command.insert(command.end(), c.wrapper.begin(), c.wrapper.end());
    command.insert(command.end(), {kCli, "--folder", program.dir.Path()});
    for (const std::string& arg : Words(c.args)) command.push_back(arg);
    const RunResult result = RunProgram("timeout", command);
    EXPECT_EQ(result.Exit, c.exit) << result.Err;
    std::size_t at = 0;
    for (const std::string& told : c.told) {
      at = result.Err.find(told, at);
      EXPECT_NE(at, std::string::npos) << told << " in\n" << result.Err;
      if (at == std::string::npos) break;
    }
    const fs::file_status status = fs::symlink_status(program.dir.File("JWC_TEMP.TXT"));
    if (c.jwc == "pipe") {
      EXPECT_TRUE(fs::is_fifo(status));
    } else if (c.jwc == "absent") {
      EXPECT_FALSE(fs::exists(status));
    } else if (c.jwc == "written") {
      EXPECT_NE(program.dir.Read("JWC_TEMP.TXT").find(" \"1000\r\n"), std::string::npos);
    } else {
      EXPECT_EQ(program.dir.Read("JWC_TEMP.TXT"), ReadFile(kGolden + c.example + ".txt"));
    }
    if (c.ruskKept && fs::is_regular_file(program.dir.File("rusk.dat"))) {
      EXPECT_EQ(program.dir.Read("rusk.dat"), settings);  // frozen, or the same values
    }
    EXPECT_FALSE(program.dir.Exists("JWC_TEMP.TXT.tmp"));
    EXPECT_FALSE(program.dir.Exists("rusk.dat.tmp"));
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(HeadlessState, PrintedAfterTheSets) {
  const std::string fullWidth17 = "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱ";
  Program program;
  const RunResult result = program.Cli({"--set",         "Edit7=123456789",
                                        "--set",         "Edit2=" + fullWidth17,
                                        "--set",         "Edit3=" + std::string(31, 'x') + "あ",
                                        "--set",         "Left=5",
                                        "--set",         "Top=-7",
                                        "--set",         "ComboBox2=11",
                                        "--set",         "ComboBox2=10",
                                        "--set",         "CheckBox3=1",
                                        "--set",         "RadioGroup1=-1",
                                        "--print-state", "--press",
                                        "cancel"});
  ASSERT_EQ(result.Exit, 0) << result.Err;
  const std::vector<std::string> expected = {
      "ComboBox1=2",
      "ComboBox2=10",
      "ComboBox3=1",
      "ComboBox4=3",
      "ComboBox5=2",
      "Edit1=1",
      "Edit2=ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰ",  // 32 bytes: typing stops there
      "Edit3=" + std::string(31, 'x'),           // never half a character
      "Edit4=0.5",
      "Edit5=2",
      "Edit6=2",
      "Edit7=12345678",
      "Edit8=15",
      "Edit9=2",
      "RadioGroup1=-1",
      "RadioGroup2=0",
      "CheckBox1=0",
      "CheckBox2=0",
      "CheckBox3=1",
      "CheckBox4=0",
      "Left=5",
      "Top=-7",
      "SavedLeft=100",
      "SavedTop=100",
      "ComboBox3.Items[0]=現在の文字種(No1)",
      "ComboBox3.Items[1]=No1: W3 H3 D0"};
  const std::vector<std::string> lines = Lines(result.Out);
  ASSERT_EQ(lines.size(), 35u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 26), expected);
  EXPECT_EQ(lines.back(), "ComboBox3.Items[10]=No10: W3 H3 D0");
  // Cancel leaves rusk.dat as it was.
  EXPECT_EQ(program.dir.Read("rusk.dat"), ReadFile(kExamples + "complete-run/rusk.dat"));
}

TEST(HeadlessState, WindowPositionSavedByOk) {
  Program program;
  const RunResult result = program.Cli({"--set", "Left=300", "--set", "Top=40"});
  ASSERT_EQ(result.Exit, 0) << result.Err;
  EXPECT_EQ(program.dir.Read("rusk.dat").substr(0, 9), "300\r\n40\r\n");
}

// Without --folder the program works in its own folder, whatever the current directory; a
// folder given works with or without its trailing separator.
TEST(HeadlessFolder, ExecutableFolderAndSeparator) {
  Program own;
  namespace fs = std::filesystem;
  fs::copy_file(kCli, own.dir.File("sorea-cli"));
  fs::permissions(own.dir.File("sorea-cli"), fs::perms::owner_all);
  const RunResult result = RunProgram(own.dir.File("sorea-cli"), {});
  EXPECT_EQ(result.Exit, 0) << result.Err;
  EXPECT_EQ(own.dir.Read("JWC_TEMP.TXT"), ReadFile(kGolden + "complete-run.txt"));

  for (bool separator : {false, true}) {
    Program program;
    std::string folder = program.dir.Path();
    if (!separator) folder.pop_back();
    EXPECT_EQ(RunProgram(kCli, {"--folder", folder}).Exit, 0);
    EXPECT_EQ(program.dir.Read("JWC_TEMP.TXT"), ReadFile(kGolden + "complete-run.txt"));
  }
}

}  // namespace
