// The vertical dimension's records, from the four picks to the output list, for the placements
// that decide its shape: value between the ends or beyond one, marks inside or reversed, the
// axis frame turned, the drawing scale, and the dimension entity.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "dimension/Dimension.h"
#include "exchange/JwwGaibu.h"

namespace sorea {
namespace {

struct RecordCase {
  const char* name;
  DimPoint p1{0, 0}, p2{0, 1000}, p3{500, 0}, p4;
  double axisAngle = 0;
  double scale = 1;
  int startMark = 0, endMark = 0;
  double markScale = 1;
  double reverseOvershoot = 2;  // paper mm
  bool dimensionFigure = false;
  const char* records;  // after the attribute header, " | " between records
};

std::vector<std::string> Records(std::string_view joined) {
  std::vector<std::string> records;
  for (std::size_t start = 0;;) {
    const std::size_t bar = joined.find(" | ", start);
    records.emplace_back(joined.substr(start, bar - start));
    if (bar == std::string_view::npos) return records;
    start = bar + 3;
  }
}

// Expected records worked out independently of this code (plain double arithmetic, printed
// with 15 significant digits; the last digits where extended arithmetic decides them were
// checked with a 64-bit-significand model of each operation).
const RecordCase kRecordCases[] = {
    {.name = "PointMarkersValueBetween",
     .p4 = {-100, 500},
     .startMark = 2,
     .endMark = 2,
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 498.5 | z3 | "
                "500 501.5 500 1000 | cn1 | cc0 | z3 | cs 497 498.5 10 0 \" | 1000 | z3 | "
                "pt 500 0 1 270 2 | z3 | pt 500 1000 1 90 2"},
    {.name = "ValueBelowStartLeaderCut",
     .p4 = {-100, -50},
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 1000 | cn1 | cc0 | "
                "z3 | cs 497 -51.5 10 0 \" | 1000 | z3 | 500 0 500 -48.5 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721 | z3 | 500 1000 500 1002 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887"},
    {.name = "ValueLevelWithStart",
     .p4 = {-100, 0},
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 1000 | cn1 | cc0 | "
                "z3 | cs 497 -1.5 10 0 \" | 1000 | z3 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721 | z3 | 500 1000 500 1002 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887"},
    {.name = "ValueWithinToleranceOfEnd",
     .p4 = {-100, 999.99999999995},
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 1000 | cn1 | cc0 | "
                "z3 | cs 497 998.49999999995 10 0 \" | 1000 | z3 | 500 0 500 -2 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721 | z3 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887"},
    {.name = "ValueBeyondEnd",
     .p4 = {-100, 1100},
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 1000 | cn1 | cc0 | "
                "z3 | cs 497 1098.5 10 0 \" | 1000 | z3 | 500 0 500 -2 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721 | z3 | 500 1000 500 1098.5 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887"},
    {.name = "LineLeftOfPoints",
     .p3 = {-500, 0},
     .p4 = {-100, 500},
     .records = "z3 | -2 0 -502 0 | z3 | -2 1000 -502 1000 | z3 | -500 0 -500 498.5 | z3 | "
                "-500 501.5 -500 1000 | cn1 | cc0 | z3 | cs -503 498.5 10 0 \" | 1000 | "
                "z3 | -500 0 -500.776457135308 2.89777747886721 | z3 | "
                "-500 0 -499.223542864692 2.89777747886721 | z3 | "
                "-500 1000 -499.223542864692 997.102222521133 | z3 | "
                "-500 1000 -500.776457135308 997.102222521133"},
    {.name = "StartAboveEndValueAbove",
     .p1 = {0, 1000},
     .p2 = {0, 0},
     .p4 = {0, 1200},
     .records = "z3 | 2 1000 502 1000 | z3 | 2 0 502 0 | z3 | 500 1000 500 0 | cn1 | cc0 | "
                "z3 | cs 497 1198.5 10 0 \" | 1000 | z3 | 500 1000 500 1198.5 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887 | z3 | 500 0 500 -2 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721"},
    {.name = "StartAboveEndValueBelow",
     .p1 = {0, 1000},
     .p2 = {0, 0},
     .p4 = {0, -20},
     .records = "z3 | 2 1000 502 1000 | z3 | 2 0 502 0 | z3 | 500 1000 500 0 | cn1 | cc0 | "
                "z3 | cs 497 -21.5 10 0 \" | 1000 | z3 | 500 1000 500 1002 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887 | z3 | 500 0 500 -18.5 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721"},
    {.name = "AxisAngle30",
     .p2 = {-500, 866.0254037844387},
     .p4 = {0, 500},
     .axisAngle = 30.0,
     .records = "z3 | 1.73205080756888 1 376.732050807569 217.50635094611 | z3 | "
                "-498.267949192431 867.025403784439 -123.267949192431 1083.53175473055 | "
                "z3 | 375 216.50635094611 159.359674457675 590.00635094611 | z3 | "
                "157.627623650106 593.00635094611 -125 1082.53175473055 | cn1 | cc0 | z3 | "
                "cs 155.49364905389 590.00635094611 10 0 \" | 1000 | z3 | "
                "375 216.50635094611 372.87867965644 218.627671289669 | z3 | "
                "375 216.50635094611 374.223542864692 219.404128424977 | z3 | "
                "-125 1082.53175473055 -122.87867965644 1080.41043438699 | z3 | "
                "-125 1082.53175473055 -124.223542864693 1079.63397725168"},
    {.name = "AxisAngle30ValueBeyondEnd",
     .p2 = {-500, 866.0254037844387},
     .p4 = {-600, 1100},
     .axisAngle = 30.0,
     .records = "z3 | 1.73205080756888 1 376.732050807569 217.50635094611 | z3 | "
                "-498.267949192431 867.025403784439 -123.267949192431 1083.53175473055 | "
                "z3 | 375 216.50635094611 -125 1082.53175473055 | cn1 | cc0 | z3 | "
                "cs -254.313972081441 1299.81397208144 10 0 \" | 1000 | z3 | "
                "375 216.50635094611 376 214.774300138541 | z3 | "
                "375 216.50635094611 377.12132034356 214.38503060255 | z3 | "
                "375 216.50635094611 375.776457135308 213.608573467242 | z3 | "
                "-125 1082.53175473055 -250.447946677657 1299.81397208144 | z3 | "
                "-125 1082.53175473055 -127.12132034356 1084.65307507411 | z3 | "
                "-125 1082.53175473055 -125.776457135308 1085.42953220942"},
    {.name = "ArrowsDoNotFit",
     .p2 = {0, 5.7},
     .p4 = {-100, 2.85},
     .records = "z3 | 2 0 502 0 | z3 | 2 5.7 502 5.7 | z3 | 500 0 500 1.35 | z3 | "
                "500 4.35 500 5.7 | cn1 | cc0 | z3 | cs 497.75 1.35 10 0 \" | 5.7 | z3 | "
                "500 0 500 -2 | z3 | 500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721 | z3 | 500 5.7 500 7.7 | z3 | "
                "500 5.7 499.223542864692 8.5977774788672 | z3 | "
                "500 5.7 500.776457135308 8.5977774788672"},
    {.name = "ArrowsJustFit",
     .p2 = {0, 5.8},
     .p4 = {-100, 2.9},
     .records = "z3 | 2 0 502 0 | z3 | 2 5.8 502 5.8 | z3 | 500 0 500 1.4 | z3 | "
                "500 4.4 500 5.8 | cn1 | cc0 | z3 | cs 497.75 1.4 10 0 \" | 5.8 | z3 | "
                "500 0 499.223542864692 2.89777747886721 | z3 | "
                "500 0 500.776457135308 2.89777747886721 | z3 | "
                "500 5.8 500.776457135308 2.90222252113279 | z3 | "
                "500 5.8 499.223542864692 2.90222252113279"},
    {.name = "ReversedWithoutOvershoot",
     .p4 = {-100, -50},
     .reverseOvershoot = 0.0,
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 1000 | cn1 | cc0 | "
                "z3 | cs 497 -51.5 10 0 \" | 1000 | z3 | 500 0 500 -48.5 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887"},
    {.name = "SquareMarkScaled",
     .p4 = {-100, 500},
     .startMark = 2,
     .markScale = 2.0,
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 498.5 | z3 | "
                "500 501.5 500 1000 | cn1 | cc0 | z3 | cs 497 498.5 10 0 \" | 1000 | z3 | "
                "pt 500 0 2 270 2 | z3 | 500 1000 500.776457135308 997.102222521133 | z3 | "
                "500 1000 499.223542864692 997.102222521133"},
    {.name = "TwoTriangles",
     .p4 = {-100, 500},
     .startMark = 1,
     .endMark = 11,
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | z3 | 500 0 500 498.5 | z3 | "
                "500 501.5 500 1000 | cn1 | cc0 | z3 | cs 497 498.5 10 0 \" | 1000 | z3 | "
                "pt 500 0 1 270 1 | z3 | pt 500 1000 1 90 11"},
    {.name = "MarkersTooBigReverse",
     .p2 = {0, 10},
     .p4 = {-100, 5},
     .startMark = 9,
     .endMark = 8,
     .records = "z3 | 2 0 502 0 | z3 | 2 10 502 10 | z3 | 500 0 500 3.5 | z3 | "
                "500 6.5 500 10 | cn1 | cc0 | z3 | cs 498.5 3.5 10 0 \" | 10 | z3 | "
                "pt 500 0 1 270 9 | z3 | pt 500 10 1 90 8"},
    {.name = "DrawingScale100",
     .p2 = {0, 100000},
     .p3 = {50000, 0},
     .p4 = {-100, 50000},
     .scale = 100.0,
     .endMark = 4,
     .reverseOvershoot = 2.0,
     .records = "z3 | 200 0 50200 0 | z3 | 200 100000 50200 100000 | z3 | "
                "50000 0 50000 49850 | z3 | 50000 50150 50000 100000 | cn1 | cc0 | z3 | "
                "cs 49550 49850 10 0 \" | 100000 | z3 | "
                "50000 0 49922.3542864692 289.77774788672 | z3 | "
                "50000 0 50077.6457135308 289.77774788672 | z3 | pt 50000 100000 1 90 4"},
    {.name = "DimensionEntity",
     .p4 = {-100, 500},
     .dimensionFigure = true,
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | cn1 | msg | 500 0 500 1000 | "
                "cs 497 498.5 10 0 \" | 1000 | z3 | "
                "500 0 499.223542864692 2.89777747886721 | z3 | "
                "500 0 500.776457135308 2.89777747886721 | z3 | "
                "500 1000 500.776457135308 997.102222521133 | z3 | "
                "500 1000 499.223542864692 997.102222521133"},
    {.name = "DimensionEntityValueOutside",
     .p4 = {-100, -50},
     .dimensionFigure = true,
     .records = "z3 | 2 0 502 0 | z3 | 2 1000 502 1000 | cn1 | msg | 500 0 500 1000 | "
                "cs 497 -51.5 10 0 \" | 1000 | z3 | 500 0 500 -48.5 | z3 | "
                "500 0 500.776457135308 -2.89777747886721 | z3 | "
                "500 0 499.223542864692 -2.89777747886721 | z3 | 500 1000 500 1002 | z3 | "
                "500 1000 499.223542864692 1002.89777747887 | z3 | "
                "500 1000 500.776457135308 1002.89777747887"},
};

// The store as the show sequence leaves it for an exchange file holding only the picks.
void PrepareStore(const RecordCase& c) {
  InitElementStore();
  Store.AxisAngle = c.axisAngle;
  for (double& s : Store.LayerGroupScale) s = c.scale;
  const DimPoint picks[4] = {c.p1, c.p2, c.p3, c.p4};
  for (int i = 0; i < 4; ++i) {
    Store.PickedPoints[static_cast<std::size_t>(i + 1)].Set = true;
    Store.PickedPoints[static_cast<std::size_t>(i + 1)].X = picks[i].X;
    Store.PickedPoints[static_cast<std::size_t>(i + 1)].Y = picks[i].Y;
  }
  ResetWriterState(Store);
}

DimensionSettings SettingsFor(const RecordCase& c) {
  DimensionSettings s;
  s.StartMark = c.startMark;
  s.EndMark = c.endMark;
  s.MarkScale = c.markScale;
  s.TextTypeChoice = 1;
  s.ReverseOvershoot = c.reverseOvershoot;
  s.DimensionFigure = c.dimensionFigure;
  return s;
}

// The job after its checks, on the picks of the store it reads, writing to out.
void DrawAndWrite(const DimensionSettings& settings, double scale,
                  const ElementStore& store = Store, ElementStore& out = Store) {
  const DimensionPicks picks = TakePicks(store);
  const DimensionLayout ends = ComputeLineEnds(picks, store.AxisAngle);
  const DrawingLengths lengths = ToDrawingUnits(settings, scale);
  WriteVerticalDimension(DrawVerticalDimension(settings, lengths, picks, scale, ends, store), out);
}

std::vector<std::string> OutputTexts(std::size_t from) {
  std::vector<std::string> texts;
  for (std::size_t i = from; i < Store.Output.size(); ++i) texts.push_back(Store.Output[i].Text);
  return texts;
}

TEST(VerticalDimensionRecords, EveryPlacement) {
  for (const RecordCase& c : kRecordCases) {
    SCOPED_TRACE(c.name);
    PrepareStore(c);
    DrawAndWrite(SettingsFor(c), c.scale);
    const std::vector<std::string> header = {"lg0", "ly0", "lc1", "pn1", "lt1", "cn\"$"};
    const std::vector<std::string> all = OutputTexts(0);
    ASSERT_GE(all.size(), header.size());
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 6), header);
    EXPECT_EQ(OutputTexts(header.size()), Records(c.records));
  }
  ReleaseElementStore();
}

