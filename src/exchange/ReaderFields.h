// Inside the exchange file reader: the fields of one line, as the line splitter
// (ExchangeLines.cpp) hands them to the record dispatch (ExchangeReader.cpp).
#pragma once

#include <cstddef>
#include <string_view>

#include "util/MyFunc.h"

namespace sorea {

inline constexpr int kMaxFields = 32;

// The fields of one line. They are views of the line itself, or of a scratch buffer where a
// dropped byte fell inside a field; either lives as long as the line is being handled.
struct Fields {
  struct Span {
    const char* Data;
    std::size_t Size;
  };
  Span Value[kMaxFields];  // set below Count only
  int Count = 0;  // index of the last field + 1 (an empty last field after a separator counts)
  // Set when every field has already been read as TextToFloat reads it, into Number.
  bool Read = false;
  double Number[kMaxFields];

  std::string_view operator[](int i) const {
    return i < Count ? std::string_view(Value[i].Data, Value[i].Size) : std::string_view();
  }
  double Real(int i) const {
    if (Read) return i < Count ? Number[i] : 0;
    return TextToFloat((*this)[i]);
  }
  int Int(int i) const { return TextToInt((*this)[i]); }
};

// Stores what the line with these fields holds (the first field is the keyword).
void DispatchRecord(const Fields& fields);

// Stores the bare line of four numbers (x1, y1, x2, y2), as a line of those four fields would.
void StoreBareLine(const double (&values)[4]);

}  // namespace sorea
