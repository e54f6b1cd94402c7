// Reading JWC_TEMP.TXT as text: the file in blocks, the blocks in lines, the lines in fields,
// which ExchangeReader.cpp turns into records. The bulk of a drawing is lines of plain numbers
// (bare lines of four, or after a keyword); they are read straight from the block, without
// splitting them into fields first.
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "exchange/JwwGaibu.h"
#include "exchange/ReaderFields.h"
#include "util/DecimalScan.h"
#include "util/Files.h"
#include "util/MyFunc.h"

namespace sorea {

namespace {

Fields::Span AsSpan(std::string_view text) {
  return {text.data(), text.size()};
}

// What a byte does outside quotes.
enum ByteClass : unsigned char { kPlain, kLead, kQuote, kEquals, kSeparator, kDropped };

constexpr std::array<unsigned char, 256> MakeByteClasses() {
  std::array<unsigned char, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    unsigned char k = kPlain;
    if ((c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD)) {  // as IsLeadByte
      k = kLead;
    } else if (c == '"') {
      k = kQuote;
    } else if (c == '=') {
      k = kEquals;
    } else if (c == ' ' || c == '\t') {
      k = kSeparator;
    } else if (c < 0x20 || c > 0xFD) {
      k = kDropped;
    }
    classes[static_cast<std::size_t>(c)] = k;
  }
  return classes;
}
constexpr std::array<unsigned char, 256> kByteClasses = MakeByteClasses();

// The end of the run of plain bytes from i on: eight at a time while they are ASCII, the
// table deciding the rest.
std::size_t PlainRunEnd(const char* in, std::size_t i, std::size_t length) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101, kTops = 0x8080808080808080;
    while (length - i >= 8) {
      std::uint64_t x;
      std::memcpy(&x, in + i, sizeof x);
      // The top bit of a byte from 0x80 up, below '!', '"' or '='; exact up to the first, as a
      // borrow only runs upwards.
      const std::uint64_t quote = x ^ (kOnes * '"'), equals = x ^ (kOnes * '=');
      const std::uint64_t marks = (x | ((x - kOnes * '!') & ~x) | ((quote - kOnes) & ~quote) |
                                   ((equals - kOnes) & ~equals)) &
                                  kTops;
      if (marks != 0) {
        i += static_cast<std::size_t>(std::countr_zero(marks) / 8);
        break;
      }
      i += 8;
    }
  }
  while (i < length && kByteClasses[static_cast<unsigned char>(in[i])] == kPlain) ++i;
  return i;
}

// The field being collected. While its bytes stand together in the line it is a view of the
// line itself; once a dropped byte (a quote, a control byte, a CR inside a double-byte
// character) falls inside it, it is copied to the scratch buffer and continues there.
class FieldBuilder {
 public:
  FieldBuilder(const char* in, char* scratch) : in_(in), scratch_(scratch) {}

  // Appends the line's bytes [from, to).
  void Take(std::size_t from, std::size_t to) {
    if (!copied_) {
      if (begin_ == end_) {
        begin_ = from;
        end_ = to;
        return;
      }
      if (end_ == from) {
        end_ = to;
        return;
      }
      std::memcpy(scratch_ + w_, in_ + begin_, end_ - begin_);
      copyStart_ = w_;
      w_ += end_ - begin_;
      copied_ = true;
    }
    std::memcpy(scratch_ + w_, in_ + from, to - from);
    w_ += to - from;
  }

  bool Empty() const { return copied_ ? w_ == copyStart_ : begin_ == end_; }

  std::string_view View() const {
    return copied_ ? std::string_view(scratch_ + copyStart_, w_ - copyStart_)
                   : std::string_view(in_ + begin_, end_ - begin_);
  }

  void Next() {
    copied_ = false;
    begin_ = end_ = 0;
  }

 private:
  const char* in_;
  char* scratch_;
  std::size_t w_ = 0;  // next free byte of scratch
  std::size_t copyStart_ = 0;
  std::size_t begin_ = 0, end_ = 0;
  bool copied_ = false;
};

