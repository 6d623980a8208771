#include "handheld/JsonValue.h"

#include <cstdio>
#include <limits>
#include <new>

#include "handheld/HandheldResult.h"

using namespace HandheldResult;

namespace {

constexpr int MAX_DEPTH = 32;

class CJsonReader {
 public:
  explicit CJsonReader(std::string_view text) : m_text(text) {}

  bool ReadDocument(CJsonValue& out) {
    if (!ReadValue(out, 0)) return false;
    SkipSpace();
    return m_at == m_text.size();
  }

 private:
  void SkipSpace() {
    while (m_at < m_text.size() &&
           (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r')) {
      ++m_at;
    }
  }
  bool Take(char c) {
    SkipSpace();
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }
  bool Literal(std::string_view word) {
    if (m_text.substr(m_at, word.size()) != word) return false;
    m_at += word.size();
    return true;
  }

  bool ReadValue(CJsonValue& out, int depth) {
    if (depth > MAX_DEPTH) return false;
    SkipSpace();
    if (m_at >= m_text.size()) return false;
    const char c = m_text[m_at];
    if (c == '{') return ReadObject(out, depth);
    if (c == '[') return ReadArray(out, depth);
    if (c == '"') {
      std::string s;
      if (!ReadString(s)) return false;
      out = CJsonValue::String(std::move(s));
      return true;
    }
    if (Literal("true")) {
      out = CJsonValue::Bool(true);
      return true;
    }
    if (Literal("false")) {
      out = CJsonValue::Bool(false);
      return true;
    }
    if (Literal("null")) {
      out = CJsonValue();
      return true;
    }
    return ReadInteger(out);
  }

  bool ReadInteger(CJsonValue& out) {
    bool negative = false;
    if (m_at < m_text.size() && m_text[m_at] == '-') {
      negative = true;
      ++m_at;
    }
    const std::size_t start = m_at;
    std::uint64_t value = 0;
    while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
      const unsigned digit = static_cast<unsigned>(m_text[m_at] - '0');
      if (value > (static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - digit) / 10) return false;
      value = value * 10 + digit;
      ++m_at;
    }
    const std::size_t digits = m_at - start;
    if (digits == 0 || (digits > 1 && m_text[start] == '0')) return false;
    // Fractions and exponents have no place in the device file.
    if (m_at < m_text.size() && (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E')) return false;
    const auto signedValue = static_cast<std::int64_t>(value);
    out = CJsonValue::Integer(negative ? -signedValue : signedValue);
    return true;
  }

  bool ReadHex4(unsigned& code) {
    if (m_text.size() - m_at < 4) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = m_text[m_at++];
      code <<= 4;
      if (h >= '0' && h <= '9') code |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f') code |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') code |= static_cast<unsigned>(h - 'A' + 10);
      else return false;
    }
    return true;
  }

  static void AppendUtf8(std::string& s, unsigned code) {
    if (code < 0x80) {
      s += static_cast<char>(code);
    } else if (code < 0x800) {
      s += static_cast<char>(0xC0 | (code >> 6));
      s += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      s += static_cast<char>(0xE0 | (code >> 12));
      s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (code >> 18));
      s += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool ReadString(std::string& s) {
    if (m_at >= m_text.size() || m_text[m_at] != '"') return false;
    ++m_at;
    while (m_at < m_text.size()) {
      const char c = m_text[m_at++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        s += c;
        continue;
      }
      if (m_at >= m_text.size()) return false;
      const char e = m_text[m_at++];
      switch (e) {
        case '"': s += '"'; break;
        case '\\': s += '\\'; break;
        case '/': s += '/'; break;
        case 'b': s += '\b'; break;
        case 'f': s += '\f'; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 't': s += '\t'; break;
        case 'u': {
          unsigned code = 0;
          if (!ReadHex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00) {
            unsigned low = 0;
            if (!Literal("\\u") || !ReadHex4(low) || low < 0xDC00 || low >= 0xE000) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code < 0xE000) {
            return false;
          }
          AppendUtf8(s, code);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  bool ReadArray(CJsonValue& out, int depth) {
    ++m_at;
    out = CJsonValue::Array();
    if (Take(']')) return true;
    do {
      CJsonValue item;
      if (!ReadValue(item, depth + 1)) return false;
      out.Push(std::move(item));
    } while (Take(','));
    return Take(']');
  }

  bool ReadObject(CJsonValue& out, int depth) {
    ++m_at;
    out = CJsonValue::Object();
    if (Take('}')) return true;
    do {
      SkipSpace();
      std::string key;
      if (!ReadString(key) || !Take(':')) return false;
      CJsonValue value;
      if (!ReadValue(value, depth + 1)) return false;
      if (out.Find(key) != nullptr) return false;  // a repeated key is ambiguous
      out.Set(key, std::move(value));
    } while (Take(','));
    return Take('}');
  }

  std::string_view m_text;
  std::size_t m_at = 0;
};

void WriteString(std::string& out, const std::string& s) {
  out += '"';
  for (const char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += buffer;
        } else {
          out += c;
        }
    }
  }
  out += '"';
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
  try {
    CJsonReader reader(text);
    CJsonValue value;
    if (!reader.ReadDocument(value)) return HH_ERR_DAMAGED;
    out = std::move(value);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
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

void CJsonValue::WriteTo(std::string& out, int indent) const {
  const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
  switch (m_kind) {
    case Kind::Null: out += "null"; break;
    case Kind::Bool: out += m_bool ? "true" : "false"; break;
    case Kind::Integer: out += std::to_string(m_integer); break;
    case Kind::String: WriteString(out, m_string); break;
    case Kind::Array:
      if (m_items.empty()) {
        out += "[]";
        break;
      }
      out += "[\n";
      for (std::size_t i = 0; i < m_items.size(); ++i) {
        out += pad;
        m_items[i].WriteTo(out, indent + 2);
        out += i + 1 < m_items.size() ? ",\n" : "\n";
      }
      out.append(static_cast<std::size_t>(indent), ' ');
      out += ']';
      break;
    case Kind::Object:
      if (m_members.empty()) {
        out += "{}";
        break;
      }
      out += "{\n";
      for (std::size_t i = 0; i < m_members.size(); ++i) {
        out += pad;
        WriteString(out, m_members[i].first);
        out += ": ";
        m_members[i].second.WriteTo(out, indent + 2);
        out += i + 1 < m_members.size() ? ",\n" : "\n";
      }
      out.append(static_cast<std::size_t>(indent), ' ');
      out += '}';
      break;
  }
}

std::string CJsonValue::Write() const {
  std::string out;
  WriteTo(out, 0);
  out += '\n';
  return out;
}
