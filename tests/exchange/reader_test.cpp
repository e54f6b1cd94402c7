// The exchange file reader: field splitting, the record vocabulary and its effect on the store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/JwwGaibu.h"

namespace sorea {
namespace {

void ReadLines(const std::vector<std::string>& lines) {
  InitElementStore();
  for (const std::string& line : lines) ParseExchangeLine(line);
}

std::size_t ElementCount() {
  return Store.ElementOrder.size();
}

// ---- Field splitting, seen through the text of a text record (its sixth field) ----------

TEST(ExchangeSplit, TextFieldTakesQuotingAndDoubleByteRules) {
  struct Case {
    const char* name;
    std::string line;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"quote keeps spaces", "ch 0 0 1 0 \"a b  c", "a b  c"},
      {"without quote only the first word", "ch 0 0 1 0 a b", "a"},
      {"tabs separate", "ch\t0\t0\t1\t0\thello", "hello"},
      {"leading and repeated separators", "  ch  0 \t 0 1 0   x", "x"},
      {"tab inside quotes is dropped", "ch 0 0 1 0 \"a\tb", "ab"},
      {"quote in mid field", "ch 0 0 1 0 a\"b c", "ab c"},
      {"later quotes are kept", "ch 0 0 1 0 \"x\"y\"", "x\"y\""},
      {"equals sign starts quoting", "ch 0 0 1 0 a=b c", "a=b c"},
      {"control bytes dropped", std::string("ch 0 0 1 0 a\x01\x7f") + std::string(1, '\0') + "b",
       "a\x7f"
       "b"},
      {"bytes FE and FF dropped", "ch 0 0 1 0 \xfe\xffz", "z"},
      {"CR dropped anywhere", "ch 0 0 1 0 a\rb\r", "ab"},
      {"second byte 0x20 is no separator", "ch 0 0 1 0 \x81 x", "\x81 x"},
      {"second byte quote does not quote", "ch 0 0 1 0 \x83\x22 y", "\x83\x22"},
      {"lone lead byte at the end is dropped", "ch 0 0 1 0 ab\x82", "ab"},
      {"CR between lead and trail byte", "ch 0 0 1 0 \x82\r\xa0", "\x82\xa0"},
      {"full-width text", "ch 0 0 1 0 \"\x82\xa0\x81\x40\x82\xa2", "\x82\xa0\x81\x40\x82\xa2"},
  };
  for (const Case& c : cases) {
    ReadLines({c.line});
    ASSERT_EQ(Store.Texts.size(), 1u) << c.name;
    EXPECT_EQ(Store.Texts[0].Text, c.text) << c.name;
  }
}

// ---- Field counts decide between records -----------------------------------------------

TEST(ExchangeDispatch, FieldCountSelectsTheElement) {
  struct Case {
    std::string line;
    int kind;  // 0: nothing stored
  };
  const std::vector<Case> cases = {
      {"1 2 3 4", kLine},
      {" 1 2 3 4", kLine},
      {"1 2 3 4 ", 0},  // the trailing separator counts a fifth, empty field
      {"1 2 3", 0},
      {"1 2 3 4 5", 0},
      {"pt 1 2", kPoint},
      {"pt 1 2 3", kLine},
      {"pt 1 2 3 4", 0},
      {"pt 1 2 3 4 5", kCodedPoint},
      {"ci 1 2 3", kCircle},
      {"ci 1 2 3 4 5 6", 0},
      {"ci 1 2 3 4 5 6 7", kArc},
      {"ch 1 2 3 4", 0},
      {"ch 1 2 3 4 t", kText},
      {"c2 1 2 3 4 t", kText},
      {"cx 1 2 3 4 t", 0},
      {"CH 1 2 3 4 t", 0},
      {"BL 1 2", 0},
      {"BL 1 2 name", kBlock},
      {"sl 1 2 3 4", kSolid2},
      {"sl 1 2 3 4 5", 0},
      {"sl 1 2 3 4 5 6", kSolid3},
      {"sl 1 2 3 4 5 6 7 8", kSolid4},
      {"sc 1 2 3 4 5 6 7", 0},
      {"sc 1 2 3 4 5 6 7 8", kSc},
      {"se 1 2 3 4 5 6 7 8 9", kSe},
      {"so 1 2 3 4 5 6 7 8", kSo},
      {"sg 1 2 3 4 5 6 7 8", kSg},
      {"hk 1 2 3", 0},
      {"hs 1 2 3", kLine},  // not a scale record: falls through to a bare line
      {"hcw 1 2 3", kLine},
      {"lg1 2 3 4", 0},
      {"z1 1 2 3", 0},
      {"hp1 1 2 3", 0},
      {"hhp1 1 2 3", 0},
      {"pl 1 2 3", 0},
      {"x=1 2 3 4", 0},  // "=" quotes the rest: one field
      {"x 1 2 3", kLine},
      {"#1 2 3 4", kLine},
      {"$1 2 3 4", kLine},
      {"1file=2 3 4 5", 0},  // a host file name, wherever "file=" stands
      {"", 0},
      {" \t ", 0},
  };
  for (const Case& c : cases) {
    ReadLines({c.line});
    if (c.kind == 0) {
      EXPECT_EQ(ElementCount(), 0u) << c.line;
    } else {
      ASSERT_EQ(ElementCount(), 1u) << c.line;
      EXPECT_EQ(Store.ElementOrder[0].Kind, c.kind) << c.line;
      EXPECT_EQ(Store.ElementOrder[0].Index, 0) << c.line;
    }
  }
}

TEST(ExchangeDispatch, BareLineReadsAllFourFieldsAsNumbers) {
  ReadLines({"pt 1 2 3", "-1.5 2e3 x 4"});
  ASSERT_EQ(Store.Lines.size(), 2u);
  EXPECT_EQ(Store.Lines[0].X1, 0);
  EXPECT_EQ(Store.Lines[0].Y1, 1);
  EXPECT_EQ(Store.Lines[0].X2, 2);
  EXPECT_EQ(Store.Lines[0].Y2, 3);
  EXPECT_EQ(Store.Lines[1].X1, -1.5);
  EXPECT_EQ(Store.Lines[1].Y1, 2000);
  EXPECT_EQ(Store.Lines[1].X2, 0);
  EXPECT_EQ(Store.Lines[1].Y2, 4);
}

TEST(ExchangeDispatch, HundredFieldsAreHandledWithoutHarm) {
  std::string line = "hs";
  for (int i = 1; i <= 100; ++i) line.append(" ").append(std::to_string(i));
  ReadLines({line});
  EXPECT_EQ(Store.LayerGroupScale[0], 1);
  EXPECT_EQ(Store.LayerGroupScale[15], 16);
  std::string numbers = "1";
  for (int i = 2; i <= 100; ++i) numbers.append(" ").append(std::to_string(i));
  ReadLines({numbers, "ch 1 2 3 4 a b c d e f g h i j k l m n o p q r s t u v w x y z 1 2 3 4"});
  ASSERT_EQ(ElementCount(), 1u);
  EXPECT_EQ(Store.Texts[0].Text, "a");
}

// ---- Header records ---------------------------------------------------------------------

TEST(ExchangeHeader, RecordsSetTheirValuesOnlyWithEnoughFields) {
  ReadLines({"hk 30.5", "hzs 420 297", "hn 1 2 3 4", "bz", "file=C:\\jww\\a b.jww",
             "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16", "hcw 1 2 3 4 5 6 7 8 9 10",
             "hch 2 2 2 2 2 2 2 2 2 7.5", "hcd 0.5 0 0 0 0 0 0 0 0 0",
             "hcc 1 2 3 4 5 6 7 8 9 10.9"});
  EXPECT_EQ(Store.AxisAngle, 30.5);
  EXPECT_EQ(Store.PaperSize[0], 420);
  EXPECT_EQ(Store.PaperSize[1], 297);
  EXPECT_EQ(Store.HnValues[3], 4);
  EXPECT_TRUE(Store.BzSeen);
  EXPECT_EQ(Store.HostFileName, "C:\\jww\\a b.jww");
  EXPECT_EQ(Store.LayerGroupScale[0], 1);
  EXPECT_EQ(Store.LayerGroupScale[15], 16);
  EXPECT_EQ(Store.TextTypeTable[1].Width, 1);
  EXPECT_EQ(Store.TextTypeTable[10].Width, 10);
  EXPECT_EQ(Store.TextTypeTable[10].Height, 7.5);
  EXPECT_EQ(Store.TextTypeTable[1].Spacing, 0.5);
  EXPECT_EQ(Store.TextTypeTable[4].Color, 4);
  EXPECT_EQ(Store.TextTypeTable[10].Color, 0);  // not an integer: reads as 0

  ReadLines(
      {"hs 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2", "hcw 9 9 9 9 9 9 9 9 9", "hk", "hzs 1", "hn 1 2 3"});
  EXPECT_EQ(Store.LayerGroupScale[0], 1);
  EXPECT_EQ(Store.TextTypeTable[1].Width, 3);
  EXPECT_EQ(Store.AxisAngle, 0);
  EXPECT_EQ(Store.PaperSize[0], 1189);
  EXPECT_EQ(Store.HnValues[0], 0);
}

TEST(ExchangeHeader, NamesGoToTheCurrentLayerGroupAndLayer) {
  ReadLines({"lg2", "lgnWalls", "ly5", "lyn\"Doors and windows", "lg3 7", "ly1 9"});
  EXPECT_EQ(Store.LayerGroupNames[2], "Walls");
  EXPECT_EQ(Store.LayerNames[2 * 16 + 5], "Doors and windows");
  EXPECT_EQ(Store.LayerGroupValues[3], 7);
  EXPECT_EQ(Store.LayerValues[3 * 16 + 1], 9);
}

// ---- Attribute records ------------------------------------------------------------------

TEST(ExchangeAttributes, LayerGroupAndLayerDigits) {
  struct Case {
    std::string record;
    int value;
  };
  const std::vector<Case> cases = {{"lg0", 0}, {"lg9", 9}, {"lgA", 10}, {"lgf", 15},
                                   {"lgG", 0}, {"lg", 0},  {"lg12", 1}, {"lg-", 0}};
  for (const Case& c : cases) {
    ReadLines({c.record});
    EXPECT_EQ(Store.InitialLayerGroup, c.value) << c.record;
    EXPECT_EQ(Store.CurrentLayerGroup, c.value) << c.record;
    std::string layer = std::string("ly") + c.record.substr(2);
    ReadLines({layer});
    EXPECT_EQ(Store.CurrentLayer, c.value) << layer;
  }
}

TEST(ExchangeAttributes, FirstRecordGivesTheInitialValue) {
  ReadLines({"lg2", "ly3", "lc4", "lt5", "lw6", "cn7", "lg5", "ly6", "lc7", "lt8", "lw9",
             "cn0 1 2 3 4", "cn$first", "cn$second"});
  EXPECT_EQ(Store.InitialLayerGroup, 2);
  EXPECT_EQ(Store.InitialLayer, 3);
  EXPECT_EQ(Store.InitialLineColor, 4);
  EXPECT_EQ(Store.InitialLineType, 5);
  EXPECT_EQ(Store.InitialLineWidth, 6);
  EXPECT_EQ(Store.InitialTextType, 7);
  EXPECT_EQ(Store.InitialFontName, "first");
  EXPECT_EQ(Store.CurrentLayerGroup, 5);
  EXPECT_EQ(Store.CurrentLayer, 6);
  EXPECT_EQ(Store.CurrentLineColor, 7);
  EXPECT_EQ(Store.CurrentLineType, 8);
  EXPECT_EQ(Store.CurrentLineWidth, 9);
  EXPECT_EQ(Store.CurrentTextType, 0);
  EXPECT_EQ(Store.CurrentFreeSize.Width, 1);
  EXPECT_EQ(Store.CurrentFreeSize.Color, 4);
  EXPECT_EQ(Store.InitialFreeSize.Width, 2);  // untouched: the first "cn" was cn7
  EXPECT_EQ(Store.CurrentFontName, "second");
  EXPECT_TRUE(Store.LineWidthSeen);
}

TEST(ExchangeAttributes, FreeTextSizeNeedsFourValues) {
  ReadLines({"cn0 3.5 3.5 0.5"});
  EXPECT_EQ(Store.InitialTextType, 0);
  EXPECT_EQ(Store.InitialFreeSize.Width, 2);
  ReadLines({"cn0 3.5 3.25 0.5 2"});
  EXPECT_EQ(Store.InitialFreeSize.Width, 3.5);
  EXPECT_EQ(Store.InitialFreeSize.Height, 3.25);
  EXPECT_EQ(Store.InitialFreeSize.Spacing, 0.5);
  EXPECT_EQ(Store.InitialFreeSize.Color, 2);
}

TEST(ExchangeAttributes, FontNameWithAndWithoutQuote) {
  ReadLines({"cn\"$<MS Gothic>"});
  EXPECT_EQ(Store.InitialFontName, "<MS Gothic>");
  ReadLines({"cn$<MS Gothic>"});
  EXPECT_EQ(Store.InitialFontName, "<MS");
  ReadLines({});
  EXPECT_EQ(Store.CurrentFontName,
            "<\x82l\x82r \x83S\x83V\x83"
            "b\x83N>");
}

TEST(ExchangeAttributes, TextAttributeAndColours) {
  struct Case {
    std::string record;
    int attribute;
  };
  for (const Case& c :
       std::vector<Case>{{"cc3", 3}, {"cc8", 8}, {"cc9", 0}, {"cc", 0}, {"cc-1", 0}, {"cc23", 2}}) {
    ReadLines({c.record});
    EXPECT_EQ(Store.CurrentTextAttribute, c.attribute) << c.record;
  }
  ReadLines({"lc10 105", "sl 0 0 1 1", "lc10", "lc3 7", "so 1 2 3 4 5 6 7 8"});
  EXPECT_EQ(Store.Solids[0][0].ExtendedColor, 105);
  EXPECT_EQ(Store.Solids[kSo - kSolid2][0].ExtendedColor, 105);
  EXPECT_EQ(Store.Solids[kSo - kSolid2][0].Header.Color, 3);
}

TEST(ExchangeAttributes, PointsCarryThePointColour) {
  ReadLines({"lc4", "pn6", "pt 1 2", "pt 1 2 0.5 45 7"});
  EXPECT_EQ(Store.Points[0].Header.Color, 6);
  EXPECT_EQ(Store.CodedPoints[0].Header.Color, 6);
  EXPECT_EQ(Store.CodedPoints[0].Scale, 0.5);
  EXPECT_EQ(Store.CodedPoints[0].Angle, 45);
  EXPECT_EQ(Store.CodedPoints[0].Code, 7);
  EXPECT_EQ(Store.CurrentLineColor, 4);
}

TEST(ExchangeAttributes, EntityFlagsAndPickGroupQualifyOneElement) {
  ReadLines({"z3", "z3", "hhp5", "1 2 3 4", "5 6 7 8", "z1", "z5", "hhp12ln", "ci 0 0 1"});
  ASSERT_EQ(Store.Lines.size(), 2u);
  EXPECT_EQ(Store.Lines[0].Header.Flags, 4);
  EXPECT_EQ(Store.Lines[0].Header.PickGroup, 5);
  EXPECT_EQ(Store.Lines[1].Header.Flags, 0);
  EXPECT_EQ(Store.Lines[1].Header.PickGroup, 0);
  EXPECT_EQ(Store.Circles[0].Header.Flags, 17);
  EXPECT_EQ(Store.Circles[0].Header.PickGroup, 12);
}

TEST(ExchangeAttributes, HeaderIsStampedFromCurrentAttributes) {
  ReadLines({"1 1 2 2", "lg3", "lyb", "lc5", "lt2", "lw4", "3 3 4 4"});
  EXPECT_EQ(Store.Lines[0].Header.LayerGroup, 0);
  EXPECT_EQ(Store.Lines[0].Header.Color, 1);
  const ElementHeader& h = Store.Lines[1].Header;
  EXPECT_EQ(h.LayerGroup, 3);
  EXPECT_EQ(h.Layer, 11);
  EXPECT_EQ(h.Color, 5);
  EXPECT_EQ(h.LineType, 2);
  EXPECT_EQ(h.LineWidth, 4);
}

// ---- Picked points ----------------------------------------------------------------------

TEST(ExchangePickedPoints, IndexAndKindFromTheKeyword) {
  struct Case {
    std::string line;
    int index;  // 0: nothing stored
    int kind;
    double x, y;
  };
  const std::vector<Case> cases = {
      {"hp1 10 20", 1, 0, 10, 20},
      {"hp2- 5 6", 2, 1, 5, 6},
      {"hp3ln 1 2", 3, 2, 1, 2},
      {"hp4ci 1 2", 4, 3, 1, 2},
      {"hp5ch 1 2", 5, 4, 1, 2},
      {"hp6-ln 1 2", 0, 0, 0, 0},  // "ln" overrides "-": the digits "6-" read as 0
      {"hp99 -1 -2", 99, 0, -1, -2},
      {"hp3-  8234.02932467943 -12529.4615434792", 3, 1, 8234.02932467943, -12529.4615434792},
      {"hp0 1 2", 0, 0, 0, 0},
      {"hp100 1 2", 0, 0, 0, 0},
      {"hp 1 2", 0, 0, 0, 0},
      {"hpx 1 2", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ReadLines({c.line});
    EXPECT_EQ(Store.PickedPointCount, c.index ? 1 : 0) << c.line;
    if (c.index == 0) continue;
    const PickedPoint& p = Store.PickedPoints[static_cast<std::size_t>(c.index)];
    EXPECT_TRUE(p.Set) << c.line;
    EXPECT_EQ(p.Kind, c.kind) << c.line;
    EXPECT_EQ(p.X, c.x) << c.line;
    EXPECT_EQ(p.Y, c.y) << c.line;
  }
  ReadLines({"hp1 1 2", "hp1 3 4", "hp1 5"});
  EXPECT_EQ(Store.PickedPointCount, 2);
  EXPECT_EQ(Store.PickedPoints[1].X, 3);
  EXPECT_FALSE(Store.PickedPoints[0].Set);
}

// ---- Polylines and dimensions -----------------------------------------------------------

TEST(ExchangeElements, PolylineNumbers) {
  ReadLines({"pl", "0 0 1 0", "1 0 1 1", "#", "1 1 0 1", "pl", "0 0 2 2", "lc3", "2 2 3 3"});
  std::vector<int> numbers;
  for (const LineElement& l : Store.Lines) numbers.push_back(l.PolylineNumber);
  EXPECT_EQ(numbers, (std::vector<int>{1, 1, 0, 2, 0}));
}

TEST(ExchangeElements, DimensionEntity) {
  ReadLines(
      {"lc2", "msg", "9 9 9 9", "0 0 0 100", "lc5", "cn3", "cs 5 50 0 10 \"100 mm", "1 1 2 2"});
  ASSERT_EQ(Store.Dimensions.size(), 1u);
  ASSERT_EQ(Store.Lines.size(), 1u);  // only the line after the entity
  ASSERT_EQ(ElementCount(), 2u);
  EXPECT_EQ(Store.ElementOrder[0].Kind, kDimension);
  const DimensionElement& d = Store.Dimensions[0];
  EXPECT_EQ(d.Line.Y2, 100);
  EXPECT_EQ(d.Line.X1, 0);
  EXPECT_EQ(d.Line.Header.Color, 2);  // stamped when the line was read
  EXPECT_EQ(d.Header.Color, 5);
  EXPECT_EQ(d.Text.Kind, 2);
  EXPECT_EQ(d.Text.Text, "100 mm");
  EXPECT_EQ(d.Text.Header.Color, Store.TextTypeTable[3].Color);
  EXPECT_EQ(d.Text.Y, 50);
  EXPECT_EQ(d.Text.Dy, 10);
  EXPECT_FALSE(Store.DimensionOpen);
  EXPECT_EQ(Store.Lines[0].PolylineNumber, 0);

  ReadLines({"msg", "cs 1 2 1 0 x"});
  ASSERT_EQ(Store.Dimensions.size(), 1u);
  EXPECT_EQ(Store.Dimensions[0].Line.X2, 1);  // the initial pending line (0,0)-(1,0)
  ReadLines({"msg", "#", "cs 1 2 1 0 x"});
  EXPECT_EQ(Store.Dimensions.size(), 0u);
  EXPECT_EQ(Store.Texts.size(), 1u);
}

TEST(ExchangeElements, TextSizeFromTextTypeAtReadingTime) {
  ReadLines({"hcw 1 2 3.5 4 5 6 7 8 9 10", "hcc 1 2 7 4 5 6 7 8 9 10", "cn3", "ch 1 2 1 0 a",
             "hcw 9 9 9 9 9 9 9 9 9 9", "cn0 2.5 2.5 0.5 4", "cv 1 2 1 0 b", "cn12", "c2 1 2 1 0 c",
             "cc5", "cz 0 0 0 1 d"});
  ASSERT_EQ(Store.Texts.size(), 4u);
  EXPECT_EQ(Store.Texts[0].Width, 3.5);
  EXPECT_EQ(Store.Texts[0].Header.Color, 7);
  EXPECT_EQ(Store.Texts[0].TextType, 3);
  EXPECT_EQ(Store.Texts[1].Kind, 1);
  EXPECT_EQ(Store.Texts[1].Width, 2.5);
  EXPECT_EQ(Store.Texts[1].Spacing, 0.5);
  EXPECT_EQ(Store.Texts[1].Header.Color, 4);
  EXPECT_EQ(Store.Texts[2].Kind, 9);
  EXPECT_EQ(Store.Texts[2].TextType, 12);
  EXPECT_EQ(Store.Texts[2].Width, 2.5);  // type 12 takes the current free size
  EXPECT_EQ(Store.Texts[3].Attribute, 5);
  EXPECT_EQ(Store.Texts[3].Kind, 8);
}

TEST(ExchangeElements, SolidPointReduction) {
  struct Case {
    std::string line;
    int kind;
    std::vector<double> values;
  };
  const std::vector<Case> cases = {
      {"sl 0 0 0 0 0 0 5 5", kSolid2, {0, 0, 5, 5}},
      {"sl 0 0 5 0 5 0 5 0", kSolid2, {0, 0, 5, 0}},
      {"sl 0 0 0 0 5 5 5 5", kSolid2, {0, 0, 5, 5}},
      {"sl 0 0 5 0 5 5 0 0", kSolid3, {0, 0, 5, 0, 5, 5}},
      {"sl 0 0 5 0 0 0 7 7", kSolid3, {0, 0, 5, 0, 7, 7}},
      {"sl 0 0 0 0 5 5 7 7", kSolid3, {0, 0, 5, 5, 7, 7}},
      {"sl 0 0 5 0 5 5 0 5", kSolid4, {0, 0, 5, 0, 5, 5, 0, 5}},
      {"sl 0 0 1e-11 0 5 5 0 5", kSolid3, {0, 0, 5, 5, 0, 5}},
      {"sl 0 0 1e-9 0 5 5 0 5", kSolid4, {0, 0, 1e-9, 0, 5, 5, 0, 5}},
      {"sl 1 1 1 1 3 3", kSolid2, {1, 1, 3, 3}},
      {"sl 1 1 3 3 3 3", kSolid2, {1, 1, 3, 3}},
      {"sl 1 1 3 3 4 4", kSolid3, {1, 1, 3, 3, 4, 4}},
  };
  for (const Case& c : cases) {
    ReadLines({c.line});
    ASSERT_EQ(ElementCount(), 1u) << c.line;
    ASSERT_EQ(Store.ElementOrder[0].Kind, c.kind) << c.line;
    const SolidElement& e = Store.Solids[static_cast<std::size_t>(c.kind - kSolid2)][0];
    for (std::size_t i = 0; i < c.values.size(); ++i)
      EXPECT_EQ(e.Values[i], c.values[i]) << c.line << " " << i;
  }
}

TEST(ExchangeElements, OtherKindsKeepTheirValues) {
  ReadLines({"ci 1 2 3 4 5 6 7 8", "sc 1 2 3 4 5 6 7 8.9", "BL 5 6 \"Block name", "ci 1 2 3"});
  EXPECT_EQ(Store.Arcs[0].Values[6], 7);
  EXPECT_EQ(Store.Solids[kSc - kSolid2][0].Values[6], 7);
  EXPECT_EQ(Store.Solids[kSc - kSolid2][0].Code, 0);
  EXPECT_EQ(Store.Blocks[0].Name, "Block name");
  EXPECT_EQ(Store.Blocks[0].Y, 6);
  EXPECT_EQ(Store.Circles[0].Radius, 3);
  std::vector<int> kinds;
  for (const ElementRef& r : Store.ElementOrder) kinds.push_back(r.Kind);
  EXPECT_EQ(kinds, (std::vector<int>{kArc, kSc, kBlock, kCircle}));
}

TEST(ExchangeElements, ThousandsOfLinesKeepInputOrder) {
  InitElementStore();
  for (int i = 0; i < 1001; ++i) {
    ParseExchangeLine(std::to_string(i).append(" 0 0 0"));
    if (i == 500) ParseExchangeLine("ci 0 0 1");
  }
  ASSERT_EQ(Store.Lines.size(), 1001u);
  ASSERT_EQ(ElementCount(), 1002u);
  EXPECT_EQ(Store.Lines[1000].X1, 1000);
  EXPECT_EQ(Store.ElementOrder[501].Kind, kCircle);
  EXPECT_EQ(Store.ElementOrder[1001].Index, 1000);
  EXPECT_EQ(Store.ElementOrder[502].Index, 501);
}

TEST(ExchangeElements, TextAndFontAreCutAtWholeCharacters) {
  struct Case {
    std::string text;
    std::size_t kept;
  };
  const std::string dbc = "\x82\xa0";
  const std::vector<Case> cases = {
      {std::string(255, 'a'), 255},
      {std::string(256, 'a'), 255},
      {std::string(253, 'a') + dbc, 255},
      {std::string(254, 'a') + dbc, 254},
      {std::string(254, 'a') + dbc + "b", 254},
  };
  for (const Case& c : cases) {
    ReadLines({std::string("cn\"$") + c.text, std::string("ch 0 0 1 0 \"") + c.text});
    ASSERT_EQ(Store.Texts.size(), 1u);
    EXPECT_EQ(Store.Texts[0].Text, c.text.substr(0, c.kept)) << c.text.size();
    EXPECT_EQ(Store.Texts[0].FontName, c.text.substr(0, c.kept)) << c.text.size();
    EXPECT_EQ(Store.CurrentFontName, c.text);  // the store keeps the whole name
  }
}

TEST(ExchangeStore, InitAndResetGiveTheInitialValues) {
  ReadLines({"hk 5", "hs 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2", "hp1 3 4", "lg3", "lc5", "pn4", "cc2",
             "cn$x", "z1", "pl", "msg", "1 2 3 4"});
  ResetWriterState(Store);
  EXPECT_EQ(Store.CurrentLayerGroup, 0);
  EXPECT_EQ(Store.CurrentLineColor, 1);
  EXPECT_EQ(Store.CurrentPointColor, 1);
  EXPECT_EQ(Store.CurrentTextAttribute, 0);
  EXPECT_TRUE(Store.Due.LayerGroup && Store.Due.Layer && Store.Due.Font && Store.Due.PointColor);
  EXPECT_EQ(Store.InitialLineColor, 5);  // kept
  EXPECT_EQ(Store.AxisAngle, 5);         // kept
  InitElementStore();
  EXPECT_EQ(Store.AxisAngle, 0);
  EXPECT_EQ(Store.LayerGroupScale[7], 1);
  EXPECT_FALSE(Store.PickedPoints[1].Set);
  EXPECT_EQ(Store.PickedPoints.size(), 100u);
  EXPECT_EQ(Store.TextTypeTable[10].Width, 3);
  EXPECT_EQ(Store.TextTypeTable[10].Color, 2);
  EXPECT_EQ(Store.PendingDimensionLine.X2, 1);
  EXPECT_FALSE(Store.PolylineOpen || Store.DimensionOpen);
  EXPECT_EQ(Store.EntityFlags, 0);
  EXPECT_EQ(Store.InitialFontName, "");
  ReleaseElementStore();
  EXPECT_TRUE(Store.ElementOrder.empty());
  ParseExchangeLine("lg3 4");  // after release: must not touch freed tables
  ParseExchangeLine("hp1 1 2");
  InitElementStore();
}

}  // namespace
}  // namespace sorea
