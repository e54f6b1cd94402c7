// Numbers read from and written to text: the exchange file, the settings file, the edit
// fields of the dialog and the dimension value text all go through these routines.
//
// None of them looks at the C locale: the exchange file and rusk.dat always use "." as the
// decimal point, and Jw_cad reads the numbers back byte for byte.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "util/DecimalScan.h"
#include "util/ExactDecimal.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

// How far short of a step of the last kept unit a value may fall and still reach it, held in
// extended precision.
constexpr long double kStepTolerance = 1e-6L;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::size_t SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return i;
}

// A decimal number in scientific form: the significant digits without leading or trailing
// zeros, and the exponent of the first digit (value = d1.d2d3... x 10^exp10).
struct Decimal {
  std::string digits;
  int exp10 = 0;
};

// Splits a number in scientific format ("d.ddddde-xx") into a Decimal.
Decimal ParseScientific(const char* first, const char* last) {
  Decimal d;
  const char* p = first;
  if (p < last && *p == '-') ++p;
  while (p < last && *p != 'e') {
    if (*p != '.') d.digits.push_back(*p);
    ++p;
  }
  if (p < last && *p == 'e') {
    ++p;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    int e = 0;
    while (p < last && IsDigit(*p)) e = e * 10 + (*p++ - '0');
    d.exp10 = negative ? -e : e;
  }
  return d;
}

// Rounds the digit string to keep digits, halves going up (the caller passes digits that are
// either exact or already decide the half correctly). A carry out of the first digit raises
// the exponent.
void RoundDigitsHalfUp(Decimal& d, std::size_t keep) {
  if (d.digits.size() <= keep) return;
  bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    std::size_t i = keep;
    while (i > 0) {
      --i;
      if (d.digits[i] != '9') {
        ++d.digits[i];
        break;
      }
      d.digits[i] = '0';
      if (i == 0) {
        d.digits.insert(d.digits.begin(), '1');
        d.digits.pop_back();
        ++d.exp10;
      }
    }
  }
}

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// The magnitude of a finite, non-zero double rounded to 15 significant digits, halves away
// from zero, judged on the exact binary value.
Decimal SignificantDigits15(double magnitude) {
  // Seventeen correctly rounded digits decide the fifteenth digit, unless the sixteenth and
  // seventeenth show as exactly "50": the exact value may then lie a hair below the half, and
  // the exact expansion (at most 767 significant digits) decides.
  char buf[1000];
  Decimal d = ParseScientific(buf, WriteScientific(buf, magnitude, 16));
  bool ambiguous = d.digits[15] == '5' && d.digits[16] == '0';
  if (ambiguous) {
    d = ParseScientific(buf, WriteScientific(buf, magnitude, 800));
  }
  RoundDigitsHalfUp(d, 15);
  StripTrailingZeros(d);
  return d;
}

std::string DecimalExponent(int e) {
  std::string s = "E";
  if (e < 0) s.push_back('-');
  s += std::to_string(e < 0 ? -e : e);
  return s;
}

// Fixed-point text of |value| with exactly n decimals, from its 18-significant-digit form,
// halves away from zero. Sets zero when every digit written is 0. Gives an empty text when
// the integer part would need more than 18 digits.
std::string FixedMagnitude(int n, double magnitude, bool& zero) {
  std::string s = "0";
  long point = 1;  // count of digits of s before the decimal point
  if (magnitude != 0) {
    char buf[64];
    Decimal d = ParseScientific(buf, WriteScientific(buf, magnitude, 17));
    s = d.digits;
    point = static_cast<long>(d.exp10) + 1;
    if (point > 18) return std::string();
    if (point <= 0) {
      s.insert(0, static_cast<std::size_t>(1 - point), '0');
      point = 1;
    }
  }
  const std::size_t keep = static_cast<std::size_t>(point + n);
  if (s.size() <= keep) {
    s.resize(keep, '0');
  } else {
    bool up = s[keep] >= '5';
    s.resize(keep);
    for (std::size_t i = keep; up && i > 0; --i) {
      if (s[i - 1] != '9') {
        ++s[i - 1];
        up = false;
      } else {
        s[i - 1] = '0';
      }
    }
    if (up) {
      s.insert(s.begin(), '1');
      ++point;
    }
  }
  zero = s.find_first_not_of('0') == std::string::npos;
  std::string intPart = s.substr(0, static_cast<std::size_t>(point));
  std::size_t firstNonZero = intPart.find_first_not_of('0');
  intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
  if (intPart.size() > 18) return std::string();
  if (n > 0) return intPart + "." + s.substr(static_cast<std::size_t>(point));
  return intPart;
}

