// Reading and writing JWC_TEMP.TXT as files: line ends, odd bytes, failures, the round trip
// through our own writer and the files real Jw_cad installations wrote.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "exchange/JwwGaibu.h"
#include "support/TestSupport.h"
#include "util/MyFunc.h"

namespace sorea {
namespace {

namespace fs = std::filesystem;

// The bytes of a literal that holds NUL bytes, without its terminating NUL.
template <std::size_t N>
std::string WithNul(const char (&bytes)[N]) {
  return std::string(bytes, N - 1);
}

class ExchangeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("sorea-exchange-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

TEST_F(ExchangeFile, LineEndsAndEndOfFile) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<double> x1;  // X1 of every line element read
  };
  const std::vector<Case> cases = {
      {"CR LF", "1 0 0 0\r\n2 0 0 0\r\n", {1, 2}},
      {"LF", "1 0 0 0\n2 0 0 0\n", {1, 2}},
      {"no final line end", "1 0 0 0\r\n2 0 0 0", {1, 2}},
      {"lone CR is no line end", "1 0 0 0\r2 0 0 0\r\n", {}},
      {"CR inside a number is dropped", "1\r5 0 0 0\r\n", {15}},
      {"Ctrl-Z ends the file", "1 0 0 0\r\n2 0\x1a 0 0\r\n3 0 0 0\r\n", {1}},
      {"Ctrl-Z at the start",
       "\x1a"
       "1 0 0 0\r\n",
       {}},
      {"blank lines", "\r\n\n \t \r\n1 0 0 0\r\n\r\n", {1}},
      {"NUL and control bytes", WithNul("1\0 0 0 0\r\n\x01\x02\x03\r\n2 0 0\x7f 0\r\n"), {1, 2}},
      {"empty file", "", {}},
  };
  for (const Case& c : cases) {
    InitElementStore();
    ASSERT_TRUE(ReadExchangeFile(Put("in.txt", c.bytes))) << c.name;
    std::vector<double> x1;
    for (const LineElement& l : Store.Lines) x1.push_back(l.X1);
    EXPECT_EQ(x1, c.x1) << c.name;
  }
}

TEST_F(ExchangeFile, MissingOrUnreadableFilesLeaveTheStoreAlone) {
  Put("plain", "hk 5\r\n");
  // Running as root, a chmod 000 file can still be read; these paths fail for everyone.
  // A pipe would wait for a writer and /dev/zero never ends: neither is read.
  ::mkfifo(Path("pipe").c_str(), 0666);
  fs::create_symlink("/dev/zero", Path("zero"));
  const std::vector<std::string> paths = {
      Path("missing.txt"), dir_.string(), Path("plain") + "/JWC_TEMP.TXT", "",
      Path("pipe"),        Path("zero")};
  for (const std::string& path : paths) {
    InitElementStore();
    ::alarm(10);
    EXPECT_FALSE(ReadExchangeFile(path)) << path;
    ::alarm(0);
    EXPECT_EQ(Store.AxisAngle, 0) << path;
    EXPECT_EQ(Store.PickedPointCount, 0) << path;
  }
}

TEST_F(ExchangeFile, ReadFailurePartWayReturnsFalse) {
  // The file exists and opens, but reading it fails at once (EIO), even for root.
  InitElementStore();
  EXPECT_FALSE(ReadExchangeFile("/proc/self/mem"));
  EXPECT_TRUE(Store.ElementOrder.empty());
}

TEST_F(ExchangeFile, LongLinesAndBlockBoundaries) {
  // A 10 MB line: a text record whose text is cut, and a line of numbers that is no record.
  std::string text(10 * 1024 * 1024, 'x');
  text[254] = '\x82';  // a double-byte character across the 255-byte cut
  std::string bytes = "ch 1 2 1 0 \"" + text + "\r\n" + "1 0 0 0\r\n";
  std::string numbers;
  while (numbers.size() < 10 * 1024 * 1024) numbers += "12345 ";
  bytes += numbers + "\r\n2 0 0 0\r\n";
  // Lines straddling the 1 MiB read blocks.
  for (int i = 0; i < 40000; ++i) bytes += std::to_string(i + 3) + " 0.25 -7 8e1\r\n";
  InitElementStore();
  ASSERT_TRUE(ReadExchangeFile(Put("long.txt", bytes)));
  ASSERT_EQ(Store.Texts.size(), 1u);
  EXPECT_EQ(Store.Texts[0].Text, std::string(254, 'x'));
  ASSERT_EQ(Store.Lines.size(), 40002u);
  for (std::size_t i = 0; i < Store.Lines.size(); ++i) {
    const LineElement& l = Store.Lines[i];
    ASSERT_EQ(l.X1, static_cast<double>(i + 1)) << i;
    if (i >= 2) {
      ASSERT_EQ(l.Y1, 0.25) << i;
      ASSERT_EQ(l.X2, -7) << i;
      ASSERT_EQ(l.Y2, 80) << i;
    }
  }
}

TEST_F(ExchangeFile, ReadBlockEdgesSplitNothing) {
  // The reader takes the file in 1 MiB blocks; what stands across the edge of a block must
  // read as if it did not.
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  struct Case {
    const char* name;
    std::string atEdge;  // starts one byte before the edge
    std::string text;    // text of the text record that holds it
    std::size_t lines;   // bare lines read after it
  };
  const std::vector<Case> cases = {
      {"CR before the edge, LF after", "\r\n1 0 0 0\r\n", "aaa", 1},
      {"double-byte character across the edge", "\x82\xa0y\r\n1 0 0 0\r\n", "\x82\xa0y", 1},
      {"Ctrl-Z just after the edge", "z\x1a\r\n1 0 0 0\r\n", "z", 0},
      {"LF just after the edge", "w\n1 0 0 0\n", "w", 1},
  };
  for (const Case& c : cases) {
    std::string bytes;
    while (bytes.size() < kBlock - 100) bytes += "0 0 0 0\r\n";
    bytes += "ch 0 0 1 0 \"";
    bytes += std::string(kBlock - 1 - bytes.size(), 'a');
    bytes += c.atEdge;
    const std::size_t before = (kBlock - 100 + 8) / 9;
    InitElementStore();
    ASSERT_TRUE(ReadExchangeFile(Put("edge.txt", bytes))) << c.name;
    ASSERT_EQ(Store.Texts.size(), 1u) << c.name;
    const std::string& text = Store.Texts[0].Text;
    EXPECT_EQ(text.substr(text.size() - c.text.size()), c.text) << c.name;
    EXPECT_EQ(Store.Lines.size(), before + c.lines) << c.name;
  }
}

TEST_F(ExchangeFile, WritesRecordsWithCrLfAndJoinsOnlyHeads) {
  struct Case {
    const char* name;
    std::function<void()> calls;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"empty list", [] {}, "hq\r\n"},
      {"text record on one line",
       [] {
         WriteLine(Store, 0, 0, 1, 1);
         WriteText(Store, 0, " a b", 1, 2, 1, 0);
         WriteLine(Store, 1, 1, 2, 2);
       },
       "0 0 1 1\r\nch 1 2 1 0 \" a b\r\n1 1 2 2\r\n"},
      {"font name ending in a quote",
       [] {
         WriteFontName(Store, "<Inch\"");
         WriteLine(Store, 0, 0, 1, 1);
       },
       "cn\"$<Inch\"\r\n0 0 1 1\r\n"},
      {"value text ending in a quote",
       [] {
         WriteDimension(Store, "12\"", 0, 0, 0, 1, 0, 0, 1, 0);
         WriteLine(Store, 0, 0, 1, 1);
       },
       "msg\r\n0 0 0 1\r\ncs 0 0 1 0 \"12\"\r\n0 0 1 1\r\n"},
      {"plain entry ending in a quote",
       [] {
         AppendOutputLine(Store, "x\"");
         AppendOutputLine(Store, "y");
       },
       "x\"\r\ny\r\n"},
      {"head as last entry",
       [] {
         WriteText(Store, 0, "a", 1, 2, 1, 0);
         Store.Output.pop_back();
       },
       "ch 1 2 1 0 \""},
  };
  for (const Case& c : cases) {
    InitElementStore();
    ResetWriterState(Store);
    c.calls();
    const std::size_t entries = Store.Output.size();
    ASSERT_FALSE(WriteExchangeFile(Path("out.txt"), Store)) << c.name;
    EXPECT_EQ(Slurp(Path("out.txt")), c.bytes) << c.name;
    EXPECT_EQ(Store.Output.size(), entries) << c.name;
  }
}

