#pragma once
// Runs a built program as a child process, as a user would from a shell, and
// collects its standard output, standard error and exit status.  The child
// runs in a new session without a controlling terminal, so it can never stop
// to ask for a password.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
  int status = -1;  // exit status; 128 + signal number when killed by a signal
  std::string out;
  std::string err;
};

// `environment` entries replace (or, with an empty value, remove) variables of
// this process's environment for the child.  `input` is fed to the child's
// standard input, which otherwise reads from /dev/null.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& environment = {},
                         const std::optional<std::string>& input = std::nullopt);

}  // namespace testsupport
