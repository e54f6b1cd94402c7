// Shift-JIS (code page 932) to and from UTF-8 for the tools. On Windows the system's code
// page 932 tables do it; elsewhere glibc's iconv "CP932", which has the same mapping for the
// characters the program meets (0x5C and 0x7E stay ASCII, 0x8160 is U+FF5E, the IBM rows
// are preferred over the NEC-selected ones when encoding).

#include "util/Cp932.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include "util/WinText.h"
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace sorea {

namespace {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";  // U+FFFD

// A cp932 lead byte as the code page itself has them (0x81-0x9F, 0xE0-0xFC), and a byte
// that may follow one.
bool IsCp932Lead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool IsCp932Trail(unsigned char c) {
  return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// How many bytes of text to give up as one unreadable cp932 character at i.
std::size_t BadCp932Length(std::string_view text, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (IsCp932Lead(c) && i + 1 < text.size() &&
      IsCp932Trail(static_cast<unsigned char>(text[i + 1])))
    return 2;
  return 1;
}

// Decodes UTF-8 into code points; a malformed sequence (bad lead, missing continuation,
// overlong form, surrogate, beyond U+10FFFF) gives one kBad for its first byte.
constexpr std::uint32_t kBad = 0xFFFFFFFFu;

std::vector<std::uint32_t> DecodeUtf8(std::string_view text) {
  std::vector<std::uint32_t> out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1Fu, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0Fu, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07u, min = 0x10000;
    }
    bool good = len != 0 && i + len <= text.size();
    for (std::size_t k = 1; good && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0u) != 0x80u) {
        good = false;
      } else {
        cp = (cp << 6) | (t & 0x3Fu);
      }
    }
    if (good && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) good = false;
    if (good) {
      out.push_back(cp);
      i += len;
    } else {
      out.push_back(kBad);
      ++i;
    }
  }
  return out;
}

// The code page's own conversions: the system's tables on Windows, glibc's iconv elsewhere.
// Decode converts the whole of bytes or nothing; Encode one code point.
class Codec {
 public:
#ifdef _WIN32
  bool Decode(std::string_view bytes, std::string& utf8) {
    std::wstring wide;
    if (!win::FromCp932Strict(bytes, wide)) return false;
    utf8 += win::ToUtf8(wide);
    return true;
  }

  bool Encode(std::uint32_t cp, std::string& out) {
    wchar_t w[2] = {static_cast<wchar_t>(cp), 0};
    std::size_t n = 1;
    if (cp >= 0x10000) {
      w[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
      w[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      n = 2;
    }
    std::string bytes;
    if (!win::ToCp932Exact(std::wstring_view(w, n), bytes)) return false;
    out += bytes;
    return true;
  }
#else
  Codec() : decode_(iconv_open("UTF-8", "CP932")), encode_(iconv_open("CP932", "UTF-32LE")) {}
  ~Codec() {
    if (Valid(decode_)) iconv_close(decode_);
    if (Valid(encode_)) iconv_close(encode_);
  }
  Codec(const Codec&) = delete;
  Codec& operator=(const Codec&) = delete;

  bool Decode(std::string_view bytes, std::string& utf8) {
    if (!Valid(decode_)) {
      // No table at all: only ASCII reads.
      for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
      }
      utf8.append(bytes);
      return true;
    }
    return Run(decode_, bytes, utf8);
  }

  bool Encode(std::uint32_t cp, std::string& out) {
    char in[4];
    for (int k = 0; k < 4; ++k) in[k] = static_cast<char>((cp >> (8 * k)) & 0xFFu);
    return Valid(encode_) && Run(encode_, std::string_view(in, 4), out);
  }

 private:
  static bool Valid(iconv_t cd) {
    return cd != reinterpret_cast<iconv_t>(-1);
  }

  // Converts all of in, appending to out only when the whole of it converted.
  static bool Run(iconv_t cd, std::string_view in, std::string& out) {
    std::string converted;
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[1024];
    while (left > 0) {
      char* dst = buf;
      std::size_t room = sizeof buf;
      const std::size_t r = iconv(cd, &src, &left, &dst, &room);
      converted.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return false;
      }
    }
    out += converted;
    return true;
  }

  iconv_t decode_;
  iconv_t encode_;
#endif
};

}  // namespace

std::string Cp932ToUtf8(std::string_view text) {
  std::string out;
  try {
    Codec codec;
    if (codec.Decode(text, out)) return out;
    // Some byte is not cp932: go character by character.
    std::size_t i = 0;
    while (i < text.size()) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      const std::size_t len = (IsCp932Lead(c) && i + 1 < text.size()) ? 2 : 1;
      if (codec.Decode(text.substr(i, len), out)) {
        i += len;
      } else {
        out += kReplacementUtf8;
        i += BadCp932Length(text, i);
      }
    }
  } catch (...) {
  }
  return out;
}

std::string Utf8ToCp932(std::string_view text, bool* ok) {
  bool good = true;
  std::string out;
  try {
    Codec codec;
    for (std::uint32_t cp : DecodeUtf8(text)) {
      if (cp == kBad || !codec.Encode(cp, out)) {
        out.push_back('?');
        good = false;
      }
    }
  } catch (...) {
    good = false;
  }
  if (ok != nullptr) *ok = good;
  return out;
}

}  // namespace sorea