// Handing the result back: JWC_TEMP.TXT holds Jw_cad's file or the whole result, never a part.
namespace handing_back {

using testing::Is;
using testing::kCannotSetUp;
using testing::RunRestricted;
using testing::ScratchFolder;

const std::string kFromJwCad = "hk 0\r\nhp1 0 0\r\nhp2 0 2610\r\n";

// A result of 50 lines, about 450 bytes.
void BuildResult() {
  InitElementStore();
  ResetWriterState(Store);
  for (int i = 1; i <= 50; ++i) WriteLine(Store, 0, 0, i, 1);
}

std::string ResultBytes() {
  std::string bytes;
  for (int i = 1; i <= 50; ++i) bytes += "0 0 " + std::to_string(i) + " 1\r\n";
  return bytes;
}

void Expect(const ScratchFolder& folder, const std::string& name, Is after) {
  testing::ExpectAt(folder, name, after, ResultBytes(), kFromJwCad);
}

TEST(HandingBack, WhereTheResultGoes) {
  using F = const ScratchFolder&;
  const std::string jwc = "JWC_TEMP.TXT", tmp = "JWC_TEMP.TXT.tmp";
  auto put = [](F f, const std::string& name) {
    fs::create_directories(fs::path(f.File(name)).parent_path());
    f.Write(name, kFromJwCad);
  };
  auto link = [](F f, const std::string& name, const std::string& target) {
    fs::create_symlink(target, f.File(name));
  };
  struct Case {
    const char* name;
    std::function<void(F)> setUp;
    std::vector<std::pair<std::string, Is>> after;
    bool written = true;
    bool lost = false;  // memory ran out for a record
    std::string writeTo = "JWC_TEMP.TXT";
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"over Jw_cad's file", [&](F f) { put(f, jwc); }, {{jwc, Is::New}, {tmp, Is::Absent}}},
      {"no file yet", [](F) {}, {{jwc, Is::New}, {tmp, Is::Absent}}},
      {"through a link", [&](F f) { put(f, "o/j.txt"); link(f, jwc, "o/j.txt"); },
       {{jwc, Is::Link}, {"o/j.txt", Is::New}, {"o/j.txt.tmp", Is::Absent}}},
      {"stale temporary file", [&](F f) { put(f, jwc); f.Write(tmp, "0 0 1"); },
       {{jwc, Is::New}, {tmp, Is::Absent}}},
      {"stale temporary link is not written through", [&](F f) { put(f, "victim"); link(f, tmp, "victim"); },
       {{jwc, Is::New}, {"victim", Is::Previous}, {tmp, Is::Absent}}},
      {"temporary name taken by a folder: in place", [&](F f) { put(f, jwc); fs::create_directory(f.File(tmp)); },
       {{jwc, Is::New}, {tmp, Is::Folder}}},
      {"a folder in its place", [&](F f) { fs::create_directory(f.File(jwc)); }, {{jwc, Is::Folder}}, false},
      {"a pipe in its place", [&](F f) { ::mkfifo(f.File(jwc).c_str(), 0666); },
       {{jwc, Is::Pipe}, {tmp, Is::Absent}}, false},
      {"read-only", [&](F f) { put(f, jwc); ::chmod(f.File(jwc).c_str(), 0444); }, {{jwc, Is::Previous}}, false},
      {"memory ran out for a record", [&](F f) { put(f, jwc); }, {{jwc, Is::Hq}}, false, true},
      {"no such folder", [](F) {}, {{"no", Is::Absent}}, false, false, "no/JWC_TEMP.TXT"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    c.setUp(folder);
    BuildResult();
    Store.OutputLost = c.lost;
    ::alarm(10);  // a write that waits on a pipe fails here instead of hanging the suite
    const FileProblem problem = WriteExchangeFile(folder.File(c.writeTo), Store);
    ::alarm(0);
    EXPECT_EQ(!problem, c.written) << Describe(problem);
    for (const auto& [name, after] : c.after) Expect(folder, name, after);
  }
}

// A write cut short by the file size limit, in a folder that takes new files and, as a user
// who may only change the file itself, in one that does not.
TEST(HandingBack, FailuresLeaveNoPartOfTheResult) {
  struct Case {
    const char* name;
    bool closed;
    bool jwcFile;
    rlim_t fileSizeLimit;
    Is after;
    bool written;
  };
  // clang-format off
  const Case cases[] = {
      {"beside it", false, true, 0, Is::New, true},
      {"beside it, cut short: the file goes", false, true, 100, Is::Absent, false},
      {"in place", true, true, 0, Is::New, true},
      {"in place, cut short: hq", true, true, 100, Is::Hq, false},
      {"in place, no file to write", true, false, 0, Is::Absent, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    if (c.jwcFile) {
      folder.Write("JWC_TEMP.TXT", kFromJwCad);
      ::chmod(folder.File("JWC_TEMP.TXT").c_str(), 0666);
    }
    const int status = RunRestricted(folder, c.closed, c.fileSizeLimit, [&] {
      BuildResult();
      return WriteExchangeFile(folder.File("JWC_TEMP.TXT"), Store) ? 1 : 0;
    });
    if (status == kCannotSetUp) GTEST_SKIP() << "cannot write as a user who may not create files";
    EXPECT_EQ(status, c.written ? 0 : 1);
    Expect(folder, "JWC_TEMP.TXT", c.after);
    Expect(folder, "JWC_TEMP.TXT.tmp", Is::Absent);
  }
}

}  // namespace handing_back

TEST_F(ExchangeFile, RoundTripThroughWriterAndReader) {
  const std::string japanese = "\x90\x9e\x96\x40 \x82\xa0\x81\x40x";  // 寸法 あ　x
  InitElementStore();
  ParseExchangeLine("lw2");  // the input had a width, so the writer writes one
  ParseExchangeLine("cn\"$<Input font>");
  ResetWriterState(Store);
  WriteLayerGroup(Store, 10);
  WriteLayer(Store, 3);
  WriteLineColor(Store, 5);
  WritePointColor(Store, 6);
  WriteLineType(Store, 2);
  WriteLineWidth(Store, 4);
  WriteFontName(Store, "<\x82l\x82r \x96\xbe\x92\xa9>");
  WriteEntityFlags(Store, 4);
  WriteLine(Store, 0.1, -2.5, 1.0 / 3.0, 1e-5);
  WriteEntityFlags(Store, 4);
  WritePoint(Store, 7, 12.5, -3, 0.5, 30);
  WriteTextType(Store, 0, 3, 2.5, 2.5, 0.5);
  WriteTextAttribute(Store, 2);
  WriteEntityFlags(Store, 4);
  WriteText(Store, 6, japanese, 100, 200, 0.8660254037844386, 0.5);
  WriteTextType(Store, 3, 0, 0, 0, 0);
  WriteDimension(Store, "", 0, 0, 0, 1234.5, -10, 600, 0, 1);
  WriteEntityFlags(Store, 1);
  WriteLine(Store, 5, 5, 6, 6);
  ASSERT_FALSE(WriteExchangeFile(Path("JWC_TEMP.TXT"), Store));

  InitElementStore();
  ASSERT_TRUE(ReadExchangeFile(Path("JWC_TEMP.TXT")));
  EXPECT_EQ(Store.InitialLayerGroup, 10);
  EXPECT_EQ(Store.InitialLayer, 3);
  EXPECT_EQ(Store.InitialLineColor, 5);
  EXPECT_EQ(Store.InitialLineType, 2);
  EXPECT_EQ(Store.InitialLineWidth, 4);
  EXPECT_EQ(Store.InitialFontName, "<\x82l\x82r \x96\xbe\x92\xa9>");
  std::vector<int> kinds;
  for (const ElementRef& r : Store.ElementOrder) kinds.push_back(r.Kind);
  ASSERT_EQ(kinds, (std::vector<int>{kLine, kCodedPoint, kText, kDimension, kLine}));

  const LineElement& line = Store.Lines[0];
  EXPECT_EQ(line.X1, 0.1);
  EXPECT_EQ(line.Y1, -2.5);
  EXPECT_NEAR(line.X2, 1.0 / 3.0, 1e-15);
  EXPECT_EQ(line.Y2, 1e-5);
  EXPECT_EQ(line.Header.Flags, 4);
  EXPECT_EQ(line.Header.LayerGroup, 10);
  EXPECT_EQ(line.Header.Layer, 3);
  EXPECT_EQ(line.Header.Color, 5);
  EXPECT_EQ(line.Header.LineType, 2);
  EXPECT_EQ(line.Header.LineWidth, 4);

  const CodedPointElement& point = Store.CodedPoints[0];
  EXPECT_EQ(point.X, 12.5);
  EXPECT_EQ(point.Y, -3);
  EXPECT_EQ(point.Scale, 0.5);
  EXPECT_EQ(point.Angle, 30);
  EXPECT_EQ(point.Code, 7);
  EXPECT_EQ(point.Header.Color, 6);
  EXPECT_EQ(point.Header.Flags, 4);

  const TextElement& text = Store.Texts[0];
  EXPECT_EQ(text.Kind, 6);
  EXPECT_EQ(text.Text, japanese);
  EXPECT_EQ(text.TextType, 0);
  EXPECT_EQ(text.Width, 2.5);
  EXPECT_EQ(text.Spacing, 0.5);
  EXPECT_EQ(text.Header.Color, 3);
  EXPECT_EQ(text.Attribute, 2);
  EXPECT_EQ(text.X, 100);
  EXPECT_NEAR(text.Dx, 0.8660254037844386, 1e-15);
  EXPECT_EQ(text.Dy, 0.5);
  EXPECT_EQ(text.FontName, "<\x82l\x82r \x96\xbe\x92\xa9>");
  EXPECT_EQ(text.Header.Flags, 4);

  const DimensionElement& dim = Store.Dimensions[0];
  EXPECT_EQ(dim.Line.Y2, 1234.5);
  EXPECT_EQ(dim.Text.Text, "1234.5");
  EXPECT_EQ(dim.Text.Kind, 2);
  EXPECT_EQ(dim.Text.X, -10);
  EXPECT_EQ(dim.Text.TextType, 3);
  EXPECT_EQ(dim.Header.Flags, 0);

  EXPECT_EQ(Store.Lines[1].Header.Flags, 1);
  EXPECT_EQ(Store.Lines[1].X2, 6);
}

// ---- Files written by Jw_cad ------------------------------------------------------------

std::vector<fs::path> RealSamples() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(SOREA_REAL_SAMPLES))) {
    if (entry.path().filename() != "PROVENANCE.txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(ExchangeRealFiles, EveryFileReads) {
  std::vector<fs::path> files = RealSamples();
  ASSERT_GE(files.size(), 25u);
  for (const fs::path& file : files) {
    InitElementStore();
    EXPECT_TRUE(ReadExchangeFile(file.string())) << file;
    EXPECT_FALSE(Store.InitialFontName.empty()) << file;
    EXPECT_GT(Store.LayerGroupScale[0], 0) << file;
  }
}

TEST(ExchangeRealFiles, PickedPointsAndTextTypes) {
  InitElementStore();
  ASSERT_TRUE(ReadExchangeFile(std::string(SOREA_REAL_SAMPLES) + "/parcel-14.txt"));
  EXPECT_EQ(Store.LayerGroupScale[0], 500);
  EXPECT_EQ(Store.LayerGroupScale[15], 250);
  EXPECT_EQ(Store.PickedPointCount, 7);
  EXPECT_EQ(Store.PickedPoints[3].X, 8234.02932467943);
  EXPECT_EQ(Store.PickedPoints[3].Y, -12529.4615434792);
  EXPECT_EQ(Store.PickedPoints[3].Kind, 1);
  EXPECT_EQ(Store.PickedPoints[4].X, 17488.029324678);
  EXPECT_EQ(Store.PickedPoints[4].Kind, 0);
  EXPECT_FALSE(Store.PickedPoints[1].Set);
  EXPECT_EQ(Store.TextTypeTable[2].Width, 2.5);
  EXPECT_EQ(Store.TextTypeTable[10].Height, 3);
  EXPECT_EQ(Store.TextTypeTable[3].Spacing, 0.5);
  EXPECT_EQ(Store.TextTypeTable[5].Color, 3);
  EXPECT_EQ(Store.InitialTextType, 10);
  EXPECT_EQ(Store.InitialLineColor, 2);
  EXPECT_EQ(Store.InitialFontName,
            "<\x82l\x82r \x83S\x83V\x83"
            "b\x83N>");
  EXPECT_TRUE(Store.ElementOrder.empty());
}

TEST(ExchangeRealFiles, FloorPlanDump) {
  InitElementStore();
  ASSERT_TRUE(ReadExchangeFile(std::string(SOREA_REAL_SAMPLES) + "/floor-plan.txt"));
  EXPECT_EQ(Store.LayerGroupScale[0], 100);
  EXPECT_EQ(Store.TextTypeTable[10].Width, 12);
  EXPECT_EQ(Store.TextTypeTable[1].Color, 6);
  EXPECT_EQ(Store.HnValues[0], -15225.3814698562);
  EXPECT_EQ(Store.HnValues[3], 11878.1613487645);
  EXPECT_EQ(Store.InitialLayer, 14);  // "lye"
  EXPECT_EQ(Store.InitialLineColor, 4);
  EXPECT_EQ(Store.InitialLineType, 5);
  EXPECT_EQ(Store.InitialTextType, 3);
  EXPECT_EQ(Store.PickedPointCount, 0);
  // Counts taken from the file with grep, independently of the reader.
  EXPECT_EQ(Store.Lines.size(), 780u);
  EXPECT_EQ(Store.Circles.size(), 8u);
  EXPECT_EQ(Store.Arcs.size(), 11u);
  EXPECT_EQ(Store.Texts.size(), 78u);
  EXPECT_EQ(Store.Points.size(), 61u);
  EXPECT_EQ(Store.Dimensions.size(), 0u);
  EXPECT_EQ(Store.ElementOrder.size(), Store.Lines.size() + Store.Circles.size() +
                                           Store.Arcs.size() + Store.Texts.size() +
                                           Store.Points.size() + Store.CodedPoints.size());
}

}  // namespace
}  // namespace sorea
