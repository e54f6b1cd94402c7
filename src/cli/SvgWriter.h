// SVG text: elements with their attributes, numbers in their shortest form, the drawing's y
// negated (SVG's y points down, the drawing's up), text and attribute values escaped.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorea::cli {

// A number as SVG takes it: the shortest text that reads back to it, never "-0".
std::string SvgNumber(double v);

// Jw_cad's line types 2..9 as an SVG dash array of on-off lengths in multiples of unit; empty
// for a solid line (type 1, an unknown type, or no unit).
std::string DashArray(int lineType, double unit);

// Writes one element at a time: Start, its attributes, then End (empty element), Open
// (children follow, up to Close) or Content (text, then the end tag).
class SvgWriter {
 public:
  SvgWriter();  // the XML declaration

  SvgWriter& Start(std::string_view element);
  SvgWriter& Attr(std::string_view name, std::string_view value);
  SvgWriter& Num(std::string_view name, double value);
  SvgWriter& Y(std::string_view name, double y);  // a drawing y, negated
  SvgWriter& Int(std::string_view name, long value);
  // "x,y x,y ...", each y negated.
  template <typename Point>
  SvgWriter& Points(std::string_view name, const std::vector<Point>& points) {
    std::string list;
    for (const Point& p : points) {
      if (!list.empty()) list += ' ';
      list += SvgNumber(p.X) + "," + SvgNumber(-p.Y);
    }
    return Attr(name, list);
  }

  void End();
  void Open();
  void Content(std::string_view utf8);
  void Close(std::string_view element);

  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
  std::string_view element_;  // the element Start began
};

}  // namespace sorea::cli