std::string FormatFixedCommon(int decimals, double value, bool grouped) {
  if (!std::isfinite(value)) return FormatGeneral(value);
  // A count outside what the format can hold is taken as 2, as the dimension text expects.
  int n = (decimals < 0 || decimals > 18) ? 2 : decimals;
  bool zero = true;
  std::string body = FixedMagnitude(n, std::fabs(value), zero);
  if (body.empty()) return FormatGeneral(value);
  if (grouped) {
    std::size_t point = body.find('.');
    std::size_t intLen = point == std::string::npos ? body.size() : point;
    std::string out;
    for (std::size_t i = 0; i < intLen; ++i) {
      if (i > 0 && (intLen - i) % 3 == 0) out.push_back(',');
      out.push_back(body[i]);
    }
    out += body.substr(intLen);
    body = out;
  }
  if (value < 0 && !zero) return "-" + body;
  return body;
}

}  // namespace

int TextToInt(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) return 0;

  bool hex = false;
  if (text[i] == '$' || text[i] == 'x' || text[i] == 'X') {
    hex = true;
    ++i;
  } else if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return 0;

  std::uint64_t value = 0;
  if (hex) {
    // Hexadecimal takes 32 bits and wraps as two's complement: $FFFFFFFF is -1.
    for (; i < text.size(); ++i) {
      int h = HexValue(text[i]);
      if (h < 0) return 0;
      value = value * 16 + static_cast<std::uint64_t>(h);
      if (value > 0xFFFFFFFFu) return 0;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int>(static_cast<std::int32_t>(bits));
  }

  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return 0;
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > 2147483648u) return 0;
  }
  if (negative) return static_cast<int>(-static_cast<std::int64_t>(value));
  if (value > 2147483647u) return 0;
  return static_cast<int>(value);
}

double TextToFloat(std::string_view text) {
  const char* p = text.data();
  const char* const last = p + text.size();
  while (p < last && *p == ' ') ++p;
  double value = 0;
  return ScanDecimal(p, last, value) == last ? value : 0;
}

std::string FormatFixed(int decimals, double value) {
  return FormatFixedCommon(decimals, value, false);
}

std::string FormatGrouped(int decimals, double value) {
  return FormatFixedCommon(decimals, value, true);
}

double RoundDecimals(int decimals, int mode, double value) {
  // 10^n for n = 1..13, each an exact double; any other count cuts to whole units.
  long double f = 1.0L;
  if (decimals >= 1 && decimals <= 13) {
    for (int k = 0; k < decimals; ++k) f *= 10.0L;
  }
  const long double a = std::fabs(static_cast<long double>(value));
  // Rounding up adds 0.9 of the last kept unit (a remainder under 0.1 of a step is dropped),
  // rounding half 0.5, truncation nothing.
  const long double addend = mode == 0 ? 0.0L : mode == 1 ? 0.9L : 0.5L;
  // Coordinates carry 15 significant digits, so two picks 2610 apart may measure
  // 2609.9999999999995: a value short of a step by less than a millionth of the last kept unit
  // counts as reaching it, and the text never reads one step low through binary noise.
  const long double kept = std::truncl(a * f + addend + kStepTolerance);
  const double rounded = static_cast<double>(kept / f);
  return value < 0 ? -rounded : rounded;
}

double RoundTo1e10(double value) {
  long double q = std::fabs(static_cast<long double>(value)) / kTol10 + 0.5L;
  double r = static_cast<double>(std::truncl(q) * kTol10);
  return value < 0 ? -r : r;
}

// Infinity and NaN never come out of parsing or of the geometry on real drawings; should one
// arise anyway it is written as "0", a number Jw_cad and rusk.dat can read back, rather than a
// word that would spoil the record it stands in.
std::string FormatGeneral(double value) {
  if (!std::isfinite(value) || value == 0) return "0";
  Decimal d = SignificantDigits15(std::fabs(value));
  std::string out = value < 0 ? "-" : "";
  // e as in value = 0.d1d2...dk x 10^e.
  int e = d.exp10 + 1;
  int k = static_cast<int>(d.digits.size());
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-e), '0');
      out += d.digits;
    } else if (k <= e) {
      out += d.digits;
      out.append(static_cast<std::size_t>(e - k), '0');
    } else {
      out += d.digits.substr(0, static_cast<std::size_t>(e));
      out += ".";
      out += d.digits.substr(static_cast<std::size_t>(e));
    }
    return out;
  }
  out.push_back(d.digits[0]);
  if (k > 1) {
    out += ".";
    out += d.digits.substr(1);
  }
  out += DecimalExponent(e - 1);
  return out;
}

std::string IntText(int value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace sorea
