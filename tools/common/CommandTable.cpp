#include "tools/common/CommandTable.h"

#include <new>
#include <ostream>

#include "tools/common/ExitStatus.h"

CCommandTable::CCommandTable(std::string program, std::string summary)
    : program_(std::move(program)), summary_(std::move(summary)) {}

void CCommandTable::Add(std::string name, std::string synopsis, Handler handler) {
  commands_.push_back(Command{std::move(name), std::move(synopsis), std::move(handler)});
}

std::string CCommandTable::Help() const {
  std::string h = "usage: " + program_ + " COMMAND [ARGUMENTS]\n\n" + summary_ + "\n\ncommands:\n";
  for (const Command& c : commands_) {
    std::string l = "  " + c.name;
    if (l.size() < 14) l.append(14 - l.size(), ' ');
    h += l + c.synopsis + "\n";
  }
  h += "\n'" + program_ + " COMMAND --help' describes a command.\n";
  return h;
}

int CCommandTable::Run(const std::vector<std::string>& args, std::ostream& out,
                       std::ostream& err) const {
  if (args.empty()) {
    err << program_ << ": no command given (see '" << program_ << " --help')\n";
    return ExitStatus::USAGE;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << Help();
    return ExitStatus::OK;
  }
  for (const Command& c : commands_) {
    if (c.name != args[0]) continue;
    try {
      return c.handler(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    } catch (const std::bad_alloc&) {
      err << program_ << " " << c.name << ": out of memory\n";
      return ExitStatus::FAILED;
    }
  }
  err << program_ << ": unknown command '" << args[0] << "' (see '" << program_ << " --help')\n";
  return ExitStatus::USAGE;
}
