#pragma once
// How the HotSync Manager shows a log entry: the conduit's end entry (its name
// with the activity "succeeded" or "failed") as "OK <name>" or "<name>
// synchronization failed"; any other entry as its text.  The text is the
// conduit's ANSI text, shown as UTF-8 without control characters.

#include <cstdint>
#include <string>

std::string LogEntryForDisplay(std::int32_t activity, const std::string& ansiText);
