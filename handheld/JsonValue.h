#pragma once
// A small JSON value for the device file: null, booleans, integers, strings,
// arrays and objects (keys kept in their order).  Reading and writing the text
// is nlohmann-json's: Parse is strict and bounded (valid UTF-8, nesting depth,
// no fractions or numbers beyond 64-bit integers); Write gives indented text.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CJsonValue {
 public:
  enum class Kind { Null, Bool, Integer, String, Array, Object };

  CJsonValue() = default;
  static CJsonValue Bool(bool value);
  static CJsonValue Integer(std::int64_t value);
  static CJsonValue String(std::string value);
  static CJsonValue Array();
  static CJsonValue Object();

  // HH_OK or HH_ERR_DAMAGED.  Memory running out is not survived (the JSON
  // library allocates while it frees a document).
  static int Parse(std::string_view text, CJsonValue& out);
  // Strings are written as given (UTF-8 expected), with the JSON escapes.
  std::string Write() const;

  Kind GetKind() const { return m_kind; }
  bool AsBool() const { return m_bool; }
  std::int64_t AsInteger() const { return m_integer; }
  const std::string& AsString() const { return m_string; }
  const std::vector<CJsonValue>& Items() const { return m_items; }
  const std::vector<std::pair<std::string, CJsonValue>>& Members() const { return m_members; }

  // Object member by key, or nullptr.
  const CJsonValue* Find(std::string_view key) const;
  // Sets (replaces or appends) an object member.
  void Set(std::string_view key, CJsonValue value);
  void Push(CJsonValue value) { m_items.push_back(std::move(value)); }

 private:
  Kind m_kind = Kind::Null;
  bool m_bool = false;
  std::int64_t m_integer = 0;
  std::string m_string;
  std::vector<CJsonValue> m_items;
  std::vector<std::pair<std::string, CJsonValue>> m_members;
};
