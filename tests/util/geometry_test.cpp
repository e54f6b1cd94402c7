// Plane geometry of the dimension job and the exchange file writer.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {
namespace {

struct DistanceCase {
  double x1, y1, x2, y2;
  double expected;
};

TEST(DistanceTest, Lengths) {
  const std::vector<DistanceCase> cases = {
      {0, 0, 0, 0, 0},
      {1.5, -2.5, 1.5, -2.5, 0},
      {0, 0, 3, 4, 5},
      {3, 4, 0, 0, 5},
      {-1, -1, 2, 3, 5},
      // The squares would overflow or underflow as doubles; in extended precision they don't.
      {0, 0, std::ldexp(3.0, 600), std::ldexp(4.0, 600), std::ldexp(5.0, 600)},
      {0, 0, std::ldexp(3.0, -600), std::ldexp(4.0, -600), std::ldexp(5.0, -600)},
      {0, 0, 1, 1, 1.4142135623730951},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Distance(c.x1, c.y1, c.x2, c.y2), c.expected)
        << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
  }
}

struct AngleCase {
  double dx, dy;
  double radians;
  double degrees;
};

TEST(VectorAngleTest, DirectionsInRadiansAndDegrees) {
  const double pi = 3.141592653589793;
  const std::vector<AngleCase> cases = {
      {0, 0, 0, 0},
      {5e-11, -5e-11, 0, 0},
      {-9.9e-11, 9.9e-11, 0, 0},
      // At the tolerance itself the vector is not zero.
      {-1e-10, 0, pi, 180},
      {2e-10, -2e-10, 5.497787143782138, 315},
      {1, 0, 0, 0},
      {0, 1, 1.5707963267948966, 90},
      {-1, 0, pi, 180},
      {0, -1, 4.7123889803846897, 270},
      {1, 1, 0.78539816339744828, 45},
      {1, -1, 5.497787143782138, 315},
      // -3pi/4 as a double plus the extended full turn: 3.92699081698724164 rounds up, where
      // double arithmetic would give 3.9269908169872414.
      {-1, -1, 3.9269908169872418, 225},
      {-1, 1, 2.3561944901923448, 135},
      {3, 4, 0.92729521800161219, 53.1301023542},
      // A tiny negative angle plus a full turn rounds to the full turn itself.
      {1, -1e-300, 6.2831853071795862, 360},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VectorAngle(c.dx, c.dy), c.radians) << c.dx << "," << c.dy;
    EXPECT_EQ(VectorAngleDeg(c.dx, c.dy), c.degrees) << c.dx << "," << c.dy;
  }
}

struct RotateCase {
  double px, py, cx, cy, degrees;
  double x, y;
};

// The tiny cosines near multiples of 90 degrees are what FCOS/FSIN give for the double
// nearest the angle; FCOS reduces with its own 66-bit pi, so cos of the double nearest pi/2
// comes out as 6.1230317691118863e-17 and not the 6.123233995736766e-17 of the exact
// cosine. Jw_cad receives these bits; the same bits must come out on every build.
TEST(RotatePointTest, TurnsAboutTheCentre) {
  const std::vector<RotateCase> cases = {
      {1, 0, 0, 0, 0, 1, 0},
      {1, 0, 0, 0, 90, 6.1230317691118863e-17, 1},
      {1, 0, 0, 0, 180, -1, 1.2246063538223773e-16},
      {1, 0, 0, 0, 270, -1.8369095307335659e-16, -1},
      {1, 0, 0, 0, 45, 0.70710678118654757, 0.70710678118654746},
      {2, 1, 1, 1, 90, 1, 2},
      {2, 1, 1, 1, -90, 1, 0},
      {5, 5, 5, 5, 123, 5, 5},
      {0, 1, 0, 0, 90, -1, 6.1230317691118863e-17},
  };
  for (const auto& c : cases) {
    double x = 0;
    double y = 0;
    RotatePointDeg(c.px, c.py, c.cx, c.cy, c.degrees, x, y);
    EXPECT_EQ(x, c.x) << c.degrees;
    EXPECT_EQ(y, c.y) << c.degrees;
  }
}

