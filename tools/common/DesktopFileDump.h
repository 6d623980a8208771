#pragma once
// The raw container of a desktop record file (the record file itself, an
// archive or a backup), exactly as the desktop manager's LoadFile reads it,
// written as one JSON object for `quillet dump` through the tools' JSON output
// (tools/common/JsonOutput.h):
//
//   {"header": {...} or null, "appInfo": {...} or null, "sortInfo": {...} or
//    null, "records": [{...}, ...]}
//
// Numbers are JSON numbers.  Names (up to their NUL) are text, converted from
// the ANSI code page as every tool converts text (AnsiToOutput); a name whose
// text does not give back its exact bytes also has them as lower-case
// hexadecimal under "nameHex".  Data areas and record data are lower-case
// hexadecimal.

#include <iosfwd>
#include <string>

// Writes the dump of the file at `path` to `out` and returns the exit status:
// 0; 3 (ExitStatus::CANNOT_OPEN) when the file cannot be opened; 5
// (ExitStatus::DAMAGED) when it is not a valid record file, with the result
// code and its name on `err`; 1 when the output cannot be written.
int DumpDesktopFile(const std::string& path, std::ostream& out, std::ostream& err);
