#include "handheld/JsonValue.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "handheld/HandheldResult.h"

using namespace HandheldResult;

namespace {

using Document = nlohmann::ordered_json;

// Deeper nesting than any device file has is refused as damaged, so that the
// conversion below recurses a bounded number of times.
constexpr int MAX_DEPTH = 32;

// The parsed document as a value; false for what a device file never holds
// (fractions, numbers beyond 64-bit integers, nesting deeper than MAX_DEPTH).
bool FromDocument(const Document& document, CJsonValue& out, int depth) {
  if (depth > MAX_DEPTH) return false;
  switch (document.type()) {
    case Document::value_t::null: out = CJsonValue(); return true;
    case Document::value_t::boolean: out = CJsonValue::Bool(document.get<bool>()); return true;
    case Document::value_t::number_integer: out = CJsonValue::Integer(document.get<std::int64_t>()); return true;
    case Document::value_t::number_unsigned: {
      const auto value = document.get<std::uint64_t>();
      if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
      out = CJsonValue::Integer(static_cast<std::int64_t>(value));
      return true;
    }
    case Document::value_t::string: out = CJsonValue::String(document.get<std::string>()); return true;
    case Document::value_t::array:
      out = CJsonValue::Array();
      for (const Document& item : document) {
        CJsonValue value;
        if (!FromDocument(item, value, depth + 1)) return false;
        out.Push(std::move(value));
      }
      return true;
    case Document::value_t::object:
      out = CJsonValue::Object();
      for (const auto& [key, item] : document.items()) {
        CJsonValue value;
        if (!FromDocument(item, value, depth + 1)) return false;
        out.Set(key, std::move(value));
      }
      return true;
    default:  // fractions, binary
      return false;
  }
}

Document ToDocument(const CJsonValue& value) {
  switch (value.GetKind()) {
    case CJsonValue::Kind::Null: return nullptr;
    case CJsonValue::Kind::Bool: return value.AsBool();
    case CJsonValue::Kind::Integer: return value.AsInteger();
    case CJsonValue::Kind::String: return value.AsString();
    case CJsonValue::Kind::Array: {
      Document array = Document::array();
      for (const CJsonValue& item : value.Items()) array.push_back(ToDocument(item));
      return array;
    }
    case CJsonValue::Kind::Object: {
      Document object = Document::object();
      for (const auto& [key, item] : value.Members()) object[key] = ToDocument(item);
      return object;
    }
  }
  return nullptr;
}

}  // namespace

CJsonValue CJsonValue::Bool(bool value) {
  CJsonValue v;
  v.m_kind = Kind::Bool;
  v.m_bool = value;
  return v;
}

CJsonValue CJsonValue::Integer(std::int64_t value) {
  CJsonValue v;
  v.m_kind = Kind::Integer;
  v.m_integer = value;
  return v;
}

CJsonValue CJsonValue::String(std::string value) {
  CJsonValue v;
  v.m_kind = Kind::String;
  v.m_string = std::move(value);
  return v;
}

CJsonValue CJsonValue::Array() {
  CJsonValue v;
  v.m_kind = Kind::Array;
  return v;
}

CJsonValue CJsonValue::Object() {
  CJsonValue v;
  v.m_kind = Kind::Object;
  return v;
}

int CJsonValue::Parse(std::string_view text, CJsonValue& out) {
  // Strict JSON: no comments, one value, valid UTF-8 in strings; and no
  // object may name a member twice (which member would count is not clear).
  std::vector<std::set<std::string>> keys;  // of each object being read
  bool repeated = false;
  const Document::parser_callback_t watch = [&](int, Document::parse_event_t event, Document& parsed) {
    if (event == Document::parse_event_t::object_start) {
      keys.emplace_back();
    } else if (event == Document::parse_event_t::object_end) {
      if (!keys.empty()) keys.pop_back();
    } else if (event == Document::parse_event_t::key && !keys.empty()) {
      if (!keys.back().insert(parsed.get<std::string>()).second) repeated = true;
    }
    return true;
  };
  const Document document = Document::parse(text.begin(), text.end(), watch, false);
  CJsonValue value;
  if (document.is_discarded() || repeated || !FromDocument(document, value, 0)) return HH_ERR_DAMAGED;
  out = std::move(value);
  return HH_OK;
}

const CJsonValue* CJsonValue::Find(std::string_view key) const {
  for (const auto& member : m_members) {
    if (member.first == key) return &member.second;
  }
  return nullptr;
}

void CJsonValue::Set(std::string_view key, CJsonValue value) {
  for (auto& member : m_members) {
    if (member.first == key) {
      member.second = std::move(value);
      return;
    }
  }
  m_members.emplace_back(std::string(key), std::move(value));
}

std::string CJsonValue::Write() const {
  // Two-space indent; a byte sequence that is not UTF-8 is written as U+FFFD,
  // so that the text always parses again.
  return ToDocument(*this).dump(2, ' ', false, Document::error_handler_t::replace) + "\n";
}