struct IntersectCase {
  const char* name;
  double ax1, ay1, ax2, ay2, bx1, by1, bx2, by2;
  int result;
  double x, y;
};

TEST(IntersectSegmentsTest, ResultAndPoint) {
  const double kUntouched = 12345.678;
  const std::vector<IntersectCase> cases = {
      {"crossing diagonals", 0, 0, 2, 2, 0, 2, 2, 0, 1, 1, 1},
      {"lines meet beyond A", 0, 0, 1, 1, 3, 0, 3, 5, 2, 3, 3},
      {"both vertical", 1, 0, 1, 5, 2, 0, 2, 5, 0, kUntouched, kUntouched},
      {"parallel", 0, 0, 1, 1, 0, 1, 1, 2, 0, kUntouched, kUntouched},
      {"meeting at ends", 0, 0, 1, 1, 1, 1, 2, 0, 1, 1, 1},
      {"A vertical", 1, -1, 1, 1, 0, 0, 2, 0, 1, 1, 0},
      {"B vertical", 0, 0, 4, 2, 2, -5, 2, 5, 1, 2, 1},
      {"beyond B", 0, 0, 4, 0, 1, 1, 2, 2, 2, 0, 0},
      // Within 1e-8 of a segment's box counts as on it; further out does not.
      {"1e-8 past the end", 0, 0, 1, 0, 1.000000005, -1, 1.000000005, 1, 1, 1.000000005, 0},
      {"2e-8 past the end", 0, 0, 1, 0, 1.00000002, -1, 1.00000002, 1, 2, 1.00000002, 0},
      // ax1 - ax2 = -1e-8 counts as zero (A taken as vertical, x = ax1) ...
      {"A leaning -1e-8", 0, 0, 1e-8, 1, -1, 0.5, 1, 0.5, 1, 0, 0.5},
      // ... but +1e-8 does not: the slopes give the point.
      {"A leaning +1e-8", 0, 0, -1e-8, 1, -1, 0.5, 1, 0.5, 1, -5e-9, 0.5},
      {"A leaning +0.4e-8", 0, 0, -0.4e-8, 1, -1, 0.5, 1, 0.5, 1, 0, 0.5},
      {"A leaning -1.4e-8", 0, 0, 1.4e-8, 1, -1, 0.5, 1, 0.5, 1, 0, 0.5},
      {"A leaning -1.6e-8", 0, 0, 1.6e-8, 1, -1, 0.5, 1, 0.5, 1, 8e-9, 0.5},
      // Slopes that differ by about -1e-8 are parallel, by +1e-8 they are not.
      {"slopes -1e-8 apart", 0, 0, 1, 1, 0, 1, 1, 2 + 1e-8, 0, kUntouched, kUntouched},
  };
  for (const auto& c : cases) {
    double x = kUntouched;
    double y = kUntouched;
    int r = IntersectSegments(c.ax1, c.ay1, c.ax2, c.ay2, c.bx1, c.by1, c.bx2, c.by2, x, y);
    EXPECT_EQ(r, c.result) << c.name;
    EXPECT_DOUBLE_EQ(x, c.x) << c.name;
    EXPECT_DOUBLE_EQ(y, c.y) << c.name;
  }
}

TEST(IntersectSegmentsTest, SlopesPlus1e8ApartMeetFarAway) {
  double x = 0, y = 0;
  EXPECT_EQ(IntersectSegments(0, 0, 1, 1, 0, 1, 1, 2 - 1e-8, x, y), 2);
  EXPECT_NEAR(x, 1e8, 1e2);
  EXPECT_NEAR(y, 1e8, 1e2);
}

