#include "tools/common/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return nullptr;
}

}  // namespace

InputFileResult CheckInputFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int why = errno;
    error = "cannot open " + path + ": " + std::strerror(why);
    return why == ENOENT || why == ENOTDIR ? INPUT_FILE_MISSING : INPUT_FILE_UNREADABLE;
  }
  struct stat st {};
  const bool known = ::fstat(fd, &st) == 0;
  const int why = errno;
  ::close(fd);
  if (!known) {
    error = "cannot open " + path + ": " + std::strerror(why);
    return INPUT_FILE_UNREADABLE;
  }
  if (S_ISREG(st.st_mode)) return INPUT_FILE_OK;
  const char* kind = KindOf(st.st_mode);
  error = path + (kind != nullptr ? std::string(" is ") + kind + ", not a file" : " is not a regular file");
  return INPUT_FILE_NOT_REGULAR;
}
