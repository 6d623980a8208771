#pragma once
// Runs the built quillet program as a child process (support/ProcessRunner.h),
// feeding standard input and collecting standard output, standard error and the
// exit status; and the file helpers of the tool tests.

#include <string>
#include <vector>

#include "support/ProcessRunner.h"

namespace tooltest {

using RunResult = testsupport::ProcessResult;

RunResult RunQuillet(const std::vector<std::string>& args, const std::string& input = "");

// A fresh empty folder under the build tree, removed at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

}  // namespace tooltest