// The job reads and writes the store it is given, and no other.
TEST(VerticalDimensionRecords, WritesToTheStoreItIsGiven) {
  PrepareStore(kRecordCases[0]);
  ElementStore given = std::move(Store);
  InitElementStore();
  DrawAndWrite(SettingsFor(kRecordCases[0]), kRecordCases[0].scale, given, given);
  EXPECT_EQ(given.Output.size(), 6 + Records(kRecordCases[0].records).size());
  EXPECT_TRUE(Store.Output.empty());
  ReleaseElementStore();
}

// The attribute header takes the drawing's attributes, points take the line colour, and the
// drawing's text type is put back after the value's.
TEST(VerticalDimensionRecords, HeaderAndTextTypePutBack) {
  struct Case {
    const char* name;
    int layerGroup = 0, layer = 0, lineColor = 1, lineType = 1, lineWidth = 0;
    bool lineWidthSeen = false;
    const char* font = "";
    int initialTextType = 1;
    int choice = 1;
    std::vector<std::string> head;
    std::string valueType;  // the text type record before the value
    std::string last;       // the last record of the job
  };
  const std::string noFont = "cn\"$";
  // clang-format off
  const Case cases[] = {
      {.name = "no line width in the input", .head = {"lg0", "ly0", "lc1", "pn1", "lt1", noFont},
       .valueType = "cn1", .last = "pt 500 1000 1 90 2"},
      {.name = "attributes of the drawing", .layerGroup = 10, .layer = 3, .lineColor = 5,
       .lineType = 2, .lineWidth = 4, .lineWidthSeen = true, .font = "<Mincho>",
       .initialTextType = 3, .choice = 5,
       .head = {"lgA", "ly3", "lc5", "pn5", "lt2", "lw4", "cn\"$<Mincho>"},
       .valueType = "cn5", .last = "cn3"},
      {.name = "free text type put back", .initialTextType = 0, .choice = 2,
       .head = {"lg0", "ly0", "lc1", "pn1", "lt1", noFont},
       .valueType = "cn2", .last = "cn0 2.5 2.5 0.5 3"},
  };
  // clang-format on

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordCase geometry = kRecordCases[0];
    PrepareStore(geometry);
    Store.InitialLayerGroup = c.layerGroup;
    Store.InitialLayer = c.layer;
    Store.InitialLineColor = c.lineColor;
    Store.InitialLineType = c.lineType;
    Store.InitialLineWidth = c.lineWidth;
    Store.LineWidthSeen = c.lineWidthSeen;
    Store.InitialFontName = c.font;
    Store.InitialTextType = c.initialTextType;
    Store.InitialFreeSize = FreeTextSize{2.5, 2.5, 0.5, 3};
    DimensionSettings settings = SettingsFor(geometry);
    settings.TextTypeChoice = c.choice;
    DrawAndWrite(settings, 1);
    const std::vector<std::string> texts = OutputTexts(0);
    ASSERT_GT(texts.size(), c.head.size());
    EXPECT_EQ(
        std::vector<std::string>(texts.begin(), texts.begin() + static_cast<long>(c.head.size())),
        c.head);
    EXPECT_EQ(texts.back(), c.last);
    bool foundValueType = false;
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
      if (texts[i] == c.valueType && texts[i + 1] == "cc0") foundValueType = true;
    }
    EXPECT_TRUE(foundValueType);
  }
  ReleaseElementStore();
}

