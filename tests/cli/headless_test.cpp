// sorea-cli driven as scripts drive it: the built executable on a scratch program folder,
// checked by its exit code, its stdout and stderr, and the files it leaves for Jw_cad.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

struct Result {
  int exit = -1;
  std::string out, err;
};

class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "sorea-cli-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    path_ = made != nullptr ? fs::path(made) : fs::path();
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

Result RunCli(const std::string& executable, const std::vector<std::string>& args,
              const fs::path& scratch) {
  std::string command = Quote(executable);
  for (const std::string& arg : args) {
    command += ' ';
    command += Quote(arg);
  }
  const fs::path out = scratch / "stdout.txt";
  const fs::path err = scratch / "stderr.txt";
  command += " >";
  command += Quote(out.string());
  command += " 2>";
  command += Quote(err.string());
  const int status = std::system(command.c_str());
  Result result;
  result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(out);
  result.err = ReadFile(err);
  return result;
}

const std::string kCli = SOREA_CLI_PATH;
const fs::path kExamples = fs::path(SOREA_SOURCE_DIR) / "examples";
const fs::path kGolden = fs::path(SOREA_SOURCE_DIR) / "tests" / "cli" / "golden";

// A program folder and, beside it, a place for the captured output.
struct Folder {
  Scratch scratch;
  fs::path dir = scratch / "program";
  Folder() { fs::create_directory(dir); }
  explicit Folder(const std::string& example) : Folder() {
    fs::copy_file(kExamples / example / "JWC_TEMP.TXT", dir / "JWC_TEMP.TXT");
    fs::copy_file(kExamples / example / "rusk.dat", dir / "rusk.dat");
  }
  Result Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--folder", dir.string()});
    return RunCli(kCli, args, scratch.Path());
  }
};

TEST(HeadlessExamples, OkWritesTheGoldenRecords) {
  for (const char* example :
       {"complete-run", "axis-angle", "value-outside", "reversed-arrows", "dimension-entity"}) {
    SCOPED_TRACE(example);
    Folder folder(example);
    const Result result = folder.Cli({"--press", "ok"});
    EXPECT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(ReadFile(folder.dir / "JWC_TEMP.TXT"),
              ReadFile(kGolden / (std::string(example) + ".txt")));
    // The example's settings are what the dialog saves for them again.
    EXPECT_EQ(ReadFile(folder.dir / "rusk.dat"), ReadFile(kExamples / example / "rusk.dat"));
    EXPECT_NE(result.err.find("status: 処理中です\n"), std::string::npos);
    EXPECT_NE(result.err.find("status: ファイル生成中です\n"), std::string::npos);
  }
}

TEST(HeadlessUsage, ErrorsWriteNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"},
      {"--set", "Edit10=1"},
      {"--set", "Memo1=x"},
      {"--set", "Edit1"},
      {"--set"},
      {"--set", "ComboBox1=12"},
      {"--set", "ComboBox1=x"},
      {"--set", "ComboBox1=-2"},
      {"--set", "ComboBox4=9"},
      {"--set", "ComboBox5=3"},
      {"--set", "RadioGroup1=2"},
      {"--set", "CheckBox1=2"},
      {"--set", "CheckBox1="},
      {"--set", "Left=abc"},
      {"--set", "Top=1.5"},
      {"--set", "Edit2=\xff"},
      {"--set", "Edit3=a\nb"},
      {"--press", "maybe"},
      {"--press", "ok", "--press", "cancel"},
      {"--press"},
      {"--set", "ComboBox3=11"},  // known only once the text-type list is filled
      {"--set", "Edit1=0", "--set", "ComboBox3=20"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.back());
    Folder folder("complete-run");
    const std::string exchange = ReadFile(folder.dir / "JWC_TEMP.TXT");
    fs::remove(folder.dir / "rusk.dat");
    const Result result = folder.Cli(args);
    EXPECT_EQ(result.exit, 2);
    EXPECT_FALSE(result.err.empty());
    EXPECT_EQ(ReadFile(folder.dir / "JWC_TEMP.TXT"), exchange);
    EXPECT_FALSE(fs::exists(folder.dir / "rusk.dat"));
  }
  // Without --folder as well: nothing is read or written before the arguments are checked.
  Scratch scratch;
  EXPECT_EQ(RunCli(kCli, {"--frobnicate"}, scratch.Path()).exit, 2);
  // A folder that is not there would leave Jw_cad nothing to read back.
  const Result missing = RunCli(kCli, {"--folder", (scratch / "absent").string()}, scratch.Path());
  EXPECT_EQ(missing.exit, 2);
  EXPECT_FALSE(fs::exists(scratch / "absent"));
}

