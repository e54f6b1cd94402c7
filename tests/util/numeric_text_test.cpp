// Numbers to and from text as the exchange file, rusk.dat and the edit fields need them.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "util/MyFunc.h"

namespace sorea {
namespace {

struct IntCase {
  const char* text;
  int expected;
};

TEST(TextToIntTest, ReadsWholeTextOrGivesZero) {
  const std::vector<IntCase> cases = {
      {"", 0},
      {"0", 0},
      {" 12", 12},
      {"   12", 12},
      {"12 ", 0},
      {"\t12", 0},
      {"-7", -7},
      {"+7", 7},
      {"1.0", 0},
      {"$1F", 31},
      {"$1f", 31},
      {"x1F", 31},
      {"X1F", 31},
      {"0x1F", 31},
      {"0X1f", 31},
      {"-$10", -16},
      {"+0x10", 16},
      {"$7FFFFFFF", 2147483647},
      {"$80000000", -2147483647 - 1},
      {"$FFFFFFFF", -1},
      {"$00000000FF", 255},
      {"$100000000", 0},
      {"$", 0},
      {"0x", 0},
      {"$1G", 0},
      {"2147483647", 2147483647},
      {"2147483648", 0},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", 0},
      {"99999999999999999999999", 0},
      {"00000000000000000000042", 42},
      {"-", 0},
      {"+", 0},
      {" ", 0},
      {"- 5", 0},
      {"--5", 0},
      {"5-", 0},
      {"1e3", 0},
      {"abc", 0},
      {"１２", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToInt(c.text), c.expected) << "text \"" << c.text << "\"";
  }
}

TEST(TextToIntTest, EmbeddedZeroByteIsNotTheEnd) {
  const std::string text(
      "12\0"
      "3",
      4);
  EXPECT_EQ(TextToInt(text), 0);
}

struct FloatCase {
  const char* text;
  double expected;
};

TEST(TextToFloatTest, ReadsWholeTextOrGivesZero) {
  const std::vector<FloatCase> cases = {
      {"", 0},
      {"0.5", 0.5},
      {" 2", 2},
      {"2 ", 0},
      {"1,5", 0},
      {"1e3", 1000},
      {"1E3", 1000},
      {"1e+3", 1000},
      {"1e-3", 0.001},
      {"-0.25", -0.25},
      {"+0.25", 0.25},
      {"5.", 5},
      {".5", 0.5},
      {"-.5", -0.5},
      {".", 0},
      {"-", 0},
      {"e5", 0},
      {".e5", 0},
      {"1e", 0},
      {"1e+", 0},
      {"1.5.2", 0},
      {"abc", 0},
      {"inf", 0},
      {"infinity", 0},
      {"nan", 0},
      {"0x10", 0},
      {"0x1p3", 0},
      {"1e400", 0},
      {"-1e400", 0},
      {"1e-400", 0},
      {"\t1", 0},
      {"1\r", 0},
      {"++1", 0},
      {"1.7976931348623157e308", 1.7976931348623157e308},
      {"4.9e-324", 4.9e-324},
      {"0.1", 0.1},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToFloat(c.text), c.expected) << "text \"" << c.text << "\"";
  }
}

TEST(TextToFloatTest, IsCorrectlyRounded) {
  // Halfway between 1 and the next double, and a hair above: the first rounds to even (1),
  // the second up.
  EXPECT_EQ(TextToFloat("1.00000000000000011102230246251565404236316680908203125"), 1.0);
  EXPECT_EQ(TextToFloat("1.00000000000000011102230246251565404236316680908203126"),
            std::nextafter(1.0, 2.0));
  // The double nearest 0.1 is read from a long expansion of it.
  EXPECT_EQ(TextToFloat("0.1000000000000000055511151231257827021181583404541015625"), 0.1);
}

TEST(TextToFloatTest, NegativeZeroKeepsItsSign) {
  double z = TextToFloat("-0");
  EXPECT_EQ(z, 0.0);
  EXPECT_TRUE(std::signbit(z));
}

struct GeneralCase {
  double value;
  const char* expected;
};

TEST(FormatGeneralTest, FifteenDigitsShortestForm) {
  const std::vector<GeneralCase> cases = {
      {0, "0"},
      {-0.0, "0"},
      {3, "3"},
      {-3, "-3"},
      {2.5, "2.5"},
      {1200, "1200"},
      {0.0001, "0.0001"},
      {0.00001, "1E-5"},
      {-0.00001, "-1E-5"},
      {2.5e20, "2.5E20"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {-0.5, "-0.5"},
      {123.45, "123.45"},
      {0.1 + 0.2, "0.3"},
      {100.0 / 7.0, "14.2857142857143"},
      {999999999999999.0, "999999999999999"},
      {1e15, "1E15"},
      {999999999999999.5, "1E15"},
      {9.9999999999999995, "10"},
      {9.999999999999999e-05, "0.0001"},
      {0.00012345, "0.00012345"},
      {1.23456789e-05, "1.23456789E-5"},
      {-1e100, "-1E100"},
      {1e-100, "1E-100"},
      {1.7976931348623157e308, "1.79769313486232E308"},
      {4.9406564584124654e-324, "4.94065645841247E-324"},
      {1e21, "1E21"},
      {123456789012345678.0, "1.23456789012346E17"},
      // The sixteenth digit is an exact 5: halves go away from zero, not to even.
      {1234567890123445.0, "1.23456789012345E15"},
      {1234567890123455.0, "1.23456789012346E15"},
      {-1234567890123445.0, "-1.23456789012345E15"},
      {2251799813685248.5, "2.25179981368525E15"},
      // Seventeen digits show an exact half; the binary value lies below or above it.
      {645.8602705918745, "645.860270591874"},
      {728.3036662084495, "728.303666208449"},
      {85.18802414881155, "85.1880241488116"},
      {960.4401137839485, "960.440113783949"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatGeneral(c.value), c.expected) << "value " << c.value;
  }
}

TEST(FormatGeneralTest, NonFiniteValuesAreWrittenAsZero) {
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN()), "0");
}

