// quillet: reads and changes the desktop memo record file (record.dat) from the
// command line, through the same memo database the organizer extension uses.

#include <iostream>
#include <string>
#include <vector>

#include "tools/common/CommandTable.h"
#include "tools/quillet/Commands.h"
#include "tools/quillet/DumpCommand.h"

int main(int argc, char** argv) {
  CCommandTable commands("quillet", "Reads and changes Quillet memo record files (record.dat).");
  commands.Add("init", "FILE: create an empty memo file", InitCommand);
  commands.Add("list", "FILE [--all] [--json]: list the memos in text order", ListCommand);
  commands.Add("show", "FILE POSITION: show one memo", ShowCommand);
  commands.Add("add", "FILE (--text TEXT | --text-file F) [--category INDEX]: add a memo",
               AddCommand);
  commands.Add("edit", "FILE POSITION [--text TEXT | --text-file F] [--category INDEX]: change a memo",
               EditCommand);
  commands.Add("delete", "FILE POSITION...: mark memos deleted", DeleteCommand);
  commands.Add("categories", "FILE [--json]: list the categories", CategoriesCommand);
  commands.Add("category",
               "FILE list [--json] | add NAME | rename NAME NEWNAME [--merge] | delete NAME "
               "[--delete-memos]: add, rename and delete categories",
               CategoryCommand);
  commands.Add("export",
               "FILE [--format text|json|csv|keepass-xml] [--output PATH | --per-category DIR] "
               "[--force]: write out every memo",
               ExportCommand);
  commands.Add("import", "FILE INPUT [--format text|json|csv] [--category NAME]: add memos",
               ImportCommand);
  commands.Add("password", "set FILE [--hint TEXT] | clear FILE: re-encrypt the memos under a new password, or none",
               PasswordCommand);
  commands.Add("demo", "DIR: write the demo memo files", DemoCommand);
  commands.Add("dump", "FILE [--json]: show the container structure of any record file",
               DumpCommand);
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = commands.Run(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
