#include "tools/common/JsonWriter.h"

#include <ostream>

namespace {

// Length of the well-formed UTF-8 sequence starting at s[i], or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto b = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  if (b(i + 1) < lo || b(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  }
  return n;
}

}  // namespace

CJsonWriter::CJsonWriter(std::ostream& out, int indent) : out_(out), indent_(indent) {}

void CJsonWriter::NewLine(std::size_t depth) {
  if (indent_ <= 0) return;
  out_ << '\n' << std::string(depth * static_cast<std::size_t>(indent_), ' ');
}

void CJsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (stack_.empty()) return;
  Level& top = stack_.back();
  if (top.count > 0) out_ << ',';
  ++top.count;
  NewLine(stack_.size());
}

void CJsonWriter::BeginObject() {
  BeforeValue();
  out_ << '{';
  stack_.push_back(Level{true, 0});
}

void CJsonWriter::EndObject() { Close('}'); }

void CJsonWriter::BeginArray() {
  BeforeValue();
  out_ << '[';
  stack_.push_back(Level{false, 0});
}

void CJsonWriter::EndArray() { Close(']'); }

void CJsonWriter::Close(char bracket) {
  const std::size_t count = stack_.empty() ? 0 : stack_.back().count;
  if (!stack_.empty()) stack_.pop_back();
  if (count > 0) NewLine(stack_.size());
  out_ << bracket;
}

void CJsonWriter::Key(std::string_view name) {
  BeforeValue();
  out_ << Quote(name) << (indent_ > 0 ? ": " : ":");
  afterKey_ = true;
}

void CJsonWriter::String(std::string_view utf8) {
  BeforeValue();
  out_ << Quote(utf8);
}

void CJsonWriter::Int(std::int64_t value) {
  BeforeValue();
  out_ << value;
}

void CJsonWriter::UInt(std::uint64_t value) {
  BeforeValue();
  out_ << value;
}

void CJsonWriter::Bool(bool value) {
  BeforeValue();
  out_ << (value ? "true" : "false");
}

void CJsonWriter::Null() {
  BeforeValue();
  out_ << "null";
}

void CJsonWriter::Finish() { out_ << '\n'; }

std::string CJsonWriter::Quote(std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  std::string q;
  q.reserve(s.size() + 2);
  q += '"';
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const std::size_t n = Utf8SequenceLength(s, i);
      if (n == 0) {
        q += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no UTF-8 character
        ++i;
      } else {
        q.append(s.substr(i, n));
        i += n;
      }
      continue;
    }
    switch (c) {
      case '"': q += "\\\""; break;
      case '\\': q += "\\\\"; break;
      case '\b': q += "\\b"; break;
      case '\f': q += "\\f"; break;
      case '\n': q += "\\n"; break;
      case '\r': q += "\\r"; break;
      case '\t': q += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          q += "\\u00";
          q += kHex[c >> 4];
          q += kHex[c & 0x0F];
        } else {
          q += static_cast<char>(c);
        }
    }
    ++i;
  }
  q += '"';
  return q;
}
