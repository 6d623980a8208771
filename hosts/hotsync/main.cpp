// quillet-hotsync: the HotSync Manager of this desktop.  It keeps the HotSync
// users, their folders and chosen actions, loads the Quillet conduit and runs
// it against a (simulated) handheld.

#include <iostream>
#include <string>
#include <vector>

#include "hosts/hotsync/Commands.h"
#include "tools/common/CommandTable.h"

int main(int argc, char** argv) {
  CCommandTable commands("quillet-hotsync",
                         "The HotSync Manager: synchronises a handheld's Quillet memos with the desktop.");
  commands.Add("sync",
               "[--device DIR] [--home DIR] [--action ACTION]: HotSync the handheld with this desktop",
               SyncCommand);
  commands.Add("action", "[--user U] [--set ACTION [--default]]: show or choose the next HotSync's action",
               ActionCommand);
  commands.Add("configure", "[--user U]: choose the action in the conduit's dialog", ConfigureCommand);
  commands.Add("info", ": the conduit's name, version and information", InfoCommand);
  commands.Add("log", "[--user U]: show the user's HotSync log", LogCommand);
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = commands.Run(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