TEST(HeadlessPress, OutcomesAndFiles) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string exchange;  // empty: the complete-run example's
    int exit;
    std::string stderrLine;
    bool settingsRewritten;
    bool recordsWritten;
  };
  const std::string level = "hp1 0 0\r\nhp2 300 0\r\nhp3 500 0\r\nhp4 0 0\r\n";
  const std::vector<Case> cases = {
      {"refused", {"--set", "Edit1=0"}, "", 3, "refused: Edit1\n", false, false},
      {"refused list",
       {"--set", "ComboBox3=-1", "--press", "ok"},
       "",
       3,
       "refused: ComboBox3\n",
       false,
       false},
      {"refused after a later field fails too",
       {"--set", "Edit5=-1", "--set", "RadioGroup2=-1"},
       "",
       3,
       "refused: RadioGroup2\n",
       false,
       false},
      {"zero length",
       {},
       level,
       4,
       "message: 寸法が「0」になりますので作図出来ません\n",
       true,
       false},
      {"cancel", {"--press", "cancel", "--set", "Edit1=0"}, "", 0, "", false, false},
      {"ok", {"--set", "CheckBox4=1"}, "", 0, "", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder("complete-run");
    if (!c.exchange.empty()) WriteFile(folder.dir / "JWC_TEMP.TXT", c.exchange);
    const std::string settings = ReadFile(folder.dir / "rusk.dat");
    const Result result = folder.Cli(c.args);
    EXPECT_EQ(result.exit, c.exit) << result.err;
    if (!c.stderrLine.empty()) {
      EXPECT_NE(result.err.find(c.stderrLine), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadFile(folder.dir / "rusk.dat") != settings, c.settingsRewritten);
    const std::string written = ReadFile(folder.dir / "JWC_TEMP.TXT");
    if (c.recordsWritten) {
      EXPECT_NE(written.find("msg\r\n"), std::string::npos);
    } else {
      EXPECT_EQ(written, "hq\r\n");
    }
    EXPECT_FALSE(fs::exists(folder.dir / "rusk.dat.tmp"));
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
  Folder folder("complete-run");
  const Result result = folder.Cli({"--set",         "Edit7=123456789",
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
  ASSERT_EQ(result.exit, 0) << result.err;
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
      "ComboBox3.Items[1]=No1: W3 H3 D0",
  };
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 35u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 26), expected);
  EXPECT_EQ(lines.back(), "ComboBox3.Items[10]=No10: W3 H3 D0");
  // Cancel leaves rusk.dat as it was.
  EXPECT_EQ(ReadFile(folder.dir / "rusk.dat"), ReadFile(kExamples / "complete-run" / "rusk.dat"));
}

TEST(HeadlessState, WindowPositionSavedByOk) {
  Folder folder("complete-run");
  const Result result = folder.Cli({"--set", "Left=300", "--set", "Top=40"});
  ASSERT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(ReadFile(folder.dir / "rusk.dat").substr(0, 9), "300\r\n40\r\n");
}

// Without --folder the program works in its own folder, whatever the current directory.
TEST(HeadlessFolder, ExecutableFolderAndSeparator) {
  Scratch scratch;
  const fs::path program = scratch / "bin";
  fs::create_directory(program);
  fs::copy_file(kCli, program / "sorea-cli");
  fs::permissions(program / "sorea-cli", fs::perms::owner_all);
  fs::copy_file(kExamples / "complete-run" / "JWC_TEMP.TXT", program / "JWC_TEMP.TXT");
  fs::copy_file(kExamples / "complete-run" / "rusk.dat", program / "rusk.dat");
  const Result own = RunCli((program / "sorea-cli").string(), {}, scratch.Path());
  EXPECT_EQ(own.exit, 0) << own.err;
  EXPECT_EQ(ReadFile(program / "JWC_TEMP.TXT"), ReadFile(kGolden / "complete-run.txt"));

  for (const std::string suffix : {"", "/"}) {
    Folder folder("complete-run");
    const Result result =
        RunCli(kCli, {"--folder", folder.dir.string() + suffix}, folder.scratch.Path());
    EXPECT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(ReadFile(folder.dir / "JWC_TEMP.TXT"), ReadFile(kGolden / "complete-run.txt"));
  }
}

}  // namespace
