#pragma once
// The HotSync log library: the conduit writes one entry per report, the host
// chooses the log file before a HotSync and shows the entries afterwards.
//
// Each entry is one line of the current log file:
//   <local time, ISO 8601>\t<activity code>\t<text>\n
// Carriage returns and line feeds inside the text become spaces so that an
// entry never spans two lines.  With no file chosen, entries are only kept in
// memory (tests and a conduit run without a host still count them).

#include <cstdint>
#include <string>
#include <vector>

extern "C" {

// Appends one entry.  `reserved` is passed as 0 by every caller.  Returns 0, or
// -1 when the log file cannot be opened or written (the entry is still kept in
// memory and counted).
std::int32_t LogAddEntry(const char* text, std::int32_t activity, std::int32_t reserved);

// Number of entries with text written during the current HotSync (0 before
// the first; the empty start markers are not counted).
std::int16_t LogTestHeader();

// Host side: chooses the log file for the next HotSync (nullptr or "" for none)
// and starts a new HotSync: the entry count and the in-memory entries are reset.
void LogSetFile(const char* path);

// Host side: forgets the file, the count and the in-memory entries.
void LogReset();

}  // extern "C"

// One entry as the conduit gave it (text after CR/LF replacement).
struct HsLogEntry {
  std::string text;
  std::int32_t activity = 0;
};

// The entries of the current HotSync, oldest first, for the host to print.
std::vector<HsLogEntry> LogEntries();
