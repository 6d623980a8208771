#pragma once
// The one place where the command-line programs convert text between the ANSI
// code page of memo texts, category names and hints (CP932) and the UTF-8 of the
// terminal, arguments, text files and JSON.  Every tool goes through these.

#include <string>
#include <string_view>

// ANSI bytes as UTF-8 for output, with "\r\n" line ends turned into "\n".  Never
// fails: bytes that decode to no character come out as U+FFFD.
std::string AnsiToOutput(std::string_view ansi);
// The same, appended to out: listings call this once per memo.
void AppendAnsiToOutput(std::string& out, std::string_view ansi);

// As AnsiToOutput, for text shown inside a line meant for a terminal (a name in
// a table, a hint in a prompt): control characters, line ends included, become
// spaces, so that text read from a file can neither break the layout nor send
// escape sequences to the terminal.
std::string AnsiToVisible(std::string_view ansi);

// UTF-8 input (an argument, a text file, a typed password) as ANSI bytes.  False
// when the input is not UTF-8 or holds a character that has no ANSI form; ansi is
// then empty.
bool InputToAnsi(std::string_view utf8, std::string& ansi);

// The first line of a memo text for a one-line listing, as UTF-8 output, cut to
// at most maxColumns columns without splitting a character; "..." marks a cut or
// a text that goes on after its first line.  Control characters come out as
// spaces.  A double-byte ANSI character takes two columns, a single-byte one
// takes one.
std::string FirstLineForOutput(std::string_view ansi, std::size_t maxColumns);
// The same, appended to out.
void AppendFirstLineForOutput(std::string& out, std::string_view ansi, std::size_t maxColumns);

// True when every byte of the ANSI text is ASCII and the code page in use maps
// ASCII to itself: the UTF-8 form of the text is then its own bytes, and callers
// may skip the conversion.
bool AnsiIsPlainAscii(std::string_view ansi);

// The number of terminal columns an ANSI text takes (its length in bytes).
inline std::size_t AnsiColumns(std::string_view ansi) { return ansi.size(); }
