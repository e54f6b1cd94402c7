// sorea-cli inspect, run as a separate process: exit codes, JSON that parses, values read from
// real exchange files.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using namespace sorea::testing;
using namespace std::string_literals;
namespace fs = std::filesystem;

RunResult Inspect(std::vector<std::string> args) {
  args.insert(args.begin(), "inspect");
  return RunProgram(SOREA_CLI_PATH, args);
}

// A strict JSON checker: true when text is exactly one JSON value (RFC 8259), UTF-8 unchecked.
class JsonChecker {
 public:
  explicit JsonChecker(const std::string& text) : t_(text) {}
  bool Valid() {
    Space();
    if (!Value()) return false;
    Space();
    return i_ == t_.size();
  }

 private:
  bool Value() {
    if (i_ >= t_.size()) return false;
    char c = t_[i_];
    if (c == '{') return Members('}', true);
    if (c == '[') return Members(']', false);
    if (c == '"') return String();
    if (Word("true") || Word("false") || Word("null")) return true;
    return Number();
  }
  bool Members(char close, bool object) {
    ++i_;
    Space();
    if (Peek(close)) return ++i_, true;
    for (;;) {
      Space();
      if (object) {
        if (!String()) return false;
        Space();
        if (!Peek(':')) return false;
        ++i_;
        Space();
      }
      if (!Value()) return false;
      Space();
      if (Peek(',')) {
        ++i_;
        continue;
      }
      if (Peek(close)) return ++i_, true;
      return false;
    }
  }
  bool String() {
    if (!Peek('"')) return false;
    for (++i_; i_ < t_.size(); ++i_) {
      unsigned char c = static_cast<unsigned char>(t_[i_]);
      if (c == '"') return ++i_, true;
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++i_ >= t_.size()) return false;
        char e = t_[i_];
        if (e == 'u') {
          for (int k = 0; k < 4; ++k) {
            if (++i_ >= t_.size() || !std::isxdigit(static_cast<unsigned char>(t_[i_])))
              return false;
          }
        } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
          return false;
        }
      }
    }
    return false;
  }
  bool Number() {
    std::size_t start = i_;
    if (Peek('-')) ++i_;
    if (Peek('0')) {
      ++i_;
    } else if (!Digits()) {
      return false;
    }
    if (Peek('.')) {
      ++i_;
      if (!Digits()) return false;
    }
    if (Peek('e') || Peek('E')) {
      ++i_;
      if (Peek('+') || Peek('-')) ++i_;
      if (!Digits()) return false;
    }
    return i_ > start;
  }
  bool Digits() {
    std::size_t start = i_;
    while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
    return i_ > start;
  }
  bool Word(const char* w) {
    std::string_view word(w);
    if (t_.compare(i_, word.size(), word) != 0) return false;
    i_ += word.size();
    return true;
  }
  bool Peek(char c) const { return i_ < t_.size() && t_[i_] == c; }
  void Space() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
      ++i_;
  }
  const std::string& t_;
  std::size_t i_ = 0;
};

TEST(InspectCommand, ExitCodes) {
  ScratchFolder dir;
  dir.Write("ok.txt", "hk 0\r\n");
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string err;  // how stderr begins
  };
  const std::vector<Case> cases = {
      {.args = {}, .exit = 2, .err = "sorea-cli inspect: no file\nusage: sorea-cli inspect FILE"},
      {.args = {"a", "b"}, .exit = 2, .err = "sorea-cli inspect: more than one file\nusage:"},
      {.args = {"-x"}, .exit = 2, .err = "sorea-cli inspect: unknown option: -x\nusage:"},
      {.args = {"--help"}, .exit = 0, .err = ""},
      {.args = {dir.File("missing.txt")}, .exit = 1, .err = "sorea-cli inspect: cannot read"},
      {.args = {dir.Path()}, .exit = 1, .err = "sorea-cli inspect: cannot read"},
      {.args = {dir.File("ok.txt")}, .exit = 0, .err = ""},
  };
  for (const Case& c : cases) {
    const RunResult run = Inspect(c.args);
    EXPECT_EQ(run.Exit, c.exit) << run.Err;
    EXPECT_EQ(run.Err.rfind(c.err, 0), 0u) << run.Err;
    if (c.exit != 0) {
      EXPECT_EQ(run.Out, "");
    }
  }
}