TEST(IntersectSegmentsTest, OrderOfSegmentsDoesNotMatterForCrossings) {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  EXPECT_EQ(IntersectSegments(0, 0, 3, 1, 1, -1, 2, 2, x1, y1), 1);
  EXPECT_EQ(IntersectSegments(1, -1, 2, 2, 0, 0, 3, 1, x2, y2), 1);
  EXPECT_NEAR(x1, x2, 1e-15);
  EXPECT_NEAR(y1, y2, 1e-15);
}

TEST(IntersectSegmentsTest, NonFiniteInputDoesNotCrash) {
  double x = 7, y = 7;
  int r = IntersectSegments(NAN, 0, 1, 1, 0, 1, 1, 0, x, y);
  EXPECT_GE(r, 0);
  EXPECT_LE(r, 2);
}

struct MeasureCase {
  std::string text;
  double width, spacing;
  double expected;
};

TEST(MeasureTextLengthTest, WidthsAndSpacings) {
  const std::vector<MeasureCase> cases = {
      {"", 4, 1, 0},
      {"12", 4, 1, 4.5},
      {"\x82\x50\x82\x51", 4, 1, 9},
      {"\x82\x50", 4, 1, 4},
      {"1", 4, 1, 2},
      {"1\x82\x50", 4, 1, 6.5},
      {"\x82\x50"
       "1",
       4, 1, 7},
      // A control character has no width but takes its half spacing.
      {"\t1", 4, 1, 2.5},
      {"1\t", 4, 1, 2.5},
      // Half-width katakana are single bytes.
      {"\xb1\xb2", 4, 1, 4.5},
      // A lone lead byte at the end counts as a full-width character.
      {"1\x82", 4, 1, 6.5},
      {"123", 3, 0, 4.5},
      {"123", 0, 2, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MeasureTextLength(c.text, c.width, c.spacing), c.expected) << c.text;
  }
}

TEST(MeasureTextLengthTest, TotalIsRoundedAfterEachStep) {
  // Ten half-width characters of width 0.1: the double total after each addition, not an
  // extended sum rounded once.
  double expected = 0;
  for (int i = 0; i < 10; ++i) expected = expected + 0.05;
  EXPECT_EQ(MeasureTextLength("0123456789", 0.1, 0), expected);
  EXPECT_NE(expected, 0.5);
}

}  // namespace
}  // namespace sorea

namespace sorea {
namespace {

TEST(X87Test, HugeAnglesStayWithinTheUnitCircle) {
  for (long double a : {1e19L, -1e19L, 1e300L, 9.3e18L, 1e4000L}) {
    long double c = X87Cos(a);
    long double s = X87Sin(a);
    EXPECT_LE(std::fabs(c), 1.0L) << static_cast<double>(a);
    EXPECT_LE(std::fabs(s), 1.0L) << static_cast<double>(a);
    EXPECT_NEAR(static_cast<double>(c * c + s * s), 1.0, 1e-15);
  }
  EXPECT_TRUE(std::isnan(X87Cos(INFINITY)));
  EXPECT_TRUE(std::isnan(X87Sin(NAN)));
  double x = 0, y = 0;
  RotatePoint(1, 0, 0, 0, 1e300, x, y);
  EXPECT_LE(std::fabs(x), 1.0);
  EXPECT_LE(std::fabs(y), 1.0);
}

TEST(X87Test, ArcTangentQuadrants) {
  EXPECT_EQ(static_cast<double>(X87Atan2(0.0L, -1.0L)), 3.141592653589793);
  EXPECT_EQ(static_cast<double>(X87Atan2(-0.0L, -1.0L)), -3.141592653589793);
  EXPECT_EQ(static_cast<double>(X87Atan2(1.0L, 0.0L)), 1.5707963267948966);
  EXPECT_EQ(static_cast<double>(X87Atan2(-1.0L, 0.0L)), -1.5707963267948966);
  EXPECT_EQ(static_cast<double>(X87Atan2(0.0L, 1.0L)), 0.0);
}

}  // namespace
}  // namespace sorea