// What FormatGeneral writes, TextToFloat reads back to a value that FormatGeneral writes the
// same way, and the value read is within half a unit of the fifteenth digit.
TEST(FormatGeneralTest, RoundTripsThroughTextToFloat) {
  std::mt19937_64 rng(20261209);
  std::uniform_int_distribution<std::uint64_t> bits;
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    std::uint64_t b = bits(rng);
    double v;
    std::memcpy(&v, &b, sizeof v);
    if (!std::isfinite(v)) continue;
    if (i % 2 == 0) {
      // Half of them at everyday magnitudes, where the fixed notation is used.
      int exponent = 0;
      v = std::ldexp(std::frexp(v, &exponent), i % 120 - 60);
    }
    std::string text = FormatGeneral(v);
    double back = TextToFloat(text);
    ASSERT_EQ(FormatGeneral(back), text) << "value " << v;
    if (v != 0) {
      ASSERT_LE(std::fabs(back - v), std::fabs(v) * 5.1e-15) << "value " << v << " text " << text;
    }
    ++checked;
  }
  EXPECT_GT(checked, 19000);
}

// A double that already has at most 15 significant digits comes back exactly.
TEST(FormatGeneralTest, ShortDecimalsComeBackExactly) {
  const std::vector<double> values = {0.1,
                                      0.2,
                                      0.3,
                                      1.1,
                                      12.34,
                                      2.675,
                                      0.015,
                                      1234.5678,
                                      45.1234,
                                      1e-5,
                                      1.5e-300,
                                      6.02e23,
                                      -273.15,
                                      0.0001,
                                      123456789012345.0,
                                      0.7,
                                      99999.99,
                                      1e14,
                                      3.14159265358979};
  for (double v : values) {
    EXPECT_EQ(TextToFloat(FormatGeneral(v)), v) << FormatGeneral(v);
  }
}

