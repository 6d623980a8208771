#pragma once
// The streaming JSON writer of `quillet list --json`, the one output that lists
// every memo of a file and has to keep pace with reading it: it quotes memo
// texts while converting them from the ANSI code page, several bytes at a
// time.  Every other --json output is written by nlohmann-json
// (tools/common/JsonOutput.h), and this writer writes exactly what that one
// writes: the same escapes ('"', '\\' and the control characters below 0x20),
// UTF-8 as it is, and one U+FFFD for each run of bytes that makes no UTF-8
// character, so that the output always parses.  A value made with nlohmann-json
// can be written in its place (Value).  With an indent above zero the output
// is pretty-printed.  The document is gathered in memory and handed to the
// stream in large blocks; Finish (or the destructor) hands over the rest.

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

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
  // A whole value made with nlohmann-json, written as JsonOutput writes it, at
  // the depth where it stands.
  void Value(const nlohmann::ordered_json& value);

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
