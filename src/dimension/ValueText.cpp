// The value text of the vertical dimension: the measured length in the chosen unit, cut to the
// chosen precision, with or without separators, trailing zeros and full-width digits, framed by
// the prefix, the unit mark and the suffix.
#include <string>
#include <string_view>

#include "dimension/Dimension.h"
#include "util/MyFunc.h"

namespace sorea {

namespace {

// "ｍ", the full-width metre mark after a value in metres (Shift-JIS).
constexpr std::string_view kUnitMetre = "\202\215";

// Drops the zeros at the end of the decimals, and the point too when no decimal is left.
// Zeros before the point are never touched, and neither are the separators.
void RemoveTrailingZeros(std::string& text) {
  std::size_t point = text.find('.');
  if (point == std::string::npos) return;
  std::size_t cut = std::string::npos;
  for (std::size_t i = text.size(); i > point; --i) {
    char c = text[i - 1];
    if (c != '0' && c != '.') break;
    cut = i - 1;
  }
  if (cut != std::string::npos) text.resize(cut);
}

}  // namespace

std::string SettleAffix(const std::string& typed) {
  return RemoveSpaces(typed).empty() ? std::string() : typed;
}

std::string BuildValueText(double length, const DimensionSettings& settings) {
  double value = length;
  if (settings.UnitChoice == 1)
    value = static_cast<double>(static_cast<long double>(value) / 1000.0L);
  const int decimals = settings.PrecisionIndex;
  const double rounded = RoundDecimals(decimals, settings.RoundingMode, value);
  std::string number =
      settings.ThousandsCommas ? FormatGrouped(decimals, rounded) : FormatFixed(decimals, rounded);
  if (settings.ZeroDisplay == 0) RemoveTrailingZeros(number);
  if (settings.FullWidth) number = ToFullWidth(number);

  std::string text = settings.Prefix;
  text += number;
  if (settings.AppendUnit) {
    if (settings.UnitChoice == 0) {
      text += "mm";
    } else {
      text += kUnitMetre;
    }
  }
  text += settings.Suffix;
  return text;
}

}  // namespace sorea
