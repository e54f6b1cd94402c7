// sorea-cli preview run as a program by the tests, and the SVG it writes read back: each
// element's name, attributes and text, a shape's points and a view's window in drawing
// coordinates (the drawing's y is negated in SVG).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

namespace sorea::testing::preview {

struct Tag {
  std::string Name;
  std::map<std::string, std::string> Attrs;
  std::string Content;  // text of a <text> element

  std::string Class() const {
    auto it = Attrs.find("class");
    return it == Attrs.end() ? "" : it->second;
  }
  double Num(const std::string& name) const {
    auto it = Attrs.find(name);
    return it == Attrs.end() ? NAN : std::stod(it->second);
  }
  bool HasClass(const std::string& cls) const {
    return (" " + Class() + " ").find(" " + cls + " ") != std::string::npos;
  }
};

inline std::vector<double> Numbers(const std::string& text) {
  std::vector<double> out;
  static const std::regex kNumber(R"([-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kNumber);
       it != std::sregex_iterator(); ++it)
    out.push_back(std::stod(it->str()));
  return out;
}

inline std::vector<Tag> ParseSvg(const std::string& svg) {
  std::vector<Tag> tags;
  static const std::regex kTag(R"(<([a-zA-Z]+)((?:\s+[\w:-]+="[^"]*")*)\s*(/?)>)");
  static const std::regex kAttr(R"re(([\w:-]+)="([^"]*)")re");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), kTag); it != std::sregex_iterator();
       ++it) {
    Tag t;
    t.Name = (*it)[1];
    std::string attrs = (*it)[2];
    for (auto a = std::sregex_iterator(attrs.begin(), attrs.end(), kAttr);
         a != std::sregex_iterator(); ++a)
      t.Attrs[(*a)[1]] = (*a)[2];
    if (t.Name == "text") {
      std::size_t start = static_cast<std::size_t>(it->position() + it->length());
      std::size_t end = svg.find("</text>", start);
      t.Content = svg.substr(start, end == std::string::npos ? 0 : end - start);
    }
    tags.push_back(std::move(t));
  }
  return tags;
}

inline std::vector<Tag> WithClass(const std::vector<Tag>& tags, const std::string& cls) {
  std::vector<Tag> out;
  for (const Tag& t : tags)
    if (t.HasClass(cls)) out.push_back(t);
  return out;
}

// The coordinates of a shape, in drawing coordinates (y back up).
inline std::vector<std::pair<double, double>> PointsOf(const Tag& t) {
  std::vector<std::pair<double, double>> pts;
  if (t.Name == "line") {
    pts = {{t.Num("x1"), -t.Num("y1")}, {t.Num("x2"), -t.Num("y2")}};
  } else if (t.Name == "circle") {
    pts = {{t.Num("cx"), -t.Num("cy")}};
  } else if (t.Name == "polygon" || t.Name == "polyline") {
    std::vector<double> v = Numbers(t.Attrs.at("points"));
    for (std::size_t i = 0; i + 1 < v.size(); i += 2) pts.push_back({v[i], -v[i + 1]});
  }
  return pts;
}

// The drawing's corners of a view: its viewBox read back with y up.
struct Window {
  double MinX, MinY, MaxX, MaxY;
  bool Holds(double x, double y) const { return MinX <= x && x <= MaxX && MinY <= y && y <= MaxY; }
};

inline Window WindowOf(const Tag& svg) {
  std::vector<double> vb = Numbers(svg.Attrs.at("viewBox"));
  EXPECT_EQ(vb.size(), 4u);
  vb.resize(4, NAN);
  return {vb[0], -(vb[1] + vb[3]), vb[0] + vb[2], -vb[1]};
}

class PreviewTest : public ::testing::Test {
 protected:
  // An exchange file of these lines (Shift-JIS bytes), as Jw_cad writes it; its path.
  std::string Write(const std::string& name, const std::vector<std::string>& lines) {
    dir_.Write(name, CrLf(lines));
    return dir_.File(name);
  }

  static RunResult Run(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
    args.insert(args.begin(), "preview");
    return RunProgram(SOREA_CLI_PATH, args, env);
  }

  // The SVG of in drawn into the drawing before, with the flags given.
  static std::vector<Tag> DrawInto(const std::string& in, const std::string& before,
                                   std::vector<std::string> flags) {
    flags.insert(flags.begin(), {in, "--before", before});
    RunResult r = Run(flags);
    EXPECT_EQ(r.Exit, 0) << r.Err;
    return ParseSvg(r.Out);
  }

  std::vector<Tag> Draw(const std::vector<std::string>& lines) {
    RunResult r = Run({Write("in.txt", lines)});
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_NE(r.Out.find("</svg>"), std::string::npos);
    return ParseSvg(r.Out);
  }

  ScratchFolder dir_;
};

}  // namespace sorea::testing::preview
