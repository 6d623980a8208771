#include "handheld/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>

#include "handheld/HandheldResult.h"

using namespace HandheldResult;

namespace FileIo {

namespace {

class CFd {
 public:
  explicit CFd(int fd) : m_fd(fd) {}
  ~CFd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CFd(const CFd&) = delete;
  CFd& operator=(const CFd&) = delete;
  int Get() const { return m_fd; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

int ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
  try {
    CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) return errno == ENOENT || errno == ENOTDIR ? HH_ERR_NOT_FOUND : HH_ERR_IO;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return HH_ERR_IO;
    if (!S_ISREG(st.st_mode)) return HH_ERR_IO;
    if (static_cast<std::uintmax_t>(st.st_size) > MAX_FILE_SIZE) return HH_ERR_TOO_LARGE;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    while (true) {
      if (have == data.size()) {
        // The file may have grown since fstat; read on in small steps up to the limit.
        if (data.size() >= MAX_FILE_SIZE) return HH_ERR_TOO_LARGE;
        data.resize(data.size() + 4096);
      }
      const ssize_t n = ::read(fd.Get(), data.data() + have, data.size() - have);
      if (n < 0) {
        if (errno == EINTR) continue;
        return HH_ERR_IO;
      }
      if (n == 0) break;
      have += static_cast<std::size_t>(n);
    }
    data.resize(have);
    bytes = std::move(data);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int SyncFolder(const std::filesystem::path& folder) {
  CFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0) return HH_ERR_IO;
  return ::fsync(fd.Get()) == 0 ? HH_OK : HH_ERR_IO;
}

int WriteFileAtomically(const std::filesystem::path& path, const std::uint8_t* bytes, std::size_t size) {
  try {
    const std::filesystem::path folder = FolderOf(path);
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    CFd fd(::mkstemp(pattern.data()));
    if (fd.Get() < 0) return HH_ERR_IO;
    const std::string temporary = pattern;
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0600;
    const bool ok = ::fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), bytes, size) && ::fsync(fd.Get()) == 0;
    const int closed = ::close(fd.Release());
    if (!ok || closed != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
      ::unlink(temporary.c_str());
      return HH_ERR_IO;
    }
    return SyncFolder(folder);
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int RemoveFileDurably(const std::filesystem::path& path) {
  try {
    if (::unlink(path.c_str()) != 0) return errno == ENOENT ? HH_ERR_NOT_FOUND : HH_ERR_IO;
    return SyncFolder(FolderOf(path));
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

}  // namespace FileIo
