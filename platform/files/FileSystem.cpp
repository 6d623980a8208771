#include "platform/files/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace Files {

namespace {

// Closes a descriptor when it goes out of scope, keeping errno for the caller.
class CDescriptor {
 public:
  explicit CDescriptor(int fd) : fd_(fd) {}
  ~CDescriptor() {
    if (fd_ < 0) return;
    const int error = errno;
    ::close(fd_);
    errno = error;
  }
  CDescriptor(const CDescriptor&) = delete;
  CDescriptor& operator=(const CDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Files are read in pieces of this size once the size given at open time is used up.
constexpr std::size_t READ_STEP = 4096;

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, const void* bytes, std::size_t size) {
  const auto* at = static_cast<const std::uint8_t*>(bytes);
  while (size > 0) {
    const ssize_t written = ::write(fd, at, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    at += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool FlushFile(int fd) { return ::fsync(fd) == 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool SyncFolder(const std::string& folder) {
  CDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0) return false;
  return ::fsync(fd.Get()) == 0;
}

FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uintmax_t maxSize) {
  try {
    // Without blocking, so that a pipe with that name cannot hold the caller;
    // the flag means nothing for the regular files that are read.
    CDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0) return errno == ENOENT || errno == ENOTDIR ? FILE_ERR_NOT_FOUND : FILE_ERR_IO;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return FILE_ERR_IO;
    if (!S_ISREG(st.st_mode)) {
      errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
      return FILE_ERR_IO;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > maxSize) {
      errno = EFBIG;
      return FILE_ERR_TOO_LARGE;
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    for (;;) {
      if (have == data.size()) {
        // The file may have grown since fstat: read on in small steps up to the limit.
        if (data.size() >= maxSize) {
          errno = EFBIG;
          return FILE_ERR_TOO_LARGE;
        }
        data.resize(data.size() + READ_STEP);
      }
      const ssize_t n = ::read(fd.Get(), data.data() + have, data.size() - have);
      if (n < 0) {
        if (errno == EINTR) continue;
        return FILE_ERR_IO;
      }
      if (n == 0) break;
      have += static_cast<std::size_t>(n);
    }
    data.resize(have);
    bytes = std::move(data);
    return FILE_OK;
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return FILE_ERR_NO_MEMORY;
  }
}

FileResult RemoveFileDurably(const std::string& path) {
  try {
    if (::unlink(path.c_str()) != 0) return errno == ENOENT ? FILE_ERR_NOT_FOUND : FILE_ERR_IO;
    return SyncFolder(FolderOf(path)) ? FILE_OK : FILE_ERR_FOLDER_SYNC;
  } catch (const std::bad_alloc&) {
    return FILE_ERR_NO_MEMORY;
  }
}

}  // namespace Files
