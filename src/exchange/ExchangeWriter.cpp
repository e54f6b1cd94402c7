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

void Append(ElementStore& store, std::string_view text, bool head) {
  try {
    std::vector<OutputLine>& out = store.Output;
    // Grow in steps of a thousand entries rather than one by one.
    if (out.size() == out.capacity()) out.reserve(out.size() + 1000);
    out.push_back(OutputLine{std::string(CutWholeChars(text, kMaxRecordBytes)), head});
  } catch (...) {
    // Out of memory: the record is lost, and with it the whole result.
    store.OutputLost = true;
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
void ChangeSuppressed(ElementStore& store, const char* keyword, int value, bool& due, int& current,
                      bool hex) {
  if (!due && value == current) return;
  Append(store, std::string(keyword) + (hex ? Hex(value) : IntText(value)), false);
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

void AppendOutputLine(ElementStore& store, std::string_view text) {
  Append(store, text, false);
}

void WriteLayerGroup(ElementStore& store, int group) {
  const bool wrote = store.Due.LayerGroup || group != store.CurrentLayerGroup;
  ChangeSuppressed(store, "lg", group, store.Due.LayerGroup, store.CurrentLayerGroup, true);
  if (wrote) store.Due.Layer = true;
}

void WriteLayer(ElementStore& store, int layer) {
  ChangeSuppressed(store, "ly", layer, store.Due.Layer, store.CurrentLayer, true);
}

void WriteLineColor(ElementStore& store, int color) {
  ChangeSuppressed(store, "lc", color, store.Due.LineColor, store.CurrentLineColor, false);
}

void WritePointColor(ElementStore& store, int color) {
  ChangeSuppressed(store, "pn", color, store.Due.PointColor, store.CurrentPointColor, false);
}

void WriteLineType(ElementStore& store, int type) {
  ChangeSuppressed(store, "lt", type, store.Due.LineType, store.CurrentLineType, false);
}

void WriteLineWidth(ElementStore& store, int width) {
  // Jw_cad sent no line width at all: leave the width to it.
  if (!store.LineWidthSeen) return;
  if (width == -1) width = store.InitialLineWidth;
  if (width < 0 || width > 30000) width = 0;
  ChangeSuppressed(store, "lw", width, store.Due.LineWidth, store.CurrentLineWidth, false);
}

void WriteTextType(ElementStore& store, int type, int color, double width, double height,
                   double spacing) {
  if (type < 0 || type > 10) {
    type = store.InitialTextType;
    if (type == 0) {
      width = store.InitialFreeSize.Width;
      height = store.InitialFreeSize.Height;
      spacing = store.InitialFreeSize.Spacing;
      color = store.InitialFreeSize.Color;
    }
  }
  const FreeTextSize& cur = store.CurrentFreeSize;
  const bool sizeChanged = type == 0 && (width != cur.Width || height != cur.Height ||
                                         spacing != cur.Spacing || color != cur.Color);
  if (!store.Due.TextType && type == store.CurrentTextType && !sizeChanged) return;
  if (type != 0) {
    Append(store, "cn" + IntText(type), false);
  } else {
    Append(store, "cn0 " + Reals({width, height, spacing, static_cast<double>(color)}), false);
    store.CurrentFreeSize = FreeTextSize{width, height, spacing, color};
  }
  store.CurrentTextType = type;
  store.Due.TextType = false;
}

void WriteTextAttribute(ElementStore& store, int attribute) {
  if (attribute < 0 || attribute > 8) attribute = 0;
  ChangeSuppressed(store, "cc", attribute, store.Due.TextAttribute, store.CurrentTextAttribute,
                   false);
}

void WriteFontName(ElementStore& store, std::string_view name) {
  try {
    std::string chosen(name.empty() || name == "<>" ? std::string_view(store.InitialFontName)
                                                    : name);
    if (!store.Due.Font && chosen == store.CurrentFontName) return;
    Append(store, "cn\"$" + chosen, false);
    store.CurrentFontName = std::move(chosen);
    store.Due.Font = false;
  } catch (...) {
    store.OutputLost = true;
  }
}

void WriteEntityFlags(ElementStore& store, int flags) {
  if (flags & 1) Append(store, "z1", false);
  if (flags & 2) Append(store, "z2", false);
  if (flags & 4) Append(store, "z3", false);
  if ((flags & 8) && !(flags & 16)) Append(store, "z4", false);
  if (flags & 16) Append(store, "z5", false);
}

void WriteLine(ElementStore& store, double x1, double y1, double x2, double y2) {
  if (Degenerate(x1, y1, x2, y2)) return;
  Append(store, Reals({x1, y1, x2, y2}), false);
}

void WritePoint(ElementStore& store, int code, double x, double y, double scale, double angle) {
  if (code < -7 || code > 11) code = -3;
  if (std::fabs(static_cast<long double>(scale)) <= kTol8) scale = 1;
  Append(store, "pt " + Reals({x, y, scale, angle}) + " " + IntText(code), false);
}

void WriteText(ElementStore& store, int kind, std::string_view text, double x, double y, double dx,
               double dy) {
  if (ZeroDirection(dx, dy)) return;
  if (RemoveSpaces(text).empty()) return;
  const char* keyword =
      kind >= 0 && kind <= 9 ? kTextKeywords[static_cast<std::size_t>(kind)] : "ch";
  Append(store, std::string(keyword) + " " + Reals({x, y, dx, dy}) + " \"", true);
  Append(store, text, false);
}

void WriteDimension(ElementStore& store, std::string_view text, double x1, double y1, double x2,
                    double y2, double x, double y, double dx, double dy) {
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
  Append(store, "msg", false);
  Append(store, Reals({x1, y1, x2, y2}), false);
  Append(store, "cs " + Reals({x, y, dx, dy}) + " \"", true);
  Append(store, value, false);
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
  // Through a symbolic link the file it names is written; a pipe, a device or a read-only file
  // is left as it is.
  std::string target;
  if (const FileProblem problem = ReplaceableTarget(path, target)) return problem;
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

FileProblem WriteExchangeFile(const std::string& path, const ElementStore& store) {
  std::string content;
  FileProblem lost;
  if (store.OutputLost) {
    lost = {"memory ran out while the dimension was built: nothing was drawn"};
  } else {
    try {
      content = OutputText(store.Output);
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
