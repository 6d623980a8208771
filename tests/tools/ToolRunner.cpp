#include "tools/ToolRunner.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace tooltest {

RunResult RunQuillet(const std::vector<std::string>& args, const std::string& input) {
  return testsupport::RunProcess(QUILLET_TOOL_PATH, args, {}, input);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace tooltest
