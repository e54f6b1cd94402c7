// Exact conversion between doubles and decimal text, for what the quick routines of
// NumericText and DecimalScan leave over: the digits of a double beyond the first few, and
// decimal numbers with more digits or larger exponents than one extended-precision operation
// takes.
//
// Both work from the exact decimal expansion of a binary value (a double has at most 767
// significant digits) and round in one step, an exact half to the even neighbour. They give
// what std::to_chars and std::from_chars give, without the C++ library's conversion tables.
#pragma once

namespace sorea {

// Writes value in scientific form with `precision` digits after the point, as std::to_chars
// with std::chars_format::scientific writes it: "-d.ddde+XX", the exponent with at least two
// digits. value is finite, precision at least 0; first has room for precision + 8 bytes.
// Returns the end of the text.
char* WriteScientific(char* first, double value, int precision);

// The double nearest to the decimal number written in [first, last) (digits with at most one
// ".", no sign) times 10^exponent; an exact half goes to the even neighbour. False, with
// magnitude left alone, when that is beyond the largest double, or is zero while the digits
// are not all zero (the number lies below half the smallest subnormal).
bool NearestDouble(const char* first, const char* last, long long exponent, double& magnitude);

}  // namespace sorea
