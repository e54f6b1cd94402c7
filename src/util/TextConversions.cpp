// Shift-JIS text helpers: cutting text at character boundaries, dropping blanks, and the
// full-width form of the dimension value text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "util/FullWidthTable.h"
#include "util/MyFunc.h"

namespace sorea {

namespace {

// The length of the character that begins at text[i]: 2 for a lead byte, else 1. A lead byte
// that stands last counts as two bytes, paired with the text's terminating zero.
std::size_t CharLength(std::string_view text, std::size_t i) {
  return IsLeadByte(text[i]) ? 2 : 1;
}

void AppendPair(std::string& out, const unsigned char (&pair)[2]) {
  out.push_back(static_cast<char>(pair[0]));
  out.push_back(static_cast<char>(pair[1]));
}

// The full-width form of one chunk, as the locale mapping of Windows gives it for the
// characters the value text is made of (and the rest of ASCII, half-width katakana and
// hiragana). Everything else is copied unchanged.
std::string MapChunk(std::string_view chunk) {
  std::string out;
  out.reserve(chunk.size() * 2);
  std::size_t i = 0;
  while (i < chunk.size()) {
    const unsigned char c = static_cast<unsigned char>(chunk[i]);
    if (IsLeadByte(c)) {
      if (i + 1 >= chunk.size()) {
        out.push_back(static_cast<char>(c));  // a lone lead byte stays as it is
        break;
      }
      const unsigned char t = static_cast<unsigned char>(chunk[i + 1]);
      unsigned char lead = c;
      unsigned char trail = t;
      for (const auto& h : fullwidth::kHiragana) {
        if (h.lead == c && h.trail == t) {
          lead = h.toLead;
          trail = h.toTrail;
          break;
        }
      }
      out.push_back(static_cast<char>(lead));
      out.push_back(static_cast<char>(trail));
      i += 2;
      continue;
    }
    if (c >= 0x20 && c <= 0x7E) {
      AppendPair(out, fullwidth::kAscii[c - 0x20]);
      ++i;
      continue;
    }
    if (c >= 0xA1 && c <= 0xDF) {
      if (i + 1 < chunk.size()) {
        const unsigned char mark = static_cast<unsigned char>(chunk[i + 1]);
        bool combined = false;
        for (const auto& v : fullwidth::kVoiced) {
          if (v.kana == c && v.mark == mark) {
            out.push_back(static_cast<char>(v.lead));
            out.push_back(static_cast<char>(v.trail));
            combined = true;
            break;
          }
        }
        if (combined) {
          i += 2;
          continue;
        }
      }
      AppendPair(out, fullwidth::kKana[c - 0xA1]);
      ++i;
      continue;
    }
    out.push_back(static_cast<char>(c));
    ++i;
  }
  return out;
}

}  // namespace

std::string_view CutWholeChars(std::string_view text, std::size_t maxBytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t k = CharLength(text, end);
    if (end + k > maxBytes || end + k > text.size()) break;
    end += k;
  }
  return text.substr(0, end);
}

std::string RemoveSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      if (i + 1 >= text.size()) {
        out.push_back(static_cast<char>(c));  // a lone lead byte at the end is visible
        break;
      }
      const unsigned char t = static_cast<unsigned char>(text[i + 1]);
      if (!(c == 0x81 && t == 0x40)) {
        out.push_back(static_cast<char>(c));
        out.push_back(static_cast<char>(t));
      }
      i += 2;
    } else {
      if (c > 0x20) out.push_back(static_cast<char>(c));
      ++i;
    }
  }
  return out;
}

std::string CopyWholeChars(std::string_view text, int start, int maxBytes, int& count) {
  count = 0;
  std::string chunk;
  const std::int64_t length = static_cast<std::int64_t>(text.size());
  if (text.empty() || start < 1 || start > length || maxBytes <= 0) return chunk;
  // Positions counted from 1; the window holds start .. start + maxBytes - 1.
  const std::int64_t windowEnd = static_cast<std::int64_t>(start) + maxBytes - 1;
  std::int64_t pos = 1;
  while (pos <= length && pos <= windowEnd) {
    const std::size_t index = static_cast<std::size_t>(pos - 1);
    const std::int64_t k = static_cast<std::int64_t>(CharLength(text, index));
    if (pos >= start && pos + k - 1 <= windowEnd) {
      // A lone lead byte at the end counts two bytes but has only one to copy.
      chunk.append(text.substr(index, static_cast<std::size_t>(k)));
      count += static_cast<int>(k);
    }
    pos += k;
  }
  return chunk;
}

std::string ToFullWidth(std::string_view text) {
  // The mapping works on chunks of at most 126 bytes cut at character boundaries: mapped, a
  // chunk takes at most 252 bytes and its terminating zero, which fits the 256-byte buffers
  // the Windows locale mapping was given. A character and a voiced mark that the cut parts
  // are mapped apart.
  constexpr int kChunkBytes = 126;
  std::string result;
  int position = 1;
  int count = 0;
  do {
    std::string chunk = CopyWholeChars(text, position, kChunkBytes, count);
    result += MapChunk(chunk);
    position += count;
  } while (count != 0);
  return result;
}

}  // namespace sorea
