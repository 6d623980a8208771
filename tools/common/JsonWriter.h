#pragma once
// A small streaming JSON writer for the tools' --json output: objects, arrays,
// strings, numbers, booleans and null.  Strings are taken as UTF-8 and written
// through unchanged apart from the escapes JSON needs ('"', '\\' and the control
// characters); a byte sequence that is not UTF-8 is written as U+FFFD so that the
// output always parses.  With an indent above zero the output is pretty-printed.
// The document is gathered in memory and handed to the stream in large blocks;
// Finish (or the destructor) hands over the rest.

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class CJsonWriter {
 public:
  explicit CJsonWriter(std::ostream& out, int indent = 2);
  ~CJsonWriter();
  CJsonWriter(const CJsonWriter&) = delete;
  CJsonWriter& operator=(const CJsonWriter&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // Inside an object: the name of the next member.  A name that needs no
  // escape (every name the tools use, given as a literal, so that the check
  // and the copy are settled when the program is built) is copied as it is.
  void Key(std::string_view name) {
    if (!IsPlainName(name)) {
      EscapedKey(name);
      return;
    }
    char* to = BeginPlainKey(name.size());
    if (to == nullptr) {
      EscapedKey(name);
      return;
    }
    std::memcpy(to, name.data(), name.size());
    to[name.size()] = '"';
    std::memcpy(to + name.size() + 1, ": ", 2);
  }

  void String(std::string_view utf8);
  // ANSI text (a memo text, a name, a hint) written as its UTF-8 output form,
  // the same as String(AnsiToOutput(ansi)).
  void AnsiString(std::string_view ansi);
  void Int(std::int64_t value);
  void UInt(std::uint64_t value);
  void Bool(bool value);
  void Null();

  // Ends the document with a line end and hands everything to the stream.
  void Finish();

  // The quoted, escaped form of a UTF-8 string.
  static std::string Quote(std::string_view utf8);

 private:
  static constexpr bool IsPlainName(std::string_view name) {
    for (const char c : name) {
      if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') return false;
    }
    return true;
  }
  // The comma, line end and indent before a member whose name of the given
  // size needs no escape, and its opening quote; returns where the name goes,
  // with room after it for the closing quote and ": ", or null when the
  // member must be written by EscapedKey.
  char* BeginPlainKey(std::size_t size);
  void EscapedKey(std::string_view name);
  void BeforeValue();
  void NewLine(std::size_t depth);
  void Close(char bracket);
  // At least n bytes of room at the end of the buffer, handing the buffer to
  // the stream first when it is full.
  char* Room(std::size_t n) {
    if (m_buffer.size() - m_used < n) MakeRoom(n);
    return m_buffer.data() + m_used;
  }
  void MakeRoom(std::size_t n);
  void Put(std::string_view bytes);
  void Put(char c);
  void PutQuoted(std::string_view text, bool foldCrLf);
  void Flush();

  struct Level {
    bool object;
    std::size_t count;
  };
  std::ostream& m_out;
  std::string m_buffer;    // its first m_used bytes are the output not yet handed over
  std::size_t m_used = 0;
  std::string m_scratch;   // the UTF-8 form of an ANSI string on its way in
  int m_indent;
  std::vector<Level> m_stack;
  bool m_afterKey = false;
};