// Splits line into fields. Returns false for a blank line. Double-byte characters are kept
// whole; the first double quote or "=" makes the rest of the line one field; a CR is dropped
// wherever it stands (the reader hands lines without their LF). Fields beyond the 32nd are
// dropped.
bool SplitFields(std::string_view line, std::string& scratch, Fields& out) {
  if (scratch.size() < line.size()) scratch.resize(line.size());
  const char* in = line.data();
  const std::size_t length = line.size();
  FieldBuilder field(in, scratch.data());
  std::size_t i = 0;
  int index = 0;
  bool quoted = false;
  // Takes the double-byte character whose lead byte is at i (CRs between its bytes are
  // line-end debris); false when the lead byte has no partner and ends the scan.
  auto doubleByte = [&]() {
    std::size_t j = i + 1;
    while (j < length && in[j] == '\r') ++j;
    if (j >= length) return false;
    field.Take(i, i + 1);
    field.Take(j, j + 1);
    i = j + 1;
    return true;
  };
  while (i < length && !quoted) {
    switch (kByteClasses[static_cast<unsigned char>(in[i])]) {
      case kPlain: {
        // The run of ordinary bytes up to the next byte that means something.
        std::size_t end = PlainRunEnd(in, i + 1, length);
        field.Take(i, end);
        i = end;
        break;
      }
      case kLead:
        if (!doubleByte()) i = length;
        break;
      case kQuote:
        quoted = true;
        ++i;
        break;
      case kEquals:
        field.Take(i, i + 1);
        quoted = true;
        ++i;
        break;
      case kSeparator:
        ++i;
        if (!field.Empty()) {
          out.Value[index] = AsSpan(field.View());
          field.Next();
          if (++index == kMaxFields) {
            out.Count = kMaxFields;
            return true;
          }
        }
        break;
      default:
        ++i;
        break;
    }
  }
  // Quoted: the rest of the line is one field; spaces and quotes are kept.
  while (i < length) {
    const unsigned char c = static_cast<unsigned char>(in[i]);
    if (IsLeadByte(c)) {
      if (!doubleByte()) break;
    } else if (c >= 0x20 && c <= 0xFD) {
      std::size_t end = i + 1;
      while (end < length && static_cast<unsigned char>(in[end]) >= 0x20 && !IsLeadByte(in[end]) &&
             static_cast<unsigned char>(in[end]) <= 0xFD) {
        ++end;
      }
      field.Take(i, end);
      i = end;
    } else {
      ++i;
    }
  }
  const bool blank = index == 0 && field.Empty();
  out.Value[index] = AsSpan(field.View());
  out.Count = index + 1;
  return !blank;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A byte a keyword may hold on the quick path: ASCII, no blank, quote or "=".
bool IsKeywordByte(char c) {
  return c > ' ' && c < 0x7F && c != '"' && c != '=';
}

// The line at p, when it is made of plain tokens between blanks: a keyword or a number, then
// numbers (the bulk of a drawing). Stores it as the splitter and the record tests would, with
// its numbers read where they stand, and returns the byte after its LF. Gives nullptr for any
// other line, and for one whose LF is not before end: the splitter then reads it.
const char* QuickLine(const char* p, const char* end) {
  while (p < end && IsBlank(*p)) ++p;
  if (p == end) return nullptr;
  Fields fields;
  int count = 0;
  // A bare line: four numbers, the first standing in for the keyword.
  const bool bare = IsDigit(*p) || *p == '-' || *p == '.' || *p == '+';
  if (!bare) {
    const char* const keyword = p;
    while (p < end && IsKeywordByte(*p)) ++p;
    if (p == keyword) return nullptr;
    fields.Value[0] = {keyword, static_cast<std::size_t>(p - keyword)};
    fields.Number[0] = 0;  // as TextToFloat reads a keyword
    count = 1;
  }
  for (bool number = bare;; number = true) {
    if (number) {
      // A trailing blank, making an empty last field, fails the scan: the splitter counts it.
      if (count == kMaxFields) return nullptr;
      const char* const next = ScanDecimal(p, end, fields.Number[count]);
      if (!next) return nullptr;
      fields.Value[count++] = {p, static_cast<std::size_t>(next - p)};
      p = next;
    }
    if (p == end) return nullptr;
    if (*p == '\r' || *p == '\n') {
      // The line ends here if only CRs stand before its LF (a CR is dropped wherever it stands).
      while (p < end && *p == '\r') ++p;
      if (p == end || *p != '\n') return nullptr;
      try {
        if (!bare) {
          fields.Count = count;
          fields.Read = true;
          DispatchRecord(fields);
        } else if (count == 4) {
          StoreBareLine({fields.Number[0], fields.Number[1], fields.Number[2], fields.Number[3]});
        }
      } catch (...) {
        // Out of memory for one element: the line is skipped, as ParseExchangeLine skips it.
      }
      return p + 1;
    }
    if (!IsBlank(*p)) return nullptr;
    if (bare && count == 4) {
      // A fifth field follows (after a trailing blank an empty one): a line led by a number
      // with more than four fields holds nothing.
      const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      return lf ? static_cast<const char*>(lf) + 1 : nullptr;
    }
    do {
      ++p;
    } while (p < end && IsBlank(*p));
  }
}

// Scratch space for SplitFields, reused from line to line.
std::string& Scratch() {
  static std::string scratch;
  return scratch;
}

}  // namespace

void ParseExchangeLine(std::string_view line) {
  try {
    Fields fields;
    std::string& scratch = Scratch();
    if (SplitFields(line, scratch, fields)) DispatchRecord(fields);
    if (scratch.size() > (std::size_t{1} << 20)) std::string().swap(scratch);
  } catch (...) {
    // Out of memory for one element: the line is skipped, the store stays consistent.
  }
}

bool ReadExchangeFile(const std::string& path) {
  try {
    // Only a plain file: a pipe would hang the dialog, a device would be read without end.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path), &std::fclose);
    if (!file) return false;

    constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::unique_ptr<char[]> block(new char[kBlock]);
    std::string carry;  // the start of a line that runs on into the next block
    bool atEnd = false;
    while (!atEnd) {
      std::size_t got = std::fread(block.get(), 1, kBlock, file.get());
      if (got == 0) {
        if (std::ferror(file.get())) return false;
        break;
      }
      // Ctrl-Z ends the file, wherever it stands.
      if (const void* z = std::memchr(block.get(), 0x1A, got)) {
        got = static_cast<std::size_t>(static_cast<const char*>(z) - block.get());
        atEnd = true;
      }
      const char* p = block.get();
      const char* const end = p + got;
      while (p < end) {
        if (carry.empty()) {
          if (const char* next = QuickLine(p, end)) {
            p = next;
            continue;
          }
        }
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lf) {
          carry.append(p, static_cast<std::size_t>(end - p));
          break;
        }
        // A CR before the LF, like any other CR, is dropped by the field splitter.
        if (carry.empty()) {
          ParseExchangeLine(std::string_view(p, static_cast<std::size_t>(lf - p)));
        } else {
          carry.append(p, static_cast<std::size_t>(lf - p));
          ParseExchangeLine(carry);
          std::string().swap(carry);
        }
        p = lf + 1;
      }
    }
    if (!carry.empty()) ParseExchangeLine(carry);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace sorea
