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
inline bool IsLeadByte(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD); }
inline bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// The longest prefix of text of at most maxBytes bytes that does not split a double-byte
// character (a lone lead byte at the very end of text is dropped as well).
std::string_view CutWholeChars(std::string_view text, std::size_t maxBytes);

// ---- Numeric text -----------------------------------------------------------------------

int TextToInt(std::string_view text);
double TextToFloat(std::string_view text);
std::string FormatFixed(int decimals, double value);
std::string FormatGrouped(int decimals, double value);
double RoundDecimals(int decimals, int mode, double value);
double RoundTo1e10(double value);
std::string FormatGeneral(double value);

// ---- Text conversions -------------------------------------------------------------------

std::string RemoveSpaces(std::string_view text);
std::string CopyWholeChars(std::string_view text, int start, int maxBytes, int& count);
std::string ToFullWidth(std::string_view text);

// ---- Plane geometry ---------------------------------------------------------------------

double Distance(double x1, double y1, double x2, double y2);
double VectorAngle(double dx, double dy);
double VectorAngleDeg(double dx, double dy);
void RotatePoint(double px, double py, double cx, double cy, double angle, double& nx, double& ny);
void RotatePointDeg(double px, double py, double cx, double cy, double angle, double& nx,
                    double& ny);
int IntersectSegments(double ax1, double ay1, double ax2, double ay2, double bx1, double by1,
                      double bx2, double by2, double& x, double& y);
double MeasureTextLength(std::string_view text, double width, double spacing);

}  // namespace sorea
