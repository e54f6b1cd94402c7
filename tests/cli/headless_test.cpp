// sorea-cli driven as scripts drive it: the built executable on a scratch program folder,
// checked by its exit code, its stdout and stderr, and the files it leaves for Jw_cad.
#include <gtest/gtest.h>

#include <filesystem>
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
