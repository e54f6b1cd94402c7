// The records we hand back to Jw_cad: collected in the output list while the dimension job
// runs, written to JWC_TEMP.TXT once when the dialog closes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "exchange/JwwGaibu.h"
#include "util/Files.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

void Append(std::string_view text, bool head) {
  try {
    std::vector<OutputLine>& out = Store.Output;
    // Grow in steps of a thousand entries rather than one by one.
    if (out.size() == out.capacity()) out.reserve(out.size() + 1000);
    out.push_back(OutputLine{std::string(CutWholeChars(text, kMaxRecordBytes)), head});
  } catch (...) {
    // Out of memory: the record is lost, and with it the whole result.
    Store.OutputLost = true;
  }
}

std::string Hex(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto v = static_cast<std::uint32_t>(value);
  char buffer[8];
  int n = 0;
  do {
    buffer[n++] = kDigits[v & 15u];
    v >>= 4;
  } while (v != 0);
  std::string text;
  while (n > 0) text.push_back(buffer[--n]);
  return text;
}

// Writes keyword + value when the record is due or the value changed.
void ChangeSuppressed(const char* keyword, int value, bool& due, int& current, bool hex) {
  if (!due && value == current) return;
  Append(std::string(keyword) + (hex ? Hex(value) : IntText(value)), false);
  current = value;
  due = false;
}

bool Degenerate(double x1, double y1, double x2, double y2) {
  return std::fabs(static_cast<long double>(x2) - x1) < kTol8 &&
         std::fabs(static_cast<long double>(y2) - y1) < kTol8;
}

bool ZeroDirection(double dx, double dy) {
  return std::fabs(static_cast<long double>(dx)) <= kTol8 &&
         std::fabs(static_cast<long double>(dy)) <= kTol8;
}

std::string Reals(std::initializer_list<double> values) {
  std::string text;
  for (double v : values) {
    if (!text.empty()) text.push_back(' ');
    text += FormatGeneral(v);
  }
  return text;
}

}  // namespace

void AppendOutputLine(std::string_view text) {
  Append(text, false);
}

void WriteLayerGroup(int group) {
  ElementStore& s = Store;
  const bool wrote = s.LayerGroupDue || group != s.CurrentLayerGroup;
  ChangeSuppressed("lg", group, s.LayerGroupDue, s.CurrentLayerGroup, true);
  if (wrote) s.LayerDue = true;
}

void WriteLayer(int layer) {
  ChangeSuppressed("ly", layer, Store.LayerDue, Store.CurrentLayer, true);
}

void WriteLineColor(int color) {
  ChangeSuppressed("lc", color, Store.LineColorDue, Store.CurrentLineColor, false);
}

void WritePointColor(int color) {
  ChangeSuppressed("pn", color, Store.PointColorDue, Store.CurrentPointColor, false);
}

void WriteLineType(int type) {
  ChangeSuppressed("lt", type, Store.LineTypeDue, Store.CurrentLineType, false);
}

void WriteLineWidth(int width) {
  ElementStore& s = Store;
  // Jw_cad sent no line width at all: leave the width to it.
  if (!s.LineWidthSeen) return;
  if (width == -1) width = s.InitialLineWidth;
  if (width < 0 || width > 30000) width = 0;
  ChangeSuppressed("lw", width, s.LineWidthDue, s.CurrentLineWidth, false);
}

void WriteTextType(int type, int color, double width, double height, double spacing) {
  ElementStore& s = Store;
  if (type < 0 || type > 10) {
    type = s.InitialTextType;
    if (type == 0) {
      width = s.InitialFreeSize.Width;
      height = s.InitialFreeSize.Height;
      spacing = s.InitialFreeSize.Spacing;
      color = s.InitialFreeSize.Color;
    }
  }
  const FreeTextSize& cur = s.CurrentFreeSize;
  const bool sizeChanged = type == 0 && (width != cur.Width || height != cur.Height ||
                                         spacing != cur.Spacing || color != cur.Color);
  if (!s.TextTypeDue && type == s.CurrentTextType && !sizeChanged) return;
  if (type != 0) {
    Append("cn" + IntText(type), false);
  } else {
    Append("cn0 " + Reals({width, height, spacing, static_cast<double>(color)}), false);
    s.CurrentFreeSize = FreeTextSize{width, height, spacing, color};
  }
  s.CurrentTextType = type;
  s.TextTypeDue = false;
}

void WriteTextAttribute(int attribute) {
  if (attribute < 0 || attribute > 8) attribute = 0;
  ChangeSuppressed("cc", attribute, Store.TextAttributeDue, Store.CurrentTextAttribute, false);
}

