// A streaming JSON writer: values, objects and arrays written as they come, the commas and the
// nesting kept by the writer, the text handed to a sink in large pieces so that a document of
// any size never sits in memory whole.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sorea::cli {

class JsonWriter {
 public:
  using Sink = std::function<void(std::string_view)>;

  // The sink receives the text whenever about `piece` bytes have gathered, and at Finish.
  explicit JsonWriter(Sink sink, std::size_t piece = std::size_t{1} << 20);

  // Inside an object every value, an object or an array included, follows its Key.
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  JsonWriter& Key(std::string_view key);

  // UTF-8 text; quotes, backslashes and control characters escaped.
  JsonWriter& String(std::string_view utf8);
  // At most 15 significant digits, as the exchange file writes reals ("1E-5"); infinity and
  // NaN, which JSON cannot hold, as 0.
  JsonWriter& Number(double value);
  JsonWriter& Int(long long value);
  JsonWriter& Bool(bool value);

  // Ends the document with a line break and hands the rest of the text to the sink.
  void Finish();

 private:
  void BeforeValue();
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void Append(std::string_view text);
  void AppendString(std::string_view utf8);

  Sink sink_;
  std::size_t piece_;
  std::string out_;
  std::vector<bool> empty_;  // per open object or array: nothing in it yet
  bool afterKey_ = false;
};

}  // namespace sorea::cli
