// The one place where files are named and opened. Paths are UTF-8 in the portable code; on
// Windows they are converted to wide paths, so a folder with a Japanese name works whatever
// the ANSI code page.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace sorea {

// fopen with a UTF-8 path; mode as for fopen (always use binary modes: we write CR LF
// ourselves). nullptr on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);
bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);
// Replaces target by source in one step (rename over an existing file).
bool ReplaceFile(const std::string& source, const std::string& target);
// Creates the file at path and opens it for writing (binary), only when nothing is there yet:
// nullptr when anything, a link included, already has that name, or nothing may be created.
std::FILE* CreateNewFile(const std::string& path);
// Where a chain of symbolic links at path ends (a relative link counts from its own folder):
// path itself when it is no link, and always on Windows; "" for a chain that never ends.
std::string FollowLinks(const std::string& path);
// The folder of the running executable, ending in the path separator (UTF-8); "" on Windows
// or "./" elsewhere when it cannot be found.
std::string ExecutableFolder();
// The folder with the platform's path separator at its end ("\\" on Windows, "/" elsewhere),
// unless it already ends in one; "" stays "".
std::string WithSeparator(std::string folder);
// True when path names a plain file (following links): not a folder, a device or a pipe.
bool IsRegularFile(const std::string& path);

// What stands at a path, following symbolic links.
enum class FileKind { Missing, Regular, Other };
FileKind KindOf(const std::string& path);
// Opens path for reading (binary) only when it is a plain file, following links: a pipe is
// never waited on and a device never read without end. nullptr for anything else.
std::FILE* OpenRegularFile(const std::string& path);
// True when the user froze the file: it has no write permission for us (on POSIX; for root,
// no write bit at all, since root's power to override is not the user's word), or the
// read-only attribute (Windows).
bool IsReadOnly(const std::string& path);

// Why a file was not written as asked; empty (false) when it was. What says what could not
// be done, Error is the errno of the call that failed (0 when none applies). Neither needs
// memory, so a failure is told even when memory ran out.
struct FileProblem {
  const char* What = nullptr;
  int Error = 0;
  explicit operator bool() const { return What != nullptr; }
};
// "what: the system's reason", for messages.
std::string Describe(const FileProblem& problem);

// Writes all of content to file, flushed to the disk, and closes it either way.
FileProblem WriteAndClose(std::FILE* file, std::string_view content);

// Puts content in target's place through a new file beside it (target + ".tmp"), replacing
// target in one step, so that target holds either its old bytes or the whole of content at
// every moment, a killed run included. A temporary file an interrupted run left behind is
// removed first; one that cannot be removed is never written into, since whatever stands at
// that name is not ours to fill.
enum class Replacing {
  Done,
  WriteFailed,  // the temporary file is gone again and target untouched
  NotPossible,  // no temporary file could be made, or it could not take target's place
};
Replacing ReplaceWhole(const std::string& target, std::string_view content, FileProblem& problem);
// Where a whole new file for path goes: the file its symbolic links name, the links staying.
// A problem, and nothing to write to, when the links never end, or when what stands there is
// no plain file or is read-only (the user froze it).
FileProblem ReplaceableTarget(const std::string& path, std::string& target);
// Truncates (or creates) the file at path and writes content into it.
FileProblem WriteInPlace(const std::string& path, std::string_view content);

}  // namespace sorea
