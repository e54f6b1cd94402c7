// The record writers: formats, due flags and change suppression, and the output list.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "exchange/JwwGaibu.h"
#include "util/MyFunc.h"

namespace sorea {
namespace {

// Reads input (what Jw_cad handed over), resets the writer and runs the calls.
std::vector<std::string> Written(const std::vector<std::string>& input,
                                 const std::function<void()>& calls) {
  InitElementStore();
  for (const std::string& line : input) ParseExchangeLine(line);
  ResetWriterState(Store);
  calls();
  std::vector<std::string> texts;
  for (const OutputLine& line : Store.Output) texts.push_back(line.Text);
  return texts;
}

using Lines = std::vector<std::string>;

// One case of the tables below: what Jw_cad handed over, the writer calls, the records written.
struct WriterCase {
  const char* name;
  Lines input;
  std::function<void()> calls;
  Lines expected;
};

void ExpectWritten(const std::vector<WriterCase>& cases) {
  for (const WriterCase& c : cases) EXPECT_EQ(Written(c.input, c.calls), c.expected) << c.name;
}

TEST(ExchangeWriter, AttributeRecordsAreDueOnceThenChangeSuppressed) {
  const std::vector<WriterCase> cases = {
      {"layer twice", {}, [] { WriteLayer(Store, 3), WriteLayer(Store, 3); }, {"ly3"}},
      {"layer group makes the layer due",
       {},
       [] {
         WriteLayer(Store, 3), WriteLayerGroup(Store, 2), WriteLayer(Store, 3),
             WriteLayer(Store, 3);
       },
       {"ly3", "lg2", "ly3"}},
      {"unchanged layer group does not",
       {},
       [] {
         WriteLayerGroup(Store, 2), WriteLayer(Store, 1), WriteLayerGroup(Store, 2),
             WriteLayer(Store, 1);
       },
       {"lg2", "ly1"}},
      {"hex digits",
       {},
       [] { WriteLayerGroup(Store, 10), WriteLayer(Store, 15), WriteLayerGroup(Store, 0); },
       {"lgA", "lyF", "lg0"}},
      {"colour due although current",
       {},
       [] {
         WriteLineColor(Store, 1), WriteLineColor(Store, 1), WriteLineColor(Store, 5),
             WriteLineColor(Store, 5);
       },
       {"lc1", "lc5"}},
      {"point colour and line type",
       {},
       [] {
         WritePointColor(Store, 1), WriteLineType(Store, 2), WriteLineType(Store, 2),
             WritePointColor(Store, 3);
       },
       {"pn1", "lt2", "pn3"}},
      {"negative colour", {}, [] { WriteLineColor(Store, -12); }, {"lc-12"}},
      {"attribute range",
       {},
       [] {
         WriteTextAttribute(Store, 9), WriteTextAttribute(Store, 0), WriteTextAttribute(Store, 4);
       },
       {"cc0", "cc4"}},
      {"no lw in input: never",
       {},
       [] { WriteLineWidth(Store, 3), WriteLineWidth(Store, -1), WriteLineWidth(Store, 5); },
       {}},
      {"lw in input",
       {"lw7"},
       [] {
         WriteLineWidth(Store, -1), WriteLineWidth(Store, 40000), WriteLineWidth(Store, -5),
             WriteLineWidth(Store, 30000);
       },
       {"lw7", "lw0", "lw30000"}},
      {"flags",
       {},
       [] {
         WriteEntityFlags(Store, 24), WriteEntityFlags(Store, 5), WriteEntityFlags(Store, 8),
             WriteEntityFlags(Store, 0);
       },
       {"z5", "z1", "z3", "z4"}},
      {"all flags", {}, [] { WriteEntityFlags(Store, 31); }, {"z1", "z2", "z3", "z5"}},
  };
  ExpectWritten(cases);
}

TEST(ExchangeWriter, TextTypeRecords) {
  const std::vector<WriterCase> cases = {
      {"free size once",
       {},
       [] {
         WriteTextType(Store, 0, 1, 2.5, 2.5, 0);
         WriteTextType(Store, 0, 1, 2.5, 2.5, 0);
       },
       {"cn0 2.5 2.5 0 1"}},
      {"spacing alone changes it",
       {},
       [] {
         WriteTextType(Store, 0, 1, 2.5, 2.5, 0);
         WriteTextType(Store, 0, 1, 2.5, 2.5, 0.25);
         WriteTextType(Store, 0, 3, 2.5, 2.5, 0.25);
       },
       {"cn0 2.5 2.5 0 1", "cn0 2.5 2.5 0.25 1", "cn0 2.5 2.5 0.25 3"}},
      {"numbered types ignore the size",
       {},
       [] {
         WriteTextType(Store, 4, 1, 1, 1, 1);
         WriteTextType(Store, 4, 9, 7, 7, 7);
         WriteTextType(Store, 10, 0, 0, 0, 0);
       },
       {"cn4", "cn10"}},
      {"out of range takes the input's type",
       {"cn3"},
       [] { WriteTextType(Store, 11, 1, 1, 1, 1); },
       {"cn3"}},
      {"out of range, input type 0 takes its free size",
       {"cn0 3.5 3.5 0.5 2"},
       [] { WriteTextType(Store, -1, 9, 1, 1, 1); },
       {"cn0 3.5 3.5 0.5 2"}},
      {"input type out of range is written as it is",
       {"cn12"},
       [] { WriteTextType(Store, 42, 1, 1, 1, 1); },
       {"cn12"}},
      {"due although type 1 is current",
       {},
       [] {
         WriteTextType(Store, 1, 1, 0, 0, 0);
         WriteTextType(Store, 1, 1, 0, 0, 0);
       },
       {"cn1"}},
  };
  ExpectWritten(cases);
}

TEST(ExchangeWriter, FontNames) {
  const std::vector<WriterCase> cases = {
      {"input font for <>",
       {"cn\"$<Mincho>"},
       [] { WriteFontName(Store, "<>"), WriteFontName(Store, ""); },
       {"cn\"$<Mincho>"}},
      {"no input font", {}, [] { WriteFontName(Store, ""); }, {"cn\"$"}},
      {"change and same",
       {},
       [] {
         WriteFontName(Store, "<A B>"), WriteFontName(Store, "<A B>"), WriteFontName(Store, "<C>");
       },
       {"cn\"$<A B>", "cn\"$<C>"}},
  };
  ExpectWritten(cases);
}

TEST(ExchangeWriter, ElementRecords) {
  struct Case {
    const char* name;
    std::function<void()> calls;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"degenerate line", [] { WriteLine(Store, 1, 2, 1, 2.000000001); }, {}},
      {"short line", [] { WriteLine(Store, 1, 2, 1, 2.00001); }, {"1 2 1 2.00001"}},
      {"number forms",
       [] { WriteLine(Store, 0.0001, 0.00001, 1.0 / 3.0, -1e15); },
       {"0.0001 1E-5 0.333333333333333 -1E15"}},
      {"point code and scale", [] { WritePoint(Store, 20, 0, 0, 0, 0); }, {"pt 0 0 1 0 -3"}},
      {"point kept", [] { WritePoint(Store, -7, 1.5, -2, 0.5, 90); }, {"pt 1.5 -2 0.5 90 -7"}},
      {"point code 12", [] { WritePoint(Store, 12, 0, 0, 1e-9, 0); }, {"pt 0 0 1 0 -3"}},
      {"text", [] { WriteText(Store, 2, "  12 mm", 1, 2, 1, 0); }, {"cs 1 2 1 0 \"", "  12 mm"}},
      {"text kind out of range",
       [] { WriteText(Store, 10, "a", 1, 2, 0, 1); },
       {"ch 1 2 0 1 \"", "a"}},
      {"blank texts",
       [] {
         WriteText(Store, 0, "   ", 1, 2, 1, 0);
         WriteText(Store, 0, "\x81\x40\x81\x40", 1, 2, 1, 0);
         WriteText(Store, 0, "", 1, 2, 1, 0);
       },
       {}},
      {"zero direction", [] { WriteText(Store, 0, "a", 1, 2, 1e-9, -1e-9); }, {}},
      {"dimension with its length",
       [] { WriteDimension(Store, " ", 0, 0, 3, 4, 1, 2, 1, 0); },
       {"msg", "0 0 3 4", "cs 1 2 1 0 \"", "5"}},
      {"dimension length rounded to 8 decimals",
       [] { WriteDimension(Store, "", 0, 0, 1.0 / 3.0, 0, 0, 0, 1, 0); },
       {"msg", "0 0 0.333333333333333 0", "cs 0 0 1 0 \"", "0.33333333"}},
      {"dimension text as given",
       [] { WriteDimension(Store, " 1,000 ", 0, 0, 0, 1000, 5, 500, 0, 1); },
       {"msg", "0 0 0 1000", "cs 5 500 0 1 \"", " 1,000 "}},
      {"degenerate dimension",
       [] {
         WriteDimension(Store, "x", 0, 0, 0, 1e-9, 5, 500, 0, 1);
         WriteDimension(Store, "x", 0, 0, 0, 1, 5, 500, 0, 0);
       },
       {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Written({}, c.calls), c.expected) << c.name;
}

TEST(ExchangeWriter, OutputLinesAreCutAtWholeCharacters) {
  struct Case {
    std::string text;
    std::size_t kept;
  };
  const std::string dbc = "\x83\x41";
  const std::vector<Case> cases = {
      {std::string(255, 'a'), 255},          {std::string(300, 'a'), 255},
      {std::string(253, 'a') + dbc, 255},    {std::string(254, 'a') + dbc, 254},
      {std::string(254, 'a') + "\x82", 254},
  };
  for (const Case& c : cases) {
    Lines out = Written({}, [&] { AppendOutputLine(Store, c.text); });
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], c.text.substr(0, c.kept)) << c.text.size();
  }
  // A text record's head and text are cut on their own.
  std::string longText = std::string(253, 'b') + dbc + "tail";
  Lines out = Written({}, [&] { WriteText(Store, 0, longText, 1, 1, 1, 0); });
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1], longText.substr(0, 255));
}

