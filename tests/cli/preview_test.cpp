// sorea-cli preview, run as a program: small exchange files go in, the SVG that comes out is
// parsed and its shapes and coordinates are checked (the drawing's y is negated in SVG).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "cli/PreviewTesting.h"
#include "cli/SvgPreview.h"
#include "exchange/JwwGaibu.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using sorea::testing::RunResult;
using namespace sorea::testing::preview;

constexpr double kTol = 1e-6;
// A vertical dimension of 100 with its value; layer group 2 at scale 50.
const std::vector<std::string> kDimension = {"msg", "0 0 0 100", "cs 5 50 0 10 \"100"};
const std::string kScale50 = "hs 1 1 50 1 1 1 1 1 1 1 1 1 1 1 1 1";

void ExpectPoints(const std::vector<std::pair<double, double>>& got,
                  const std::vector<std::pair<double, double>>& want, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].first, want[i].first, kTol) << what << " point " << i;
    EXPECT_NEAR(got[i].second, want[i].second, kTol) << what << " point " << i;
  }
}

struct KindCase {
  const char* name;
  std::vector<std::string> lines;
  const char* cls;
  const char* tag;
  std::vector<std::pair<double, double>> points;  // all points, or first and last with endsOnly
  bool endsOnly = false;
};

TEST_F(PreviewTest, DrawsEveryElementKindAtItsCoordinates) {
  const std::vector<KindCase> cases = {
      {"bare line", {"0 0 100 50"}, "line", "line", {{0, 0}, {100, 50}}},
      {"circle", {"ci 10 20 5"}, "circle", "circle", {{10, 20}}},
      {"quarter arc", {"ci 0 0 10 0 90 1 0"}, "arc", "polyline", {{10, 0}, {0, 10}}, true},
      // Jw_cad's arc angles are counted from the tilt: 285 + 75 = 360, 15 + 75 = 90.
      {"tilted arc", {"ci 0 0 10 285 15 1 75"}, "arc", "polyline", {{10, 0}, {0, 10}}, true},
      {"flat arc", {"ci 0 0 10 0 90 0.5 0"}, "arc", "polyline", {{10, 0}, {0, 5}}, true},
      {"arc across 0", {"ci 0 0 10 270 90 1 0"}, "arc", "polyline", {{0, -10}, {0, 10}}, true},
      {"point", {"pt 3 4"}, "point", "circle", {{3, 4}}},
      {"dimension line", kDimension, "dimension-line", "line", {{0, 0}, {0, 100}}},
      {"block", {"BL 5 6 \"door"}, "block", "polygon", {{7, 6}, {5, 8}, {3, 6}, {5, 4}}},
      {"sl2", {"sl 0 0 10 10"}, "kind-9", "line", {{0, 0}, {10, 10}}},
      {"sl3", {"sl 0 0 10 0 10 10"}, "kind-10", "polygon", {{0, 0}, {10, 0}, {10, 10}}},
      {"sl4", {"sl 0 0 5 0 5 5 0 5"}, "kind-11", "polygon", {{0, 0}, {5, 0}, {5, 5}, {0, 5}}},
      {"sl4 reduced", {"sl 0 0 0 0 0 0 5 5"}, "kind-9", "line", {{0, 0}, {5, 5}}},
      {"sector solid", {"sc 0 0 10 0 90 1 0 0"}, "kind-12", "polygon", {{10, 0}, {0, 0}}, true},
      {"segment solid", {"se 0 0 10 0 90 1 0 0"}, "kind-13", "polygon", {{10, 0}, {0, 10}}, true},
      {"so solid", {"so 0 0 4 0 4 4 0 4"}, "kind-14", "polygon", {{0, 0}, {4, 0}, {4, 4}, {0, 4}}},
      {"sg solid", {"sg 1 1 4 1 4 4 1 4"}, "kind-15", "polygon", {{1, 1}, {4, 1}, {4, 4}, {1, 4}}},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Tag> shapes = WithClass(Draw(c.lines), c.cls);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].Name, c.tag);
    auto got = PointsOf(shapes[0]);
    if (c.endsOnly && got.size() >= 2) got = {got.front(), got.back()};
    ExpectPoints(got, c.points, c.name);
  }
}

