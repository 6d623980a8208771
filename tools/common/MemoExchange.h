#pragma once
// What the export and the import of memos share: the formats, and a memo as
// it stands outside the memo file (UTF-8 text with "\n" line ends, filed under
// a category by name).

#include <string>
#include <string_view>
#include <vector>

namespace MemoExchange {

enum class Format {
  TEXT,         // the memo texts separated by form feeds, as the memo viewer copies them
  JSON,         // {"memos": [{"category": NAME, "text": TEXT}, ...]}
  CSV,          // a header "category,text", then one row per memo (RFC 4180)
  KEEPASS_XML,  // a KeePass 2 XML file: one group per category, one entry per memo
};

struct Memo {
  std::string category;       // UTF-8; "" for none
  std::string text;           // UTF-8, "\n" line ends
  bool hasCategory = false;   // false when the input named no category (text format)
};

// The memos of a file, gathered for an export.
struct Collection {
  std::vector<std::string> categories;  // every category of the file, in slot order (UTF-8)
  std::vector<Memo> memos;              // the memos that are not deleted, in text order
  bool encrypted = false;               // the file is protected by a password
};

// "text", "json", "csv" or "keepass-xml"; false for any other name.
bool ParseFormat(std::string_view name, Format& format);
const char* FormatName(Format format);
// The format a file name's extension asks for: .json, .csv, .xml, else text.
Format FormatForPath(std::string_view path);
// True for the formats an import reads (not KeePass XML).
inline bool CanImport(Format format) { return format != Format::KEEPASS_XML; }

// The first line of a memo (UTF-8), cut to at most maxBytes bytes without
// splitting a character, "..." marking a cut: how messages name a memo.
std::string Label(std::string_view text, std::size_t maxBytes = 40);

}  // namespace MemoExchange
