// The numbers that ScanDecimal does not convert inline: exponents, and more digits than a
// double holds exactly. Up to 19 digits with a power of ten up to 10^27 are still converted in
// one operation, in extended precision; the rest is converted exactly (ExactDecimal).

#include "util/DecimalScan.h"

#include <cstdint>
#include <cstring>

#include "util/ExactDecimal.h"
#include "util/X87.h"

namespace sorea::decimal_scan {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// 10^0 .. 10^27: 5^27 < 2^64, so each is exact in the 64-bit significand.
constexpr long double kPow10Ext[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                     1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                     1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L,
                                     1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// w x 10^scale correctly rounded to a double, for w below 2^63 and |scale| <= 27. False in
// the rare case it cannot tell.
bool ConvertExtended(std::uint64_t w, std::ptrdiff_t scale, double& value) {
  // w and the power of ten are exact in extended precision, so one multiplication or
  // division rounds the exact value once, to 64 bits. Rounding that to 53 bits gives the
  // correctly rounded double unless it lies exactly halfway between two doubles (the eleven
  // bits below a double's last then read 0x400): the exact value may lie on either side.
  // (With the unit at 53-bit precision the operation rounds to a double at once, the low
  // bits are zero and the result is right as well.)
  const long double x = static_cast<long double>(static_cast<std::int64_t>(w));
  const long double q = scale >= 0 ? x * kPow10Ext[scale] : x / kPow10Ext[-scale];
  std::uint64_t significand;
  std::memcpy(&significand, &q, sizeof significand);
  if ((significand & 0x7FF) == 0x400) return false;
  value = static_cast<double>(q);
  return true;
}

}  // namespace

const char* FinishDecimal(const char* digitsStart, const char* p, const char* last, std::uint64_t w,
                          std::ptrdiff_t digitCount, std::ptrdiff_t fracDigits, bool negative,
                          double& value) {
  const char* const mantissaEnd = p;
  std::ptrdiff_t exponent = 0;  // the written exponent, held only while it is small
  bool bigExponent = false;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    bool expNegative = false;
    if (p < last && (*p == '+' || *p == '-')) expNegative = *p++ == '-';
    const char* const expStart = p;
    while (p < last && IsDigit(*p)) {
      if (exponent < 100000) {
        exponent = exponent * 10 + (*p - '0');
      } else {
        bigExponent = true;
      }
      ++p;
    }
    if (p == expStart) return nullptr;
    if (expNegative) exponent = -exponent;
  }

  if (digitCount <= 19 && !bigExponent) {
    const std::ptrdiff_t scale = exponent - fracDigits;
    double magnitude = 0;
    bool done = true;
    if (w == 0) {
      magnitude = 0;
    } else if (w <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
      // w and 10^|scale| are exact doubles: one operation rounds correctly.
      magnitude = scale >= 0 ? static_cast<double>(w) * kPow10[scale]
                             : static_cast<double>(w) / kPow10[-scale];
    } else {
      done = w < (std::uint64_t{1} << 63) && scale >= -27 && scale <= 27 &&
             ConvertExtended(w, scale, magnitude);
    }
    if (done) {
      value = negative ? -magnitude : magnitude;
      return p;
    }
  }

  double magnitude = 0;
  // Out of range either way (beyond the largest double, or below half the smallest subnormal)
  // is not a number we can hold.
  if (NearestDouble(digitsStart, mantissaEnd, exponent, magnitude)) {
    value = negative ? -magnitude : magnitude;
  } else {
    value = 0;
  }
  return p;
}

}  // namespace sorea::decimal_scan
