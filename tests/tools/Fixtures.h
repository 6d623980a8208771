#pragma once
// Record files shared by the quillet tests.

#include <string>

#include "tools/MemoFileBytes.h"

namespace tooltest {

// Shift-JIS bytes used in the fixtures, with their UTF-8 forms.
inline const std::string SJIS_SHIGOTO = "\x8E\x64\x8E\x96";  // 仕事
inline const std::string UTF8_SHIGOTO = "仕事";
// 日本語 表ソ: the last two characters have 0x5C ('\\') as their second byte.
inline const std::string SJIS_JAPANESE = "\x93\xFA\x96\x7B\x8C\xEA \x95\x5C\x83\x5C";
inline const std::string UTF8_JAPANESE = "日本語 表ソ";
inline const std::string SJIS_MEMO = "\x83\x81\x83\x82";  // メモ

inline constexpr const char* PASSWORD = "open sesame";

// Categories Unfiled (id 0), Work (id 5, renamed) and 仕事 (id 200); four memos,
// one deleted, one with every other attribute; a sort-info block and bytes after
// the last record.  With a password the bodies are encrypted and the app-info
// data carries the digest and the hint "メモ hint".
inline FileSpec MemoFixture(bool protectedFile = false) {
  FileSpec f;
  f.names[0] = "Unfiled";
  f.names[1] = "Work";
  f.ids[1] = 5;
  f.names[2] = SJIS_SHIGOTO;
  f.ids[2] = 200;
  f.renamed = 0x0002;
  f.sortInfoData = "SORTINFO";
  f.trailing = "TRAILING BYTES";
  auto body = [protectedFile](const std::string& text) {
    return protectedFile ? EncryptedBody(text, PASSWORD) : PlainBody(text);
  };
  f.records = {
      {1001, 0, 1, body("Zebra notes\nsecond line"), 0},
      {1002, F_DELETED, 0, body("Deleted memo"), 0},
      {1003, F_MODIFIED | F_ARCHIVED | F_NEW | F_PRIVATE, 2, body(SJIS_JAPANESE), 0},
      {0xFFFFFFF0u, 0, 0, body("Apple \"pie\"\\\t\x01" "end"), 0},
  };
  if (protectedFile) f.appSpecific = ProtectedAppSpecific(PASSWORD, SJIS_MEMO + " hint");
  return f;
}

// The same file as quillet writes it back: the store writes exactly the counted
// records, so the bytes after them are gone.
inline FileSpec Rewritten(FileSpec f) {
  f.trailing.clear();
  return f;
}

}  // namespace tooltest
