#include "util/ExactDecimal.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace sorea {

namespace {

constexpr std::uint32_t kLimbBase = 1000000000;  // nine decimal digits a limb
// m x 2^k for m < 2^55 and -1075 <= k <= 971 has at most 769 digits: 86 limbs.
constexpr int kMaxLimbs = 88;

// A binary value m x 2^k: a double's significand and exponent, or the midpoint of two doubles.
struct Binary {
  std::uint64_t m;
  int k;
};

// value = m x 2^k with m < 2^53, for a finite value that is not negative.
Binary Decompose(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const int biased = static_cast<int>(bits >> 52);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0) return {fraction, -1074};
  return {fraction | (std::uint64_t{1} << 52), biased - 1075};
}

// The exact midpoint of two neighbouring doubles a < c (their exponents differ by one at most).
Binary Midpoint(Binary a, Binary c) {
  const int k = std::min(a.k, c.k);
  return {(a.m << (a.k - k)) + (c.m << (c.k - k)), k - 1};
}

// The decimal digits of a binary value, the first not zero: value = digits x 10^scale.
struct Digits {
  char text[9 * kMaxLimbs];
  int count = 0;
  int scale = 0;
  // The power of ten the first digit stands for.
  int Exponent() const { return count - 1 + scale; }
};

// The exact digits of b (b.m not zero). For k >= 0 they are the whole number m x 2^k; for
// k < 0 the value is m x 5^-k x 10^k, and m x 5^-k gives the digits.
void Expand(Binary b, Digits& out) {
  std::uint32_t limbs[kMaxLimbs];  // lowest first
  int count = 0;
  for (std::uint64_t m = b.m; m != 0; m /= kLimbBase) {
    limbs[count++] = static_cast<std::uint32_t>(m % kLimbBase);
  }
  // A limb is below 2^30 and a factor below 2^31: limb x factor + carry stays within 64 bits.
  auto multiply = [&](std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < count; ++i) {
      const std::uint64_t t = std::uint64_t{limbs[i]} * factor + carry;
      limbs[i] = static_cast<std::uint32_t>(t % kLimbBase);
      carry = t / kLimbBase;
    }
    for (; carry != 0; carry /= kLimbBase) {
      limbs[count++] = static_cast<std::uint32_t>(carry % kLimbBase);
    }
  };
  int k = b.k >= 0 ? b.k : -b.k;
  const std::uint32_t step = b.k >= 0 ? 1u << 30 : 1220703125u;  // 2^30 or 5^13
  const int stepPower = b.k >= 0 ? 30 : 13;
  for (; k >= stepPower; k -= stepPower) multiply(step);
  std::uint32_t rest = 1;
  for (; k > 0; --k) rest *= b.k >= 0 ? 2 : 5;
  multiply(rest);
  out.scale = b.k >= 0 ? 0 : b.k;

  char* p = out.text;
  char top[9];
  int n = 0;
  for (std::uint32_t v = limbs[count - 1]; v != 0; v /= 10)
    top[n++] = static_cast<char>('0' + v % 10);
  while (n > 0) *p++ = top[--n];
  for (int i = count - 2; i >= 0; --i, p += 9) {
    std::uint32_t v = limbs[i];
    for (int j = 8; j >= 0; --j, v /= 10) p[j] = static_cast<char>('0' + v % 10);
  }
  out.count = static_cast<int>(p - out.text);
}

// A decimal number as written: its digits from the first that is not zero (a "." among them
// is passed over) and the power of ten that first digit stands for.
struct DecimalText {
  const char* lead;
  const char* last;
  long long exponent;
};

// -1, 0 or 1 as the written number is below, at or above the binary value b.
int Compare(const DecimalText& text, Binary b) {
  Digits d;
  Expand(b, d);
  if (text.exponent != d.Exponent()) return text.exponent < d.Exponent() ? -1 : 1;
  int i = 0;
  for (const char* q = text.lead; q < text.last; ++q) {
    if (*q == '.') continue;
    if (i == d.count) {
      if (*q != '0') return 1;
      continue;
    }
    if (*q != d.text[i]) return *q < d.text[i] ? -1 : 1;
    ++i;
  }
  for (; i < d.count; ++i) {
    if (d.text[i] != '0') return -1;
  }
  return 0;
}

