#include "tools/common/KeePassXml.h"

#include <array>
#include <random>

namespace {

// 16 random bytes in base64: 24 characters, the last two "==".
std::string NewUuid(std::random_device& random) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::array<unsigned char, 18> bytes{};  // two zero bytes pad the last group
  for (std::size_t i = 0; i < 16; i += 4) {
    const unsigned value = random();
    for (std::size_t k = 0; k < 4; ++k) bytes[i + k] = static_cast<unsigned char>(value >> (8 * k));
  }
  std::string out;
  for (std::size_t i = 0; i < 18; i += 3) {
    const unsigned group = (static_cast<unsigned>(bytes[i]) << 16) |
                           (static_cast<unsigned>(bytes[i + 1]) << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) out += kDigits[(group >> shift) & 0x3F];
  }
  out.resize(22);
  return out + "==";
}

void AppendString(std::string& out, const char* key, std::string_view value, std::size_t& replaced) {
  out += "\t\t\t\t\t<String>\n\t\t\t\t\t\t<Key>";
  out += key;
  out += "</Key>\n\t\t\t\t\t\t<Value>";
  replaced += CKeePassXml::AppendEscaped(out, value);
  out += "</Value>\n\t\t\t\t\t</String>\n";
}

}  // namespace

std::size_t CKeePassXml::AppendEscaped(std::string& out, std::string_view utf8) {
  std::size_t replaced = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\r': out += "&#13;"; continue;  // a reader would turn a bare CR into LF
      case '\t':
      case '\n': out += static_cast<char>(c); continue;
      default: break;
    }
    if (c < 0x20) {
      out += "\xEF\xBF\xBD";
      ++replaced;
      continue;
    }
    // U+FFFE and U+FFFF are not XML characters either.
    if (c == 0xEF && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0xBE) {
      out += "\xEF\xBF\xBD";
      ++replaced;
      i += 2;
      continue;
    }
    out += static_cast<char>(c);
  }
  return replaced;
}

std::string CKeePassXml::Write(const MemoExchange::Collection& memos, std::vector<std::string>& warnings) {
  std::random_device random;
  std::vector<std::string> groups = memos.categories;
  for (const MemoExchange::Memo& memo : memos.memos) {
    bool known = false;
    for (const std::string& name : groups) known = known || name == memo.category;
    if (!known) groups.push_back(memo.category);
  }
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
  if (memos.encrypted) {
    out += "<!-- These memos come from a memo file protected by a password, but this file is NOT "
           "encrypted: anyone who can read it can read every memo. Import it into a password "
           "manager and then delete it. -->\n";
  }
  out += "<KeePassFile>\n\t<Meta>\n\t\t<Generator>Quillet</Generator>\n"
         "\t\t<DatabaseName>Quillet memos</DatabaseName>\n\t</Meta>\n\t<Root>\n"
         "\t\t<Group>\n\t\t\t<UUID>" + NewUuid(random) + "</UUID>\n\t\t\t<Name>Quillet</Name>\n";
  for (const std::string& group : groups) {
    out += "\t\t\t<Group>\n\t\t\t\t<UUID>" + NewUuid(random) + "</UUID>\n\t\t\t\t<Name>";
    if (AppendEscaped(out, group) > 0) {
      warnings.push_back("the category name \"" + MemoExchange::Label(group) +
                         "\" holds characters that XML cannot hold; they were replaced by U+FFFD");
    }
    out += "</Name>\n";
    for (const MemoExchange::Memo& memo : memos.memos) {
      if (memo.category != group) continue;
      out += "\t\t\t\t<Entry>\n\t\t\t\t\t<UUID>" + NewUuid(random) + "</UUID>\n";
      std::size_t replaced = 0;
      const std::string_view text = memo.text;
      AppendString(out, "Title", text.substr(0, text.find('\n')), replaced);
      AppendString(out, "UserName", "", replaced);
      AppendString(out, "Password", "", replaced);
      AppendString(out, "URL", "", replaced);
      replaced = 0;  // the title's characters are the notes' too: count them once
      AppendString(out, "Notes", text, replaced);
      out += "\t\t\t\t</Entry>\n";
      if (replaced > 0) {
        warnings.push_back("memo \"" + MemoExchange::Label(memo.text) + "\": " +
                           std::to_string(replaced) +
                           (replaced == 1 ? " character" : " characters") +
                           " that XML cannot hold replaced by U+FFFD");
      }
    }
    out += "\t\t\t</Group>\n";
  }
  out += "\t\t</Group>\n\t</Root>\n</KeePassFile>\n";
  return out;
}
