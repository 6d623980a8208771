#pragma once
// Export of the memos of a loaded memo file, shared by `quillet export` and
// the organizer's File menu: gathers the memos that are not deleted, in text
// order, renders them in one of the exchange formats (UTF-8), and writes the
// result to a file whole or not at all.  None of the formats is encrypted.

#include <string>
#include <string_view>
#include <vector>

#include "tools/common/MemoExchange.h"

class CMemoDatabase;

class CMemoExport {
 public:
  enum Result {
    EXPORT_OK = 0,
    EXPORT_EXISTS = 1,  // the output exists and may not be replaced
    EXPORT_FAILED = 2,  // error holds the reason; nothing was written
  };

  // One file of a per-category export.
  struct Written {
    std::string path;
    std::string category;  // UTF-8
    std::size_t memos = 0;
  };

  static MemoExchange::Collection Collect(CMemoDatabase& db);

  // The output of a format; warnings gets a line for every memo or name the
  // format could not hold unchanged (KeePass XML and control characters).
  static std::string Render(MemoExchange::Format format, const MemoExchange::Collection& memos,
                            std::vector<std::string>& warnings);

  // Writes the bytes to path through a temporary file renamed into place, so
  // that a crash leaves either no file (or the old one) or the whole new one.
  // An existing file is replaced only when `replace`.  The file is readable by
  // its owner only: it holds the memos in the clear.
  static Result WriteFile(const std::string& path, std::string_view bytes, bool replace,
                          std::string& error);

  // The text format, one file per category that has memos, in folder dir
  // (created when missing): "<name>.txt", the name made safe by SafeFileName,
  // a name that two categories come to numbered "<name> (2).txt".  Unless
  // `replace`, every file is checked before the first is written, so that a
  // refusal writes nothing.
  static Result WritePerCategory(const std::string& dir, const MemoExchange::Collection& memos,
                                 bool replace, std::vector<Written>& written, std::string& error);

  // A category name as a file name stem: UTF-8, with '/', '\\', the other
  // characters some systems refuse in names (: * ? " < > |) and control
  // characters as '_', a leading '.' as '_', and "_" for an empty name.
  static std::string SafeFileName(std::string_view category);
};
