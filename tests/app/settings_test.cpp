// rusk.dat: what LoadSettings makes of the file's lines, the 31 lines SaveSettings writes, and
// when OK writes them.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppTestSupport.h"
#include "app/Unit1.h"
#include "exchange/JwwGaibu.h"

namespace sorea {
namespace {

using testing::CrLf;
using testing::RecordingView;
using testing::ScratchFolder;

// The dialog's values that the file sets, as one comparable record.
struct Loaded {
  int left, top;
  std::vector<int> lists;          // ComboBox1..5
  std::vector<std::string> edits;  // Edit1..9
  std::vector<int> groups;         // RadioGroup1..2
  std::vector<bool> boxes;         // CheckBox1..4
};

Loaded Snapshot(TForm1& f) {
  return Loaded{
      f.SavedLeft,
      f.SavedTop,
      {f.ComboBox1.ItemIndex, f.ComboBox2.ItemIndex, f.ComboBox3.ItemIndex, f.ComboBox4.ItemIndex,
       f.ComboBox5.ItemIndex},
      {f.Edit1.Text, f.Edit2.Text, f.Edit3.Text, f.Edit4.Text, f.Edit5.Text, f.Edit6.Text,
       f.Edit7.Text, f.Edit8.Text, f.Edit9.Text},
      {f.RadioGroup1.ItemIndex, f.RadioGroup2.ItemIndex},
      {f.CheckBox1.Checked, f.CheckBox2.Checked, f.CheckBox3.Checked, f.CheckBox4.Checked}};
}

void ExpectLoaded(const Loaded& got, const Loaded& want) {
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.lists, want.lists);
  EXPECT_EQ(got.edits, want.edits);
  EXPECT_EQ(got.groups, want.groups);
  EXPECT_EQ(got.boxes, want.boxes);
}

const Loaded kDefaults{100,
                       100,
                       {0, 0, -1, 3, 2},
                       {"1", "", "", "0.5", "2", "2", "3", "15", "2"},
                       {0, 0},
                       {false, false, false, false}};

const std::vector<std::string> kFullFile = {"10",       "20",  "2",    "11", "4", "8", "0",  "1.5",
                                            "\220\241", "mm ", " 0.5", "3",  "4", "5", "30", "6",
                                            "1",        "1",   "1",    "0",  "1", "0"};

TEST(LoadSettings, LinesToControls) {
  struct Case {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file
    Loaded expected;
  };
  std::vector<std::string> longer = kFullFile;
  longer.insert(longer.end(), {"7", "50", "30", "1", "2", "3", "4", "5", "6", "extra", "more"});
  const std::vector<std::string> none(9);  // every edit field empty
  const std::vector<std::string> full = {"1.5", "\220\241", "mm ", " 0.5", "3",
                                         "4",   "5",        "30",  "6"};
  const std::vector<bool> clear(4, false);
  const std::vector<int> first(5, 0);
  // clang-format off
  const std::vector<Case> cases = {
      {"no file", std::nullopt, kDefaults},
      {"empty file", "", {0, 0, first, none, {0, 0}, clear}},
      {"every line", CrLf(kFullFile), {10, 20, {2, 11, 4, 8, 0}, full, {1, 1}, {true, false, true, false}}},
      {"lines past 22 are not read", CrLf(longer), {10, 20, {2, 11, 4, 8, 0}, full, {1, 1}, {true, false, true, false}}},
      {"end mark past the list", CrLf({"1", "2", "15"}), {1, 2, {-1, 0, 0, 0, 0}, none, {0, 0}, clear}},
      {"negative index takes the first item", CrLf({"1", "2", "-4", "-1"}), {1, 2, first, none, {0, 0}, clear}},
      {"radio past its choices takes the last",
       CrLf({"0", "0", "0", "0", "0", "0", "0", "", "", "", "", "", "", "", "", "", "5", "-2", "2"}),
       {0, 0, first, none, {1, 0}, {true, false, false, false}}},
      {"LF only and stray CR", "7\n8\r\r\n1\n1\n1\n1\n1\na\rb\n",
       {7, 8, {1, 1, 1, 1, 1}, {"ab", "", "", "", "", "", "", "", ""}, {0, 0}, clear}},
      {"malformed numbers read as 0, hexadecimal is a number",
       CrLf({"x", "1.9", "a3", "", "", "", "", "", "", "", "", "", "", "", "", "", "z", "", "yes", "0x1", "", " 1"}),
       {0, 0, first, none, {0, 0}, {false, true, false, true}}},
      {"a long text is taken whole", CrLf({"0", "0", "0", "0", "0", "0", "0", "12345678901234567890"}),
       {0, 0, first, {"12345678901234567890", "", "", "", "", "", "", "", ""}, {0, 0}, clear}},
      // A window's field cannot hold a NUL byte: the text ends where it would end there.
      {"a field ends at a NUL byte", CrLf({"0", "0", "0", "0", "0", "0", "0", std::string("1.5\0" "9", 5), std::string("\0mm", 3)}),
       {0, 0, first, {"1.5", "", "", "", "", "", "", "", ""}, {0, 0}, clear}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    if (c.file) folder.Write("rusk.dat", *c.file);
    RecordingView view(folder.Path());
    TForm1 form(view);
    view.Attach(&form);
    form.FormShow();
    ExpectLoaded(Snapshot(form), c.expected);
  }
}

TEST(LoadSettings, UnreadableFileKeepsValues) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder.File("rusk.dat"));  // exists, but is no file
  RecordingView view(folder.Path());
  TForm1 form(view);
  view.Attach(&form);
  form.FormShow();
  ExpectLoaded(Snapshot(form), kDefaults);
}

