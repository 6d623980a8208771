#pragma once
// Crash-safe creation of a new file that must not replace an existing one: the
// bytes go to a temporary file in the same folder, which is flushed to disk and
// then linked under the final name (link() fails when the name exists, so an
// existing file is never replaced, even by a race); the folder is flushed last.
// Either the complete file appears under its name or nothing does.

#include <string>
#include <string_view>

enum NewFileResult {
  NEW_FILE_CREATED = 0,
  NEW_FILE_EXISTS = 1,   // a file (or anything else) has that name already
  NEW_FILE_FAILED = 2,   // error holds the reason
};

// The new file is readable and writable by its owner only (0600, whatever the
// umask): it holds the user's memos.
NewFileResult CreateNewFile(const std::string& path, std::string_view bytes, std::string& error);
