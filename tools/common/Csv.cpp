#include "tools/common/Csv.h"

namespace Csv {

void AppendField(std::string& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendRecord(std::string& out, const std::vector<std::string_view>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    AppendField(out, fields[i]);
  }
  out += "\r\n";
}

bool Parse(std::string_view text, std::vector<std::vector<std::string>>& records, std::string& error) {
  records.clear();
  std::vector<std::string> record;
  std::string field;
  std::size_t line = 1;
  bool blank = true;  // nothing of the record read yet
  const auto endRecord = [&] {
    if (!blank) {
      record.push_back(std::move(field));
      records.push_back(std::move(record));
    }
    record.clear();
    field.clear();
    blank = true;
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"' && field.empty() && (blank || text[i - 1] == ',')) {
      // A quoted field runs to the next quote that is not doubled.
      blank = false;
      const std::size_t opened = line;
      ++i;
      for (;;) {
        if (i >= text.size()) {
          error = "line " + std::to_string(opened) + ": a quoted field is not closed";
          return false;
        }
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (text[i] == '\n') ++line;
        field += text[i++];
      }
      if (i < text.size() && text[i] != ',' && text[i] != '\n' &&
          !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
        error = "line " + std::to_string(line) + ": a quoted field is followed by more than a comma or a line end";
        return false;
      }
      continue;
    }
    if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      endRecord();
      i += c == '\r' ? 2 : 1;
      ++line;
      continue;
    }
    if (c == '"') {
      error = "line " + std::to_string(line) + ": a quote inside a field that does not start with one";
      return false;
    }
    blank = false;
    if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
    } else {
      field += c;
    }
    ++i;
  }
  endRecord();
  return true;
}

}  // namespace Csv