TEST_F(PreviewTest, CircleAndPointSizes) {
  struct Case {
    std::vector<std::string> lines;
    const char* cls;
    double radius;
  };
  const std::vector<Case> cases = {
      {{"ci 10 20 5"}, "circle", 5},
      // A point is half a paper mm at the layer group's scale.
      {{"pt 3 4"}, "point", 0.5},
      {{"hs 1 20 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "lg1", "pt 3 4"}, "point", 10},
  };
  for (const Case& c : cases) {
    std::vector<Tag> shapes = WithClass(Draw(c.lines), c.cls);
    ASSERT_EQ(shapes.size(), 1u) << c.cls;
    EXPECT_NEAR(shapes[0].Num("r"), c.radius, kTol) << c.cls;
  }
}

struct Placement {
  double X, Y, Angle, WidthScale, FontSize;
};

Placement PlacementOf(const Tag& text) {
  std::vector<double> v = Numbers(text.Attrs.at("transform"));
  // translate(x y) rotate(a) scale(sx 1)
  EXPECT_EQ(v.size(), 5u);
  v.resize(5, NAN);
  return {v[0], -v[1], -v[2], v[3], text.Num("font-size")};
}

TEST_F(PreviewTest, TextsStandAtTheirPlaceSizeAndDirection) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    const char* cls;
    Placement want;
    std::string content;  // UTF-8, escaped
    double boxLength;     // along the direction
  };
  const std::string sunpo = "\x90\xa1\x96\x40";  // 寸法 in cp932
  const std::vector<Case> cases = {
      {"text type 1", {"ch 10 20 10 0 \"abc"}, "text", {10, 20, 0, 1, 3}, "abc", 4.5},
      {"upward", {"ch 0 0 0 10 \"A"}, "text", {0, 0, 90, 1, 3}, "A", 1.5},
      {"Japanese", {"ch 1 2 10 0 \"" + sunpo}, "text", {1, 2, 0, 1, 3}, "寸法", 6},
      {"escaped", {"ch 0 0 10 0 \"<a&b>\""}, "text", {0, 0, 0, 1, 3}, "&lt;a&amp;b&gt;&quot;", 9},
      {"free size", {"cn0 4 5 0.5 2", "ch 0 0 10 0 \"ab"}, "text", {0, 0, 0, 0.8, 5}, "ab", 4.25},
      {"group scale", {kScale50, "lg2", "ch 0 0 -10 0 \"A"}, "text", {0, 0, 180, 1, 150}, "A", 75},
      {"dimension value", kDimension, "dimension-text", {5, 50, 90, 1, 3}, "100", 4.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Tag> tags = Draw(c.lines);
    std::vector<Tag> texts = WithClass(tags, c.cls);
    ASSERT_EQ(texts.size(), 1u);
    Placement p = PlacementOf(texts[0]);
    EXPECT_NEAR(p.X, c.want.X, kTol);
    EXPECT_NEAR(p.Y, c.want.Y, kTol);
    EXPECT_NEAR(std::fmod(p.Angle + 360, 360), c.want.Angle, kTol);
    EXPECT_NEAR(p.WidthScale, c.want.WidthScale, kTol);
    EXPECT_NEAR(p.FontSize, c.want.FontSize, kTol);
    EXPECT_EQ(texts[0].Content, c.content);
    // The box Jw_cad reserves: from the anchor along the direction, the text's height high.
    std::vector<Tag> boxes = WithClass(tags, std::string(c.cls) + "-box");
    ASSERT_EQ(boxes.size(), 1u);
    auto pts = PointsOf(boxes[0]);
    ASSERT_EQ(pts.size(), 4u);
    double a = c.want.Angle * std::numbers::pi / 180;
    EXPECT_NEAR(pts[0].first, c.want.X, kTol);
    EXPECT_NEAR(pts[0].second, c.want.Y, kTol);
    EXPECT_NEAR(pts[1].first, c.want.X + c.boxLength * std::cos(a), kTol);
    EXPECT_NEAR(pts[1].second, c.want.Y + c.boxLength * std::sin(a), kTol);
    EXPECT_NEAR(std::hypot(pts[3].first - pts[0].first, pts[3].second - pts[0].second),
                c.want.FontSize, kTol);
  }
}

TEST_F(PreviewTest, SpacingFillsTheBoxAsJwCadSpacesHalfAndFullWidthCharacters) {
  // Jw_cad puts half the spacing (1) after a half-width character, the whole after a full one.
  const std::string sun = "\x90\xa1", ho = "\x96\x40";  // 寸 and 法 in cp932
  const std::vector<std::pair<std::string, double>> cases = {
      {"ab", 0.5}, {sun + ho, 1}, {"a" + sun, 0.5}, {sun + "a", 1}};
  for (const auto& [text, spacing] : cases) {
    std::vector<Tag> texts = WithClass(Draw({"cn0 4 4 1 2", "ch 0 0 10 0 \"" + text}), "text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NEAR(texts[0].Num("letter-spacing"), spacing, kTol) << texts[0].Content;
  }
}

// The extent of a marker along its direction, measured from its point: [behind, ahead].
std::pair<double, double> ExtentAlong(const std::vector<Tag>& shapes, double qx, double qy,
                                      double angleDeg) {
  double ux = std::cos(angleDeg * std::numbers::pi / 180),
         uy = std::sin(angleDeg * std::numbers::pi / 180);
  double lo = 0, hi = 0;
  for (const Tag& t : shapes) {
    if (t.Name == "text") continue;
    double r = t.Name == "circle" ? t.Num("r") : 0;
    for (auto [x, y] : PointsOf(t)) {
      double d = (x - qx) * ux + (y - qy) * uy;
      lo = std::min(lo, d - r);
      hi = std::max(hi, d + r);
    }
  }
  return {lo, hi};
}

TEST_F(PreviewTest, PointMarkersPointAlongTheirAngleWithTheReachTheJobAllowsFor) {
  struct Case {
    int code;
    bool arrow;    // tip at the point, body behind it
    double reach;  // paper mm at scale 1
    bool filled;
  };
  const double r2 = 1.25 * std::sqrt(2.0);
  const std::vector<Case> cases = {
      {1, true, 7.5, false},   {2, false, 1.25, false}, {3, false, 1.25, false},
      {4, false, 1.25, false}, {5, false, 1.25, true},  {6, true, 7.5, true},
      {7, false, 1.25, true},  {8, false, r2, false},   {9, true, 7.5, false},
      {10, false, r2, false},  {11, true, 7.5, false},
  };
  std::set<std::string> signatures;
  for (double angle : {90.0, 200.0}) {
    for (const Case& c : cases) {
      SCOPED_TRACE("code " + std::to_string(c.code) + " angle " + std::to_string(angle));
      const double scale = 2;
      std::vector<Tag> tags = Draw({"pt 100 200 " + std::to_string(scale) + " " +
                                    std::to_string(angle) + " " + std::to_string(c.code)});
      std::vector<Tag> shapes = WithClass(tags, "code-" + std::to_string(c.code));
      ASSERT_FALSE(shapes.empty());
      auto [behind, ahead] = ExtentAlong(shapes, 100, 200, angle);
      double reach = c.reach * scale;
      // The tilde's wave stands out a little beyond its slant.
      double tol = c.code == 8 ? 0.25 * reach : 1e-6;
      EXPECT_NEAR(-behind, reach, tol);
      EXPECT_NEAR(ahead, c.arrow ? 0 : reach, tol);
      bool anyFilled = false;
      std::string signature;
      for (const Tag& t : shapes) {
        bool filled = t.Attrs.count("fill") && t.Attrs.at("fill") != "none";
        anyFilled = anyFilled || filled;
        signature += t.Name + (filled ? "+" : "-");
      }
      EXPECT_EQ(anyFilled, c.filled);
      if (angle == 90.0)
        signatures.insert(signature + (c.arrow ? "A" : "C") + std::to_string(c.reach));
    }
  }
  // Every code looks different from every other, codes 1 and 11 included.
  EXPECT_EQ(signatures.size(), cases.size());
}

TEST_F(PreviewTest, PointMarkerSizeFollowsScaleAndLayerGroup) {
  struct Case {
    std::vector<std::string> lines;
    double reach;
  };
  const std::vector<Case> cases = {
      {{"pt 0 0 1 0 1"}, 7.5}, {{"pt 0 0 3 0 1"}, 22.5},
      {{"pt 0 0 0 0 1"}, 7.5},  // no scale: as the writer, scale 1
      {{"pt 0 0 -2 0 1"}, 15}, {{"hs 10 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "pt 0 0 1 0 1"}, 75},
  };
  for (const Case& c : cases) {
    std::vector<Tag> shapes = WithClass(Draw(c.lines), "code-1");
    auto [behind, ahead] = ExtentAlong(shapes, 0, 0, 0);
    EXPECT_NEAR(-behind, c.reach, kTol) << c.lines.back();
    EXPECT_NEAR(ahead, 0, kTol) << c.lines.back();
  }
}

TEST_F(PreviewTest, OtherMarkerCodesAreMarkedWithTheirNumber) {
  for (const char* code : {"0", "-3", "20"}) {
    std::vector<Tag> tags = Draw({std::string("pt 5 5 1 0 ") + code});
    std::vector<Tag> shapes = WithClass(tags, std::string("code-") + code);
    ASSERT_FALSE(shapes.empty()) << code;
    std::vector<Tag> labels = WithClass(tags, "marker-label");
    ASSERT_EQ(labels.size(), 1u) << code;
    EXPECT_EQ(labels[0].Content, code);
  }
}

TEST_F(PreviewTest, ColoursAndLineTypesAreToldApart) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 9; ++i) {
    lines.push_back("lc" + std::to_string(i));
    lines.push_back("lt" + std::to_string(i));
    lines.push_back("0 " + std::to_string(i) + " 100 " + std::to_string(i));
  }
  std::vector<Tag> drawn = WithClass(Draw(lines), "line");
  ASSERT_EQ(drawn.size(), 9u);
  std::set<std::string> strokes, dashes;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    EXPECT_NEAR(-drawn[i].Num("y1"), static_cast<double>(i + 1), kTol);
    strokes.insert(drawn[i].Attrs["stroke"]);
    dashes.insert(drawn[i].Attrs.count("stroke-dasharray") ? drawn[i].Attrs["stroke-dasharray"]
                                                           : "solid");
  }
  EXPECT_EQ(strokes.size(), 9u);
  EXPECT_EQ(dashes.size(), 9u);
  EXPECT_EQ(drawn[0].Attrs.count("stroke-dasharray"), 0u);  // line type 1 is solid
}

TEST_F(PreviewTest, ViewIsFittedWithAMarginAndYUp) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    double minX, minY, maxX, maxY;  // drawing extent
  };
  const std::vector<Case> cases = {
      {"line", {"0 0 100 50"}, 0, 0, 100, 50},
      {"negative", {"-300 -20 -100 -10"}, -300, -20, -100, -10},
      {"circle", {"ci 0 0 10"}, -10, -10, 10, 10},
      {"with a bad number", {"0 0 100 50", "1e999 0 5 5"}, 0, 0, 100, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Tag> tags = Draw(c.lines);
    ASSERT_FALSE(tags.empty());
    ASSERT_EQ(tags[0].Name, "svg");
    std::vector<double> vb = Numbers(tags[0].Attrs["viewBox"]);
    ASSERT_EQ(vb.size(), 4u);
    // In SVG the drawing's top (max y) is the view's top edge -maxY.
    double left = vb[0], top = vb[1], right = vb[0] + vb[2], bottom = vb[1] + vb[3];
    EXPECT_LT(left, c.minX);
    EXPECT_GT(right, c.maxX);
    EXPECT_LT(top, -c.maxY);
    EXPECT_GT(bottom, -c.minY);
    double extent = std::max(c.maxX - c.minX, c.maxY - c.minY);
    EXPECT_LT(c.minX - left, 0.2 * extent);
    EXPECT_LT(right - c.maxX, 0.2 * extent);
    EXPECT_LT(-c.maxY - top, 0.2 * extent);
    // The picture keeps the view's proportions, to the pixel.
    EXPECT_NEAR(tags[0].Num("width") * vb[3], tags[0].Num("height") * vb[2],
                std::max(vb[2], vb[3]));
  }
}

