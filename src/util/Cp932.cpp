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

#ifdef _WIN32

// One cp932 character (or a valid run) to UTF-8; false when the code page refuses it.
bool Cp932RunToUtf8(std::string_view bytes, std::string& out) {
  std::wstring wide;
  if (!win::FromCp932Strict(bytes, wide)) return false;
  out += win::ToUtf8(wide);
  return true;
}

#endif

}  // namespace

#ifdef _WIN32

std::string Cp932ToUtf8(std::string_view text) {
  std::string out;
  try {
    if (Cp932RunToUtf8(text, out)) return out;
    out.clear();
    // Some byte is not cp932: go character by character.
    std::size_t i = 0;
    while (i < text.size()) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      std::size_t len = (IsCp932Lead(c) && i + 1 < text.size()) ? 2 : 1;
      if (Cp932RunToUtf8(text.substr(i, len), out)) {
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
    for (std::uint32_t cp : DecodeUtf8(text)) {
      if (cp == kBad) {
        out.push_back('?');
        good = false;
        continue;
      }
      wchar_t w[2];
      std::size_t wn = 1;
      if (cp >= 0x10000) {
        w[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        w[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        wn = 2;
      } else {
        w[0] = static_cast<wchar_t>(cp);
      }
      std::string bytes;
      if (win::ToCp932Exact(std::wstring_view(w, wn), bytes)) {
        out += bytes;
      } else {
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

#else

namespace {

// An iconv descriptor for one conversion, closed on every path.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of in as it can, appending to out. Returns false at the first input
  // the conversion refuses (in then points at it) or at an incomplete sequence at the end.
  bool Run(const char*& in, std::size_t& inLeft, std::string& out) {
    char buf[1024];
    while (inLeft > 0) {
      char* dst = buf;
      std::size_t dstLeft = sizeof buf;
      char* src = const_cast<char*>(in);
      std::size_t r = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
      in = src;
      out.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Cp932ToUtf8(std::string_view text) {
  std::string out;
  try {
    Converter conv("UTF-8", "CP932");
    if (!conv.valid()) {
      // No table at all: keep ASCII, mark everything else.
      for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x80) {
          out.push_back(c);
        } else {
          out += kReplacementUtf8;
        }
      }
      return out;
    }
    const char* in = text.data();
    std::size_t left = text.size();
    while (left > 0) {
      if (conv.Run(in, left, out)) break;
      const std::size_t pos = static_cast<std::size_t>(in - text.data());
      const std::size_t skip = BadCp932Length(text, pos);
      out += kReplacementUtf8;
      in += skip;
      left -= skip;
    }
  } catch (...) {
  }
  return out;
}

std::string Utf8ToCp932(std::string_view text, bool* ok) {
  bool good = true;
  std::string out;
  try {
    Converter conv("CP932", "UTF-32LE");
    const std::vector<std::uint32_t> cps = DecodeUtf8(text);
    // Runs of well-formed code points go to iconv as UTF-32LE; each refused one is a "?".
    std::string run;
    auto flush = [&]() {
      const char* in = run.data();
      std::size_t left = run.size();
      while (left > 0) {
        if (conv.valid() && conv.Run(in, left, out)) break;
        out.push_back('?');
        good = false;
        in += 4;
        left -= 4;
      }
      run.clear();
    };
    for (std::uint32_t cp : cps) {
      if (cp == kBad) {
        flush();
        out.push_back('?');
        good = false;
        continue;
      }
      for (int k = 0; k < 4; ++k) run.push_back(static_cast<char>((cp >> (8 * k)) & 0xFFu));
    }
    flush();
  } catch (...) {
    good = false;
  }
  if (ok != nullptr) *ok = good;
  return out;
}

#endif

}  // namespace sorea
