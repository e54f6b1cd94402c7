// Reading a decimal number where it stands in a longer text: the exchange file reader takes
// the numbers of a line straight from its read block, and TextToFloat reads a whole text
// through the same routine.
//
// A drawing hands over millions of coordinates, nearly all of them up to 15 significant digits
// with a point and no exponent. They are read here, inline in the reader's loop: eight digits
// at a time, converted with one correctly rounded division. DecimalScan.cpp converts the rest.
#pragma once

#include <bit>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The one correctly rounded division needs double arithmetic rounded once, to double: the
// x87 unit rounds to its own precision first, and some values then come out one unit off in
// the last place. A 32-bit x86 build must do double arithmetic with SSE2 (-msse2
// -mfpmath=sse); long double stays x87 either way.
#if FLT_EVAL_METHOD != 0
#error \
    "double arithmetic must not be evaluated in extended precision: build with -msse2 -mfpmath=sse"
#endif

namespace sorea {

namespace decimal_scan {

inline constexpr std::uint64_t kZeros = 0x3030303030303030;  // "00000000"
inline constexpr std::uint64_t kPow10Int[] = {1,      10,      100,      1000,     10000,
                                              100000, 1000000, 10000000, 100000000};
inline constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of eight digits held one a byte (0..9 each), the first digit in the lowest byte:
// neighbouring digits are joined into pairs, then the four pairs weighted by 10^6, 10^4, 10^2
// and 1 in the upper halves of two products.
inline std::uint64_t EightDigits(std::uint64_t v) {
  v = v * 10 + (v >> 8);  // the even bytes now hold the pairs, 0..99 each
  constexpr std::uint64_t kPairs = 0x000000FF000000FF;
  const std::uint64_t first = (v & kPairs) * (100 + (std::uint64_t{1000000} << 32));
  const std::uint64_t second = ((v >> 16) & kPairs) * (1 + (std::uint64_t{10000} << 32));
  return (first + second) >> 32;
}

// Marks the top bit of each byte of x that is not a digit; exact up to the first marked byte.
// Subtracting "0" sets the top bit of a byte below '0' or from 0xB0 up, adding 0x46 that of a
// byte from ':' to 0xB9; a borrow or carry only runs upwards.
inline std::uint64_t NonDigits(std::uint64_t x) {
  return ((x - kZeros) | (x + 0x4646464646464646)) & 0x8080808080808080;
}

// The value of the first count (0..8) bytes of x, which are digits. Shifted up, they stand
// last of eight with zeros before them (two shifts: a count of 0 shifts by 64 in all).
inline std::uint64_t LeadingDigits(std::uint64_t x, int count) {
  const int half = 32 - 4 * count;
  return EightDigits(((x - kZeros) << half) << half);
}

// Appends the digits at p to w (modulo 2^64: the caller uses w only for at most 19 digits)
// and returns the end of them. Eight bytes at a time where eight remain before last.
inline const char* TakeDigits(const char* p, const char* last, std::uint64_t& w) {
  if constexpr (std::endian::native == std::endian::little) {
    while (last - p >= 8) {
      std::uint64_t x;
      std::memcpy(&x, p, sizeof x);
      const std::uint64_t digits = x - kZeros;
      const std::uint64_t marks = NonDigits(x);
      if (marks == 0) {
        w = w * 100000000 + EightDigits(digits);
        p += 8;
        continue;
      }
      const int count = std::countr_zero(marks) / 8;
      if (count == 0) return p;
      // Shifted up, the digits stand last of eight with zeros before them.
      w = w * kPow10Int[count] + EightDigits(digits << (64 - 8 * count));
      return p + count;
    }
  }
  while (p < last && *p >= '0' && *p <= '9') {
    w = w * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  return p;
}

// Reads digits with an optional "." fraction at p: w as TakeDigits gives it for all the
// digits, their count and the count after the point. Returns the end.
inline const char* TakeMantissa(const char* p, const char* last, std::uint64_t& w,
                                std::ptrdiff_t& digitCount, std::ptrdiff_t& fracDigits) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint64_t x, y;
    if (last - p >= 25) {  // room for three groups of eight after the point
      std::memcpy(&x, p, sizeof x);
      const std::uint64_t marks = NonDigits(x);
      const int point = std::countr_zero(marks) / 8;  // 8 when all are digits
      if (point < 8 && p[point] == '.') {
        // The usual number: a point among the first eight bytes. The eight bytes after the
        // first, laid under the digits before the point, are the first eight without it.
        std::memcpy(&y, p + 1, sizeof y);
        const std::uint64_t before = (std::uint64_t{1} << 8 * point) - 1;
        const std::uint64_t joined = (x & before) | (y & ~before);
        const int count = std::countr_zero(NonDigits(joined)) / 8;
        w = LeadingDigits(joined, count);
        const char* end = p + count + 1;
        // Two more groups of eight, taken whether they hold digits or not: a coordinate's
        // length then leaves no branch to guess.
        int more = count;
        for (int group = 0; group < 2; ++group) {
          std::memcpy(&x, end, sizeof x);
          more = more == 8 ? std::countr_zero(NonDigits(x)) / 8 : 0;
          w = w * kPow10Int[more] + LeadingDigits(x, more);
          end += more;
        }
        if (more == 8) end = TakeDigits(end, last, w);  // more than 24 digits
        digitCount = end - p - 1;
        fracDigits = digitCount - point;
        return end;
      }
    }
  }
  const char* const start = p;
  p = TakeDigits(p, last, w);
  digitCount = p - start;
  fracDigits = 0;
  if (p < last && *p == '.') {
    const char* const fracStart = ++p;
    p = TakeDigits(p, last, w);
    fracDigits = p - fracStart;
    digitCount += fracDigits;
  }
  return p;
}

// The rest of ScanDecimal for the numbers it does not convert inline: p is the end of the
// digits, w the digits (while there are at most 19 of them), and what follows may be an
// exponent.
const char* FinishDecimal(const char* digitsStart, const char* p, const char* last, std::uint64_t w,
                          std::ptrdiff_t digitCount, std::ptrdiff_t fracDigits, bool negative,
                          double& value);

}  // namespace decimal_scan

