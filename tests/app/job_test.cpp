// OK pressed in the dialog: the checks in their order, the save, the zero-length message, the
// conversion to drawing units, the text type of the value and the whole run's file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/AppTestSupport.h"
#include "app/Texts.h"
#include "app/Unit1.h"
#include "exchange/JwwGaibu.h"

namespace sorea {
namespace {

using testing::CrLf;
using testing::RecordingView;
using testing::ScratchFolder;

const std::string kPicks = CrLf({"hp1-  0 0", "hp2   0 1000", "hp3-  500 0", "hp4   -100 500"});

std::string ReadGolden(const std::string& name) {
  std::ifstream in(std::string(SOREA_SOURCE_DIR) + "/tests/app/golden/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FileLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// One run of the dialog in a scratch folder: show, let the test set controls, press OK.
struct DialogRun {
  ScratchFolder folder;
  RecordingView view{folder.Path()};
  TForm1 form{view};

  explicit DialogRun(const std::string& exchange, const std::string& settings = "") {
    if (!exchange.empty()) folder.Write("JWC_TEMP.TXT", exchange);
    if (!settings.empty()) folder.Write("rusk.dat", settings);
    view.Attach(&form);
    form.FormShow();
    form.ComboBox3.ItemIndex = 1;
  }
};

TEST(DimensionJob, CompleteRun) {
  DialogRun run(kPicks);
  run.form.ComboBox1.ItemIndex = 2;
  run.form.ComboBox2.ItemIndex = 2;
  run.form.Button1Click();
  EXPECT_EQ(run.view.closeCalls, 1);
  EXPECT_EQ(run.folder.Read("JWC_TEMP.TXT"), ReadGolden("complete-run.txt"));
  EXPECT_EQ(run.view.statuses, (std::vector<std::string>{std::string(texts::kStatusWorking),
                                                         std::string(texts::kStatusWriting)}));
  EXPECT_TRUE(run.folder.Exists("rusk.dat"));
  EXPECT_FALSE(run.folder.Exists("rusk.dat.tmp"));
}

struct Setting {
  ControlId id;
  std::string value;  // item index for lists and groups, text for edits
};

void Apply(TForm1& form, const Setting& s) {
  if (TComboBox* list = form.ComboBox(s.id)) {
    list->ItemIndex = std::stoi(s.value);
  } else if (TRadioGroup* group = form.RadioGroup(s.id)) {
    group->ItemIndex = std::stoi(s.value);
  } else if (TEdit* edit = form.Edit(s.id)) {
    edit->Text = s.value;
  }
}

TEST(DimensionJob, RefusalsInTheirOrder) {
  using C = ControlId;
  struct Case {
    const char* name;
    std::vector<Setting> settings;
    ControlId focus;
  };
  const std::vector<Case> cases = {
      {"no start mark", {{C::ComboBox1, "-1"}}, C::ComboBox1},
      {"no end mark", {{C::ComboBox2, "-1"}}, C::ComboBox2},
      {"mark scale 0", {{C::Edit1, "0"}}, C::Edit1},
      {"mark scale negative", {{C::Edit1, "-1"}}, C::Edit1},
      {"mark scale empty", {{C::Edit1, ""}}, C::Edit1},
      {"mark scale letters", {{C::Edit1, "abc"}}, C::Edit1},
      {"arrow length empty", {{C::Edit7, ""}}, C::Edit7},
      {"arrow length past 1000", {{C::Edit7, "1000.0001"}}, C::Edit7},
      {"arrow length 0", {{C::Edit7, "0"}}, C::Edit7},
      {"arrow angle 180", {{C::Edit8, "180"}}, C::Edit8},
      {"arrow angle 0", {{C::Edit8, "0"}}, C::Edit8},
      {"no text type", {{C::ComboBox3, "-1"}}, C::ComboBox3},
      {"no precision", {{C::ComboBox4, "-1"}}, C::ComboBox4},
      {"no rounding", {{C::ComboBox5, "-1"}}, C::ComboBox5},
      {"no zero display", {{C::RadioGroup1, "-1"}}, C::RadioGroup1},
      {"no unit", {{C::RadioGroup2, "-1"}}, C::RadioGroup2},
      {"negative gap", {{C::Edit5, "-0.5"}}, C::Edit5},
      {"negative overshoot", {{C::Edit6, "-1"}}, C::Edit6},
      {"negative reverse overshoot", {{C::Edit9, "-2"}}, C::Edit9},
      {"start mark before the arrow", {{C::Edit7, ""}, {C::ComboBox1, "-1"}}, C::ComboBox1},
      {"mark scale before the arrow", {{C::Edit7, ""}, {C::Edit1, "0"}}, C::Edit1},
      {"arrow length before the angle", {{C::Edit8, ""}, {C::Edit7, ""}}, C::Edit7},
      {"angle before the lists", {{C::ComboBox3, "-1"}, {C::Edit8, "200"}}, C::Edit8},
      {"lists before the gap", {{C::Edit5, "-0.5"}, {C::RadioGroup2, "-1"}}, C::RadioGroup2},
      {"gap before the overshoots", {{C::Edit9, "-1"}, {C::Edit5, "-1"}}, C::Edit5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun run(kPicks);
    run.view.left = 321;
    run.view.top = 123;
    for (const Setting& s : c.settings) Apply(run.form, s);
    run.form.Button1Click();
    ASSERT_TRUE(run.view.focus.has_value());
    EXPECT_EQ(ControlName(*run.view.focus), ControlName(c.focus));
    EXPECT_FALSE(run.view.message.has_value());
    EXPECT_EQ(run.view.closeCalls, 0);
    EXPECT_FALSE(run.folder.Exists("rusk.dat"));
    EXPECT_TRUE(Store.Output.empty());
    // The position is taken on every press, refused or not.
    EXPECT_EQ(run.form.SavedLeft, 321);
    EXPECT_EQ(run.form.SavedTop, 123);
    run.form.Button2Click();
  }
}

// Values at the edge of what is accepted, and fields the job does not test, let OK finish.
TEST(DimensionJob, AcceptedValues) {
  using C = ControlId;
  struct Case {
    const char* name;
    std::vector<Setting> settings;
    bool sameDrawingAsDefaults;
  };
  const std::vector<Case> cases = {
      {"arrow length 1000", {{C::Edit7, "1000"}}, false},
      {"arrow angle 179.999", {{C::Edit8, "179.999"}}, false},
      {"distance to the horizontal line as letters", {{C::Edit4, "abc"}}, true},
      {"distance to the horizontal line negative", {{C::Edit4, "-5"}}, true},
      {"empty gap counts as 0", {{C::Edit5, ""}}, false},
      {"gap 0", {{C::Edit5, "0"}, {C::Edit6, "0"}, {C::Edit9, "0"}}, false},
      {"a gap too large for a number reads as 0", {{C::Edit5, "1e999"}}, false},
  };
  DialogRun reference(kPicks);
  reference.form.Button1Click();
  const std::string defaults = reference.folder.Read("JWC_TEMP.TXT");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun run(kPicks);
    for (const Setting& s : c.settings) Apply(run.form, s);
    run.form.Button1Click();
    EXPECT_FALSE(run.view.focus.has_value());
    EXPECT_EQ(run.view.closeCalls, 1);
    const std::string written = run.folder.Read("JWC_TEMP.TXT");
    EXPECT_NE(written, "hq\r\n");
    EXPECT_EQ(written == defaults, c.sameDrawingAsDefaults);
  }
}

TEST(DimensionJob, ZeroLengthMessage) {
  struct Case {
    const char* name;
    std::string exchange;
  };
  const std::vector<Case> cases = {
      {"points level in the axis frame", CrLf({"hp1 0 0", "hp2 250 0", "hp3 500 0", "hp4 0 0"})},
      {"level in a turned frame", CrLf({"hk 90", "hp1 0 0", "hp2 0 250", "hp3 500 0", "hp4 0 0"})},
      {"no exchange file", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun run(c.exchange);
    run.form.Button1Click();
    ASSERT_TRUE(run.view.message.has_value());
    EXPECT_EQ(*run.view.message, texts::kZeroLengthMessage);
    EXPECT_EQ(run.view.messageCaption, texts::kMessageCaption);
    EXPECT_FALSE(run.view.focus.has_value());
    EXPECT_EQ(run.view.closeCalls, 0);
    EXPECT_TRUE(run.view.statuses.empty());
    EXPECT_TRUE(Store.Output.empty());
    // The settings are saved before the length is known.
    EXPECT_TRUE(run.folder.Exists("rusk.dat"));
    run.form.Button2Click();
    EXPECT_EQ(run.folder.Read("JWC_TEMP.TXT"), "hq\r\n");
  }
}

// Points or scales so large that a coordinate, size or length of the dimension overflows: the
// job writes nothing and says so, as for a zero length, after saving the settings. Finite
// values, however large, are written as they are.
TEST(DimensionJob, TooLargeToWrite) {
  auto scales = [](const std::string& v) {
    std::string line = "hs";
    for (int i = 0; i < 16; ++i) line += " " + v;
    return CrLf({line});
  };
  const std::string picks = CrLf({"hp1 0 0", "hp2 0 1000", "hp3 500 0", "hp4 -100 500"});
  struct Case {
    const char* name;
    std::string exchange;
    std::vector<Setting> settings;
    std::string written;  // a record of the written file; "": nothing may be written
  };
  using C = ControlId;
  // clang-format off
  const std::vector<Case> cases = {
      {"points 2e308 apart", CrLf({"hp1 0 -1e308", "hp2 0 1e308", "hp3 500 0", "hp4 -100 0"}), {}, ""},
      {"layer group scale 1e308", scales("1e308") + picks, {}, ""},
      {"text width 1e308", CrLf({"cn0 1e308 3 0 2"}) + picks, {{C::ComboBox3, "0"}}, ""},
      {"arrow length 1000 at scale 1e306", scales("1e306") + picks, {{C::Edit7, "1000"}}, ""},
      {"arrow length 3 at scale 1e306", scales("1e306") + picks, {{C::Edit7, "3"}}, "cs -3E306 -1.5E306 10 0 \"1000"},
      {"axis angle turns a point past the range", CrLf({"hk 45", "hp1 0 0", "hp2 -1.5e308 1.5e308", "hp3 0 0", "hp4 0 7e307"}), {}, ""},
      {"same points unturned", CrLf({"hp1 0 0", "hp2 -1.5e308 1.5e308", "hp3 0 0", "hp4 0 7e307"}), {}, "-1.5E308 1.5E308 0 1.5E308"},
      {"a point whose 15 digits pass the largest double", CrLf({"hp1 0 0", "hp2 0 1000", "hp3 1.7976931348623157e308 0"}), {}, ""},
      {"points 1e300 apart", CrLf({"hp1 0 0", "hp2 0 1e300", "hp3 1e300 0", "hp4 -100 500"}), {}, "cs 1E300 498.5 10 0 \"1E300"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun run(c.exchange);
    for (const Setting& s : c.settings) Apply(run.form, s);
    run.form.Button1Click();
    EXPECT_FALSE(run.view.focus.has_value());
    EXPECT_TRUE(run.folder.Exists("rusk.dat"));
    if (c.written.empty()) {
      ASSERT_TRUE(run.view.message.has_value());
      EXPECT_EQ(*run.view.message, texts::kTooLargeMessage);
      EXPECT_EQ(run.view.messageCaption, texts::kMessageCaption);
      EXPECT_TRUE(run.view.statuses.empty());
      EXPECT_TRUE(Store.Output.empty());
      run.form.Button2Click();
      EXPECT_EQ(run.folder.Read("JWC_TEMP.TXT"), "hq\r\n");
    } else {
      EXPECT_FALSE(run.view.message.has_value());
      EXPECT_EQ(run.view.closeCalls, 1);
      EXPECT_NE(run.folder.Read("JWC_TEMP.TXT").find("\r\n" + c.written + "\r\n"),
                std::string::npos);
    }
  }
}

// The records that depend on the drawing: its scale, its layer group and its text type.
TEST(DimensionJob, DrawingDependentRecords) {
  struct Case {
    const char* name;
    std::string header;
    int choice;
    std::size_t line;  // 0-based line of the written file
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"scale 50 turns a gap of 2 into 100",
       CrLf({"hs 50 50 50 50 50 50 50 50 50 50 50 50 50 50 50 50"}), 1, 7, "100 0 600 0"},
      {"scale of the drawing's layer group", CrLf({"hs 1 1 20 1 1 1 1 1 1 1 1 1 1 1 1 1", "lg2"}),
       1, 7, "40 0 540 0"},
      {"free text type of the drawing", CrLf({"cn0 2.5 2.5 0 3"}), 0, 14, "cn0 2.5 2.5 0 3"},
      {"a drawing text type past ten takes type 1", CrLf({"cn12"}), 0, 14, "cn1"},
      {"a drawing text type past ten is put back", CrLf({"cn12"}), 0, 26, "cn12"},
      {"chosen text type", CrLf({"cn0 2.5 2.5 0 3"}), 4, 14, "cn4"},
      {"line width of the drawing", CrLf({"lw3"}), 1, 5, "lw3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun run(c.header + kPicks);
    run.form.ComboBox3.ItemIndex = c.choice;
    run.form.Button1Click();
    ASSERT_EQ(run.view.closeCalls, 1);
    const std::vector<std::string> lines = FileLines(run.folder.Read("JWC_TEMP.TXT"));
    ASSERT_GT(lines.size(), c.line);
    EXPECT_EQ(lines[c.line], c.expected);
  }
}

TEST(DimensionJob, BlankPrefixAddsNothing) {
  struct Case {
    std::string prefix;
    std::string text;  // the value text in the file
  };
  const std::vector<Case> cases = {
      {"\201@\201@\201@", "1000"},
      {"   ", "1000"},
      {" A", " A1000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    DialogRun run(kPicks);
    run.form.Edit2.Text = c.prefix;
    run.form.Button1Click();
    const std::string written = run.folder.Read("JWC_TEMP.TXT");
    EXPECT_NE(written.find("10 0 \"" + c.text + "\r\n"), std::string::npos) << written;
    // The field itself is saved as typed.
    EXPECT_NE(run.folder.Read("rusk.dat").find("\r\n" + c.prefix + "\r\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace sorea
