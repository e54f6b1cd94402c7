// Damaged exchange files and odd edit-field contents: every routine takes any bytes without
// harm, and what it gives keeps its promises.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "util/Cp932.h"
#include "util/MyFunc.h"

namespace sorea {
namespace {

std::string RandomText(std::mt19937& rng) {
  // Bytes that matter to the routines, and now and then any byte.
  static const char kAlphabet[] =
      " \t\r\n0123456789+-.eExX$,aF\x81\x40\x82\xa0\x83\xb6\xde\xdf\xfd\xff";
  std::uniform_int_distribution<int> len(0, 300);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kAlphabet) - 2);
  std::uniform_int_distribution<int> any(0, 255);
  std::string text;
  for (int n = len(rng); n > 0; --n) {
    text.push_back(n % 7 == 0 ? static_cast<char>(any(rng)) : kAlphabet[pick(rng)]);
  }
  return text;
}

TEST(RobustnessTest, TextRoutinesTakeAnyBytes) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> small(-3, 320);
  for (int i = 0; i < 3000; ++i) {
    const std::string text = RandomText(rng);
    const int number = TextToInt(text);
    EXPECT_EQ(TextToInt(IntText(number)), number);  // what it reads, it reads back
    const double f = TextToFloat(text);
    EXPECT_TRUE(std::isfinite(f));

    const std::string visible = RemoveSpaces(text);
    EXPECT_LE(visible.size(), text.size());

    const std::size_t max = static_cast<std::size_t>(small(rng) < 0 ? 0 : small(rng));
    const std::string_view cut = CutWholeChars(text, max);
    EXPECT_LE(cut.size(), max);
    EXPECT_EQ(text.compare(0, cut.size(), cut), 0);
    EXPECT_EQ(CutWholeChars(cut, cut.size()).size(), cut.size());  // ends at a boundary

    int count = -1;
    const std::string chunk = CopyWholeChars(text, small(rng), small(rng), count);
    EXPECT_GE(count, 0);
    EXPECT_LE(chunk.size(), static_cast<std::size_t>(count));

    const std::string wide = ToFullWidth(text);
    EXPECT_LE(wide.size(), 2 * text.size());

    EXPECT_GE(MeasureTextLength(text, 4, 1), 0);
    // Whatever Shift-JIS gives as UTF-8 and comes back whole, comes back the same.
    bool ok = false;
    const std::string utf8 = Cp932ToUtf8(text);
    const std::string back = Utf8ToCp932(utf8, &ok);
    if (ok) {
      EXPECT_EQ(Cp932ToUtf8(back), utf8);
    }
  }
}

// A value printed with n decimals reads back within half a unit of its last decimal (plus
// the 18-digit form's own error), whatever the value and count.
TEST(RobustnessTest, FixedTextsReadBackToTheValue) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> mantissa(-1, 1);
  std::uniform_int_distribution<int> exponent(-12, 16);
  for (int i = 0; i < 20000; ++i) {
    const double v = std::ldexp(mantissa(rng), exponent(rng) * 3);
    const int n = i % 19;
    const std::string text = FormatFixed(n, v);
    const double back = TextToFloat(text);
    const double slack = 0.5 * std::pow(10.0, -n) * (1 + 1e-9) + std::fabs(v) * 1e-16;
    ASSERT_LE(std::fabs(back - v), slack) << n << " " << v << " " << text;
    ASSERT_EQ(text.find(','), std::string::npos);
    const std::size_t point = text.find('.');
    ASSERT_EQ(point == std::string::npos ? 0 : text.size() - point - 1, static_cast<std::size_t>(n))
        << text;
    // The grouped text is the fixed text with separators.
    std::string grouped = FormatGrouped(n, v);
    grouped.erase(std::remove(grouped.begin(), grouped.end(), ','), grouped.end());
    ASSERT_EQ(grouped, text);
  }
}

TEST(RobustnessTest, RoundingNeverMovesMoreThanOneStep) {
  std::mt19937_64 rng(13);
  std::uniform_real_distribution<double> value(-1e6, 1e6);
  for (int i = 0; i < 20000; ++i) {
    const double v = value(rng);
    const int n = i % 9;
    const double step = std::pow(10.0, -n);
    // What the doubles themselves can hold, and the millionth of a step that counts as one.
    const double ulps = std::fabs(v) * 1e-15 + step * 1e-6;
    const double t = RoundDecimals(n, 0, v);
    const double u = RoundDecimals(n, 1, v);
    const double h = RoundDecimals(n, 2, v);
    // Truncation moves toward zero, the others away from it by at most one step.
    ASSERT_LE(std::fabs(t), std::fabs(v) + ulps) << n << " " << v;
    ASSERT_GE(std::fabs(u), std::fabs(t)) << n << " " << v;
    ASSERT_GE(std::fabs(h), std::fabs(t)) << n << " " << v;
    ASSERT_LE(std::fabs(u - t), step + ulps) << n << " " << v;
    ASSERT_LE(std::fabs(h - v), step * 0.5 + ulps) << n << " " << v;
    // A rounded value is already rounded.
    ASSERT_EQ(RoundDecimals(n, 2, h), h) << n << " " << v;
  }
}

}  // namespace
}  // namespace sorea