// Reads the number that starts at first: an optional sign, digits with an optional "."
// fraction ("5." and ".5" count, "." does not), an optional exponent ("e" or "E", optional
// sign, digits). Returns the end of the number and sets value to what TextToFloat gives for
// exactly those bytes (correctly rounded; 0 beyond the range of a double). Returns nullptr and
// leaves value alone when no number starts at first, or an "e" after it has no exponent
// digits. Reads nothing at or beyond last.
inline const char* ScanDecimal(const char* first, const char* last, double& value) {
  using namespace decimal_scan;
  const char* p = first;
  // The sign is taken and put back without a branch: it is as often one as the other.
  const char c = p < last ? *p : '\0';
  const bool negative = c == '-';
  p += (c == '-') | (c == '+');
  // The digits before and after the point as one whole number, leading zeros included.
  std::uint64_t w = 0;
  std::ptrdiff_t digitCount, fracDigits;
  const char* const digitsStart = p;
  p = TakeMantissa(p, last, w, digitCount, fracDigits);
  if (digitCount == 0) return nullptr;
  // No exponent, and w and 10^fracDigits exact doubles: one division rounds correctly.
  if (digitCount <= 19 && w <= (std::uint64_t{1} << 53) && fracDigits <= 22 &&
      (p == last || (*p != 'e' && *p != 'E'))) {
    const double magnitude = static_cast<double>(w) / kPow10[fracDigits];
    const std::uint64_t sign = std::uint64_t{negative} << 63;
    value = std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) | sign);
    return p;
  }
  return FinishDecimal(digitsStart, p, last, w, digitCount, fracDigits, negative, value);
}

}  // namespace sorea
