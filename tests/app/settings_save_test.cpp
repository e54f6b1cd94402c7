// Where SaveSettings puts rusk.dat: through a symbolic link, past a temporary file an earlier
// run left behind, in place where the folder takes no new file, and never at the cost of the
// settings already on disk.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "app/AppTestSupport.h"
#include "app/Unit1.h"
#include "util/Files.h"

namespace sorea {
namespace {

namespace fs = std::filesystem;
using testing::CrLf;
using testing::RecordingView;
using testing::ScratchFolder;

// Shorter than any save, so a limit at its size stops a save part way.
const std::string kPrevious = CrLf({"1", "2", "3"});

// What a fresh dialog saves.
std::string NewSettings() {
  ScratchFolder folder;
  RecordingView view(folder.Path());
  TForm1 form(view);
  form.SaveSettings(folder.File("rusk.dat"));
  return folder.Read("rusk.dat");
}

void Save(const ScratchFolder& folder, const std::string& name = "rusk.dat") {
  RecordingView view(folder.Path());
  TForm1 form(view);
  form.SaveSettings(folder.File(name));
}

// The previous settings at name, in a subfolder when name has one.
void Put(const ScratchFolder& folder, const std::string& name) {
  fs::create_directories(fs::path(folder.File(name)).parent_path());
  folder.Write(name, kPrevious);
}

void Link(const ScratchFolder& folder, const std::string& name, const std::string& target) {
  fs::create_symlink(target, folder.File(name));
}

// What stands at a name after the save.
enum class Is { New, Previous, Absent, Folder, Link };

void ExpectState(const ScratchFolder& folder, const std::string& name, Is state) {
  SCOPED_TRACE(name);
  const fs::file_status status = fs::symlink_status(folder.File(name));
  switch (state) {
    case Is::New:
      EXPECT_EQ(folder.Read(name), NewSettings());
      break;
    case Is::Previous:
      EXPECT_EQ(folder.Read(name), kPrevious);
      break;
    case Is::Absent:
      EXPECT_FALSE(fs::exists(status));
      break;
    case Is::Folder:
      EXPECT_TRUE(fs::is_directory(status));
      break;
    case Is::Link:
      EXPECT_TRUE(fs::is_symlink(status));
      break;
  }
}

TEST(SaveSettings, WhereTheFileGoes) {
  using Setup = std::function<void(const ScratchFolder&)>;
  struct Case {
    const char* name;
    Setup setUp;
    std::vector<std::pair<std::string, Is>> after;
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
       {{"rusk.dat", Is::Link}, {"l", Is::Link}, {"rusk.dat.tmp", Is::Absent}}},
      {"stale temporary file", [](auto& f) { Put(f, "rusk.dat"); f.Write("rusk.dat.tmp", "half a fi"); },
       {{"rusk.dat", Is::New}, {"rusk.dat.tmp", Is::Absent}}},
      {"stale temporary link is not written through", [](auto& f) { Put(f, "victim"); Link(f, "rusk.dat.tmp", "victim"); },
       {{"rusk.dat", Is::New}, {"victim", Is::Previous}, {"rusk.dat.tmp", Is::Absent}}},
      {"temporary name taken by a folder: saved in place", [](auto& f) { Put(f, "rusk.dat"); fs::create_directory(f.File("rusk.dat.tmp")); },
       {{"rusk.dat", Is::New}, {"rusk.dat.tmp", Is::Folder}}},
      {"settings file is a folder", [](auto& f) { fs::create_directory(f.File("rusk.dat")); },
       {{"rusk.dat", Is::Folder}, {"rusk.dat.tmp", Is::Absent}}},
      {"missing folder", [](auto&) {}, {{"absent", Is::Absent}}, "absent/rusk.dat"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    c.setUp(folder);
    Save(folder, c.saveTo);
    for (const auto& [name, state] : c.after) ExpectState(folder, name, state);
  }
}

constexpr int kCannotSetUp = 77;

// Saves as a user who may not create files in the folder when closed is set: the save runs in a
// child process that, under root, becomes nobody (the folder and its files stay root's, and
// the folder is closed by its mode), and otherwise is the folder's owner with the folder made
// read-only. A fileSizeLimit above 0 makes every write past that many bytes fail. Returns the
// child's exit status.
int SaveAsUnprivileged(const ScratchFolder& folder, bool closed, rlim_t fileSizeLimit) {
  const bool root = ::geteuid() == 0;
  ::chmod(folder.Path().c_str(), closed ? 0555 : (root ? 0777 : 0700));
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      ::_exit(kCannotSetUp);
    }
    if (std::FILE* probe = CreateNewFile(folder.File("probe"))) {
      std::fclose(probe);
      if (closed) ::_exit(kCannotSetUp);
      RemoveFile(folder.File("probe"));
    }
    if (fileSizeLimit > 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(kCannotSetUp);
    }
    Save(folder);
    ::_exit(0);
  }
  int status = -1;
  if (pid > 0) ::waitpid(pid, &status, 0);
  ::chmod(folder.Path().c_str(), 0700);
  return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
  };
  const rlim_t cut = kPrevious.size();
  // clang-format off
  const Case cases[] = {
      {"file writable", true, 0666, false, 0, Is::New},
      {"file read-only", true, 0444, false, 0, Is::Previous},
      {"no file", true, 0, false, 0, Is::Absent},
      {"stale temporary file nobody may remove", true, 0666, true, 0, Is::New},
      {"write cut short in place", true, 0666, false, cut, Is::Previous},
      {"write cut short beside it", false, 0666, false, cut, Is::Previous},
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
    const int status = SaveAsUnprivileged(folder, c.closed, c.fileSizeLimit);
    if (status == kCannotSetUp) {
      GTEST_SKIP() << "cannot run a save as a user who may not create files in a folder";
    }
    ASSERT_EQ(status, 0);
    ExpectState(folder, "rusk.dat", c.settings);
    ExpectState(folder, "rusk.dat.tmp", c.staleTemporary ? Is::Previous : Is::Absent);
  }
}

}  // namespace
}  // namespace sorea
