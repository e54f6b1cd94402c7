// Shift-JIS to and from UTF-8 for the tools: the dialog's texts and real exchange files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/Texts.h"
#include "util/Cp932.h"

namespace sorea {
namespace {

// True when text is well-formed UTF-8 (what every output of Cp932ToUtf8 must be).
bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t len = c < 0x80                   ? 1
                      : (c >= 0xC2 && c <= 0xDF) ? 2
                      : (c >= 0xE0 && c <= 0xEF) ? 3
                      : (c >= 0xF0 && c <= 0xF4) ? 4
                                                 : 0;
    if (len == 0 || i + len > text.size()) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

struct Pair {
  std::string cp932;
  std::string utf8;
};

TEST(Cp932Test, KnownCharacters) {
  const std::vector<Pair> cases = {
      {"", ""},
      {"abc 123", "abc 123"},
      {"\x83\x5c\x83\x8c\x83\x41", "\xe3\x82\xbd\xe3\x83\xac\xe3\x82\xa2"},  // ソレア
      {"\\~", "\\~"},
      {"\x81\x60", "\xef\xbd\x9e"},              // full-width tilde
      {"\x81\x5f", "\xef\xbc\xbc"},              // full-width backslash
      {"\x81\x40", "\xe3\x80\x80"},              // ideographic blank
      {"\xb1\xde", "\xef\xbd\xb1\xef\xbe\x9e"},  // half-width a and voiced mark
      {"\x87\x40", "\xe2\x91\xa0"},              // circled one (NEC row 13)
      {"\xfa\x57", "\xef\xbc\x82"},              // full-width quotation mark (IBM row)
      {"\x82\x4f\x81\x44\x82\x54", "\xef\xbc\x90\xef\xbc\x8e\xef\xbc\x95"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\r\n", "\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.cp932;
    bool ok = false;
    EXPECT_EQ(Utf8ToCp932(c.utf8, &ok), c.cp932) << c.utf8;
    EXPECT_TRUE(ok) << c.utf8;
  }
}

TEST(Cp932Test, UnreadableBytesBecomeReplacementCharacters) {
  const std::string r = "\xef\xbf\xbd";
  const std::vector<Pair> cases = {
      {"a\x82", "a" + r},  // lead byte without its second byte
      {"\x82", r},
      {"\x85\x40z", r + "z"},  // an unassigned pair counts as one character
      {"\x82\x0a", r + "\n"},  // a line break cannot be a second byte
      {"\xfd", r},
      // UTF-8 bytes in a Shift-JIS file: an unassigned pair, then a half-width katakana.
      {"\xef\xbf\xbd", r + "\xef\xbd\xbd"},
  };
  for (const auto& c : cases) {
    std::string out = Cp932ToUtf8(c.cp932);
    EXPECT_TRUE(IsUtf8(out)) << c.cp932;
    EXPECT_EQ(out, c.utf8) << c.cp932;
  }
}

TEST(Cp932Test, UnencodableCharactersBecomeQuestionMarks) {
  const std::vector<Pair> cases = {
      {"?", "\xf0\x9f\x98\x80"},  // an emoji
      {"a?b",
       "a\xc3\xa9"
       "b"},                    // e acute is not in cp932
      {"?", "\xff"},            // not UTF-8
      {"??", "\xc0\xaf"},       // overlong "/", byte by byte
      {"???", "\xed\xa0\x80"},  // a surrogate, byte by byte
      {"x??", "x\xe3\x82"},     // cut short at the end: one "?" per byte
  };
  for (const auto& c : cases) {
    bool ok = true;
    EXPECT_EQ(Utf8ToCp932(c.utf8, &ok), c.cp932) << c.utf8;
    EXPECT_FALSE(ok) << c.utf8;
  }
  // Without a place for the flag the text is converted all the same.
  EXPECT_EQ(Utf8ToCp932("\xf0\x9f\x98\x80"), "?");
}

TEST(Cp932Test, DialogTextsRoundTrip) {
  // Every constant of the dialog's text table, read back from the generated header: the
  // UTF-8 comment above each constant is what the bytes must decode to.
  std::ifstream in(std::string(SOREA_SOURCE_DIR) + "/src/app/Texts.h", std::ios::binary);
  ASSERT_TRUE(in) << "src/app/Texts.h";
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  int checked = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string& comment = lines[i - 1];
    if (line.find("std::string_view k") == std::string::npos || comment.rfind("// ", 0) != 0)
      continue;
    std::size_t open = line.find('"');
    std::size_t close = line.rfind('"');
    if (open == std::string::npos || close <= open) continue;
    // Decode the C literal: octal escapes and \\ or \".
    std::string bytes;
    for (std::size_t k = open + 1; k < close; ++k) {
      if (line[k] != '\\') {
        bytes.push_back(line[k]);
        continue;
      }
      ++k;
      if (line[k] >= '0' && line[k] <= '7') {
        int v = 0;
        for (int d = 0; d < 3 && k < close && line[k] >= '0' && line[k] <= '7'; ++d, ++k)
          v = v * 8 + (line[k] - '0');
        --k;
        bytes.push_back(static_cast<char>(v));
      } else {
        bytes.push_back(line[k]);
      }
    }
    const std::string utf8 = comment.substr(3);
    EXPECT_EQ(Cp932ToUtf8(bytes), utf8) << line;
    bool ok = false;
    EXPECT_EQ(Utf8ToCp932(utf8, &ok), bytes) << comment;
    EXPECT_TRUE(ok) << comment;
    ++checked;
  }
  EXPECT_GT(checked, 30);

  // The item lists too.
  for (std::string_view item : texts::kEndMarkItems) {
    bool ok = false;
    EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(item), &ok), item);
    EXPECT_TRUE(ok);
  }
  EXPECT_EQ(Cp932ToUtf8(texts::kCaption), "\xe3\x82\xbd\xe3\x83\xac\xe3\x82\xa2");
}

TEST(Cp932Test, RealExchangeFilesRoundTrip) {
  const std::filesystem::path dir = std::filesystem::path(SOREA_REAL_SAMPLES);
    int clean = 0;
  int mixed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".txt" || entry.path().filename() == "PROVENANCE.txt") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string utf8 = Cp932ToUtf8(bytes);
    ASSERT_TRUE(IsUtf8(utf8)) << entry.path();
    if (utf8.find("\xef\xbf\xbd") != std::string::npos) {
      // Some files carry bytes that are not Shift-JIS: they read without harm.
      ++mixed;
      continue;
    }
    bool ok = false;
    EXPECT_EQ(Utf8ToCp932(utf8, &ok), bytes) << entry.path();
    EXPECT_TRUE(ok) << entry.path();
    ++clean;
  }
  EXPECT_GT(clean, 10);
  (void)mixed;
}

}  // namespace
}  // namespace sorea
