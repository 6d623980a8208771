#pragma once
// A KeePass 2 XML file of memos, as KeePass and KeePassXC import it: under one
// root group "Quillet", a group per category (every category of the file, in
// slot order, then any other category a memo names) and an entry per memo
// whose Title is the memo's first line and whose Notes are the whole memo,
// with empty UserName, Password and URL.  Groups and entries get UUIDs made
// of 16 random bytes.  A protected file's export opens with a comment saying
// that the XML is not encrypted.
//
// XML 1.0 cannot hold most control characters: each one in a memo or a name
// is written as U+FFFD instead, and a warning names the memo.

#include <string>
#include <vector>

#include "tools/common/MemoExchange.h"

class CKeePassXml {
 public:
  static std::string Write(const MemoExchange::Collection& memos, std::vector<std::string>& warnings);
  // The text as XML character data; returns how many characters were replaced.
  static std::size_t AppendEscaped(std::string& out, std::string_view utf8);
};