TEST(SaveSettings, ThirtyOneLines) {
  ScratchFolder folder;
  folder.Write("JWC_TEMP.TXT", CrLf({"hk 12.5", "hs 1 1 1 250 1 1 1 1 1 1 1 1 1 1 1 1", "lg3",
                                     "hp1 1.5 -2", "hp2 0.0001 3", "hp3 100000 0.1", "hp4 9 9"}));
  folder.Write("rusk.dat", CrLf(kFullFile));
  RecordingView view(folder.Path());
  TForm1 form(view);
  view.Attach(&form);
  form.FormShow();
  form.ComboBox3.ItemIndex = -1;
  form.CheckBox2.Checked = true;
  form.SaveSettings(folder.File("rusk.dat"), Store);
  const std::vector<std::string> expected = {
      "10", "20",  "2",    "11",  "-1", "8",      "0", "1.5",    "\220\241", "mm ", " 0.5",
      "3",  "4",   "5",    "30",  "6",  "1",      "1", "1",      "1",        "1",   "0",
      "3",  "250", "12.5", "1.5", "-2", "0.0001", "3", "100000", "0.1"};
  EXPECT_EQ(folder.Read("rusk.dat"), CrLf(expected));
  EXPECT_FALSE(folder.Exists("rusk.dat.tmp"));
  form.Button2Click();
}

TEST(SaveSettings, RoundTripThroughLoad) {
  ScratchFolder folder;
  RecordingView view(folder.Path());
  TForm1 first(view);
  view.Attach(&first);
  first.FormShow();
  first.SavedLeft = -5;
  first.SavedTop = 77;
  first.ComboBox1.ItemIndex = 11;
  first.ComboBox3.ItemIndex = 10;
  first.Edit2.Text = "\202`\201@";  // full-width A and a full-width blank
  first.Edit8.Text = "";
  first.Edit3.Text = "a\r\nb\n";  // no single-line field holds this; it must not shift lines
  first.Edit4.Text = std::string(
      "0.5\0"
      "7",
      5);  // nor this: saved as far as loading reads
  first.RadioGroup2.ItemIndex = 1;
  first.CheckBox4.Checked = true;
  first.SaveSettings(folder.File("rusk.dat"), Store);
  Loaded saved = Snapshot(first);
  saved.edits[2] = "ab";
  saved.edits[3] = "0.5";
  first.Button2Click();

  RecordingView view2(folder.Path());
  TForm1 second(view2);
  view2.Attach(&second);
  second.FormShow();
  ExpectLoaded(Snapshot(second), saved);
}

// A refused OK leaves the file untouched; one that passes the checks rewrites it, even when
// the dimension then has no length.
TEST(SaveSettings, WhenOkWrites) {
  struct Case {
    const char* name;
    const char* markScale;
    bool rewritten;
  };
  const std::vector<Case> cases = {{"refused", "0", false}, {"zero length", "2", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const std::string previous = CrLf(kFullFile);
    folder.Write("rusk.dat", previous);
    RecordingView view(folder.Path());
    TForm1 form(view);
    view.Attach(&form);
    form.FormShow();
    form.Edit1.Text = c.markScale;
    form.Button1Click();
    EXPECT_EQ(folder.Read("rusk.dat") != previous, c.rewritten);
    if (c.rewritten) {
      EXPECT_NE(folder.Read("rusk.dat").find("\r\n2\r\n"), std::string::npos);
    }
    form.Button2Click();
    EXPECT_EQ(folder.Read("rusk.dat") != previous, c.rewritten);
  }
}

}  // namespace
}  // namespace sorea
