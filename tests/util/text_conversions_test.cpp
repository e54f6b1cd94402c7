// Shift-JIS text helpers: character boundaries, blanks and full-width forms.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/MyFunc.h"

namespace sorea {
namespace {

// Shift-JIS bytes of a few characters, spelt out so the test does not depend on the source
// file's encoding.
const std::string kA = "\x82\xa0";          // あ
const std::string kI = "\x82\xa2";          // い
const std::string kU = "\x82\xa4";          // う
const std::string kKanji = "\x93\xfa";      // 日
const std::string kIdeoBlank = "\x81\x40";  // full-width blank
const std::string kSo = "\x83\x5c";         // ソ: its second byte is the ASCII backslash

struct CutCase {
  std::string text;
  std::size_t maxBytes;
  std::string expected;
};

TEST(CutWholeCharsTest, NeverSplitsACharacter) {
  const std::vector<CutCase> cases = {
      {"", 5, ""},
      {"abc", 0, ""},
      {"abc", 2, "ab"},
      {"abc", 3, "abc"},
      {"abc", 255, "abc"},
      {"a" + kA + kI, 2, "a"},
      {"a" + kA + kI, 3, "a" + kA},
      {"a" + kA + kI, 4, "a" + kA},
      {"a" + kA + kI, 5, "a" + kA + kI},
      {kSo + kSo, 3, kSo},
      {"ab\x82", 10, "ab"},
      {"\x82", 10, ""},
      {"\xa0\xdf\xfe\xff", 3, "\xa0\xdf\xfe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::string(CutWholeChars(c.text, c.maxBytes)), c.expected)
        << c.text << " / " << c.maxBytes;
  }
}

TEST(CutWholeCharsTest, LongTextCutsAt255) {
  std::string text = "x";
  for (int i = 0; i < 200; ++i) text += kKanji;
  // 1 + 2k bytes: 255 is a boundary.
  EXPECT_EQ(CutWholeChars(text, 255).size(), 255u);
  EXPECT_EQ(CutWholeChars(text, 254).size(), 253u);
  EXPECT_EQ(CutWholeChars(text.substr(1), 255).size(), 254u);
}

struct RemoveCase {
  std::string text;
  std::string expected;
};

TEST(RemoveSpacesTest, KeepsOnlyVisibleCharacters) {
  const std::vector<RemoveCase> cases = {
      {"", ""},
      {"   " + kIdeoBlank + "\t\r\n" + kIdeoBlank, ""},
      {"  x  ", "x"},
      {kIdeoBlank + kA + kIdeoBlank, kA},
      {"a b\x01"
       "c\x1f",
       "abc"},
      {"\x7f\xa0\xb1\xdf\xfe\xff", "\x7f\xa0\xb1\xdf\xfe\xff"},
      // 0x40 after a lead byte is a second byte, not a blank's: 0x82 0x40 stays.
      {"\x82\x40", "\x82\x40"},
      // A blank's bytes that straddle two characters are not a blank.
      {"\x83\x81\x40", "\x83\x81\x40"},
      // 0x20 and control bytes as second bytes belong to their character.
      {"\x81\x20\x81\x09", "\x81\x20\x81\x09"},
      {"mm" + kIdeoBlank + "\x82", "mm\x82"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RemoveSpaces(c.text), c.expected) << c.text;
  }
}

struct CopyCase {
  std::string text;
  int start;
  int maxBytes;
  std::string chunk;
  int count;
};

TEST(CopyWholeCharsTest, WindowLeavesOutStraddlingCharacters) {
  const std::string t = "a" + kA + kI + kU;  // 7 bytes
  const std::vector<CopyCase> cases = {
      {t, 1, 4, "a" + kA, 3},
      {t, 2, 4, kA + kI, 4},
      {t, 3, 4, kI, 2},
      {t, 1, 7, t, 7},
      {t, 1, 100, t, 7},
      {t, 7, 1, "", 0},
      {t, 6, 2, kU, 2},
      {t, 7, 5, "", 0},
      {t, 8, 4, "", 0},
      {t, 0, 4, "", 0},
      {t, -3, 4, "", 0},
      {t, 1, 0, "", 0},
      {t, 1, -1, "", 0},
      {"", 1, 4, "", 0},
      {"abc", 2, 2147483647, "bc", 2},
      {"ab\x82", 3, 2, "\x82", 2},
      {"ab\x82", 3, 1, "", 0},
  };
  for (const auto& c : cases) {
    int count = -1;
    EXPECT_EQ(CopyWholeChars(c.text, c.start, c.maxBytes, count), c.chunk)
        << c.start << " " << c.maxBytes;
    EXPECT_EQ(count, c.count) << c.start << " " << c.maxBytes;
  }
}

struct WidthCase {
  std::string text;
  std::string expected;
};

TEST(ToFullWidthTest, MapsToFullWidthForms) {
  const std::vector<WidthCase> cases = {
      {"", ""},
      {"1,234.5", "\x82\x50\x81\x43\x82\x51\x82\x52\x82\x53\x81\x44\x82\x54"},
      {"0123456789",
       "\x82\x4f\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\x82\x58"},
      {"-", "\x81\x7c"},
      {" ", "\x81\x40"},
      {"Az", "\x82\x60\x82\x9a"},
      {"\\~", "\x81\x5f\x81\x60"},
      {"\"'", "\xfa\x57\xfa\x56"},
      {"\x7f\x01", "\x7f\x01"},
      // Half-width katakana, with voiced and semi-voiced marks combined.
      {"\xb6", "\x83\x4a"},              // ka
      {"\xb6\xde", "\x83\x4b"},          // ga
      {"\xca\xdf", "\x83\x70"},          // pa
      {"\xb3\xde", "\x83\x94"},          // vu
      {"\xb1\xde", "\x83\x41\x81\x4a"},  // a has no voiced form: a and the mark
      {"\xde\xdf", "\x81\x4a\x81\x4b"},
      {"\xb0", "\x81\x5b"},  // long vowel mark
      {"\xa1\xa4", "\x81\x42\x81\x41"},
      // Hiragana become katakana; katakana and kanji stay.
      {kA + kI, "\x83\x41\x83\x43"},
      {"\x82\xf1", "\x83\x93"},  // n
      {"\x82\xaa", "\x83\x4b"},  // ga
      {"\x83\x41" + kKanji, "\x83\x41" + kKanji},
      {kSo, kSo},
      {kIdeoBlank, kIdeoBlank},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToFullWidth(c.text), c.expected) << c.text;
  }
}

TEST(ToFullWidthTest, LongTextsGoInChunksCutAtCharacters) {
  std::string kanji;
  for (int i = 0; i < 100; ++i) kanji += kKanji;  // 200 bytes: chunks of 126 and 74
  EXPECT_EQ(ToFullWidth(kanji), kanji);

  // 1 + 125 double-byte characters: the chunk of 126 bytes stops after 62 of them, the
  // rest follow in later chunks; nothing is lost or doubled.
  std::string mixed = "7";
  for (int i = 0; i < 125; ++i) mixed += kA;
  std::string expected = "\x82\x56";
  for (int i = 0; i < 125; ++i) expected += "\x83\x41";
  EXPECT_EQ(ToFullWidth(mixed), expected);

  std::string digits(300, '5');
  std::string wide;
  for (int i = 0; i < 300; ++i) wide += "\x82\x54";
  EXPECT_EQ(ToFullWidth(digits), wide);
}

TEST(ToFullWidthTest, VoicedMarkCutIntoTheNextChunkStandsAlone) {
  // 125 digits, then ka and the voiced mark: the chunk ends after ka.
  std::string text(125, '1');
  text += "\xb6\xde";
  std::string expected;
  for (int i = 0; i < 125; ++i) expected += "\x82\x50";
  expected += "\x83\x4a\x81\x4a";
  EXPECT_EQ(ToFullWidth(text), expected);
  // One digit fewer: the pair shares a chunk and combines.
  std::string shorter(124, '1');
  shorter += "\xb6\xde";
  EXPECT_EQ(ToFullWidth(shorter).substr(248), "\x83\x4b");
}

TEST(ToFullWidthTest, LoneLeadByteAtTheEndIsKept) {
  EXPECT_EQ(ToFullWidth("1\x82"), "\x82\x50\x82");
}

}  // namespace
}  // namespace sorea
