#pragma once
// CFaultInjectionEnv: a file environment for tests that does what the system
// does (CPosixFileEnv), counts every operation by kind, and on demand makes
// one of them fail as a failing disk would: the n-th operation of a kind, or
// the n-th of any kind that changes the disk, fails with a chosen errno, or the
// n-th write is cut short (a prefix reaches the file, then it fails, as on a
// full disk).  A test runs an operation once clean to learn how many
// operations of a kind it makes, then fails each in turn:
//
//   CFaultInjectionEnv faults;
//   CScopedFileEnv use(faults);
//   Save();
//   const int writes = faults.Count(IFileEnv::Op::WRITE);
//   for (int n = 1; n <= writes; ++n) {
//     RestoreFiles();
//     faults.Reset();
//     faults.FailNth(IFileEnv::Op::WRITE, n, ENOSPC);
//     EXPECT_NE(Save(), OK);
//     ... the files hold the old or the new content, whole ...
//   }

#include <array>
#include <cerrno>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files/PosixFileEnv.h"

class CFaultInjectionEnv : public CPosixFileEnv {
 public:
  using Op = IFileEnv::Op;

  // One fault: the n-th operation of a kind fails, or with `cut` the n-th
  // write is cut short.
  struct SFault {
    Op op;
    int n;
    bool cut;
    std::string Describe() const;
  };

  // The name of a kind, for test messages.
  static const char* Name(Op op);
  // True for the kinds that change what is on the disk (opening for writing,
  // writing, flushing, renaming, linking, removing, making folders, changing
  // modes, locking).
  static bool IsWriting(Op op);

  // Forgets the counts and any planned fault.
  void Reset();
  // The n-th (from 1, counted since Reset) operation of `op` fails with `error`;
  // with `persistent`, every later one of that kind fails as well.
  void FailNth(Op op, int n, int error = EIO, bool persistent = false);
  // The n-th operation of any writing kind fails with `error`.
  void FailNthWriting(int n, int error = EIO);
  // The n-th write puts only the first half of its bytes (at least one less
  // than all) into the file, then fails with `error`.
  void CutNthWrite(int n, int error = ENOSPC);

  // Every fault that the operations counted since Reset allow, of the kinds
  // given: each operation failed in turn, and for WRITE each write cut short
  // as well.  Run the operation once clean, then try each of these.
  std::vector<SFault> EachFault(std::initializer_list<Op> kinds) const;
  // Reset, then plan `fault` (failing with `error`).
  void Plan(const SFault& fault, int error = EIO);

  // Operations of a kind since Reset, and of all writing kinds together.
  int Count(Op op) const;
  int WritingCount() const;
  // How many faults were injected since Reset.
  int Injected() const;

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

 private:
  enum class Fault { NONE, FAIL, CUT };
  static constexpr int KINDS = static_cast<int>(Op::COUNT_);

  // Counts the operation; the fault it is to suffer (errno in `error`).
  Fault Next(Op op, int& error);
  // Counts the operation; true (errno set) when it is to fail.
  bool Faulted(Op op);

  mutable std::mutex m_mutex;
  std::array<int, KINDS> m_counts{};
  int m_writing = 0;
  int m_injected = 0;
  // The planned fault: of one kind (m_kind >= 0) or of any writing kind (m_kind < 0).
  Fault m_fault = Fault::NONE;
  int m_kind = 0;
  int m_nth = 0;
  int m_error = 0;
  bool m_persistent = false;
};
