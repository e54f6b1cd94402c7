// The dialog as Jw_cad's user first sees it: initial values, the show sequence with its
// text-type list and placement, and the close sequence.
#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "app/Texts.h"
#include "app/Unit1.h"
#include "exchange/JwwGaibu.h"

namespace sorea {
namespace {

using testing::CrLf;
using testing::RecordingView;
using testing::ScratchFolder;

TEST(DialogControls, NamesAndLookups) {
  RecordingView view("");
  TForm1 form(view);
  EXPECT_EQ(ControlName(ControlId::ComboBox3), "ComboBox3");
  EXPECT_EQ(ControlName(ControlId::Edit9), "Edit9");
  EXPECT_EQ(ControlName(ControlId::LabelA1), "LabelA1");
  EXPECT_EQ(FindControl("Nothing"), nullptr);
  EXPECT_EQ(form.Edit(ControlId::Edit7), &form.Edit7);
  EXPECT_EQ(form.RadioGroup(ControlId::RadioGroup2), &form.RadioGroup2);
  EXPECT_EQ(form.ItemCount(ControlId::ComboBox1), 12);
  EXPECT_EQ(form.ItemCount(ControlId::RadioGroup1), 2);
  EXPECT_EQ(form.ItemCount(ControlId::Edit1), -1);
  // Every control is found by its name, and has a model value of its own kind and no other.
  for (const ControlInfo& c : Controls()) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FindControl(c.Name), &c);
    EXPECT_EQ(form.ComboBox(c.Id) != nullptr, c.Kind == ControlKind::List);
    EXPECT_EQ(form.Edit(c.Id) != nullptr, c.Kind == ControlKind::Edit);
    EXPECT_EQ(form.CheckBox(c.Id) != nullptr, c.Kind == ControlKind::Check);
    EXPECT_EQ(form.RadioGroup(c.Id) != nullptr, c.Kind == ControlKind::Radio);
  }
}

// Typing stops at the field's byte limit, never inside a double-byte character, and at a line
// break or a NUL byte; what is selected is replaced.
TEST(DialogControls, TypingWithinTheByteLimit) {
  struct Case {
    const char* name;
    std::string text;
    int max;
    std::size_t from, to;
    std::string typed, wentIn, after;
  };
  const std::string a = "\x82\xa0";  // a double-byte character
  // clang-format off
  const Case cases[] = {
      {"fits", "12", 8, 2, 2, "34", "34", "1234"},
      {"stops at the limit", "123", 4, 3, 3, "456", "4", "1234"},
      {"no split character", "12", 3, 2, 2, a, "", "12"},
      {"whole character fits", "12", 4, 2, 2, a + a, a, "12" + a},
      {"selection replaced", "123456", 6, 1, 5, "ab", "ab", "1ab6"},
      {"reversed selection", "123456", 6, 5, 1, "ab", "ab", "1ab6"},
      {"selection past the end", "12", 4, 1, 9, "xyz", "xyz", "1xyz"},
      {"line break ends it", "", 8, 0, 0, "ab\r\ncd", "ab", "ab"},
      {"NUL byte ends it", "", 8, 0, 0, std::string("ab\0cd", 5), "ab", "ab"},
      {"loaded past the limit", "123456", 4, 6, 6, "7", "", "123456"},
      {"over a long selection", "123456", 4, 0, 6, "abcdef", "abcd", "abcd"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TEdit edit{c.text, c.max, true};
    EXPECT_EQ(edit.Type(c.typed, c.from, c.to), c.wentIn);
    EXPECT_EQ(edit.Text, c.after);
  }
}

TEST(ShowSequence, TextTypeList) {
  const std::string current(texts::kTextTypeCurrent);
  struct Case {
    const char* name;
    std::string exchange;  // empty: no JWC_TEMP.TXT
    std::vector<std::pair<std::size_t, std::string>> items;
  };
  const std::vector<Case> cases = {
      {"no exchange file",
       "",
       {{0, current + "No1)"}, {1, "No1: W3 H3 D0"}, {10, "No10: W3 H3 D0"}}},
      {"free text type", CrLf({"cn0 3.5 3.5 0 2"}), {{0, current + "Free)"}}},
      {"text type 5", CrLf({"cn5", "cn3"}), {{0, current + "No5)"}}},
      {"sizes of the types",
       CrLf({"hcw 2 2.5 0.1 4 5 6 7 8 9 6", "hch 2 2.5 12.5 4 5 6 7 8 9 3",
             "hcd 0 0.5 1 0.5 0.5 1 1 1 1 1"}),
       {{2, "No2: W2.5 H2.5 D0.5"}, {3, "No3: W0.1 H12.5 D1"}, {10, "No10: W6 H3 D1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    if (!c.exchange.empty()) folder.Write("JWC_TEMP.TXT", c.exchange);
    RecordingView view(folder.Path());
    TForm1 form(view);
    view.Attach(&form);
    form.FormShow();
    ASSERT_EQ(form.ComboBox3.Items.size(), 11u);
    EXPECT_EQ(form.ComboBox3.ItemIndex, -1);
    for (const auto& [index, text] : c.items) EXPECT_EQ(form.ComboBox3.Items[index], text);
    EXPECT_EQ(view.left, 100);
    EXPECT_EQ(view.top, 100);
    EXPECT_EQ(form.ProgramFolder, folder.Path());
    form.Button2Click();
  }
}

TEST(ShowSequence, PlacesDialogWhereSaved) {
  struct Case {
    std::string settings;
    int left, top;
  };
  const std::vector<Case> cases = {
      {CrLf({"250", "40"}), 250, 40},
      {CrLf({"-3000", "99999"}), -3000, 99999},  // off the screen: placed there unchanged
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    ScratchFolder folder;
    folder.Write("rusk.dat", c.settings);
    RecordingView view(folder.Path());
    TForm1 form(view);
    view.Attach(&form);
    form.FormShow();
    EXPECT_EQ(view.left, c.left);
    EXPECT_EQ(view.top, c.top);
    EXPECT_EQ(view.moves, 1);
  }
}

TEST(CloseSequence, CancelAndRepeatedClose) {
  ScratchFolder folder;
  const std::string settings = CrLf({"1", "2", "0", "0", "1"});
  folder.Write("rusk.dat", settings);
  folder.Write("JWC_TEMP.TXT", CrLf({"hp1-  0 0", "hp2   0 1000"}));
  RecordingView view(folder.Path());
  TForm1 form(view);
  view.Attach(&form);
  form.FormShow();
  form.Button2Click();
  EXPECT_EQ(folder.Read("JWC_TEMP.TXT"), "hq\r\n");
  EXPECT_EQ(folder.Read("rusk.dat"), settings);
  // A second close, or a late OK, must not write the file again from a released store.
  folder.Write("JWC_TEMP.TXT", "untouched");
  form.FormClose();
  form.Button1Click();
  EXPECT_EQ(folder.Read("JWC_TEMP.TXT"), "untouched");
  EXPECT_TRUE(form.Closed());
}

TEST(CloseSequence, NothingWrittenBeforeShow) {
  ScratchFolder folder;
  RecordingView view(folder.Path());
  TForm1 form(view);
  view.Attach(&form);
  form.Button2Click();
  EXPECT_FALSE(folder.Exists("JWC_TEMP.TXT"));
}

}  // namespace
}  // namespace sorea