TEST_F(PreviewTest, EmptyDrawingGivesAValidEmptyPicture) {
  for (const auto& lines : std::vector<std::vector<std::string>>{
           {}, {"hq"}, {"hk 0", "lg0", "ly0", "#"}, {"ci 0 0 0", "ci 0 0 -5"}}) {
    std::vector<Tag> tags = Draw(lines);
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(tags[0].Name, "svg");
    std::vector<double> vb = Numbers(tags[0].Attrs["viewBox"]);
    ASSERT_EQ(vb.size(), 4u);
    EXPECT_GT(vb[2], 0);
    EXPECT_GT(vb[3], 0);
    for (const Tag& t : tags)
      EXPECT_TRUE(t.Name == "svg" || t.Name == "g" || t.HasClass("background"))
          << t.Name << " " << t.Class();
  }
}

TEST_F(PreviewTest, CoordinatesBeyondAnyViewStillGiveAValidPicture) {
  for (const auto& lines : std::vector<std::vector<std::string>>{
           {"-1e308 -1e308 1e308 1e308"}, {"ci 1e308 -1e308 1e308"}, {"pt 1e300 1e300"}}) {
    std::vector<Tag> tags = Draw(lines);
    ASSERT_FALSE(tags.empty());
    std::vector<double> vb = Numbers(tags[0].Attrs["viewBox"]);
    ASSERT_EQ(vb.size(), 4u) << lines[0];
    for (double v : vb) EXPECT_TRUE(std::isfinite(v) && std::fabs(v) < 1e306) << lines[0];
    EXPECT_GT(vb[2], 0);
    EXPECT_GT(vb[3], 0);
  }
}

