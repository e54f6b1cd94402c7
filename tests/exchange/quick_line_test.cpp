// The bulk of a drawing, lines of plain numbers (bare lines of four, or after a keyword), is
// read straight from the file's read block without the field splitter. Whatever such a line
// holds, the store must come out as the splitter and the record tests make it from the same
// lines one by one.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/JwwGaibu.h"

namespace sorea {
namespace {

// What the lines of plain numbers can change in the store, doubles bit for bit.
std::string Snapshot() {
  const ElementStore& s = Store;
  std::string out;
  auto add = [&](auto... values) {
    for (double v : {static_cast<double>(values)...}) {
      std::uint64_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      out += std::to_string(bits) + " ";
    }
  };
  auto header = [&](const ElementHeader& h) {
    add(h.PickGroup, h.LayerGroup, h.Layer, h.Color, h.LineType, h.LineWidth, h.Flags);
  };
  auto line = [&](const LineElement& l) {
    header(l.Header);
    add(l.PolylineNumber, l.X1, l.Y1, l.X2, l.Y2);
  };
  for (const ElementRef& r : s.ElementOrder) {
    const auto i = static_cast<std::size_t>(r.Index);
    add(r.Kind, r.Index);
    if (r.Kind == kLine) line(s.Lines[i]);
    if (r.Kind == kCircle) header(s.Circles[i].Header), add(s.Circles[i].X, s.Circles[i].Radius);
    if (r.Kind == kArc) header(s.Arcs[i].Header), add(s.Arcs[i].Values[0], s.Arcs[i].Values[6]);
    if (r.Kind == kPoint) header(s.Points[i].Header), add(s.Points[i].X, s.Points[i].Y);
    if (r.Kind == kCodedPoint) header(s.CodedPoints[i].Header), add(s.CodedPoints[i].Code);
    if (r.Kind == kText) header(s.Texts[i].Header), add(s.Texts[i].Dy), out += s.Texts[i].Text;
    if (r.Kind >= kSolid2) {
      const SolidElement& e = s.Solids[static_cast<std::size_t>(r.Kind - kSolid2)][i];
      header(e.Header);
      add(e.ExtendedColor, e.Values[0], e.Values[7], e.Code);
    }
    out += "\n";
  }
  line(s.PendingDimensionLine);
  add(s.AxisAngle, s.LayerGroupScale[15], s.PaperSize[1], s.HnValues[3], s.TextTypeTable[10].Width,
      s.TextTypeTable[10].Color, s.CurrentFreeSize.Height, s.CurrentFreeSize.Color,
      s.LayerGroupValues[1], s.LayerValues[26], s.PickedPoints[2].Y, s.PickedPoints[2].Kind,
      s.PickedPointCount, s.ExtendedColor, s.EntityFlags, s.CurrentPickGroup, s.PolylineOpen,
      s.DimensionOpen);
  return out + s.HostFileName + "|" + s.LayerGroupNames[0];
}

TEST(QuickLines, ReadAsTheSplitterReadsThem) {
  const std::vector<std::string> cases = {
      " 1 2 3 4\r\n", "1 2 3 4\n", "\t-1.5\t+2.\t.5\t-.25e3\r\n", "-0 +0 0. .0\r\n",
      "1 2 3 4 \r\n",  // five fields: no line
      "1 2 3 \r\n",    // four, the last empty
      "1 2 3\r\n", "1 2 3 4 5\r\n", "1 \t2\t \t3  4\r\n", "1 2 3 4\r\r\n", "1\r2 3 4 5\r\n",
      "1 2 3 4\r5\r\n", "1e 2 3 4\r\n", "1e5 2E-3 3e+2 4\r\n", "1.5.2 0 0 0\r\n", "1-2 3 4 5\r\n",
      "- + . e\r\n", "9007199254740993 0.1 1e400 -4.9e-324\r\n",
      "12345678901234567890 4503599627370496.5 -6692.192585594836 13847.896737132512\r\n",
      "12345678.87654321 1234567.1 123456789.5 0.000000001\r\n", "1 2 3 \"4 5\r\n", "1 2 3 =4\r\n",
      "1 2 3 x\r\n", "1 2 3 4x\r\n", std::string("1 2 3 4\0\r\n", 10), "1 2\x82\xa0 3 4\r\n",
      "       \r\n", "msg\r\n1 2 3 4\r\n5 6 7 8\r\ncs 5 50 0 10 \"1,820\r\n",
      "pl\r\nz3\r\nhhp7\r\n1 2 3 4\r\n#\r\n1 2 3 4\r\n",
      // a keyword, then plain numbers
      "ci 1 2 3\r\nci 1 2 3 0 180 1 0.5\r\nci 1 2 3 \r\nci 1e 2 3\r\n",
      "pt 1.5 -2\r\npt 1 2 3 4 5 6\r\npt 1 2 3\r\n",
      "lc10 105\r\nsl 0 0 0 0 0 0 5 5\r\nsc 1 2 3 4 5 6 7 8 9\r\nlc3 x\r\nsl 1 2 3 4\r\n",
      "hk 45\r\nhzs 420 297\r\nhn 1 2 3 4.25\r\nhcw 1 2 3 4 5 6 7 8 9 10\r\nhcc 1 2\r\n",
      "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\r\nhs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\r\n",
      "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 "
      "32\r\n",
      "hp2- 5 6\r\nhp2ln 7 8.5\r\nlg1 5\r\nly\t\tA 3\r\nlyA 3\r\ncn0 2 2.5 0 3\r\n",
      "ch 1 2 3 4 5\r\nBL 1 2 name\r\nfile=x 1 2 3\r\nlgnA1\r\nz3\r\nz3\r\npt 1 2\r\n",
      "1 2 3 4",  // no line end at the end of the file
  };
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("sorea-quick-lines-" + std::to_string(::getpid()) + ".txt"))
                               .string();
  for (const std::string& text : cases) {
    std::ofstream(path, std::ios::binary) << text;
    InitElementStore();
    ASSERT_TRUE(ReadExchangeFile(path));
    const std::string quick = Snapshot();
    InitElementStore();
    for (std::size_t at = 0; at < text.size();) {
      std::size_t lf = text.find('\n', at);
      if (lf == std::string::npos) lf = text.size();
      ParseExchangeLine(std::string_view(text).substr(at, lf - at));
      at = lf + 1;
    }
    EXPECT_EQ(quick, Snapshot()) << "text \"" << text << "\"";
  }
  std::remove(path.c_str());
}

#ifndef _WIN32  // memory limits of a process are set with POSIX calls
// Reads a drawing of 400,000 lines with room for about half of it, and exits with 0 when the
// read went to the end and every entry of the element order names an element that is there.
[[noreturn, maybe_unused]] void ReadWithLittleMemory() {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("sorea-quick-oom-" + std::to_string(::getpid()) + ".txt"))
                               .string();
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 400000; ++i) out << (i % 50 ? "1 2 3 4\r\n" : "ci 1 2 3\r\npt 1 2\r\n");
  }
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t room = static_cast<rlim_t>(pages) * 4096 + (16 << 20);  // not 30 MB of store
  const rlimit limit{room, room};
  ::setrlimit(RLIMIT_AS, &limit);
  InitElementStore();
  const bool read = ReadExchangeFile(path);
  std::remove(path.c_str());
  const ElementStore& s = Store;
  bool whole = true;
  for (const ElementRef& r : s.ElementOrder) {
    const std::size_t size = r.Kind == kLine     ? s.Lines.size()
                             : r.Kind == kCircle ? s.Circles.size()
                                                 : s.Points.size();
    whole = whole && static_cast<std::size_t>(r.Index) < size;
  }
  ::_exit(!read ? 1 : !whole ? 2 : s.Lines.size() == 392000 ? 3 : 0);
}

// Out of memory part-way through a drawing: the lines that no longer fit are skipped, the read
// goes on to the end, and the element order names no element that is missing. A fresh process
// reads, so that no memory freed by earlier tests is at hand.
TEST(QuickLines, OutOfMemorySkipsLinesAndKeepsTheStoreWhole) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ReadWithLittleMemory(), ::testing::ExitedWithCode(0), "")
      << "1: the read gave up, 2: the order names a missing element, 3: memory never ran out";
#endif
}
#endif

}  // namespace
}  // namespace sorea
