#include "tools/common/TextFile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/files/FileSystem.h"

bool ReadTextFile(const std::string& path, std::size_t maxBytes, std::string& bytes, std::string& error) {
  std::vector<std::uint8_t> data;
  switch (Files::ReadWholeFile(path, data, maxBytes)) {
    case Files::FILE_OK:
      bytes.assign(data.begin(), data.end());
      return true;
    case Files::FILE_ERR_TOO_LARGE:
      error = "the text file " + path + " is too large for a memo";
      return false;
    case Files::FILE_ERR_NOT_FOUND:
      error = "cannot open the text file " + path + ": " + std::strerror(errno);
      return false;
    default:
      error = "cannot read the text file " + path + ": " + std::strerror(errno);
      return false;
  }
}
