// Extended-precision trigonometry done by the x87 unit itself.
//
// The coordinates we hand back to Jw_cad are printed with 15 significant digits, and near
// multiples of pi/2 the tiny cosines and sines that land in them show the last bits of the
// library routine. glibc's and mingw-w64's cosl/sinl disagree in those bits, so we use the
// FCOS, FSIN and FPATAN instructions directly: the Linux and Windows builds then write the
// same bytes.
#pragma once

#include <cfloat>
#include <cmath>

static_assert(LDBL_MANT_DIG == 64, "long double must be the x87 80-bit format");

namespace sorea {

inline constexpr long double kPi = 3.1415926535897932385L;
inline constexpr long double kTwoPi = 6.283185307179586477L;
inline constexpr long double kTol10 = 1e-10L;
inline constexpr long double kTol8 = 1e-8L;

// FCOS and FSIN take arguments below 2^63 in magnitude only; a larger one is left as it
// stands, so a wild angle in a damaged exchange file would come back as its own "cosine".
// Such angles are first brought into one turn (NaN and infinity give NaN); every angle a
// drawing really has goes to the instruction untouched.
inline long double X87ReduceHuge(long double x) {
  if (std::fabs(x) < 9223372036854775808.0L) return x;
  return std::fmod(x, kTwoPi);
}

inline long double X87Cos(long double x) {
  x = X87ReduceHuge(x);
  long double r;
  __asm__("fcos" : "=t"(r) : "0"(x));
  return r;
}

inline long double X87Sin(long double x) {
  x = X87ReduceHuge(x);
  long double r;
  __asm__("fsin" : "=t"(r) : "0"(x));
  return r;
}

// atan2(y, x): FPATAN computes atan(st(1) / st(0)) with the quadrant of both signs.
inline long double X87Atan2(long double y, long double x) {
  long double r;
  __asm__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
  return r;
}

// The x64 Windows ABI starts a thread with the x87 unit at 53-bit precision, and a host may
// leave any setting behind: set 64-bit precision, round to nearest, all exceptions masked, as
// the arithmetic expects and the Linux build has. Each program calls it once at start.
inline void UseExtendedPrecision() {
  unsigned short control = 0x037F;
  __asm__ volatile("fldcw %0" : : "m"(control));
}

// Degrees become radians as (degrees / 180) * pi, left to right, in extended precision.
inline long double DegToRad(long double degrees) {
  return degrees / 180.0L * kPi;
}

}  // namespace sorea
