#include "tools/common/CommandTable.h"

#include <new>
#include <ostream>

#include "tools/common/ExitStatus.h"

CCommandTable::CCommandTable(std::string program, std::string summary)
    : m_program(std::move(program)), m_summary(std::move(summary)) {}

void CCommandTable::Add(std::string name, std::string synopsis, Handler handler) {
  m_commands.push_back(Command{std::move(name), std::move(synopsis), std::move(handler)});
}

std::string CCommandTable::Help() const {
  std::string h = "usage: " + m_program + " COMMAND [ARGUMENTS]\n\n" + m_summary + "\n\ncommands:\n";
  for (const Command& c : m_commands) {
    std::string l = "  " + c.name;
    if (l.size() < 14) l.append(14 - l.size(), ' ');
    h += l + c.synopsis + "\n";
  }
  h += "\n'" + m_program + " COMMAND --help' describes a command.\n";
  return h;
}

int CCommandTable::Run(const std::vector<std::string>& args, std::ostream& out,
                       std::ostream& err) const {
  if (args.empty()) {
    err << m_program << ": no command given (see '" << m_program << " --help')\n";
    return ExitStatus::USAGE;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << Help();
    return ExitStatus::OK;
  }
  for (const Command& c : m_commands) {
    if (c.name != args[0]) continue;
    try {
      return c.handler(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    } catch (const std::bad_alloc&) {
      err << m_program << " " << c.name << ": out of memory\n";
      return ExitStatus::FAILED;
    }
  }
  err << m_program << ": unknown command '" << args[0] << "' (see '" << m_program << " --help')\n";
  return ExitStatus::USAGE;
}