TEST_F(PreviewTest, BlockIsNamedInItsColour) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\"door", "door"}, {"\"\x94\xe0", "扉"}, {"\"\"", "&quot;"}};
  for (const auto& [name, shown] : cases) {
    std::vector<Tag> tags = Draw({"lc8", "BL 5 6 " + name});
    std::vector<Tag> block = WithClass(tags, "block"), label = WithClass(tags, "block-name");
    ASSERT_EQ(block.size(), 1u);
    ASSERT_EQ(label.size(), 1u);
    EXPECT_EQ(label[0].Content, shown);
    EXPECT_EQ(label[0].Attrs["fill"], block[0].Attrs["stroke"]);
    EXPECT_NE(label[0].Attrs["fill"], "");
  }
}

TEST_F(PreviewTest, PicksOfTheFileBeforeAreMarkedAndNumbered) {
  std::string before =
      Write("before.txt", {"hq", "hk 0", "hs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "hp1 0 0",
                           "hp2 0 1000", "hp3- 500 0", "hp12ln -100 500", "hp100 7 7", "lg0"});
  std::string in = Write("in.txt", {"0 0 500 0"});
  RunResult r = Run({in, "--before", before});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  std::vector<Tag> tags = ParseSvg(r.Out);
  std::vector<Tag> rings = WithClass(tags, "pick");
  std::vector<Tag> labels = WithClass(tags, "pick-label");
  ASSERT_EQ(rings.size(), 4u);
  ASSERT_EQ(labels.size(), 4u);
  const std::vector<std::pair<std::string, std::pair<double, double>>> want = {
      {"1", {0, 0}}, {"2", {0, 1000}}, {"3", {500, 0}}, {"12", {-100, 500}}};
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(labels[i].Content, want[i].first);
    ExpectPoints(PointsOf(rings[i]), {want[i].second}, want[i].first);
    // The cross and the number are drawn in the ring's colour.
    EXPECT_EQ(labels[i].Attrs["fill"], rings[i].Attrs["stroke"]);
  }
  for (Tag& cross : WithClass(tags, "pick-cross")) EXPECT_EQ(cross.Attrs["stroke"], "#ff2080");
  // The view takes in the picks as well as the drawing.
  std::vector<double> vb = Numbers(tags[0].Attrs["viewBox"]);
  EXPECT_LT(vb[0], -100);
  EXPECT_LT(vb[1], -1000);
}

