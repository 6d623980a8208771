#pragma once

#include <string>
#include <string_view>

// Conversions between the ANSI code page (memo text, category names) and
// UTF-8, used only at the edges: command-line output and JSON.

// The iconv name of the ANSI code page: a process setting, CP932 unless
// configured otherwise.  The name is copied; null or "" restores CP932.
// When iconv does not know CP932 (a C library without it), the
// conversions fall back to SHIFT_JIS.
void SetAnsiCodePage(const char* name);
std::string AnsiCodePage();

// ANSI bytes to UTF-8.  Never fails: a byte (or broken double-byte pair)
// that cannot be decoded becomes U+FFFD and conversion goes on after it.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to ANSI bytes, replacing out.  Returns false (out then holds what
// was converted before the offending character) when the input is not valid UTF-8 or a character has no form
// in the ANSI code page.
bool Utf8ToAnsi(std::string_view utf8, std::string& out);
