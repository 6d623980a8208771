#pragma once

#include <string>
#include <string_view>

// Line-end conversions, byte-exact.

// Every "\r\n" becomes "\n"; a lone "\r" is kept.
std::string CrLfToLf(std::string_view text);

// Every "\n" becomes "\r\n", literally: an existing "\r\n" becomes
// "\r\r\n".  This is what the memo store does when it loads a memo body, so
// callers that need the exact stored bytes rely on it.
std::string LfToCrLf(std::string_view text);
