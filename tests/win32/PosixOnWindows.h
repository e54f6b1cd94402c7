// The POSIX calls the suites use for scratch folders, for their Windows build: the C runtime
// there has no mkdtemp. Forced into each suite's sources by the Windows test build.
#pragma once

#ifdef _WIN32
#include <direct.h>
#include <io.h>

#include <cstring>

// Replaces the trailing XXXXXX of pattern and creates that folder; nullptr when it cannot.
inline char* mkdtemp(char* pattern) {
  if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0) return nullptr;
  return _mkdir(pattern) == 0 ? pattern : nullptr;
}
#endif
