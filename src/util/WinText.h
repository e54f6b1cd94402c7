// Text and paths on Windows. The program keeps its texts in Shift-JIS bytes and its paths in
// UTF-8, while Windows speaks UTF-16; every conversion between them happens here, with code
// page 932 named explicitly, so nothing depends on the system's ANSI code page.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace sorea::win {

// UTF-8 and UTF-16; what is malformed becomes U+FFFD.
std::wstring FromUtf8(std::string_view utf8);
std::string ToUtf8(std::wstring_view wide);

// Shift-JIS to UTF-16. Strict, it gives false (and out empty) on a byte sequence that is not
// Shift-JIS; otherwise such bytes become what the code page makes of them.
std::wstring FromCp932(std::string_view cp932);
bool FromCp932Strict(std::string_view cp932, std::wstring& out);

// UTF-16 to Shift-JIS as the system converts a window's text: characters cp932 cannot hold
// take their nearest form or "?". Exact refuses that instead: false when any character had
// no Shift-JIS form of its own ("?" stands in for it in out).
std::string ToCp932(std::wstring_view wide);
bool ToCp932Exact(std::wstring_view wide, std::string& out);

// The Shift-JIS bytes the text takes, as ToCp932 converts it.
std::size_t Cp932Length(std::wstring_view wide);

}  // namespace sorea::win

#endif
