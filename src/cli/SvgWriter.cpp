#include "cli/SvgWriter.h"

#include <array>
#include <cstddef>

#include "util/MyFunc.h"

namespace sorea::cli {

namespace {

void AppendEscaped(std::string& out, std::string_view utf8) {
  for (char ch : utf8) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        // XML admits no other control characters.
        if (static_cast<unsigned char>(ch) >= 0x20 || ch == '\t') out += ch;
        break;
    }
  }
}

}  // namespace

std::string SvgNumber(double v) {
  return FormatGeneral(v == 0 ? 0.0 : v);
}

std::string DashArray(int lineType, double unit) {
  // On-off lengths of line types 1 (solid) to 9, in multiples of unit.
  static const std::array<std::vector<double>, 9> kPatterns = {{
      {},                              // 1 solid
      {1.0, 0.6},                      // 2 dotted 1
      {0.4, 0.6},                      // 3 dotted 2
      {0.15, 0.5},                     // 4 dotted 3
      {3.0, 0.6, 0.3, 0.6},            // 5 chain 1
      {6.0, 0.8, 0.4, 0.8},            // 6 chain 2
      {3.0, 0.6, 0.3, 0.6, 0.3, 0.6},  // 7 double chain 1
      {6.0, 0.8, 0.4, 0.8, 0.4, 0.8},  // 8 double chain 2
      {2, 1},                          // 9 dashed
  }};
  if (lineType < 2 || lineType > 9 || !(unit > 0)) return "";
  std::string out;
  for (double d : kPatterns[static_cast<std::size_t>(lineType - 1)]) {
    if (!out.empty()) out += ' ';
    out += SvgNumber(d * unit);
  }
  return out;
}

SvgWriter::SvgWriter() : out_("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") {}

SvgWriter& SvgWriter::Start(std::string_view element) {
  element_ = element;
  out_ += '<';
  out_ += element;
  return *this;
}

SvgWriter& SvgWriter::Attr(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  AppendEscaped(out_, value);
  out_ += '"';
  return *this;
}

SvgWriter& SvgWriter::Num(std::string_view name, double value) {
  return Attr(name, SvgNumber(value));
}

SvgWriter& SvgWriter::Y(std::string_view name, double y) {
  return Num(name, -y);
}

SvgWriter& SvgWriter::Int(std::string_view name, long value) {
  return Attr(name, std::to_string(value));
}

void SvgWriter::End() {
  out_ += "/>\n";
}

void SvgWriter::Open() {
  out_ += ">\n";
}

void SvgWriter::Content(std::string_view utf8) {
  out_ += '>';
  AppendEscaped(out_, utf8);
  out_ += "</";
  out_ += element_;
  out_ += ">\n";
}

void SvgWriter::Close(std::string_view element) {
  out_ += "</";
  out_ += element;
  out_ += ">\n";
}

}  // namespace sorea::cli
