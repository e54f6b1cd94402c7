// The one place where files are named and opened. Paths are UTF-8 in the portable code; on
// Windows they are converted to wide paths, so a folder with a Japanese name works whatever
// the ANSI code page.
#pragma once

#include <cstdio>
#include <string>

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

}  // namespace sorea
