// The value text and the choices around it: number formatting by the dialog's settings, blank
// prefixes and suffixes, the text type that carries the value, and the end marks' reaches.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "dimension/Dimension.h"
#include "exchange/JwwGaibu.h"
#include "util/MyFunc.h"

namespace sorea {
namespace {

// Shift-JIS bytes of the full-width characters the value text can hold.
#define FW_0 "\202\117"
#define FW_1 "\202\120"
#define FW_2 "\202\121"
#define FW_3 "\202\122"
#define FW_4 "\202\123"
#define FW_5 "\202\124"
#define FW_COMMA "\201\103"
#define FW_POINT "\201\104"
#define FW_M "\202\215"

struct ValueCase {
  const char* name;
  double length;
  int decimals;
  int rounding;  // 0 truncate, 1 round up, 2 round half
  int zeroDisplay;
  int unit;
  bool commas, unitMark, fullWidth;
  const char* prefix;
  const char* suffix;
  const char* expected;
};

TEST(BuildValueText, DialogSettings) {
  const std::vector<ValueCase> cases = {
      {"defaults", 1234.5678, 3, 2, 0, 0, false, false, false, "", "", "1234.568"},
      {"separators", 1234.5678, 3, 2, 0, 0, true, false, false, "", "", "1,234.568"},
      {"metres", 1500, 3, 2, 0, 1, false, false, false, "", "", "1.5"},
      {"metres with mark", 1500, 3, 2, 0, 1, false, true, false, "", "", "1.5" FW_M},
      {"zeros kept, separators, mark", 2000, 2, 2, 1, 0, true, true, false, "", "", "2,000.00mm"},
      {"zeros removed with the point", 2000, 2, 2, 0, 0, true, true, false, "", "", "2,000mm"},
      {"no decimals", 100, 0, 2, 0, 0, false, false, false, "", "", "100"},
      {"round up below the step", 12.3404, 2, 1, 0, 0, false, false, false, "", "", "12.34"},
      {"round up", 12.345, 2, 1, 0, 0, false, false, false, "", "", "12.35"},
      {"truncate", 12.349, 2, 0, 0, 0, false, false, false, "", "", "12.34"},
      {"full width with separators and mm", 1234.5, 1, 2, 0, 0, true, true, true, "", "",
       FW_1 FW_COMMA FW_2 FW_3 FW_4 FW_POINT FW_5 "mm"},
      {"rounds to zero", 0.0004, 3, 2, 0, 0, false, false, false, "", "", "0"},
      {"rounds to zero, zeros kept", 0.0004, 3, 2, 1, 0, false, false, false, "", "", "0.000"},
      {"no decimals keeps integer zeros", 1000, 0, 2, 0, 0, false, false, false, "", "", "1000"},
      {"no decimals with separators", 2000, 0, 2, 0, 0, true, false, false, "", "", "2,000"},
      {"all decimals zero", 2000, 3, 2, 0, 0, false, false, false, "", "", "2000"},
      {"one trailing zero", 10.5, 2, 2, 0, 0, false, false, false, "", "", "10.5"},
      {"inner zero stays", 10.05, 2, 2, 0, 0, false, false, false, "", "", "10.05"},
      {"metres before rounding, half", 1234, 1, 2, 0, 1, false, false, false, "", "", "1.2"},
      {"metres before rounding, up", 1234, 1, 1, 0, 1, false, false, false, "", "", "1.3"},
      {"prefix and suffix", 1000, 3, 2, 0, 0, false, false, false, "R=", "(typ)", "R=1000(typ)"},
      {"prefix keeps its blank", 1000, 3, 2, 0, 0, false, false, false, " A", "", " A1000"},
      {"full width touches only the number", 1500, 3, 2, 0, 1, false, true, true, "L", "x",
       "L" FW_1 FW_POINT FW_5 FW_M "x"},
      {"full-width zero", 0.0004, 3, 2, 0, 0, false, false, true, "", "", FW_0},
      // Binary noise short of a step reaches it; a real shortfall stays short.
      {"truncate, noise", 2609.9999999999995, 0, 0, 0, 0, true, false, false, "", "", "2,610"},
      {"truncate, real shortfall", 2609.99999, 0, 0, 0, 0, false, false, false, "", "", "2609"},
      {"truncate, tenths", 12999.999999999998, 1, 0, 1, 0, false, false, false, "", "", "13000.0"},
      {"metres, half", 1150, 1, 2, 0, 1, false, false, false, "", "", "1.2"},
      {"metres, truncate", 1150, 2, 0, 1, 1, false, false, false, "", "", "1.15"},
      {"half, stored below", 0.015, 2, 2, 0, 0, false, false, false, "", "", "0.02"},
      {"half, stored below too", 2.675, 2, 2, 0, 0, false, false, false, "", "", "2.68"},
      {"truncate, thousandths", 5174.999999999999, 3, 0, 1, 0, false, false, false, "", "",
       "5175.000"},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.name);
    DimensionSettings s;
    s.PrecisionIndex = c.decimals;
    s.RoundingMode = c.rounding;
    s.ZeroDisplay = c.zeroDisplay;
    s.UnitChoice = c.unit;
    s.ThousandsCommas = c.commas;
    s.AppendUnit = c.unitMark;
    s.FullWidth = c.fullWidth;
    s.Prefix = c.prefix;
    s.Suffix = c.suffix;
    EXPECT_EQ(BuildValueText(c.length, s), c.expected);
  }
}

// Picks a whole number of 10 mm steps apart, as Jw_cad writes them (15 significant digits)
// anywhere in a large drawing, read back whole in every mode and unit.
TEST(BuildValueText, PicksOnTheGridReadWhole) {
  std::mt19937_64 rng(2610);
  std::uniform_real_distribution<double> origin(-50000, 50000);
  std::uniform_int_distribution<int> steps(1, 3000);
  DimensionSettings s;
  s.PrecisionIndex = 0;
  for (int i = 0; i < 30000; ++i) {
    const int k = steps(rng);
    const double y1 = TextToFloat(FormatGeneral(origin(rng)));
    const double y2 = TextToFloat(FormatGeneral(y1 + 10.0 * k));
    const double length = Distance(0, y1, 0, y2);
    s.RoundingMode = i % 3;
    s.UnitChoice = 0;
    ASSERT_EQ(BuildValueText(length, s), IntText(10 * k)) << y1 << " " << y2;
    // In metres with tenths of a millimetre: truncation and rounding agree on every step.
    s.UnitChoice = 1;
    s.PrecisionIndex = 4;
    const std::string metres = BuildValueText(length, s);
    s.PrecisionIndex = 0;
    ASSERT_EQ(TextToFloat(metres), (10.0 * k) / 1000) << y1 << " " << y2 << " " << metres;
  }
}

TEST(SettleAffix, BlankTextBecomesEmpty) {
  struct Case {
    const char* typed;
    const char* settled;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"   ", ""},
      {"\201@\201@\201@", ""},  // three full-width blanks
      {"\201@", ""},
      {" a", " a"},
      {"a ", "a "},
      {"\201@A", "\201@A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(SettleAffix(c.typed), c.settled);
  }
}

TEST(ResolveValueTextSize, ChoiceAndDrawingType) {
  struct Case {
    const char* name;
    int initialTextType;
    int choice;
    ValueTextSize expected;
  };
  const std::vector<Case> cases = {
      {"the drawing's free size", 0, 0, {0, 2.5, 3.5, 0.25, 6}},
      {"a drawing type outside the ten takes type 1", 12, 0, {1, 1.5, 1.5, 0.1, 1}},
      {"a negative drawing type takes type 1", -3, 0, {1, 1.5, 1.5, 0.1, 1}},
      {"the drawing's type", 4, 0, {4, 4.5, 4.5, 0.4, 4}},
      {"a chosen type over the free size", 0, 7, {7, 7.5, 7.5, 0.7, 7}},
      {"type 10", 3, 10, {10, 10.5, 10.5, 1, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitElementStore();
    for (int n = 1; n <= 10; ++n) {
      Store.TextTypeTable[static_cast<std::size_t>(n)] = TextType{n + 0.5, n + 0.5, n / 10.0, n};
    }
    Store.InitialTextType = c.initialTextType;
    Store.InitialFreeSize = FreeTextSize{2.5, 3.5, 0.25, 6};
    const ValueTextSize got = ResolveValueTextSize(c.choice, Store);
    EXPECT_EQ(got.Number, c.expected.Number);
    EXPECT_EQ(got.Width, c.expected.Width);
    EXPECT_EQ(got.Height, c.expected.Height);
    EXPECT_EQ(got.Spacing, c.expected.Spacing);
    EXPECT_EQ(got.Color, c.expected.Color);
  }
  ReleaseElementStore();
}

TEST(EndMarkReach, Table) {
  struct Case {
    int kind;
    double arrowLength, arrowAngle;
    double reach;
  };
  const std::vector<Case> cases = {
      {0, 3, 15, 2.8977774788672046},
      {0, 10, 60, 5},
      {1, 3, 15, 7.5},
      {2, 3, 15, 1.25},
      {3, 3, 15, 1.25},
      {4, 3, 15, 1.25},
      {5, 3, 15, 1.25},
      {6, 3, 15, 7.5},
      {7, 3, 15, 1.25},
      {8, 3, 15, 1.7677669529663689},
      {9, 3, 15, 7.5},
      {10, 3, 15, 1.7677669529663689},
      {11, 3, 15, 7.5},
      {12, 3, 15, 0},
      {-1, 3, 15, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_NEAR(EndMarkReach(c.kind, c.arrowLength, c.arrowAngle), c.reach, 1e-15);
  }
}

// Marks that do not fit between the ends turn outward; so do marks whose value stands beyond
// an end, however long the line.
TEST(MarksReversed, FitAndValueSide) {
  struct Case {
    const char* name;
    double length;
    int startMark, endMark;
    double markScale, scale;
    int valueSide;
    bool reversed;
  };
  const std::vector<Case> cases = {
      {"arrows fit", 5.8, 0, 0, 1, 1, 0, false},
      {"arrows do not fit", 5.7, 0, 0, 1, 1, 0, true},
      {"value beyond an end", 1000, 0, 0, 1, 1, 1, true},
      {"markers scaled past the length", 10, 1, 11, 1, 1, 0, true},
      {"markers fit", 15.1, 1, 11, 1, 1, 0, false},
      {"mark scale does not touch the arrow", 5.8, 0, 0, 100, 1, 0, false},
      {"drawing scale applies to arrows", 579, 0, 0, 1, 100, 0, true},
      {"drawing scale applies to markers", 249, 2, 2, 1, 100, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DimensionSettings s;
    s.StartMark = c.startMark;
    s.EndMark = c.endMark;
    s.MarkScale = c.markScale;
    DimensionLayout layout;
    layout.LineStart = {0, 0};
    layout.LineEnd = {0, c.length};
    layout.ValueSide = c.valueSide;
    EXPECT_EQ(MarksReversed(s, c.scale, layout), c.reversed);
  }
}

}  // namespace
}  // namespace sorea
