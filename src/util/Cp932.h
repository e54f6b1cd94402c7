// Conversion between Shift-JIS (code page 932) and UTF-8, for the tools that talk to a
// terminal or to JSON. The program itself keeps every text in cp932 bytes.
#pragma once

#include <string>
#include <string_view>

namespace sorea {

// cp932 bytes to UTF-8. Bytes that are not valid cp932 become U+FFFD; never fails.
std::string Cp932ToUtf8(std::string_view text);

// UTF-8 to cp932 bytes. Characters cp932 cannot hold, and malformed UTF-8, become "?";
// ok (when given) is set false if that happened.
std::string Utf8ToCp932(std::string_view text, bool* ok = nullptr);

}  // namespace sorea
