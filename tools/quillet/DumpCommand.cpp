#include "tools/quillet/DumpCommand.h"

#include <ostream>

#include "tools/common/ArgParser.h"
#include "tools/common/DesktopFileDump.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/InputFile.h"

int DumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet dump",
                    "Show the structure of a record file (desktop record file, archive or "
                    "backup) exactly as the conduit reads it.");
  parser.AddPositional("FILE", "the record file");
  parser.AddFlag("json", "write the structure as JSON (the only format)");
  parser.SetNotes(
      "Numbers are written as JSON numbers, data as lower-case hexadecimal, names as\n"
      "text; a name that does not convert exactly also as hexadecimal under nameHex.\n"
      "A 0-byte file is an empty database.  Exit status 3: the file cannot be opened;\n"
      "5: it is not a valid record file (the reason is written to standard error).");
  int status = parser.Run(args, out, err);
  if (status != CArgParser::CONTINUE) return status;
  // A pipe, a folder or a device is refused before the reader opens it: a
  // named pipe would hold it until some writer came.
  std::string error;
  if (CheckInputFile(parser.Positional(0), error) == INPUT_FILE_NOT_REGULAR) {
    err << parser.CommandPath() << ": " << error << "\n";
    return ExitStatus::CANNOT_OPEN;
  }
  return DumpDesktopFile(parser.Positional(0), out, err);
}