// Jw_cad and rusk.dat always use "." whatever the user's locale: neither parsing nor
// formatting may follow the C locale.
TEST(NumericTextLocaleTest, IgnoresTheCLocale) {
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                              "de_DE",       "fr_FR",      "ru_RU.UTF-8", "nl_NL.UTF-8"};
  std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* found = nullptr;
  for (const char* name : candidates) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      found = name;
      break;
    }
  }
  if (found == nullptr) {
    std::setlocale(LC_ALL, previous.c_str());
    GTEST_SKIP() << "no locale with a decimal comma is installed here (locale -a)";
  }
  ASSERT_STREQ(std::localeconv()->decimal_point, ",") << found;
  EXPECT_EQ(TextToFloat("1.5"), 1.5);
  EXPECT_EQ(TextToFloat("1,5"), 0);
  EXPECT_EQ(FormatGeneral(1.5), "1.5");
  EXPECT_EQ(FormatGeneral(2.5e-7), "2.5E-7");
  EXPECT_EQ(FormatFixed(2, 1234.5), "1234.50");
  EXPECT_EQ(FormatGrouped(2, 1234.5), "1,234.50");
  std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
}  // namespace sorea

namespace sorea {
namespace {

struct FixedCase {
  int decimals;
  double value;
  const char* fixed;
  const char* grouped;
};

TEST(FormatFixedTest, FixedAndGroupedTexts) {
  const std::vector<FixedCase> cases = {
      {3, 1234.5678, "1234.568", "1,234.568"},
      {0, 1234567, "1234567", "1,234,567"},
      {0, 2.5, "3", "3"},
      {0, -2.5, "-3", "-3"},
      {0, 0.5, "1", "1"},
      {0, 0.49999999999999994, "0", "0"},
      {2, 0, "0.00", "0.00"},
      {2, -0.0, "0.00", "0.00"},
      {2, 999.5, "999.50", "999.50"},
      {2, 12.34, "12.34", "12.34"},
      {2, 0.125, "0.13", "0.13"},
      {2, -0.125, "-0.13", "-0.13"},
      // Stored below the half, and so in the 18-digit form too.
      {2, 0.015, "0.01", "0.01"},
      {2, 2.675, "2.67", "2.67"},
      // Stored just below the half (...5364711...) but 18 digits show an exact half
      // (...53655): the 18-digit form decides.
      {16, 1.0305899830335536, "1.0305899830335537", "1.0305899830335537"},
      {3, 0.0004, "0.000", "0.000"},
      {3, -0.0004, "0.000", "0.000"},
      {3, -0.0005, "-0.001", "-0.001"},
      {1, -0.04, "0.0", "0.0"},
      {2, 999.999, "1000.00", "1,000.00"},
      {0, 999999.5, "1000000", "1,000,000"},
      {1, 123456.25, "123456.3", "123,456.3"},
      {2, -1234567.891, "-1234567.89", "-1,234,567.89"},
      {8, 1.23456789, "1.23456789", "1.23456789"},
      {8, 0.00000001, "0.00000001", "0.00000001"},
      {4, 1e-20, "0.0000", "0.0000"},
      {0, 100, "100", "100"},
      {0, 1000, "1000", "1,000"},
      {0, 100000, "100000", "100,000"},
      {18, 0.5, "0.500000000000000000", "0.500000000000000000"},
      // A count the format cannot hold is taken as 2.
      {19, 1.5, "1.50", "1.50"},
      {-1, 1.5, "1.50", "1.50"},
      {2, 123456789012345678.0, "123456789012345680.00", "123,456,789,012,345,680.00"},
      // More than 18 integer digits: general notation.
      {2, 1.5e20, "1.5E20", "1.5E20"},
      {2, -1e300, "-1E300", "-1E300"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFixed(c.decimals, c.value), c.fixed) << c.decimals << " " << c.value;
    EXPECT_EQ(FormatGrouped(c.decimals, c.value), c.grouped) << c.decimals << " " << c.value;
  }
}

TEST(FormatFixedTest, NonFiniteValuesDoNotCrash) {
  EXPECT_EQ(FormatFixed(2, std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(FormatGrouped(2, std::numeric_limits<double>::quiet_NaN()), "0");
}

enum Mode { kTruncate = 0, kRoundUp = 1, kRoundHalf = 2 };

struct RoundCase {
  int decimals;
  int mode;
  double value;
  double expected;
};

TEST(RoundDecimalsTest, CutsToTheCountOfDecimals) {
  const std::vector<RoundCase> cases = {
      {2, kTruncate, 12.349, 12.34},
      {2, kRoundUp, 12.3404, 12.34},
      {2, kRoundUp, 12.345, 12.35},
      {2, kRoundHalf, 12.345, 12.35},
      // Stored a hair below a half (0.015, 2.675, 1.005) still rounds up; 12.345 lies above.
      {2, kRoundHalf, 0.015, 0.02},
      {2, kRoundHalf, 2.675, 2.68},
      {2, kRoundHalf, 1.005, 1.01},
      {2, kRoundHalf, 0.01499, 0.01},
      {3, kRoundHalf, 1234.5678, 1234.568},
      {0, kRoundHalf, 2.5, 3},
      {0, kRoundHalf, 0.5, 1},
      {0, kRoundHalf, 0.49999999999999994, 1},
      {0, kRoundHalf, 0.499998, 0},
      {0, kRoundUp, 2.05, 2},
      {0, kRoundUp, 2.1, 3},
      {0, kRoundUp, 2.0999999999999996, 3},
      {0, kRoundUp, 2.099998, 2},
      {0, kTruncate, 2.99, 2},
      // Short of a step by noise (under a millionth of it) reaches it; a real shortfall not.
      {0, kTruncate, 2609.9999999999995, 2610},
      {0, kTruncate, 2609.99999, 2609},
      {1, kTruncate, 29099.999999999996, 29100},
      {3, kTruncate, 5174.9999999999991, 5175},
      {1, kRoundHalf, 1.1499999999999999, 1.2},
      {3, kTruncate, 0.0009999991, 0.001},
      {3, kTruncate, 0.000999998, 0},
      {3, kRoundHalf, 0.0004, 0},
      {2, kRoundHalf, -1.256, -1.26},
      {2, kTruncate, -1.259, -1.25},
      {2, kRoundUp, -1.251, -1.26},  // a tenth of a step is kept, stored short or not
      {2, kRoundUp, -1.25099, -1.25},
      {2, kRoundUp, -1.2511, -1.26},
      {14, kRoundHalf, 1.23456, 1},
      {-1, kRoundHalf, 1.23456, 1},
      {13, kTruncate, 1.23456789012345, 1.2345678901234},
      {1, 7, 0.25, 0.3},
      {1, -3, 0.25, 0.3},
      {2, kRoundHalf, 0, 0},
      {8, kRoundHalf, 1234.567890125, 1234.56789013},
      {2, kRoundHalf, 1e300, 1e300},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundDecimals(c.decimals, c.mode, c.value), c.expected)
        << c.decimals << " " << c.mode << " " << c.value;
  }
}

TEST(RoundDecimalsTest, ResultIsPrintedWithoutRepresentationError) {
  // The dimension value text takes RoundDecimals and then FormatFixed with the same count.
  EXPECT_EQ(FormatFixed(2, RoundDecimals(2, kRoundHalf, 12.3449)), "12.34");
  EXPECT_EQ(FormatFixed(2, RoundDecimals(2, kRoundHalf, 0.015)), "0.02");
  EXPECT_EQ(FormatGrouped(3, RoundDecimals(3, kRoundUp, 1234.5672)), "1,234.568");
  // 1234.5671 is stored a hair below ...567.1 thousandths: round up still keeps that tenth.
  EXPECT_EQ(FormatGrouped(3, RoundDecimals(3, kRoundUp, 1234.5671)), "1,234.568");
  EXPECT_EQ(FormatGrouped(3, RoundDecimals(3, kRoundUp, 1234.56709)), "1,234.567");
}

struct SnapCase {
  double value;
  double expected;
};

TEST(RoundTo1e10Test, SnapsToMultiplesOf1e10) {
  const std::vector<SnapCase> cases = {
      {45.00000000000001, 45},
      {44.999999999999986, 45},
      {1e-11, 0},
      {5e-11, 1e-10},
      {4.9e-11, 0},
      {1.23456789012345, 1.2345678901},
      {-2.00000000004, -2},
      {-2.00000000005, -2.0000000001},
      {0, 0},
      {90, 90},
      {359.99999999999994, 360},
      {315.00000000000006, 315},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundTo1e10(c.value), c.expected) << c.value;
  }
}

}  // namespace
}  // namespace sorea
