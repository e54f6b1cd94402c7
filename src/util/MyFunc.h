// Small pure routines every part of the program stands on: numbers to and from text,
// Shift-JIS (cp932) text helpers and plane geometry.
//
// Text is a std::string of Shift-JIS bytes. Reals are doubles; where a routine computes in
// extended precision it does so in long double (x87, 64-bit significand) and rounds to double
// where a value is stored or returned.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sorea {

// ---- Shift-JIS ------------------------------------------------------------------------------

// The one double-byte test: 0x80..0x9F and 0xE0..0xFD lead a two-byte character.
inline bool IsLeadByte(unsigned char c) {
  return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD);
}
inline bool IsLeadByte(char c) {
  return IsLeadByte(static_cast<unsigned char>(c));
}

// The longest prefix of text of at most maxBytes bytes that does not split a double-byte
// character (a lone lead byte at the very end of text is dropped as well).
std::string_view CutWholeChars(std::string_view text, std::size_t maxBytes);

// ---- Numeric text -----------------------------------------------------------------------

// Text to number; the whole text must be the number (leading 0x20 blanks allowed, nothing
// after it), else 0. TextToInt: optional sign, decimal digits within int32, or hexadecimal
// after "$", "x", "X", "0x", "0X" taking 32 bits ($FFFFFFFF is -1). TextToFloat: optional
// sign, digits with an optional "." fraction ("5." and ".5" count, "." does not), optional
// exponent; correctly rounded; beyond the range of a double gives 0. "." whatever the locale.
int TextToInt(std::string_view text);
double TextToFloat(std::string_view text);
// Exactly `decimals` decimals (a count above 18, or negative, is taken as 2), rounded halves
// away from zero from the value's 18-significant-digit form; a result that shows as zero has
// no minus sign. Grouped puts "," between thousands. "." always; more than 18 integer digits,
// infinity or NaN fall back to FormatGeneral.
std::string FormatFixed(int decimals, double value);
std::string FormatGrouped(int decimals, double value);
// Cuts |value| to 1..13 decimals (any other count: whole units) in extended precision: mode 0
// truncates, mode 1 adds 0.9 of the last unit, any other mode adds 0.5; a value less than a
// millionth of the last unit short of a step counts as reaching it; the sign is put back.
double RoundDecimals(int decimals, int mode, double value);
// The nearest multiple of 1e-10 (halves away from zero), computed in extended precision.
double RoundTo1e10(double value);
// At most 15 significant digits (halves away from zero on the exact binary value), shortest
// form, fixed notation for 1e-4 <= |value| < 1e15, else "1.5E-7" / "2.5E20". -0, infinity and
// NaN give "0".
std::string FormatGeneral(double value);
// Decimal digits with a leading "-" when negative: how every integer of a record or a setting
// is written.
std::string IntText(int value);

// ---- Text conversions -------------------------------------------------------------------

// The text without 0x20 blanks, control bytes below 0x20 and full-width blanks (0x81 0x40).
std::string RemoveSpaces(std::string_view text);
// The whole characters lying in the window of maxBytes bytes from position start (counted
// from 1); count is the bytes taken (a lone lead byte at the end counts two). Bad arguments
// give "" and 0.
std::string CopyWholeChars(std::string_view text, int start, int maxBytes, int& count);
// Full-width forms in chunks of 126 bytes: ASCII 0x20..0x7E, half-width katakana (with voiced
// marks combined where cp932 has the character), hiragana to katakana; the rest unchanged.
std::string ToFullWidth(std::string_view text);

// ---- Plane geometry ---------------------------------------------------------------------

double Distance(double x1, double y1, double x2, double y2);
// Radians in 0..2pi (a tiny negative angle can give 2pi itself); 0 when both components are
// below 1e-10 in magnitude. The degree form is snapped by RoundTo1e10 and can give 360.
double VectorAngle(double dx, double dy);
double VectorAngleDeg(double dx, double dy);
void RotatePoint(double px, double py, double cx, double cy, double angle, double& nx, double& ny);
void RotatePointDeg(double px, double py, double cx, double cy, double angle, double& nx,
                    double& ny);
// 0: parallel (both vertical, or slopes differing by what counts as zero), x and y untouched;
// 1: the lines meet within both segments (boxes widened by 1e-8); 2: they meet elsewhere.
// A difference d counts as zero when -1.5e-8 < d < 0.5e-8.
int IntersectSegments(double ax1, double ay1, double ax2, double ay2, double bx1, double by1,
                      double bx2, double by2, double& x, double& y);
// Full-width characters take the width, half-width ones half of it (control bytes none);
// spacing between characters only, halved after a half-width one.
double MeasureTextLength(std::string_view text, double width, double spacing);

}  // namespace sorea