TEST_F(PreviewTest, ResultTakesTheScalesAndTextTypesOfTheFileBeforeWhereItHasNone) {
  std::string before = Write("before.txt", {"hs 100 100 100 100 100 100 100 100 100 100 100 100 "
                                            "100 100 100 100",
                                            "hch 4 2 3 4 5 6 7 8 9 10", "hcc 9 1 1 1 1 1 1 1 1 1"});
  struct Case {
    std::vector<std::string> in;
    double fontSize;
    const char* fill;
  };
  const std::string text = "ch 0 0 10 0 \"A", own = "hch 7 7 7 7 7 7 7 7 7 7";
  const std::vector<Case> cases = {
      {.in = {text}, .fontSize = 400, .fill = "#909090"},
      {.in = {"hs 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2", text}, .fontSize = 8, .fill = "#909090"},
      {.in = {"hs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", text}, .fontSize = 4, .fill = "#909090"},
      {.in = {own, "hcc 3 3 3 3 3 3 3 3 3 3", text}, .fontSize = 700, .fill = "#00a000"},
  };
  for (const Case& c : cases) {
    RunResult r = Run({Write("in.txt", c.in), "--before", before});
    ASSERT_EQ(r.Exit, 0) << r.Err;
    std::vector<Tag> texts = WithClass(ParseSvg(r.Out), "text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NEAR(texts[0].Num("font-size"), c.fontSize, kTol) << c.in[0];
    EXPECT_EQ(texts[0].Attrs["fill"], c.fill) << c.in[0];
  }
}

TEST_F(PreviewTest, BadUseGivesAMessageAndAnExitCode) {
  std::string in = Write("in.txt", {"0 0 1 1"});
  const std::string missing = dir_.File("no-such.txt");
  const std::string svg = dir_.File("out.svg"), png = dir_.File("out.png");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int code;
  };
  const std::vector<Case> cases = {
      {"no input", {}, 2},
      {"empty input name", {""}, 2},
      {"missing input", {missing}, 1},
      {"input is a folder", {dir_.Path()}, 1},
      {"unknown option", {in, "--colour"}, 2},
      {"option without value", {in, "--output"}, 2},
      {"two inputs", {in, in}, 2},
      {"option twice", {in, "--before", in, "--before", in}, 2},
      // Whatever the file before, nothing is written when it cannot be read.
      {"missing before", {in, "--before", missing, "--output", svg, "--png", png}, 1},
      {"before is a folder", {in, "--before", dir_.Path(), "--output", svg, "--png", png}, 1},
      {"unknown fit", {in, "--fit", "all"}, 2},
      {"png over the svg", {in, "--output", in + ".svg", "--png", in + ".svg"}, 2},
      {"svg over the input", {in, "--output", in}, 2},
      {"unwritable output", {in, "--output", dir_.File("no/dir/x.svg")}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult r = Run(c.args);
    EXPECT_EQ(r.Exit, c.code);
    EXPECT_NE(r.Err.find("sorea-cli preview"), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out.find("<svg"), std::string::npos);
    EXPECT_FALSE(fs::exists(svg) || fs::exists(png));
  }
}

TEST_F(PreviewTest, WritesTheSvgFileAndAPng) {
  std::string in = Write("in.txt", {"0 0 100 100"});
  std::string svg = dir_.File("out.svg"), png = dir_.File("out.png");
  // Without any converter on the PATH the PNG fails plainly, but the SVG is there.
  RunResult r = Run({in, "--output", svg, "--png", png}, {"PATH=" + dir_.File("empty")});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_NE(r.Err.find("librsvg2-bin"), std::string::npos) << r.Err;
  EXPECT_TRUE(fs::exists(svg));
  EXPECT_FALSE(fs::exists(png));
  std::ifstream f(svg, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(f)), {});
  EXPECT_EQ(WithClass(ParseSvg(text), "line").size(), 1u);
  EXPECT_TRUE(r.Out.empty());

  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "rsvg-convert is not installed";
  fs::remove(svg);
  // The converter gets the name as it stands: blanks, a quote and a dollar sign included.
  png = dir_.File("it's a $HOME plan.png");
  r = Run({in, "--png", png});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  std::ifstream p(png, std::ios::binary);
  std::string head(8, '\0');
  p.read(head.data(), 8);
  EXPECT_EQ(head, "\x89PNG\r\n\x1a\n");
  // Only the PNG was asked for: no SVG left behind, none on stdout.
  EXPECT_TRUE(r.Out.empty());
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir_.Path()))
    files += e.path().extension() == ".svg" ? 1 : 0;
  EXPECT_EQ(files, 0u);

  // Drawings the converter could choke on still come out as pictures.
  const std::vector<std::vector<std::string>> hard = {
      // A map at 1:100000: a 5 mm text is 500000 units high.
      {"hs 100000 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "cn0 5 5 0 2", "ch 0 0 10 0 \"A", "0 0 1e6 1e6",
       "pt 10 10 1 0 20"},
      // Dashed lines and filled solids far apart, and a text too large for any picture.
      {"lt2", "-1e308 0 1e308 0", "sc 0 0 1e7 0 90 1 0 0", "pt 1 1", "cn0 1e300 1e300 0 1",
       "ch 0 0 10 0 \"A"},
  };
  for (const auto& lines : hard) {
    for (bool details : {false, true}) {
      std::vector<std::string> args = {Write("hard.txt", lines), "--png", png};
      if (details) args.push_back("--details");
      r = Run(args);
      EXPECT_EQ(r.Exit, 0) << lines[0] << " " << r.Err;
      EXPECT_GT(fs::exists(png) ? fs::file_size(png) : 0u, 100u) << lines[0];
    }
  }
}

