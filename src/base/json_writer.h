// A small writer of JSON text, for the admin commands' --json output.
//
//   JsonWriter w;
//   w.BeginObject().Key("name").String("Ann").Key("n").Number(3).EndObject();
//   w.text()  // {"name":"Ann","n":3}
//
// The text is valid UTF-8 whatever bytes keys and strings hold: an
// ill-formed sequence is written as U+FFFD, control characters escaped.
#ifndef OLCONN97_BASE_JSON_WRITER_H_
#define OLCONN97_BASE_JSON_WRITER_H_

#include <string>
#include <string_view>
#include <vector>

namespace olconn97 {

class JsonWriter {
 public:
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view value);
  JsonWriter& Number(long long value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  const std::string& text() const { return text_; }

 private:
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void BeforeValue();
  void AppendQuoted(std::string_view value);

  std::string text_;
  std::vector<bool> has_items_;  // per open container
  bool after_key_ = false;
};

}  // namespace olconn97

#endif  // OLCONN97_BASE_JSON_WRITER_H_