TEST(InspectCommand, PrintsTheStoreAsJson) {
  ScratchFolder dir;
  dir.Write("JWC_TEMP.TXT",
            CrLf({"hk 15", "hp1- 10 20", "hp3ch 1E-5 -2", "lg2", "lyb 4", "lynRoof", "lc3",
                  "cn\"$<Font \\ \"x\">", "ch 1 2 1 0 \"\x82\xa0 say \"hi\" \\ path", "z3",
                  "0 0 100 0.0001", "msg", "0 0 0 5", "cs 0 2 1 0 \"5", "sl 0 0 5 0 5 5 0 0"}));
  const RunResult run = Inspect({dir.File("JWC_TEMP.TXT")});
  ASSERT_EQ(run.Exit, 0) << run.Err;
  EXPECT_TRUE(JsonChecker(run.Out).Valid()) << run.Out;
  const std::vector<std::string> expected = {
      "\"AxisAngle\":15",
      "{\"Index\":1,\"X\":10,\"Y\":20,\"Kind\":1}",
      "{\"Index\":3,\"X\":1E-5,\"Y\":-2,\"Kind\":4}",
      "\"PickedPointCount\":2",
      "\"InitialLayerGroup\":2",
      "\"InitialLayer\":11",
      "\"LayerValues\":{\"43\":4}",
      "\"LayerNames\":{\"43\":\"Roof\"}",
      "\"InitialFontName\":\"<Font \\\\ \\\"x\\\">\"",
      "\"Text\":\"\xe3\x81\x82 say \\\"hi\\\" \\\\ path\"",
      "\"Lines\":1",
      "\"Dimensions\":1",
      "\"Solids3\":1",
      "\"Elements\":4",
      "\"Flags\":4},\"PolylineNumber\":0,\"X1\":0,\"Y1\":0,\"X2\":100,\"Y2\":0.0001}",
      "\"ExtendedColor\":0,\"Values\":[0,0,5,0,5,5]",
  };
  for (const std::string& piece : expected) {
    EXPECT_NE(run.Out.find(piece), std::string::npos) << piece << "\n" << run.Out;
  }
  // Elements in input order.
  const std::size_t text = run.Out.find("\"KindName\":\"text\"");
  const std::size_t line = run.Out.find("\"KindName\":\"line\"");
  const std::size_t dimension = run.Out.find("\"KindName\":\"dimension\"");
  const std::size_t solid = run.Out.find("\"KindName\":\"sl3\"");
  EXPECT_TRUE(text < line && line < dimension && dimension < solid);
}

TEST(InspectCommand, MalformedFilesStillGiveJson) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 37 + 11) & 0xff));
  const std::vector<std::string> files = {
      binary,
      "ch 0 0 1 0 \"a\0b\x01\r\nhp5 \x82"s,
      "\"\"\"\r\n=\r\nfile=\r\nlgn\x82\r\nBL 1 2 \"\x81\r\n",
      std::string(3 * 1024 * 1024, 'z') + "\n" + std::string(100000, ' ') + "1 2 3 4\n",
  };
  for (const std::string& bytes : files) {
    ScratchFolder dir;
    dir.Write("in.txt", bytes);
    const RunResult run = Inspect({dir.File("in.txt")});
    EXPECT_EQ(run.Exit, 0) << bytes.substr(0, 20);
    EXPECT_TRUE(JsonChecker(run.Out).Valid()) << bytes.substr(0, 20);
  }
}

TEST(InspectRealFiles, EveryFileReadsAndGivesValidJson) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(SOREA_REAL_SAMPLES))) {
    if (entry.path().filename() == "PROVENANCE.txt") continue;
    ++files;
    const RunResult run = Inspect({entry.path().string()});
    EXPECT_EQ(run.Exit, 0) << entry.path();
    EXPECT_TRUE(JsonChecker(run.Out).Valid()) << entry.path();
    EXPECT_NE(run.Out.find("\"PickedPointCount\":"), std::string::npos) << entry.path();
  }
  EXPECT_GE(files, 25);
}

TEST(InspectRealFiles, ValuesReadByHand) {
  const std::string real = std::string(SOREA_REAL_SAMPLES) + "/";
  struct Case {
    std::string file;
    std::vector<std::string> pieces;
  };
  const std::vector<Case> cases = {
      {"floor-plan.txt",
       {"\"Lines\":780", "\"Circles\":8", "\"Arcs\":11", "\"Texts\":78", "\"Points\":61",
        "\"InitialLayer\":14", "\"InitialTextType\":3",
        "\"InitialFontName\":\"<\xef\xbc\xad\xef\xbc\xb3 "
        "\xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf>\"",
        "\"HnValues\":[-15225.3814698562,-10767.2625565076,15701.7974636297,11878.1613487645]",
        "\"Dx\":-3.2783543701953E-5", "\"Text\":\"1,820\""}},
      {"parcel-14.txt",
       {"{\"Index\":3,\"X\":8234.02932467943,\"Y\":-12529.4615434792,\"Kind\":1}",
        "{\"Index\":4,\"X\":17488.029324678,\"Y\":27572.5384565112,\"Kind\":0}",
        "\"PickedPointCount\":7", "\"InitialTextType\":10",
        "\"LayerGroupScale\":[500,250,250,250,250,250,250,250,250,250,250,250,250,250,250,250]",
        "\"Elements\":0"}},
  };
  for (const Case& c : cases) {
    const RunResult run = Inspect({real + c.file});
    ASSERT_EQ(run.Exit, 0) << c.file;
    for (const std::string& piece : c.pieces)
      EXPECT_NE(run.Out.find(piece), std::string::npos) << c.file << ": " << piece;
  }
}

}  // namespace
