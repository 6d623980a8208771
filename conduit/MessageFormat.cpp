// The HotSync log's message formatter.

#include "conduit/MessageFormat.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/text/Mbcs.h"

namespace {

struct Field {
  bool left = false;
  bool zero = false;
  std::size_t width = 0;
  bool hasPrecision = false;
  std::size_t precision = 0;
};

// Pads `body` to the field's width; zero padding goes after a minus sign.
void Pad(std::string& out, std::string body, const Field& field, bool numeric) {
  if (body.size() >= field.width) {
    out += body;
    return;
  }
  std::size_t fill = field.width - body.size();
  if (field.left) {
    out += body;
    out.append(fill, ' ');
  } else if (field.zero && numeric) {
    std::size_t sign = (!body.empty() && body[0] == '-') ? 1 : 0;
    out.append(body, 0, sign);
    out.append(fill, '0');
    out.append(body, sign, std::string::npos);
  } else {
    out.append(fill, ' ');
    out += body;
  }
}

std::string Unsigned(std::uint64_t value, int base, bool upper) {
  char buffer[24];  // 20 decimal digits at most
  std::string text(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, base).ptr);
  if (upper) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return text;
}

std::int64_t NumberOf(const MessageArg& arg) {
  return arg.kind == MessageArg::Kind::Text ? 0 : arg.number;
}

}  // namespace

std::string FormatLogMessage(const char* format, std::initializer_list<MessageArg> args,
                             std::size_t limit) {
  std::string out;
  if (format == nullptr) return out;
  const MessageArg* next = args.begin();
  const MessageArg* end = args.end();
  const char* p = format;
  while (*p != '\0') {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += *p++;
      continue;
    }
    Field field;
    for (;; ++p) {
      if (*p == '-') {
        field.left = true;
      } else if (*p == '0') {
        field.zero = true;
      } else {
        break;
      }
    }
    while (*p >= '0' && *p <= '9') field.width = field.width * 10 + static_cast<std::size_t>(*p++ - '0');
    if (*p == '.') {
      field.hasPrecision = true;
      ++p;
      while (*p >= '0' && *p <= '9') {
        field.precision = field.precision * 10 + static_cast<std::size_t>(*p++ - '0');
      }
    }
    while (*p == 'l' || *p == 'h') ++p;
    char conversion = *p;
    if (conversion == '\0') {
      out.append(start);  // an unfinished conversion is written as it stands
      break;
    }
    ++p;
    const MessageArg* arg = next != end ? next++ : nullptr;
    switch (conversion) {
      case 's': {
        if (arg == nullptr) break;
        std::string text;
        if (arg->kind == MessageArg::Kind::Text) {
          text = arg->text != nullptr ? arg->text : "";
        } else if (arg->kind == MessageArg::Kind::Signed && arg->number < 0) {
          text = "-" + Unsigned(static_cast<std::uint64_t>(-arg->number), 10, false);
        } else {
          text = Unsigned(static_cast<std::uint64_t>(arg->number), 10, false);
        }
        if (field.hasPrecision) text.resize(MbsTruncate(text, field.precision));
        Pad(out, text, field, false);
        break;
      }
      case 'd':
      case 'i': {
        if (arg == nullptr) break;
        auto value = static_cast<std::int32_t>(NumberOf(*arg));
        std::string text = value < 0 ? "-" + Unsigned(static_cast<std::uint64_t>(-static_cast<std::int64_t>(value)), 10, false)
                                     : Unsigned(static_cast<std::uint64_t>(value), 10, false);
        Pad(out, text, field, true);
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        if (arg == nullptr) break;
        auto value = static_cast<std::uint32_t>(NumberOf(*arg));
        int base = conversion == 'u' ? 10 : 16;
        Pad(out, Unsigned(value, base, conversion == 'X'), field, true);
        break;
      }
      case 'c': {
        if (arg == nullptr) break;
        Pad(out, std::string(1, static_cast<char>(NumberOf(*arg))), field, false);
        break;
      }
      default:
        // An unknown conversion is written as it stands and takes no argument.
        if (arg != nullptr) --next;
        out.append(start, p);
        break;
    }
  }
  if (limit > 0 && out.size() > limit - 1) out.resize(MbsTruncate(out, limit - 1));
  return out;
}