// A dimension of 1000 at scale 1: arrow strokes of 3 and a value 3 high are mere dots in a
// picture of the whole.
const std::vector<std::string> kSmallDimension = {
    "2 0 502 0",          "2 1000 502 1000",          "500 0 500 498.5",
    "500 501.5 500 1000", "cs 497 498.5 10 0 \"1000", "500 0 499.2 2.9",
    "500 0 500.8 2.9",    "500 1000 500.8 997.1",     "500 1000 499.2 997.1"};

TEST_F(PreviewTest, DetailsMagnifyWhereSmallThingsGather) {
  // Each end of a dimension and its value get a detail, top to bottom. Details are small
  // windows, so the point each must hold also places it.
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::pair<double, double>> centres;  // a point each detail shows, in order
  };
  std::vector<std::string> markers = {"0 0 0 1000", "pt 0 0 1 270 2", "pt 0 1000 1 90 7"};
  std::vector<std::string> busy;
  for (int i = 0; i < 12; ++i)
    busy.push_back("pt " + std::to_string(i * 100) + " " + std::to_string(i % 3 * 400) + " 1 0 4");
  const std::vector<Case> cases = {
      {"line arrows and value", kSmallDimension, {{500, 1000}, {500, 500}, {500, 0}}},
      {"point markers", markers, {{0, 1000}, {0, 0}}},
      {"small things everywhere", busy, {}},
      {"nothing small", {"0 0 100 0", "0 0 0 100"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult r = Run({Write("in.txt", c.lines), "--details"});
    ASSERT_EQ(r.Exit, 0) << r.Err;
    std::vector<Tag> tags = ParseSvg(r.Out);
    std::vector<Tag> details = WithClass(tags, "detail");
    ASSERT_EQ(details.size(), c.centres.size());
    for (std::size_t i = 0; i < details.size(); ++i) {
      Window w = WindowOf(details[i]);
      EXPECT_TRUE(w.Holds(c.centres[i].first, c.centres[i].second)) << i;
      // Magnified: far smaller than the drawing, yet large enough for what it shows.
      EXPECT_LT(w.MaxX - w.MinX, 100.0);
      EXPECT_GT(w.MaxX - w.MinX, 3.0);
    }
    if (c.centres.empty()) {
      // Without details the picture is the plain one.
      EXPECT_TRUE(WithClass(tags, "overview").empty());
      continue;
    }
    // The whole drawing is still there once, beside the details.
    std::vector<Tag> overview = WithClass(tags, "overview");
    ASSERT_EQ(overview.size(), 1u);
    Window all = WindowOf(overview[0]);
    for (auto [x, y] : c.centres) EXPECT_TRUE(all.Holds(x, y)) << x << " " << y;
    EXPECT_EQ(WithClass(tags, "detail-frame").size(), c.centres.size());
  }
}

TEST_F(PreviewTest, DetailsOnlyWhenAskedFor) {
  std::vector<Tag> tags = Draw({"0 0 0 1000", "pt 0 0 1 270 2", "pt 0 1000 1 90 7"});
  EXPECT_TRUE(WithClass(tags, "detail").empty());
  EXPECT_TRUE(WithClass(tags, "overview").empty());
  EXPECT_EQ(WithClass(tags, "code-2").size(), 1u);
}

// A real floor plan written by Jw_cad: every element the reader keeps appears once.
TEST_F(PreviewTest, RealDrawingShowsEveryStoredElement) {
  const std::string sample = std::string(SOREA_REAL_SAMPLES) + "/floor-plan.txt";
  sorea::InitElementStore();
  ASSERT_TRUE(sorea::ReadExchangeFile(sample));
  std::size_t lines = sorea::Store.Lines.size(), circles = sorea::Store.Circles.size(),
              arcs = sorea::Store.Arcs.size(), texts = sorea::Store.Texts.size(),
              points = sorea::Store.Points.size();
  sorea::ReleaseElementStore();
  ASSERT_GT(lines, 100u);

  RunResult r = Run({sample});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  std::vector<Tag> tags = ParseSvg(r.Out);
  EXPECT_EQ(WithClass(tags, "line").size(), lines);
  EXPECT_EQ(WithClass(tags, "circle").size(), circles);
  EXPECT_EQ(WithClass(tags, "arc").size(), arcs);
  EXPECT_EQ(WithClass(tags, "text").size(), texts);
  EXPECT_EQ(WithClass(tags, "point").size(), points);
  // Its texts are in Japanese and come out as UTF-8.
  bool japanese = false;
  for (const Tag& t : WithClass(tags, "text"))
    japanese = japanese || t.Content.find("室") != std::string::npos;
  EXPECT_TRUE(japanese);
}

// The drawing the result goes into, as Jw_cad wrote it before the job ran.
TEST_F(PreviewTest, TheFileBeforeIsDrawnMutedBeneathTheResult) {
  const std::string before =
      Write("before.txt", {"hp1 0 0", "lc9", "0 0 10000 0", "ci 5000 0 100", "ch 100 100 10 0 \"A",
                           "pt 1 1 1 0 7", "sl 0 0 10 0 10 10"});
  const std::string in = Write("in.txt", {"lc1", "0 0 0 1000"});
  struct Case {
    std::vector<std::string> flags;
    std::size_t context;  // shapes of the drawing before: its text's box is left out
  };
  const std::vector<Case> cases = {
      {.flags = {}, .context = 5},
      {.flags = {"--fit", "result"}, .context = 4},  // the circle lies beyond the view
      {.flags = {"--no-context"}, .context = 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags.empty() ? "" : c.flags[0]);
    std::vector<Tag> tags = DrawInto(in, before, c.flags);
    EXPECT_EQ(WithClass(tags, "context").size(), c.context);
    EXPECT_TRUE(WithClass(tags, "text-box").empty());
    EXPECT_EQ(WithClass(tags, "pick").size(), 1u);
    std::size_t lastContext = 0, result = tags.size();
    for (std::size_t i = 0; i < tags.size(); ++i) {
      if (tags[i].HasClass("context")) {
        lastContext = i;
        for (const char* paint : {"stroke", "fill"}) {
          const std::string colour = tags[i].Attrs[paint];
          EXPECT_TRUE(colour == "none" || colour == sorea::cli::kContextColour || colour.empty())
              << tags[i].Class() << " " << paint << " " << colour;
        }
      } else if (tags[i].HasClass("line")) {
        result = i;
        EXPECT_EQ(tags[i].Attrs["stroke"], "#0090c0");  // its own colour
      }
    }
    ASSERT_LT(result, tags.size());
    EXPECT_LT(lastContext, result);  // beneath: written before the result
  }
}

TEST_F(PreviewTest, FitResultFramesASmallResultInABigDrawing) {
  const std::string before =
      Write("before.txt", {"hp1 0 0", "-50000 -50000 50000 50000", "ci 0 0 40000"});
  const std::string in = Write("in.txt", kSmallDimension);
  struct Case {
    std::vector<std::string> flags;
    double minWidth, maxWidth;
  };
  const std::vector<Case> cases = {
      {.flags = {}, .minWidth = 100000, .maxWidth = 200000},
      {.flags = {"--fit", "both"}, .minWidth = 100000, .maxWidth = 200000},
      {.flags = {"--fit", "result"}, .minWidth = 1000, .maxWidth = 5000},
      {.flags = {"--fit", "result", "--no-context"}, .minWidth = 1000, .maxWidth = 5000},
  };
  for (const Case& c : cases) {
    for (bool details : {false, true}) {
      SCOPED_TRACE((c.flags.empty() ? "" : c.flags.back()) + (details ? " details" : ""));
      std::vector<std::string> flags = c.flags;
      if (details) flags.push_back("--details");
      std::vector<Tag> tags = DrawInto(in, before, flags);
      std::vector<Tag> overview = WithClass(tags, "overview");
      ASSERT_EQ(overview.size(), details ? 1u : 0u);
      Window whole = WindowOf(details ? overview[0] : tags[0]);
      EXPECT_GE(whole.MaxX - whole.MinX, c.minWidth);
      EXPECT_LE(whole.MaxX - whole.MinX, c.maxWidth);
      for (auto [x, y] : {std::pair{2.0, 0.0}, {502.0, 1000.0}, {0.0, 0.0}})
        EXPECT_TRUE(whole.Holds(x, y)) << x << " " << y;
      // The details magnify parts of the result in either view.
      std::vector<Tag> magnified = WithClass(tags, "detail");
      EXPECT_EQ(magnified.empty(), !details);
      for (const Tag& d : magnified) {
        Window w = WindowOf(d);
        EXPECT_LT(w.MaxX - w.MinX, 0.05 * (whole.MaxX - whole.MinX));
        EXPECT_TRUE(w.MaxX >= 0 && w.MinX <= 502 && w.MaxY >= 0 && w.MinY <= 1000);
      }
    }
  }
}

TEST_F(PreviewTest, DrawingFarBeyondAResultFitViewIsCutToIt) {
  // Lines and a circle 1e8 long cross a view of a few thousand: dashed at the view's pen they
  // would be more dashes than a renderer takes, and their far ends lose its precision.
  const std::string before =
      Write("before.txt", {"lt2", "-1e8 500 1e8 500", "ci 0 -99999000 100000000",
                           "sl -1e8 -1e8 1e8 -1e8 0 400", "ch -1e8 0 10 0 \"far"});
  const std::string in = Write("in.txt", {"0 0 0 1000"});
  std::vector<Tag> tags = DrawInto(in, before, {"--fit", "result"});
  ASSERT_FALSE(tags.empty());
  const Window view = WindowOf(tags[0]);
  std::vector<Tag> context = WithClass(tags, "context");
  ASSERT_EQ(context.size(), 3u);  // the far text is left out
  for (const Tag& t : context) {
    auto pts = PointsOf(t);
    ASSERT_GE(pts.size(), 2u) << t.Class();
    for (auto [x, y] : pts) EXPECT_TRUE(std::fabs(x) < 1e4 && std::fabs(y) < 1e4) << t.Class();
    // Cut beyond the view's edges: the line still crosses the whole view.
    if (t.HasClass("line")) {
      EXPECT_TRUE(pts[0].first < view.MinX && pts[1].first > view.MaxX);
    } else if (t.HasClass("circle")) {  // what is left of it lies on it
      for (auto [x, y] : pts) EXPECT_NEAR(std::hypot(x, y + 99999000), 1e8, 1e-3);
    }
  }
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "rsvg-convert is not installed";
  const std::string png = dir_.File("far.png");
  RunResult r = Run({in, "--before", before, "--fit", "result", "--details", "--png", png});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_GT(fs::exists(png) ? fs::file_size(png) : 0u, 100u);
}

}  // namespace
