#pragma once
// Runs one of the built programs as a child process with a chosen
// environment, standard input from /dev/null, and collects its output and
// exit status.

#include <map>
#include <string>
#include <vector>

struct ProgramRun {
  int status = -1;  // exit status; 128 + signal number when killed by a signal
  std::string out;
  std::string err;
};

// `environment` entries replace (or, with an empty value, remove) variables of
// this process's environment for the child.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& environment);
