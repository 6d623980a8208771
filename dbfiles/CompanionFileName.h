#pragma once
// Names of the files that live beside the desktop record file: the archive of a
// category (".ARC") and the backup (".BAK") take the desktop manager's path and
// replace its extension.

#include <string>
#include <string_view>

inline constexpr const char* ARCHIVE_EXTENSION = ".ARC";
inline constexpr const char* BACKUP_EXTENSION = ".BAK";

// True for a folder separator character: '\\' everywhere and, where the file
// system uses it, '/'.
bool IsFolderSeparator(char c);

// The position of the last folder separator of `path` that is a whole
// character (a trail byte of a double-byte character never counts), or npos.
std::size_t FindLastFolderSeparator(std::string_view path);

// `path` with the extension after its last "." cut off, when that "." comes
// after the last folder separator, and `extension` appended.  The search is
// multibyte-aware: the second byte of a double-byte character is never taken
// for a "." or a separator.
std::string CompanionFileName(std::string_view path, std::string_view extension);
