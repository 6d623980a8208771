#pragma once
// CPosixFileEnv: the file environment of a running program, each call the
// system's own (see platform/files/FileEnv.h).

#include "platform/files/FileEnv.h"

class CPosixFileEnv : public IFileEnv {
 public:
  int Open(const std::string& path, int flags, unsigned mode = 0666) override;
  ssize_t Read(int fd, void* bytes, std::size_t size) override;
  ssize_t ReadAt(int fd, void* bytes, std::size_t size, std::uint64_t offset) override;
  bool Write(int fd, const void* bytes, std::size_t size) override;
  bool Sync(int fd) override;
  bool SyncFolder(const std::string& folder) override;
  bool Close(int fd) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Link(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  bool MakeFolder(const std::string& path, unsigned mode = 0777) override;
  bool ChangeMode(int fd, unsigned mode) override;
  bool ChangeOwner(int fd, uid_t owner, gid_t group) override;
  bool Stat(const std::string& path, SFileStatus& status, bool followLinks = true) override;
  bool StatOpen(int fd, SFileStatus& status) override;
  bool List(const std::string& folder, std::vector<std::string>& names) override;
  bool Lock(int fd, bool wait) override;
};
