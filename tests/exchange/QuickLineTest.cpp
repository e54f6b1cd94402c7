// The bulk of a drawing, bare lines of four numbers, is read straight from the file's read
// block without the field splitter. Whatever such a line holds, the store must come out as
// the splitter and the record tests make it from the same lines one by one.
#include <gtest/gtest.h>
#include <unistd.h>

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

// The line elements, the pending dimension line, the element order and the state a bare line
// leaves, doubles bit for bit.
std::string Snapshot() {
  std::string out;
  auto add = [&](std::int64_t v) { out += std::to_string(v) + " "; };
  auto line = [&](const LineElement& l) {
    const ElementHeader& h = l.Header;
    for (int v : {h.PickGroup, h.LayerGroup, h.Layer, h.Color, h.LineType, h.LineWidth, h.Flags,
                  l.PolylineNumber}) {
      add(v);
    }
    for (double d : {l.X1, l.Y1, l.X2, l.Y2}) {
      std::int64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      add(bits);
    }
    out += "\n";
  };
  for (const LineElement& l : Store.Lines) line(l);
  line(Store.PendingDimensionLine);
  for (const ElementRef& r : Store.ElementOrder) add(r.Kind * 100000000LL + r.Index);
  for (int v : {Store.EntityFlags, Store.CurrentPickGroup, int{Store.PolylineOpen},
                int{Store.DimensionOpen}}) {
    add(v);
  }
  return out;
}

TEST(QuickLines, ReadAsTheSplitterReadsThem) {
  const std::vector<std::string> cases = {
      " 1 2 3 4\r\n",
      "1 2 3 4\n",
      "\t-1.5\t+2.\t.5\t-.25e3\r\n",
      "-0 +0 0. .0\r\n",
      "1 2 3 4 \r\n",  // five fields: no line
      "1 2 3 \r\n",    // four, the last empty
      "1 2 3\r\n",
      "1 2 3 4 5\r\n",
      "1 \t2\t \t3  4\r\n",
      "1 2 3 4\r\r\n",
      "1\r2 3 4 5\r\n",
      "1 2 3 4\r5\r\n",
      "1e 2 3 4\r\n",
      "1e5 2E-3 3e+2 4\r\n",
      "1.5.2 0 0 0\r\n",
      "1-2 3 4 5\r\n",
      "- + . e\r\n",
      "9007199254740993 0.1 1e400 -4.9e-324\r\n",
      "12345678901234567890 4503599627370496.5 -6692.192585594836 13847.896737132512\r\n",
      "12345678.87654321 1234567.1 123456789.5 0.000000001\r\n",
      "1 2 3 \"4 5\r\n",
      "1 2 3 =4\r\n",
      "1 2 3 x\r\n",
      "1 2 3 4x\r\n",
      std::string("1 2 3 4\0\r\n", 10),
      "1 2\x82\xa0 3 4\r\n",
      "       \r\n",
      "msg\r\n1 2 3 4\r\n5 6 7 8\r\ncs 5 50 0 10 \"1,820\r\n",
      "pl\r\nz3\r\nhhp7\r\n1 2 3 4\r\n#\r\n1 2 3 4\r\n",
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

}  // namespace
}  // namespace sorea
