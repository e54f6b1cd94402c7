// Where SaveSettings puts rusk.dat: through a symbolic link, past a temporary file an earlier
// run left behind, in place where the folder takes no new file, and never at the cost of the
// settings already on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/AppTestSupport.h"
#include "app/Unit1.h"
#include "exchange/JwwGaibu.h"
#include "util/Files.h"

namespace sorea {
namespace {

namespace fs = std::filesystem;
using testing::CrLf;
using testing::Is;
using testing::kCannotSetUp;
using testing::RecordingView;
using testing::RunRestricted;
using testing::ScratchFolder;

// Shorter than any save, so a limit at its size stops a save part way.
const std::string kPrevious = CrLf({"1", "2", "3"});

// What a fresh dialog saves.
std::string NewSettings() {
  ScratchFolder folder;
  RecordingView view(folder.Path());
  TForm1 form(view);
  form.SaveSettings(folder.File("rusk.dat"), Store);
  return folder.Read("rusk.dat");
}

// True when the save went in whole.
bool Save(const ScratchFolder& folder, const std::string& name = "rusk.dat") {
  RecordingView view(folder.Path());
  TForm1 form(view);
  return !form.SaveSettings(folder.File(name), Store);
}

// The previous settings at name, in a subfolder when name has one.
void Put(const ScratchFolder& folder, const std::string& name) {
  fs::create_directories(fs::path(folder.File(name)).parent_path());
  folder.Write(name, kPrevious);
}

void Link(const ScratchFolder& folder, const std::string& name, const std::string& target) {
  fs::create_symlink(target, folder.File(name));
}

void ExpectState(const ScratchFolder& folder, const std::string& name, Is state) {
  testing::ExpectAt(folder, name, state, NewSettings(), kPrevious);
}

TEST(SaveSettings, WhereTheFileGoes) {
  using Setup = std::function<void(const ScratchFolder&)>;
  struct Case {
    const char* name;
    Setup setUp;
    std::vector<std::pair<std::string, Is>> after;
    bool saved = true;
    std::string saveTo = "rusk.dat";
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"plain file", [](auto& f) { Put(f, "rusk.dat"); }, {{"rusk.dat", Is::New}, {"rusk.dat.tmp", Is::Absent}}},
      {"relative link", [](auto& f) { Put(f, "o/s.dat"); Link(f, "rusk.dat", "o/s.dat"); },
       {{"rusk.dat", Is::Link}, {"o/s.dat", Is::New}, {"rusk.dat.tmp", Is::Absent}, {"o/s.dat.tmp", Is::Absent}}},
      {"absolute link", [](auto& f) { Put(f, "o/s.dat"); Link(f, "rusk.dat", f.File("o/s.dat")); },
       {{"rusk.dat", Is::Link}, {"o/s.dat", Is::New}}},
      {"chain of links", [](auto& f) { Put(f, "o/s.dat"); Link(f, "o/l", "s.dat"); Link(f, "rusk.dat", "o/l"); },
       {{"rusk.dat", Is::Link}, {"o/l", Is::Link}, {"o/s.dat", Is::New}}},
      {"link to a file not there yet", [](auto& f) { fs::create_directory(f.File("o")); Link(f, "rusk.dat", "o/s.dat"); },
       {{"rusk.dat", Is::Link}, {"o/s.dat", Is::New}}},
      {"loop of links: nothing to write to", [](auto& f) { Link(f, "rusk.dat", "l"); Link(f, "l", "rusk.dat"); },
       {{"rusk.dat", Is::Link}, {"l", Is::Link}, {"rusk.dat.tmp", Is::Absent}}, false},
      {"read-only file: the user froze it", [](auto& f) { Put(f, "rusk.dat"); ::chmod(f.File("rusk.dat").c_str(), 0444); },
       {{"rusk.dat", Is::Previous}, {"rusk.dat.tmp", Is::Absent}}, false},
      {"link to a read-only file", [](auto& f) { Put(f, "s.dat"); ::chmod(f.File("s.dat").c_str(), 0444); Link(f, "rusk.dat", "s.dat"); },
       {{"rusk.dat", Is::Link}, {"s.dat", Is::Previous}}, false},
      {"pipe: not waited on, not replaced", [](auto& f) { ::mkfifo(f.File("rusk.dat").c_str(), 0666); },
       {{"rusk.dat", Is::Pipe}, {"rusk.dat.tmp", Is::Absent}}, false},
      {"stale temporary file", [](auto& f) { Put(f, "rusk.dat"); f.Write("rusk.dat.tmp", "half a fi"); },
       {{"rusk.dat", Is::New}, {"rusk.dat.tmp", Is::Absent}}},
      {"stale temporary link is not written through", [](auto& f) { Put(f, "victim"); Link(f, "rusk.dat.tmp", "victim"); },
       {{"rusk.dat", Is::New}, {"victim", Is::Previous}, {"rusk.dat.tmp", Is::Absent}}},
      {"temporary name taken by a folder: saved in place", [](auto& f) { Put(f, "rusk.dat"); fs::create_directory(f.File("rusk.dat.tmp")); },
       {{"rusk.dat", Is::New}, {"rusk.dat.tmp", Is::Folder}}},
      {"settings file is a folder", [](auto& f) { fs::create_directory(f.File("rusk.dat")); },
       {{"rusk.dat", Is::Folder}, {"rusk.dat.tmp", Is::Absent}}, false},
      {"missing folder", [](auto&) {}, {{"absent", Is::Absent}}, false, "absent/rusk.dat"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    c.setUp(folder);
    ::alarm(10);  // a save that waits on a pipe fails here instead of hanging the suite
    EXPECT_EQ(Save(folder, c.saveTo), c.saved);
    ::alarm(0);
    for (const auto& [name, state] : c.after) ExpectState(folder, name, state);
  }
}

// A shared folder where the user may change rusk.dat but not create files: the settings are
// written in place, and a write that fails there puts the previous bytes back.
TEST(SaveSettings, InPlaceWhereNoFileMayBeCreated) {
  struct Case {
    const char* name;
    bool closed;
    mode_t mode;  // of rusk.dat; 0: there is none
    bool staleTemporary;
    rlim_t fileSizeLimit;
    Is settings;
    bool saved;
  };
  const rlim_t cut = kPrevious.size();
  // clang-format off
  const Case cases[] = {
      {"file writable", true, 0666, false, 0, Is::New, true},
      {"file read-only", true, 0444, false, 0, Is::Previous, false},
      {"no file", true, 0, false, 0, Is::Absent, false},
      {"stale temporary file nobody may remove", true, 0666, true, 0, Is::New, true},
      {"write cut short in place", true, 0666, false, cut, Is::Previous, false},
      {"write cut short beside it", false, 0666, false, cut, Is::Previous, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    if (c.mode != 0) {
      Put(folder, "rusk.dat");
      ::chmod(folder.File("rusk.dat").c_str(), c.mode);
    }
    if (c.staleTemporary) Put(folder, "rusk.dat.tmp");
    const int status =
        RunRestricted(folder, c.closed, c.fileSizeLimit, [&] { return Save(folder) ? 1 : 0; });
    if (status == kCannotSetUp) {
      GTEST_SKIP() << "cannot run a save as a user who may not create files in a folder";
    }
    ASSERT_EQ(status, c.saved ? 1 : 0);
    ExpectState(folder, "rusk.dat", c.settings);
    ExpectState(folder, "rusk.dat.tmp", c.staleTemporary ? Is::Previous : Is::Absent);
  }
}

}  // namespace
}  // namespace sorea
