#pragma once
// Runs the built quillet program as a child process (support/ProcessRunner.h),
// feeding standard input and collecting standard output, standard error and the
// exit status; and the file helpers of the tool tests.

#include <string>
#include <vector>

#include "support/ProcessRunner.h"
#include "support/TempFolder.h"

namespace tooltest {

using RunResult = testsupport::ProcessResult;

RunResult RunQuillet(const std::vector<std::string>& args, const std::string& input = "");

// The tests' temporary folder with its path as text, the form in which the
// tool tests pass it on quillet's command line and build messages from it.
class TempDir : public CTempFolder {
 public:
  TempDir() : CTempFolder("tools"), m_text(CTempFolder::Path().string()) {}
  const std::string& Path() const { return m_text; }

 private:
  std::string m_text;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

}  // namespace tooltest
