#include "tools/common/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/files/FileEnv.h"

namespace {

// What a name that is not a regular file is; nullptr when that is not known.
// The environment tells folders apart; the rest is told by the system's own
// look at the name, which changes nothing.
const char* KindOf(const std::string& path, const SFileStatus& status) {
  if (status.kind == SFileStatus::Kind::FOLDER) return "a folder";
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return nullptr;
  if (S_ISFIFO(st.st_mode)) return "a named pipe";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "a device";
  if (S_ISSOCK(st.st_mode)) return "a socket";
  return nullptr;
}

}  // namespace

InputFileResult CheckInputFile(const std::string& path, std::string& error) {
  IFileEnv& env = Files::Env();
  const int fd = env.Open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int why = errno;
    error = "cannot open " + path + ": " + std::strerror(why);
    return why == ENOENT || why == ENOTDIR ? INPUT_FILE_MISSING : INPUT_FILE_UNREADABLE;
  }
  SFileStatus status;
  const bool known = env.StatOpen(fd, status);
  const int why = errno;
  env.Close(fd);
  if (!known) {
    error = "cannot open " + path + ": " + std::strerror(why);
    return INPUT_FILE_UNREADABLE;
  }
  if (status.kind == SFileStatus::Kind::REGULAR) return INPUT_FILE_OK;
  const char* kind = KindOf(path, status);
  error = path + (kind != nullptr ? std::string(" is ") + kind + ", not a file" : " is not a regular file");
  return INPUT_FILE_NOT_REGULAR;
}