TEST(ExchangeWriter, OnlyTextHeadsAreMarkedAsHeads) {
  Written({}, [] {
    WriteFontName(Store, "<Font\">");
    WriteFontName(Store, "<Inch\"");
    WriteText(Store, 0, "12\"", 0, 0, 1, 0);
    WriteDimension(Store, "3\"", 0, 0, 1, 0, 0, 0, 1, 0);
    AppendOutputLine(Store, "ends in a quote\"");
  });
  std::vector<bool> heads;
  for (const OutputLine& line : Store.Output) heads.push_back(line.Head);
  EXPECT_EQ(heads,
            (std::vector<bool>{false, false, true, false, false, false, true, false, false}));
}

TEST(ExchangeWriter, GrowthKeepsOrder) {
  Lines out = Written({}, [] {
    for (int i = 1; i <= 2500; ++i) WriteLine(Store, 0, 0, i, 0);
  });
  ASSERT_EQ(out.size(), 2500u);
  EXPECT_EQ(out[1000], "0 0 1001 0");
  EXPECT_EQ(out[2499], "0 0 2500 0");
}

// A real is writable when its written form reads back as a number: past kLargestWritable the
// 15 digits round beyond the largest double.
TEST(ExchangeWriter, WritableReals) {
  using L = std::numeric_limits<double>;
  const double past = std::nextafter(kLargestWritable, L::infinity());
  struct Case {
    double value;
    bool writable;
  };
  // clang-format off
  const Case cases[] = {
      {0, true}, {-1e300, true}, {kLargestWritable, true}, {-kLargestWritable, true},
      {past, false}, {L::max(), false}, {L::infinity(), false}, {-L::infinity(), false},
      {L::quiet_NaN(), false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(WritableReal(c.value), c.writable);
    if (std::isfinite(c.value) && c.value != 0) {
      EXPECT_EQ(TextToFloat(FormatGeneral(c.value)) != 0, c.writable);
    }
  }
}

}  // namespace
}  // namespace sorea