TEST(VerticalDimensionLayout, ValueSideAndCuts) {
  struct Case {
    const char* name;
    DimPoint p4;
    int side;
    double leader;
    DimPoint startGap, endGap, origin;
  };
  const std::vector<Case> cases = {
      {"between the ends", {-100, 500}, 0, 0, {500, 498.5}, {500, 501.5}, {497, 498.5}},
      {"beyond the start, cut at top", {-100, -50}, 1, 48.5, {500, 0}, {500, 1000}, {497, -51.5}},
      {"level with the start", {-100, 0}, 1, 0, {500, 0}, {500, 1000}, {497, -1.5}},
      {"at the end within 1e-10",
       {-100, 999.99999999995},
       2,
       0,
       {500, 0},
       {500, 1000},
       {497, 998.49999999995}},
      {"beyond the end", {0, 1010}, 2, 8.5, {500, 0}, {500, 1000}, {497, 1008.5}},
      {"off the end past 1e-10",
       {0, 999.9999999},
       0,
       0,
       {500, 998.4999999},
       {500, 998.4999999},
       {497, 998.4999999}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordCase geometry = kRecordCases[0];
    geometry.p4 = c.p4;
    PrepareStore(geometry);
    const DimensionPicks picks = TakePicks(Store);
    DimensionLayout layout = ComputeLineEnds(picks, 0);
    PlaceValue(picks, 0, 1, "1000", ValueTextSize{1, 3, 3, 0, 2}, layout);
    EXPECT_EQ(layout.ValueSide, c.side);
    EXPECT_NEAR(layout.LeaderLength, c.leader, 1e-9);
    EXPECT_NEAR(layout.StartGapPoint.X, c.startGap.X, 1e-9);
    EXPECT_NEAR(layout.StartGapPoint.Y, c.startGap.Y, 1e-9);
    EXPECT_NEAR(layout.EndGapPoint.X, c.endGap.X, 1e-9);
    EXPECT_NEAR(layout.EndGapPoint.Y, c.endGap.Y, 1e-9);
    EXPECT_NEAR(layout.ValueOrigin.X, c.origin.X, 1e-9);
    EXPECT_NEAR(layout.ValueOrigin.Y, c.origin.Y, 1e-9);
  }
  ReleaseElementStore();
}

}  // namespace
}  // namespace sorea
