#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Multibyte-aware string functions over CP932 (Shift-JIS) bytes.  A lead
// byte is followed by a trail byte that may look like an ASCII character
// ('\\', '|', 'A'..'Z', ...); these functions never treat a trail byte as a
// character of its own.  A lead byte at the very end of a string (a broken
// character) counts as a single byte.

// CP932 lead bytes: 0x81-0x9F and 0xE0-0xFC.
bool IsLeadByte(unsigned char c);

// Length in bytes (1 or 2) of the character starting at s[pos]; pos < size.
std::size_t MbsCharLength(std::string_view s, std::size_t pos);

// Byte-wise comparison by characters: -1, 0 or 1.
int MbsCompare(std::string_view a, std::string_view b);

// As MbsCompare, with ASCII letters folded to lower case when they are
// single-byte characters (never a trail byte).
int MbsCompareNoCase(std::string_view a, std::string_view b);

// Position of the first match of needle in hay that starts on a character
// boundary, or npos.  An empty needle matches at 0.
std::size_t MbsFind(std::string_view hay, std::string_view needle,
                    bool ignoreCase);

// ASCII letters that are whole characters folded to lower case.
std::string MbsToLower(std::string_view s);

// Position of the last occurrence of the single-byte character c that is a
// whole character (never a trail byte), or npos.
std::size_t MbsFindLast(std::string_view s, char c);

// Length of the longest prefix of at most maxBytes bytes that does not
// split a double-byte character.
std::size_t MbsTruncate(std::string_view s, std::size_t maxBytes);
