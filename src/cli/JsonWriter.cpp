#include "cli/JsonWriter.h"

#include <utility>

#include "util/MyFunc.h"

namespace sorea::cli {

JsonWriter::JsonWriter(Sink sink, std::size_t piece) : sink_(std::move(sink)), piece_(piece) {}

JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  AppendString(key);
  Append(":");
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
  BeforeValue();
  AppendString(utf8);
  return *this;
}

JsonWriter& JsonWriter::Number(double value) {
  BeforeValue();
  Append(FormatGeneral(value));
  return *this;
}

JsonWriter& JsonWriter::Int(long long value) {
  BeforeValue();
  Append(std::to_string(value));
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  Append(value ? "true" : "false");
  return *this;
}

void JsonWriter::Finish() {
  Append("\n");
  sink_(out_);
  out_.clear();
}

// A value right after its key stands alone; any other value, or a key, after the first in its
// object or array follows a comma.
void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (empty_.empty()) return;
  if (!empty_.back()) Append(",");
  empty_.back() = false;
}

JsonWriter& JsonWriter::Open(char bracket) {
  BeforeValue();
  Append(std::string_view(&bracket, 1));
  empty_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  if (!empty_.empty()) empty_.pop_back();
  Append(std::string_view(&bracket, 1));
  return *this;
}

void JsonWriter::Append(std::string_view text) {
  out_.append(text);
  if (out_.size() > piece_) {
    sink_(out_);
    out_.clear();
  }
}

void JsonWriter::AppendString(std::string_view utf8) {
  std::string s = "\"";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      s.push_back('\\');
      s.push_back(ch);
    } else if (c < 0x20 || c == 0x7f) {
      static constexpr char kHex[] = "0123456789abcdef";
      s += "\\u00";
      s.push_back(kHex[c >> 4]);
      s.push_back(kHex[c & 15]);
    } else {
      s.push_back(ch);
    }
  }
  s.push_back('"');
  Append(s);
}

}  // namespace sorea::cli