void WriteFontName(std::string_view name) {
  ElementStore& s = Store;
  try {
    std::string chosen(name.empty() || name == "<>" ? std::string_view(s.InitialFontName) : name);
    if (!s.FontDue && chosen == s.CurrentFontName) return;
    Append("cn\"$" + chosen, false);
    s.CurrentFontName = std::move(chosen);
    s.FontDue = false;
  } catch (...) {
    s.OutputLost = true;
  }
}

void WriteEntityFlags(int flags) {
  if (flags & 1) Append("z1", false);
  if (flags & 2) Append("z2", false);
  if (flags & 4) Append("z3", false);
  if ((flags & 8) && !(flags & 16)) Append("z4", false);
  if (flags & 16) Append("z5", false);
}

void WriteLine(double x1, double y1, double x2, double y2) {
  if (Degenerate(x1, y1, x2, y2)) return;
  Append(Reals({x1, y1, x2, y2}), false);
}

void WritePoint(int code, double x, double y, double scale, double angle) {
  if (code < -7 || code > 11) code = -3;
  if (std::fabs(static_cast<long double>(scale)) <= kTol8) scale = 1;
  Append("pt " + Reals({x, y, scale, angle}) + " " + IntText(code), false);
}

void WriteText(int kind, std::string_view text, double x, double y, double dx, double dy) {
  if (ZeroDirection(dx, dy)) return;
  if (RemoveSpaces(text).empty()) return;
  const char* keyword =
      kind >= 0 && kind <= 9 ? kTextKeywords[static_cast<std::size_t>(kind)] : "ch";
  Append(std::string(keyword) + " " + Reals({x, y, dx, dy}) + " \"", true);
  Append(text, false);
}

void WriteDimension(std::string_view text, double x1, double y1, double x2, double y2, double x,
                    double y, double dx, double dy) {
  if (Degenerate(x1, y1, x2, y2) || ZeroDirection(dx, dy)) return;
  std::string value;
  if (RemoveSpaces(text).empty()) {
    const double length = Distance(x1, y1, x2, y2);
    const double rounded =
        static_cast<double>(std::trunc(static_cast<long double>(length) / kTol8 + 0.5L) * kTol8);
    value = FormatGeneral(rounded);
  } else {
    value.assign(text);
  }
  Append("msg", false);
  Append(Reals({x1, y1, x2, y2}), false);
  Append("cs " + Reals({x, y, dx, dy}) + " \"", true);
  Append(value, false);
}

bool WritableReal(double value) {
  return std::fabs(value) <= kLargestWritable;  // false for NaN as well
}

namespace {

// The output list as the file's text: a record head and its text stand on one line, a head at
// the very end stays open; the single line "hq" when the list is empty.
std::string OutputText(const std::vector<OutputLine>& out) {
  if (out.empty()) return "hq\r\n";
  std::string content;
  for (std::size_t i = 0; i < out.size(); ++i) {
    content += out[i].Text;
    if (out[i].Head) {
      if (i + 1 == out.size()) break;
      content += out[++i].Text;
    }
    content += "\r\n";
  }
  return content;
}

// Puts content in the place of the file at path: whole or not at all.
FileProblem HandBack(const std::string& path, std::string_view content) {
  // Through a symbolic link the file it names is written, and the link stays.
  const std::string target = FollowLinks(path);
  if (target.empty()) return {"the symbolic links never end in a file"};
  switch (KindOf(target)) {
    case FileKind::Other:
      return {"not a regular file"};
    case FileKind::Regular:
      if (IsReadOnly(target)) return {"the file is read-only"};
      break;
    case FileKind::Missing:
      break;
  }
  FileProblem problem;
  switch (ReplaceWhole(target, content, problem)) {
    case Replacing::Done:
      return {};
    case Replacing::NotPossible:
      // A folder that takes no new file, but the file itself may be written.
      problem = WriteInPlace(target, content);
      if (!problem) return {};
      break;
    case Replacing::WriteFailed:
      break;
  }
  // Jw_cad must never add a partial result to the drawing: the file goes, and where it cannot
  // go it says "hq", nothing to add. Only a plain file is touched.
  if (KindOf(target) == FileKind::Regular && !RemoveFile(target)) {
    WriteInPlace(target, "hq\r\n");
  }
  return problem;
}

}  // namespace

FileProblem WriteExchangeFile(const std::string& path) {
  std::string content;
  FileProblem lost;
  if (Store.OutputLost) {
    lost = {"memory ran out while the dimension was built: nothing was drawn"};
  } else {
    try {
      content = OutputText(Store.Output);
    } catch (...) {
      lost = {"memory ran out while the result was put together: nothing was drawn"};
    }
  }
  if (lost) {
    // Short enough to need no memory of its own.
    content.assign("hq\r\n");
    HandBack(path, content);
    return lost;
  }
  return HandBack(path, content);
}

}  // namespace sorea
