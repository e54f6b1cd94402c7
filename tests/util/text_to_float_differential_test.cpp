// TextToFloat against a plain reference: check the whole syntax first, then let
// std::from_chars convert. The quick paths (eight digits at a time, one division, one
// extended-precision operation) must give the very same double, bit for bit, for everything
// Jw_cad, rusk.dat or a user may write; and ScanDecimal, reading a number where it stands in a
// line, the same double and the number's end.

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "util/DecimalScan.h"
#include "util/MyFunc.h"

namespace sorea {
namespace {

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

// The double nearest a plain decimal text (digits, a point, an exponent); infinity when it is
// out of range, past the largest double or short of the smallest. On 32-bit x86 libstdc++'s
// from_chars is not correctly rounded (its library, built without SSE2, rounds twice:
// "1.2578714171E+27" comes out one unit low), so there glibc's strtod, which is, reads it in the
// "C" locale.
double CorrectlyRounded(const std::string& digits) {
#if defined(__i386__) && defined(__GLIBC__)
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t{});
  errno = 0;
  const double value = strtod_l(digits.c_str(), nullptr, c);
  // Out of range either way, as from_chars has it: beyond the largest or short of any.
  return errno == ERANGE && (value == 0 || std::isinf(value)) ? HUGE_VAL : value;
#else
  double value = 0;
  const char* last = digits.data() + digits.size();
  const auto res = std::from_chars(digits.data(), last, value, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) return HUGE_VAL;
  return res.ec == std::errc() && res.ptr == last ? value : 0.0;
#endif
}

// The value of a text that is a number as a whole (0 out of range); nothing for any other.
std::optional<double> Reference(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t start = i;
  std::size_t mantissaDigits = 0;
  while (i < text.size() && Digit(text[i])) ++i, ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && Digit(text[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < text.size() && Digit(text[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  const double value = CorrectlyRounded(std::string(text.substr(start)));
  if (!std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

std::uint64_t Bits(double d) {
  std::uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

// Compares one text, alone and followed by what may follow a number in a line (the bytes
// next to the digits among them), and reports it by name so a failure shows what was read.
// Digits stand beyond the end given: reading past it would take them in.
void ExpectSame(const std::string& text) {
  const std::optional<double> want = Reference(text);
  const std::string padded = text + "99999999";
  const double got = TextToFloat(std::string_view(padded.data(), text.size()));
  EXPECT_EQ(Bits(got), Bits(want.value_or(0)))
      << "text \"" << text << "\" gave " << got << ", want " << want.value_or(0);
  if (!want || text[0] == ' ') return;
  for (const char* after : {" ", "\r\n", "x1234567", "\"1 2 3 4", "/", ":", "\xb0", "\xba"}) {
    const std::string line = text + after;
    const std::string buffer = line + "99999999";
    double value = 0;
    const char* end = ScanDecimal(buffer.data(), buffer.data() + line.size(), value);
    EXPECT_EQ(end, buffer.data() + text.size()) << "line \"" << line << "\"";
    EXPECT_EQ(Bits(value), Bits(*want)) << "line \"" << line << "\" gave " << value;
  }
}

TEST(TextToFloatDifferential, HandPickedEdges) {
  const std::vector<std::string> texts = {
      // syntax
      "", " ", "+", "-", ".", "-.", "5.", ".5", "-.5", "+5.", "e5", ".e5", "5.e3", ".5e-3", "1e",
      "1e+", "1e-", "1E+2", "1e2 ", " 1e2", "   -0", "-0", "+0", "0.", "-0.0e0", "0e999",
      "0e-99999999999999999999", "-0e99999999999999999999", "1,5", "1.5.", "1..5", "--1", "+-1",
      "1e2e3", "0x10", "inf", "nan", "-inf", "1\t", "\t1", "1d", "00000000000000000001",
      "1.0000000000000000000000000000", "000000000000000000000000.5",
      // the exact range of the quick path
      "9007199254740992", "9007199254740993", "9007199254740994", "9007199254740995",
      "9007199254740992.5", "900719925474099.25", "90071992547409925e-1", "9007199254740993e-22",
      "9007199254740993e22", "9007199254740993e23", "9007199254740991e22", "9007199254740991e23",
      "1e22", "1e23", "1e-22", "1e-23", "123456789012345678", "1234567890123456789",
      "12345678901234567890", "0.1", "0.2", "0.3", "2.675", "12.345", "0.015", "-5252.56916662819",
      "3.2783543701953e-005", "749.999999999999", "455.000000000001",
      // subnormals and the bottom of the range
      "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
      "2.47032822920623272e-324", "1e-324", "5e-324", "2.2250738585072011e-308",
      "2.2250738585072014e-308", "1e-400",
      // the top of the range
      "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308",
      "1.797693134862315807937e308", "1.8e308", "1e309", "-1e309", "1e99999999999999999999",
      "179769313486231570000000000000000000000000000000000000000000000000000000000000000000"
      "000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "00000000000000000000000000000000000000000000000000000000000000000000000000"};
  for (const std::string& text : texts) ExpectSame(text);
}

// Generated numbers in every shape the syntax allows, and some it does not.
TEST(TextToFloatDifferential, GeneratedTexts) {
  std::mt19937_64 random(20260601);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  const char kNoise[] = " .eE+-x,\t0123456789";
  for (int round = 0; round < 400000; ++round) {
    std::string text;
    const int shape = pick(0, 9);
    if (shape == 0) {
      // arbitrary bytes from the characters a number is made of
      const int length = pick(1, 12);
      for (int k = 0; k < length; ++k) text.push_back(kNoise[pick(0, sizeof kNoise - 2)]);
    } else {
      if (pick(0, 7) == 0) text.append(static_cast<std::size_t>(pick(1, 3)), ' ');
      const int sign = pick(0, 3);
      if (sign == 1) text.push_back('-');
      if (sign == 2) text.push_back('+');
      const int length = pick(1, 25);
      const int point = pick(-1, length);  // -1: no point
      if (pick(0, 5) == 0) text.append(static_cast<std::size_t>(pick(1, 6)), '0');
      for (int k = 0; k < length; ++k) {
        if (k == point) text.push_back('.');
        text.push_back(static_cast<char>('0' + pick(0, 9)));
      }
      if (point == length) text.push_back('.');
      if (pick(0, 2) == 0) {
        text.push_back(pick(0, 1) ? 'e' : 'E');
        const int expSign = pick(0, 2);
        if (expSign == 1) text.push_back('-');
        if (expSign == 2) text.push_back('+');
        const int magnitude = pick(0, 4) == 0 ? pick(0, 400) : pick(0, 30);
        text += std::to_string(magnitude);
      }
      if (pick(0, 30) == 0) text.push_back(kNoise[pick(0, sizeof kNoise - 2)]);
    }
    ExpectSame(text);
    if (HasFailure()) return;
  }
}

// Neighbours of 2^53 and of the largest exact powers of ten, where a quick path that took
// one digit too many or one power too far would round differently.
TEST(TextToFloatDifferential, AroundTheExactLimits) {
  const std::uint64_t kTop = std::uint64_t{1} << 53;
  for (std::uint64_t m = kTop - 50; m <= kTop + 50; ++m) {
    for (int e = -25; e <= 25; ++e) {
      ExpectSame(std::to_string(m) + "e" + std::to_string(e));
      ExpectSame("-" + std::to_string(m) + "5e" + std::to_string(e));
    }
    const std::string digits = std::to_string(m);
    for (std::size_t at = 0; at <= digits.size(); ++at) {
      ExpectSame(digits.substr(0, at) + "." + digits.substr(at));
      ExpectSame(digits.substr(0, at) + "." + digits.substr(at) + "5");
    }
  }
  // Subnormal and overflow neighbourhoods, digit by digit.
  for (const char* stem :
       {"4.94065645841246544e-324", "2.47032822920623272e-324", "2.22507385850720138e-308",
        "1.79769313486231570e308", "1.79769313486231580e308"}) {
    std::string text = stem;
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (!Digit(text[k])) continue;
      for (char d = '0'; d <= '9'; ++d) {
        std::string changed = text;
        changed[k] = d;
        ExpectSame(changed);
      }
    }
  }
}

// 19 and 20 digits (19 are gathered exactly, below 2^63 converted in extended precision),
// with the point anywhere and powers of ten where the quick conversions end.
TEST(TextToFloatDifferential, NineteenAndTwentyDigits) {
  for (const std::string digits :
       {"1000000000000000000", "9007199254740993000", "9223372036854775807", "9223372036854775808",
        "9999999999999999999", "1844674407370955161", "18446744073709551615",
        "10000000000000000001", "99999999999999999999", "12345678901234567890"}) {
    for (std::size_t at = 0; at <= digits.size(); ++at) {
      const std::string text = digits.substr(0, at) + "." + digits.substr(at);
      for (const char* exponent : {"", "e-28", "e-27", "e-23", "e-22", "e5", "e22", "e23", "e27"}) {
        ExpectSame(text + exponent);
      }
    }
  }
}

// Exponents at both ends of the double range, subnormals included.
TEST(TextToFloatDifferential, EndsOfTheRange) {
  for (const char* mantissa :
       {"1", "4.9406564584124654", "2.4703282292062328", "2.2250738585072014", "1.7976931348623157",
        "1.7976931348623159", "9.999999999999999999"}) {
    for (int e = -345; e <= -290; ++e) ExpectSame(mantissa + ("e" + std::to_string(e)));
    for (int e = 290; e <= 310; ++e) ExpectSame(mantissa + ("e" + std::to_string(e)));
  }
}

// Exactly halfway between two doubles, and the 19-digit decimals nearest to such a halfway
// point with their neighbours: the extended-precision quick path must leave these to the full
// conversion whenever it cannot tell on which side they lie.
TEST(TextToFloatDifferential, HalfwayCases) {
  std::mt19937_64 random(20260602);
  char buf[64];
  auto text = [&](long double v, std::chars_format format, int precision) {
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v, format, precision).ptr);
  };
  for (int round = 0; round < 20000; ++round) {
    // Between 2^50 and 2^63 the halfway points have at most 19 digits written out.
    const double d = std::ldexp(1.0 + static_cast<double>(random() >> 11) * 0x1p-53,
                                50 + static_cast<int>(random() % 13));
    const long double half = (static_cast<long double>(d) + std::nextafter(d, 1e300)) / 2;
    ExpectSame(text(half, std::chars_format::fixed, 3));
    // Anywhere: the halfway point rounded to 19 digits, and one unit of the last digit away.
    const double e = std::ldexp(1.0 + static_cast<double>(random() >> 11) * 0x1p-53,
                                static_cast<int>(random() % 200) - 100);
    const std::string near = text((static_cast<long double>(e) + std::nextafter(e, 1e300)) / 2,
                                  std::chars_format::scientific, 18);
    ExpectSame(near);
    const std::size_t last = near.find('e') - 1;
    for (int step : {-1, 1}) {
      std::string other = near;
      if (other[last] == (step < 0 ? '0' : '9')) continue;
      other[last] = static_cast<char>(other[last] + step);
      ExpectSame(other);
    }
    if (HasFailure()) return;
  }
}

// More digits than 19 or powers beyond 10^27 go to the exact conversion. The midpoints between
// neighbouring doubles written out in full (a half goes to the even one), a far digit above,
// one unit of the last digit below, and cut short.
TEST(TextToFloatDifferential, LongDigitsAroundMidpoints) {
  std::mt19937_64 random(20260603);
  char buf[1000];
  for (int round = 0; round < 3000; ++round) {
    const double d = std::bit_cast<double>(random() >> 1);
    if (!(d < DBL_MAX)) continue;
    const long double half = (static_cast<long double>(d) + std::nextafter(d, HUGE_VAL)) / 2;
    const std::string text(
        buf, std::to_chars(buf, buf + sizeof buf, half, std::chars_format::scientific, 780).ptr);
    const std::string exponent = text.substr(text.find('e'));
    std::string digits = text.substr(0, text.find('e'));
    while (digits.back() == '0') digits.pop_back();
    ExpectSame(digits + exponent);
    ExpectSame(digits + "000000001" + exponent);
    ExpectSame(digits.substr(0, 2 + static_cast<std::size_t>(random() % 30)) + exponent);
    if (digits.back() == '.') continue;
    --digits.back();
    ExpectSame(digits + exponent);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace sorea