// 10^n in extended precision, within a few units of its last place: a first guess only.
long double Power10(long long n) {
  long double result = 1;
  long double square = 10;
  for (unsigned long long u = static_cast<unsigned long long>(n < 0 ? -n : n); u != 0; u >>= 1) {
    if (u & 1) result *= square;
    square *= square;
  }
  return n < 0 ? 1 / result : result;
}

double Neighbour(double value, int step) {
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) +
                               static_cast<std::uint64_t>(static_cast<std::int64_t>(step)));
}

}  // namespace

char* WriteScientific(char* first, double value, int precision) {
  char* p = first;
  if (std::signbit(value)) *p++ = '-';
  Digits d;
  const Binary b = Decompose(std::fabs(value));
  if (b.m == 0) {
    d.text[0] = '0';
    d.count = 1;
  } else {
    Expand(b, d);
  }
  int exponent = d.Exponent();
  // Rounded to precision + 1 digits: above the half up, an exact half to an even last digit.
  const int keep = precision + 1;
  if (d.count > keep) {
    const char next = d.text[keep];
    const bool beyond =
        std::any_of(d.text + keep + 1, d.text + d.count, [](char c) { return c != '0'; });
    const bool up = next > '5' || (next == '5' && (beyond || (d.text[keep - 1] - '0') % 2 == 1));
    d.count = keep;
    if (up) {
      int i = keep - 1;
      while (i >= 0 && d.text[i] == '9') d.text[i--] = '0';
      if (i >= 0) {
        ++d.text[i];
      } else {
        d.text[0] = '1';
        ++exponent;
      }
    }
  }
  *p++ = d.text[0];
  if (precision > 0) *p++ = '.';
  for (int i = 1; i < keep; ++i) *p++ = i < d.count ? d.text[i] : '0';
  *p++ = 'e';
  *p++ = exponent < 0 ? '-' : '+';
  const int e = exponent < 0 ? -exponent : exponent;
  if (e >= 100) *p++ = static_cast<char>('0' + e / 100);
  *p++ = static_cast<char>('0' + e / 10 % 10);
  *p++ = static_cast<char>('0' + e % 10);
  return p;
}

bool NearestDouble(const char* first, const char* last, long long exponent, double& magnitude) {
  const char* const point = std::find(first, last, '.');
  DecimalText text{first, last, exponent + (point - first) - 1};
  for (; text.lead < last && (*text.lead == '0' || *text.lead == '.'); ++text.lead) {
    if (*text.lead == '0') --text.exponent;
  }
  if (text.lead == last) {
    magnitude = 0;
    return true;
  }
  // 10^309 is beyond the largest double; below 10^-324 lies below half the smallest subnormal.
  if (text.exponent > 308 || text.exponent < -324) return false;

  // A first guess from up to 19 digits, then the exact comparisons with the midpoints to the
  // neighbours decide; the guess is off by a unit of the last place or two at most.
  std::uint64_t w = 0;
  int count = 0;
  for (const char* q = text.lead; q < last && count < 19; ++q) {
    if (*q == '.') continue;
    w = w * 10 + static_cast<std::uint64_t>(*q - '0');
    ++count;
  }
  const long double guess = static_cast<long double>(w) * Power10(text.exponent - (count - 1));
  double value = guess >= DBL_MAX ? DBL_MAX : static_cast<double>(guess);
  for (;;) {
    const Binary here = Decompose(value);
    const Binary up = value < DBL_MAX ? Decompose(Neighbour(value, 1))
                                      : Binary{std::uint64_t{1} << 53, 971};  // 2^1024
    int side = Compare(text, Midpoint(here, up));
    if (side > 0 || (side == 0 && (here.m & 1))) {
      if (value == DBL_MAX) return false;
      value = Neighbour(value, 1);
      continue;
    }
    if (value > 0) {
      side = Compare(text, Midpoint(Decompose(Neighbour(value, -1)), here));
      if (side < 0 || (side == 0 && (here.m & 1))) {
        value = Neighbour(value, -1);
        continue;
      }
    }
    break;
  }
  if (value == 0) return false;
  magnitude = value;
  return true;
}

}  // namespace sorea
