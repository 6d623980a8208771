#pragma once
// IFileEnv: the one door through which the project's file operations reach the
// operating system.  Every reader and writer of user files (the memo file, the
// desktop record files, archives and backups, the registry, the HotSync log,
// the viewer's preferences, the handheld's files) calls Files::Env() instead of
// the system, so that a test can put an environment of its own in place
// (CScopedFileEnv) and make any single operation fail, or cut a write short,
// and then check that the user's files are still whole.
//
// The calls follow POSIX: a descriptor is an int, a failure returns -1 or
// false and leaves the reason in errno.  Interrupted calls are resumed inside
// the environment, never by its callers.  Nothing here throws.
//
// Standard library and POSIX only.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What Stat and StatOpen tell about a file.
struct SFileStatus {
  enum class Kind { REGULAR, FOLDER, OTHER };
  Kind kind = Kind::OTHER;
  std::uint64_t size = 0;
  unsigned mode = 0;  // the permission bits (07777)
  uid_t owner = 0;
  gid_t group = 0;
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t modifiedSeconds = 0;  // the last change of the content, seconds since 1970
};

class IFileEnv {
 public:
  // Kinds of operations, as a test double counts them.
  enum class Op : int {
    OPEN_READ,   // Open for reading only, without O_CREAT
    OPEN_WRITE,  // Open for writing, or with O_CREAT
    READ,  // Read and ReadAt
    WRITE,
    SYNC,         // Sync of a file
    SYNC_FOLDER,  // SyncFolder
    RENAME,
    LINK,
    REMOVE,
    MAKE_FOLDER,
    CHANGE_MODE,  // ChangeMode and ChangeOwner
    LOCK,
    CLOSE,
    STAT,  // Stat and StatOpen
    LIST,
    COUNT_  // the number of kinds, not a kind
  };

  virtual ~IFileEnv() = default;

  // open(2): `flags` are O_ flags (O_CLOEXEC is always added), `mode` the
  // permission bits of a created file (less the umask).  A descriptor, or -1.
  virtual int Open(const std::string& path, int flags, unsigned mode = 0666) = 0;
  // Reads up to `size` bytes: how many were read (0 at the end of the file), or -1.
  virtual ssize_t Read(int fd, void* bytes, std::size_t size) = 0;
  // Reads up to `size` bytes from `offset` without moving the file position (pread).
  virtual ssize_t ReadAt(int fd, void* bytes, std::size_t size, std::uint64_t offset) = 0;
  // Writes all `size` bytes, or fails (some of them may have been written).
  virtual bool Write(int fd, const void* bytes, std::size_t size) = 0;
  // Flushes an open file's data to the disk (fsync).
  virtual bool Sync(int fd) = 0;
  // Flushes a folder's entries (a rename, a link, a removal) to the disk.
  virtual bool SyncFolder(const std::string& folder) = 0;
  // Closes a descriptor; it is gone even when this fails.
  virtual bool Close(int fd) = 0;
  // Renames `from` over `to` in one step.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Gives the file `from` the further name `to`; fails with EEXIST when `to` exists.
  virtual bool Link(const std::string& from, const std::string& to) = 0;
  // Removes a file's name (unlink).
  virtual bool Remove(const std::string& path) = 0;
  // Makes one folder (mkdir); EEXIST when something has its name.
  virtual bool MakeFolder(const std::string& path, unsigned mode = 0777) = 0;
  // fchmod and fchown of an open file.
  virtual bool ChangeMode(int fd, unsigned mode) = 0;
  virtual bool ChangeOwner(int fd, uid_t owner, gid_t group) = 0;
  // stat(2), or lstat(2) when `followLinks` is false.
  virtual bool Stat(const std::string& path, SFileStatus& status, bool followLinks = true) = 0;
  // fstat(2).
  virtual bool StatOpen(int fd, SFileStatus& status) = 0;
  // The names in a folder, without "." and "..", in no particular order.
  virtual bool List(const std::string& folder, std::vector<std::string>& names) = 0;
  // flock(2) LOCK_EX on an open file: with `wait` it waits for other holders,
  // without it fails at once with EWOULDBLOCK while another holds it.  The
  // lock goes when the open file's last descriptor is closed.
  virtual bool Lock(int fd, bool wait) = 0;
};

namespace Files {

// The process's current environment: a CPosixFileEnv unless a CScopedFileEnv
// has put another in place.
IFileEnv& Env();

// Puts `env` in place (nullptr for the default) and returns the one it
// replaces; CScopedFileEnv is the usual way.
IFileEnv* SetEnv(IFileEnv* env);

}  // namespace Files
