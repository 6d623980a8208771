#pragma once
// Memo texts given on the command line or in a text file: UTF-8 with "\n" (or
// "\r\n") line ends, turned into the form the memo database holds in memory,
// Shift-JIS with "\r\n" line ends, under the same limits as the memo editor.

#include <string>
#include <string_view>

namespace MemoText {

// The memo editor takes at most this many bytes of text.
inline constexpr std::size_t MAX_BYTES = 32767;
// A text file larger than this is refused before it is read.
inline constexpr std::size_t MAX_FILE_BYTES = 1 << 20;

// False with a one-line reason when the text is empty, holds a NUL character,
// is not UTF-8, holds a character without a Shift-JIS form, or is too long.
bool FromInput(std::string_view utf8, std::string& memo, std::string& error);

}  // namespace MemoText
