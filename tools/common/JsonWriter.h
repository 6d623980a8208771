#pragma once
// A small streaming JSON writer for the tools' --json output: objects, arrays,
// strings, numbers, booleans and null.  Strings are taken as UTF-8 and written
// through unchanged apart from the escapes JSON needs ('"', '\\' and the control
// characters); a byte sequence that is not UTF-8 is written as U+FFFD so that the
// output always parses.  With an indent above zero the output is pretty-printed.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class CJsonWriter {
 public:
  explicit CJsonWriter(std::ostream& out, int indent = 2);

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // Inside an object: the name of the next member.
  void Key(std::string_view name);

  void String(std::string_view utf8);
  void Int(std::int64_t value);
  void UInt(std::uint64_t value);
  void Bool(bool value);
  void Null();

  // Ends the document with a line end.
  void Finish();

  // The quoted, escaped form of a UTF-8 string.
  static std::string Quote(std::string_view utf8);

 private:
  void BeforeValue();
  void NewLine(std::size_t depth);
  void Close(char bracket);

  struct Level {
    bool object;
    std::size_t count;
  };
  std::ostream& out_;
  int indent_;
  std::vector<Level> stack_;
  bool afterKey_ = false;
};
