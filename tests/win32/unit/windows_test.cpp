// What only the Windows build does: Shift-JIS and UTF-8 through the system's code pages, files
// replaced through MoveFileExW, and the program's own folder.
#include <gtest/gtest.h>
#include <windows.h>
// <windows.h> renames ReplaceFile; the one tested here is sorea::ReplaceFile.
#undef ReplaceFile

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/AppTestSupport.h"
#include "app/Unit1.h"
#include "exchange/JwwGaibu.h"
#include "util/Files.h"
#include "util/WinText.h"

namespace sorea {
namespace {

TEST(WinText, ShiftJisBothWays) {
  struct Case {
    std::string cp932;
    std::wstring wide;
  };
  const Case cases[] = {
      {.cp932 = "", .wide = L""},
      {.cp932 = "hq\r\n", .wide = L"hq\r\n"},
      {.cp932 = "\x83\x5c\x83\x8c\x83\x41", .wide = L"ソレア"},  // 0x5C as a second byte
      {.cp932 = "\\~", .wide = L"\\~"},                          // ASCII stays ASCII
      {.cp932 = "\x81\x5f\x81\x60", .wide = L"＼～"},            // full-width backslash, tilde
      {.cp932 = "\x81\x40", .wide = L"　"},
      {.cp932 = "\xb1\xde", .wide = L"ｱﾞ"},  // half-width katakana
      {.cp932 = "\x87\x40", .wide = L"①"},   // NEC row 13
      {.cp932 = "\xfa\x57", .wide = L"＂"},  // IBM extension row
      {.cp932 = std::string("a\0b", 3), .wide = std::wstring(L"a\0b", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::FromCp932(c.cp932), c.wide) << c.cp932;
    std::wstring strict;
    EXPECT_TRUE(win::FromCp932Strict(c.cp932, strict)) << c.cp932;
    EXPECT_EQ(strict, c.wide) << c.cp932;
    EXPECT_EQ(win::ToCp932(c.wide), c.cp932) << c.cp932;
    std::string exact;
    EXPECT_TRUE(win::ToCp932Exact(c.wide, exact)) << c.cp932;
    EXPECT_EQ(exact, c.cp932);
    EXPECT_EQ(win::Cp932Length(c.wide), c.cp932.size()) << c.cp932;
  }
}

TEST(WinText, WhatShiftJisCannotHold) {
  struct Case {
    std::wstring wide;
    std::string window;  // as a window's text converts (best fit allowed)
    std::string exact;   // with "?" where the exact conversion refused
  };
  const Case cases[] = {
      {.wide = L"é", .window = "e", .exact = "?"},
      {.wide = L"a\U0001F600b", .window = "a??b", .exact = "a??b"},  // one per UTF-16 unit
      {.wide = L"寸法€", .window = "\x90\xa1\x96\x40?", .exact = "\x90\xa1\x96\x40?"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::ToCp932(c.wide), c.window);
    std::string exact;
    EXPECT_FALSE(win::ToCp932Exact(c.wide, exact));
    EXPECT_EQ(exact, c.exact);
  }
}

TEST(WinText, BrokenShiftJisIsRefusedWhenStrict) {
  for (const std::string bytes : {"\x82", "a\x82", "\x82\x0a"}) {
    std::wstring out = L"x";
    EXPECT_FALSE(win::FromCp932Strict(bytes, out)) << bytes;
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(win::FromCp932(bytes).empty()) << "the lenient one still gives something";
  }
}

TEST(WinText, Utf8BothWays) {
  struct Case {
    std::string utf8;
    std::wstring wide;
  };
  const Case cases[] = {
      {.utf8 = "", .wide = L""},
      {.utf8 = "C:\\Jw_cad\\\xe5\xa4\x96\xe9\x83\xa8", .wide = L"C:\\Jw_cad\\外部"},
      {.utf8 = "\xf0\x9f\x98\x80", .wide = L"\U0001F600"},  // a surrogate pair
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::FromUtf8(c.utf8), c.wide);
    EXPECT_EQ(win::ToUtf8(c.wide), c.utf8);
  }
  EXPECT_EQ(win::FromUtf8("a\xff"), L"a\uFFFD");
}

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("sorea-windows-") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + " \u5916\u90e8");
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const char* name) const { return win::ToUtf8((dir_ / name).wstring()); }
  static void Put(const std::string& path, const std::string& bytes) {
    std::FILE* f = OpenFile(path, "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  static std::string Get(const std::string& path) {
    std::FILE* f = OpenFile(path, "rb");
    if (f == nullptr) return "<none>";
    std::string bytes;
    char buffer[64];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
  }
  std::filesystem::path dir_;
};

