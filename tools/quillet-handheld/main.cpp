// quillet-handheld: plays the Quillet memo application on a simulated handheld
// (a device folder of Palm database files), so that memos can be written,
// changed and protected "on the handheld" and then carried over by a HotSync.

#include <iostream>
#include <string>
#include <vector>

#include "tools/common/CommandTable.h"
#include "tools/quillet-handheld/Commands.h"

int main(int argc, char** argv) {
  CCommandTable commands("quillet-handheld",
                         "Plays the Quillet memo application on a simulated handheld device.");
  commands.Add("init", "--user NAME: make a new device with an empty memo database", InitCommand);
  commands.Add("list", "[--all] [--json]: list the memos in device order", ListCommand);
  commands.Add("add", "(--text T | --text-file F) [--category NAME] [--private]: add a memo", AddCommand);
  commands.Add("edit", "ID [--text T | --text-file F] [--category NAME] [--private|--public]: change a memo",
               EditCommand);
  commands.Add("delete", "ID [--archive]: delete (or archive) a memo", DeleteCommand);
  commands.Add("category", "add NAME | rename OLD NEW | delete NAME: manage categories", CategoryCommand);
  commands.Add("password", "set [--hint H] | clear: protect the memos or remove the protection",
               PasswordCommand);
  commands.Add("dump", "[DB] [--json]: show a database as it is stored", DumpCommand);
  commands.Add("import", "FILE.pdb: install a database file on the device", ImportCommand);
  commands.Add("export", "DB FILE.pdb: write a copy of a database to a file", ExportCommand);
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = commands.Run(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
