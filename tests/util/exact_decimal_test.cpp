// WriteScientific against std::to_chars, which it replaces: the same text, byte for byte, for
// every finite double at the precisions FormatGeneral and FormatFixed use (16, 17 and 800) and
// at others, over millions of values. (NearestDouble is compared with std::from_chars through
// TextToFloat in text_to_float_differential_test.cpp.)

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "util/ExactDecimal.h"

namespace sorea {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kRounds = 20000;  // the checked build is some twenty times slower
#else
constexpr int kRounds = 400000;
#endif

// Compares one value at one precision and reports it in hexadecimal so a failure can be
// replayed.
void ExpectSame(double value, int precision) {
  char want[1000];
  char got[1000];
  const auto res =
      std::to_chars(want, want + sizeof want, value, std::chars_format::scientific, precision);
  ASSERT_EQ(res.ec, std::errc());
  char* end = WriteScientific(got, value, precision);
  ASSERT_EQ(std::string(got, end), std::string(want, res.ptr))
      << std::hexfloat << value << " at precision " << precision;
}

double Random(std::mt19937_64& random) {
  double value;
  do {
    value = std::bit_cast<double>(random());
  } while (!std::isfinite(value));
  return value;
}

TEST(WriteScientific, EdgesOfTheRangeAtManyPrecisions) {
  std::vector<double> values = {0.0,
                                -0.0,
                                DBL_TRUE_MIN,
                                DBL_MIN - DBL_TRUE_MIN,
                                DBL_MIN,
                                DBL_MAX,
                                0.1,
                                0.3,
                                2.675,
                                1e23,
                                9.5,
                                0.5,
                                999999999.5,
                                1.0 / 3,
                                -5252.56916662819};
  for (int k = -1074; k <= 1023; ++k) values.push_back(std::ldexp(1.0, k));
  for (int k = -323; k <= 308; ++k) {
    const std::string text = "1e" + std::to_string(k);
    double power = 0;
    std::from_chars(text.data(), text.data() + text.size(), power);
    values.insert(values.end(),
                  {power, std::nextafter(power, 0.0), std::nextafter(power, HUGE_VAL)});
  }
  for (double value : values) {
    for (int precision : {0, 1, 2, 14, 15, 16, 17, 18, 25, 800}) {
      ExpectSame(value, precision);
      if (HasFatalFailure()) return;
    }
  }
}

// Any bit pattern: every exponent, subnormals included, both signs.
TEST(WriteScientific, RandomDoubles) {
  std::mt19937_64 random(20260701);
  for (int round = 0; round < kRounds; ++round) {
    const double value = Random(random);
    ExpectSame(value, 16);
    ExpectSame(value, 17);
    if (round % 16 == 0) ExpectSame(value, 800);
    if (round % 4 == 0) ExpectSame(value, static_cast<int>(random() % 40));
    if (HasFatalFailure()) return;
  }
}

// m x 2^-j with few decimals: the dropped digits are often exactly a half, which goes to the
// even neighbour.
TEST(WriteScientific, ExactHalvesGoToEven) {
  std::mt19937_64 random(20260702);
  for (int round = 0; round < kRounds / 4; ++round) {
    const int bits = 1 + static_cast<int>(random() % 53);
    const double value =
        std::ldexp(static_cast<double>(random() >> (64 - bits)), -static_cast<int>(random() % 64));
    for (int precision = 0; precision <= 20; ++precision) ExpectSame(value, precision);
    if (HasFatalFailure()) return;
  }
}

// Coordinates as a drawing holds them: up to 15 significant digits, read as doubles.
TEST(WriteScientific, DecimalCoordinates) {
  std::mt19937_64 random(20260703);
  for (int round = 0; round < kRounds; ++round) {
    const std::string text =
        std::to_string(random() % 1000000000000000) + "e-" + std::to_string(random() % 16);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    ExpectSame(value, 16);
    ExpectSame(value, 17);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace sorea
