#pragma once
// The sub-command dispatcher of a command-line program: "PROGRAM COMMAND ARGS...".
// Every command is a function that receives the words after its name and returns
// the exit status; "PROGRAM --help" lists the commands.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

class CCommandTable {
 public:
  using Handler = std::function<int(const std::vector<std::string>& args, std::ostream& out,
                                    std::ostream& err)>;

  CCommandTable(std::string program, std::string summary);

  void Add(std::string name, std::string synopsis, Handler handler);

  // Runs the command named by args[0]; args are the words after the program name.
  int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) const;

  std::string Help() const;

 private:
  struct Command {
    std::string name;
    std::string synopsis;
    Handler handler;
  };
  std::string m_program;
  std::string m_summary;
  std::vector<Command> m_commands;
};
