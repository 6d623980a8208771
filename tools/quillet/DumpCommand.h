#pragma once
// quillet dump FILE [--json]: the raw container of a desktop record file, an
// archive or a backup, as one JSON object (see tools/common/DesktopFileDump.h).

#include <iosfwd>
#include <string>
#include <vector>

// `args` are the words after "dump"; returns the exit status.
int DumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
