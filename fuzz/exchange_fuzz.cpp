// Feeds arbitrary bytes to the exchange file reader, as lines and as a whole file, then runs
// the record writers on what was read. Any crash or sanitizer report is a fault.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "exchange/JwwGaibu.h"
#include "util/Files.h"

namespace {

// In the process's own scratch folder, which goes when the process ends.
std::string ScratchPath() {
  return sorea::fuzz::ScratchFolder() + "exchange.txt";
}

// Hands the input to the writers: every text element's text and font go out again.
void WriteBack() {
  using namespace sorea;
  ResetWriterState(Store);
  WriteLayerGroup(Store, Store.InitialLayerGroup);
  WriteLayer(Store, Store.InitialLayer);
  WriteLineWidth(Store, -1);
  WriteTextType(Store, Store.InitialTextType, 1, 2, 2, 0);
  WriteFontName(Store, Store.InitialFontName);
  std::size_t n = 0;
  for (const TextElement& t : Store.Texts) {
    if (++n > 64) break;
    WriteFontName(Store, t.FontName);
    WriteText(Store, t.Kind, t.Text, t.X, t.Y, t.Dx, t.Dy);
  }
  for (const DimensionElement& d : Store.Dimensions) {
    WriteDimension(Store, d.Text.Text, d.Line.X1, d.Line.Y1, d.Line.X2, d.Line.Y2, d.Text.X,
                   d.Text.Y, d.Text.Dx, d.Text.Dy);
  }
  for (const CodedPointElement& p : Store.CodedPoints)
    WritePoint(Store, p.Code, p.X, p.Y, p.Scale, p.Angle);
  for (std::size_t i = 0; i < Store.Lines.size() && i < 64; ++i) {
    const LineElement& l = Store.Lines[i];
    WriteEntityFlags(Store, l.Header.Flags);
    WriteLine(Store, l.X1, l.Y1, l.X2, l.Y2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sorea;
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  InitElementStore();
  if (data[0] & 1) {
    // Through the file: blocks, CR handling and Ctrl-Z as the reader sees them.
    if (std::FILE* f = OpenFile(ScratchPath(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
      ReadExchangeFile(ScratchPath());
    }
  } else {
    std::size_t start = 0;
    while (start <= bytes.size()) {
      std::size_t lf = bytes.find('\n', start);
      if (lf == std::string_view::npos) lf = bytes.size();
      ParseExchangeLine(bytes.substr(start, lf - start));
      start = lf + 1;
    }
  }
  WriteBack();
  if (data[0] & 2) WriteExchangeFile(ScratchPath(), Store);
  ReleaseElementStore();
  return 0;
}