TEST_F(WindowsFiles, ReplaceMovesTheNewFileOverTheOld) {
  enum Target { Old, ReadOnly, Missing, Folder };
  enum Outcome { Replaced, Refused, Either };  // Windows refuses a read-only target, Wine not
  struct Case {
    const char* what;
    Target target;
    Outcome outcome;
  };
  const Case cases[] = {
      {.what = "over an old file", .target = Old, .outcome = Replaced},
      {.what = "where there is none", .target = Missing, .outcome = Replaced},
      {.what = "over a read-only file", .target = ReadOnly, .outcome = Either},
      {.what = "over a folder", .target = Folder, .outcome = Refused},
  };
  for (const Case& c : cases) {
    const std::string source = Path("JWC_TEMP.TXT.new");
    const std::string target = Path("JWC_TEMP.TXT");
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    Put(source, "new\r\n");
    if (c.target == Old || c.target == ReadOnly) Put(target, "old\r\n");
    if (c.target == ReadOnly)
      SetFileAttributesW(win::FromUtf8(target).c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.target == Folder) std::filesystem::create_directory(win::FromUtf8(target));
    // Whole or not at all: the new file in place and gone from its old name, or both as
    // they were.
    const bool replaced = ReplaceFile(source, target);
    if (c.outcome != Either) {
      EXPECT_EQ(replaced, c.outcome == Replaced) << c.what;
    }
    EXPECT_EQ(FileExists(source), !replaced) << c.what;
    if (replaced) {
      EXPECT_EQ(Get(target), "new\r\n") << c.what;
    } else if (c.target == ReadOnly) {
      EXPECT_EQ(Get(target), "old\r\n") << c.what;
    }
    SetFileAttributesW(win::FromUtf8(target).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// The result and the settings through MoveFileExW, in a folder with a Japanese name: replaced
// whole, past a stale temporary file, in place where the temporary name is taken, and a file
// the user made read-only left as it is, with the failure told.
TEST_F(WindowsFiles, ResultAndSettingsReplacedWhole) {
  enum Setup { Old, StaleTemporary, TemporaryFolder, ReadOnly };
  struct Case {
    const char* what;
    Setup setup;
    bool written;
  };
  const Case cases[] = {
      {"over Jw_cad's file", Old, true},
      {"past a stale temporary file", StaleTemporary, true},
      {"temporary name taken: in place", TemporaryFolder, true},
      {"read-only", ReadOnly, false},
  };
  for (const Case& c : cases) {
    for (const char* name : {"JWC_TEMP.TXT", "rusk.dat"}) {
      SCOPED_TRACE(std::string(c.what) + ", " + name);
      TearDown();
      SetUp();
      const std::string target = Path(name);
      const std::string temporary = target + ".tmp";
      Put(target, "old\r\n");
      if (c.setup == StaleTemporary) Put(temporary, "half");
      if (c.setup == TemporaryFolder) std::filesystem::create_directory(win::FromUtf8(temporary));
      if (c.setup == ReadOnly) {
        SetFileAttributesW(win::FromUtf8(target).c_str(), FILE_ATTRIBUTE_READONLY);
      }
      FileProblem problem;
      if (name[0] == 'J') {
        InitElementStore();
        ResetWriterState(Store);
        WriteLine(Store, 0, 0, 1, 1);
        problem = WriteExchangeFile(target, Store);
      } else {
        testing::RecordingView view(WithSeparator(win::ToUtf8(dir_.wstring())));
        TForm1 form(view);
        problem = form.SaveSettings(target, Store);
      }
      EXPECT_EQ(!problem, c.written) << Describe(problem);
      const std::string after = Get(target);
      if (!c.written) {
        EXPECT_EQ(after, "old\r\n");
      } else if (name[0] == 'J') {
        EXPECT_EQ(after, "0 0 1 1\r\n");
      } else {
        EXPECT_EQ(after.rfind("100\r\n100\r\n", 0), 0u) << after;  // the first run's position
      }
      EXPECT_EQ(FileExists(temporary), false);
      EXPECT_EQ(std::filesystem::is_directory(win::FromUtf8(temporary)),
                c.setup == TemporaryFolder);
    }
  }
}

TEST_F(WindowsFiles, NamesTakeEitherSeparator) {
  const std::string slash = win::ToUtf8(dir_.wstring()) + "/rusk.dat";
  const std::string backslash = WithSeparator(win::ToUtf8(dir_.wstring())) + "rusk.dat";
  Put(slash, "1\r\n");
  EXPECT_TRUE(FileExists(backslash));
  EXPECT_EQ(Get(backslash), "1\r\n");
  EXPECT_TRUE(RemoveFile(backslash));
  EXPECT_FALSE(FileExists(slash));
}

TEST(WindowsFolder, TheProgramsOwnFolder) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring exe = path;
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(win::FromUtf8(folder), exe.substr(0, exe.find_last_of(L'\\') + 1));
  EXPECT_TRUE(FileExists(folder + win::ToUtf8(exe.substr(exe.find_last_of(L'\\') + 1))));
  // Not the current folder: the same from anywhere.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  EXPECT_EQ(ExecutableFolder(), folder);
  std::filesystem::current_path(before);
  EXPECT_EQ(WithSeparator("C:\\Jw_cad"), "C:\\Jw_cad\\");
  EXPECT_EQ(WithSeparator("C:\\Jw_cad\\"), "C:\\Jw_cad\\");
  EXPECT_EQ(WithSeparator("C:/Jw_cad/"), "C:/Jw_cad/");
}

}  // namespace
}  // namespace sorea
