#include "platform/files/FileSystem.h"

#include <fcntl.h>

#include <cerrno>
#include <new>

#include "platform/files/FileEnv.h"

namespace Files {

namespace {

// Closes a descriptor when it goes out of scope, keeping errno for the caller.
class CDescriptor {
 public:
  explicit CDescriptor(int fd) : m_fd(fd) {}
  ~CDescriptor() {
    if (m_fd < 0) return;
    const int error = errno;
    (void)Env().Close(m_fd);
    errno = error;
  }
  CDescriptor(const CDescriptor&) = delete;
  CDescriptor& operator=(const CDescriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
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

bool WriteAll(int fd, const void* bytes, std::size_t size) { return Env().Write(fd, bytes, size); }

bool FlushFile(int fd) { return Env().Sync(fd); }

bool RenameOver(const std::string& from, const std::string& to) {
  return Env().Rename(from, to);
}

bool SyncFolder(const std::string& folder) { return Env().SyncFolder(folder); }

bool MakeFolders(const std::string& path, unsigned mode) {
  try {
    IFileEnv& env = Env();
    SFileStatus st;
    if (path.empty()) {
      errno = ENOENT;
      return false;
    }
    if (env.Stat(path, st)) {
      if (st.kind == SFileStatus::Kind::FOLDER) return true;
      errno = ENOTDIR;
      return false;
    }
    if (errno != ENOENT) return false;
    std::string parent = path;
    while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
    parent = FolderOf(parent);
    if (parent != "." && parent != "/" && parent != path && !MakeFolders(parent, mode)) return false;
    if (env.MakeFolder(path, mode)) return true;
    // Made by another meanwhile.
    return errno == EEXIST && env.Stat(path, st) && st.kind == SFileStatus::Kind::FOLDER;
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return false;
  }
}

FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uintmax_t maxSize) {
  try {
    // Without blocking, so that a pipe with that name cannot hold the caller;
    // the flag means nothing for the regular files that are read.
    IFileEnv& env = Env();
    CDescriptor fd(env.Open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0) return errno == ENOENT || errno == ENOTDIR ? FILE_ERR_NOT_FOUND : FILE_ERR_IO;
    SFileStatus st;
    if (!env.StatOpen(fd.Get(), st)) return FILE_ERR_IO;
    if (st.kind != SFileStatus::Kind::REGULAR) {
      errno = st.kind == SFileStatus::Kind::FOLDER ? EISDIR : EINVAL;
      return FILE_ERR_IO;
    }
    if (st.size > maxSize) {
      errno = EFBIG;
      return FILE_ERR_TOO_LARGE;
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.size));
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
      const ssize_t n = env.Read(fd.Get(), data.data() + have, data.size() - have);
      if (n < 0) return FILE_ERR_IO;
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
    if (!Env().Remove(path)) return errno == ENOENT ? FILE_ERR_NOT_FOUND : FILE_ERR_IO;
    return SyncFolder(FolderOf(path)) ? FILE_OK : FILE_ERR_FOLDER_SYNC;
  } catch (const std::bad_alloc&) {
    return FILE_ERR_NO_MEMORY;
  }
}

}  // namespace Files
