#pragma once
// The tools' --json output, written by nlohmann-json.  Documents are
// ordered_json values, so that members come out in the order they are set.
// They are written pretty-printed with two spaces, UTF-8 text as it is, and a
// byte sequence that is not UTF-8 as U+FFFD, so that the output parses
// whatever a string holds.  Text from a memo file (ANSI bytes) becomes a
// string through AnsiToOutput, the one conversion of the tools.

#include <iosfwd>
#include <string>

#include <nlohmann/json.hpp>

namespace JsonOutput {

using Json = nlohmann::ordered_json;

// The spaces per level of the output.
constexpr int kIndent = 2;

// The text of `value` as the output writes it, at the outermost level, without
// a line end.
std::string Dump(const Json& value);

// Writes `document` and a line end.
void Write(std::ostream& out, const Json& document);

}  // namespace JsonOutput
