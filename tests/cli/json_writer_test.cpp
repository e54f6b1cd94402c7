// The JSON writer on its own: commas and nesting, escaping, numbers, and text handed over in
// pieces.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "cli/JsonWriter.h"

namespace {

using sorea::cli::JsonWriter;

// The document a writer makes, collected whole.
struct Document {
  std::string Text;
  JsonWriter Json{[this](std::string_view part) { Text += part; }};
};

TEST(JsonWriter, PutsCommasAndBracketsByNesting) {
  Document d;
  d.Json.BeginObject().Key("a").Int(1).Key("b").BeginArray().EndArray().Key("c").BeginArray();
  d.Json.BeginObject().EndObject().Bool(true).BeginArray().Int(-2).Int(3).EndArray();
  d.Json.BeginObject().Key("x").Bool(false).Key("y").BeginObject().EndObject().EndObject();
  d.Json.EndArray().Key("d").String("").EndObject().Finish();
  EXPECT_EQ(d.Text, R"({"a":1,"b":[],"c":[{},true,[-2,3],{"x":false,"y":{}}],"d":""})"
                    "\n");
}

TEST(JsonWriter, EscapesStringsAndKeys) {
  struct Case {
    std::string utf8, json;
  };
  const std::vector<Case> cases = {
      {.utf8 = "plain", .json = R"("plain")"},
      {.utf8 = "say \"hi\"", .json = R"("say \"hi\"")"},
      {.utf8 = "a\\b", .json = R"("a\\b")"},
      {.utf8 = "\x01\t\n\x1f\x7f", .json = R"("\u0001\u0009\u000a\u001f\u007f")"},
      {.utf8 = "\xe5\xaf\xb8\xe6\xb3\x95 /", .json = "\"\xe5\xaf\xb8\xe6\xb3\x95 /\""},
      {.utf8 = std::string("a\0b", 3), .json = R"("a\u0000b")"},
  };
  for (const Case& c : cases) {
    Document d;
    d.Json.BeginObject().Key(c.utf8).String(c.utf8).EndObject().Finish();
    EXPECT_EQ(d.Text, "{" + c.json + ":" + c.json + "}\n") << c.json;
  }
}

TEST(JsonWriter, WritesNumbersAsTheExchangeFileDoes) {
  struct Case {
    double value;
    std::string json;
  };
  const std::vector<Case> cases = {
      {.value = 0.1, .json = "0.1"},
      {.value = -1e-5, .json = "-1E-5"},
      {.value = 2.5e20, .json = "2.5E20"},
      {.value = 1.0 / 3, .json = "0.333333333333333"},
      {.value = -0.0, .json = "0"},
      {.value = std::numeric_limits<double>::infinity(), .json = "0"},
      {.value = std::numeric_limits<double>::quiet_NaN(), .json = "0"},
  };
  for (const Case& c : cases) {
    Document d;
    d.Json.BeginArray().Number(c.value).Int(-7).EndArray().Finish();
    EXPECT_EQ(d.Text, "[" + c.json + ",-7]\n") << c.value;
  }
}

TEST(JsonWriter, HandsTheTextOverInPieces) {
  std::vector<std::string> pieces;
  JsonWriter json([&](std::string_view part) { pieces.emplace_back(part); }, 8);
  json.BeginArray();
  for (int i = 0; i < 20; ++i) json.Int(i);
  json.EndArray();
  EXPECT_GT(pieces.size(), 3u);  // before the end
  json.Finish();
  std::string whole;
  for (const std::string& piece : pieces) whole += piece;
  EXPECT_EQ(whole, "[0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19]\n");
}

}  // namespace
