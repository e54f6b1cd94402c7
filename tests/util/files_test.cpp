// The file helpers under a folder with a Japanese name, as a Jw_cad folder can have.

#include "util/Files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace sorea {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder named "作図" (UTF-8) under the test's own temporary folder.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            (std::string("sorea-files-") + info->name() + "-\xe4\xbd\x9c\xe5\x9b\xb3");
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }

  static bool Write(const std::string& path, const std::string& bytes) {
    std::FILE* f = OpenFile(path, "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
  }

  static std::string Read(const std::string& path) {
    std::FILE* f = OpenFile(path, "rb");
    if (f == nullptr) return "<none>";
    std::string bytes;
    char buf[256];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    std::fclose(f);
    return bytes;
  }

  std::filesystem::path root_;
};

TEST_F(FilesTest, WritesAndReadsBytesUnchanged) {
  const std::string path = Path("JWC_TEMP.TXT");
  const std::string bytes = "hq\r\n\x83\x5c\x83\x8c\x83\x41\r\n";
  ASSERT_TRUE(Write(path, bytes));
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(Read(path), bytes);
}

TEST_F(FilesTest, ExistsOnlyForFilesRegularOnlyForPlainOnes) {
  struct Case {
    std::string path;
    bool exists, regular;
  };
  ASSERT_TRUE(Write(Path("rusk.dat"), "1\r\n"));
  std::filesystem::create_directories(root_ / "sub");
  const Case cases[] = {
      {.path = Path("rusk.dat"), .exists = true, .regular = true},
      {.path = Path("missing.dat"), .exists = false, .regular = false},
      {.path = Path("sub"), .exists = false, .regular = false},
      {.path = root_.string(), .exists = false, .regular = false},
      {.path = "", .exists = false, .regular = false},
      {.path = Path("missing/rusk.dat"), .exists = false, .regular = false},
#ifndef _WIN32
      // A device is there but is not a plain file; Windows names none by a path like this.
      {.path = "/dev/null", .exists = true, .regular = false},
#endif
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileExists(c.path), c.exists) << c.path;
    EXPECT_EQ(IsRegularFile(c.path), c.regular) << c.path;
  }
}

TEST_F(FilesTest, OpeningWhereNothingCanBeWrittenFailsQuietly) {
  EXPECT_EQ(OpenFile(Path("no/such/folder/JWC_TEMP.TXT"), "wb"), nullptr);
  EXPECT_EQ(OpenFile(Path("missing.dat"), "rb"), nullptr);
  EXPECT_EQ(OpenFile("", "rb"), nullptr);
}

TEST_F(FilesTest, RemoveReportsWhetherAFileWent) {
  const std::string path = Path("JWC_TEMP.TXT");
  ASSERT_TRUE(Write(path, "x"));
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(RemoveFile(path));
}

TEST_F(FilesTest, ReplaceTakesThePlaceOfTheOldFile) {
  const std::string target = Path("JWC_TEMP.TXT");
  const std::string temp = Path("JWC_TEMP.TXT.new");
  ASSERT_TRUE(Write(target, "old\r\n"));
  ASSERT_TRUE(Write(temp, "new\r\n"));
  EXPECT_TRUE(ReplaceFile(temp, target));
  EXPECT_EQ(Read(target), "new\r\n");
  EXPECT_FALSE(FileExists(temp));
  // Nothing to move: the target stays as it was.
  EXPECT_FALSE(ReplaceFile(temp, target));
  EXPECT_EQ(Read(target), "new\r\n");
  // Into a folder that is not there: fails, the source is kept.
  ASSERT_TRUE(Write(temp, "again"));
  EXPECT_FALSE(ReplaceFile(temp, Path("missing/JWC_TEMP.TXT")));
  EXPECT_EQ(Read(temp), "again");
}

}  // namespace
}  // namespace sorea
