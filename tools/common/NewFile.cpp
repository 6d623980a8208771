#include "tools/common/NewFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Reason(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

NewFileResult CreateNewFile(const std::string& path, std::string_view bytes, std::string& error) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return NEW_FILE_EXISTS;

  const std::string folder = FolderOf(path);
  std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = Reason("cannot create a file in " + folder);
    return NEW_FILE_FAILED;
  }
  const std::string temp(name.data());

  // mkstemp makes the file private; give it what a new file normally gets.
  const mode_t mask = umask(0);
  umask(mask);
  bool ok = fchmod(fd, 0666 & ~mask) == 0;
  if (!ok) error = Reason("cannot set the permissions of " + temp);

  std::string_view rest = bytes;
  while (ok && !rest.empty()) {
    const ssize_t n = write(fd, rest.data(), rest.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error = Reason("cannot write " + temp);
      ok = false;
      break;
    }
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
  if (ok && fsync(fd) != 0) {
    error = Reason("cannot flush " + temp);
    ok = false;
  }
  if (close(fd) != 0 && ok) {
    error = Reason("cannot close " + temp);
    ok = false;
  }

  NewFileResult result = NEW_FILE_CREATED;
  if (ok && link(temp.c_str(), path.c_str()) != 0) {
    if (errno == EEXIST) {
      result = NEW_FILE_EXISTS;
    } else {
      error = Reason("cannot create " + path);
      result = NEW_FILE_FAILED;
    }
  } else if (!ok) {
    result = NEW_FILE_FAILED;
  }
  unlink(temp.c_str());
  if (result != NEW_FILE_CREATED) return result;

  const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return NEW_FILE_CREATED;
}
