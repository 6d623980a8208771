#include "support/FaultInjectionEnv.h"

#include <fcntl.h>

namespace {

constexpr const char* NAMES[] = {"open for reading", "open for writing", "read", "write", "sync",
                                 "folder sync", "rename", "link", "remove", "make folder",
                                 "change mode", "lock", "close", "stat", "list"};
static_assert(sizeof NAMES / sizeof NAMES[0] == static_cast<std::size_t>(IFileEnv::Op::COUNT_));

}  // namespace

const char* CFaultInjectionEnv::Name(Op op) {
  const int index = static_cast<int>(op);
  return index >= 0 && index < KINDS ? NAMES[index] : "?";
}

bool CFaultInjectionEnv::IsWriting(Op op) {
  switch (op) {
    case Op::OPEN_WRITE:
    case Op::WRITE:
    case Op::SYNC:
    case Op::SYNC_FOLDER:
    case Op::RENAME:
    case Op::LINK:
    case Op::REMOVE:
    case Op::MAKE_FOLDER:
    case Op::CHANGE_MODE:
    case Op::LOCK:
      return true;
    default:
      return false;
  }
}

std::string CFaultInjectionEnv::SFault::Describe() const {
  return std::string(Name(op)) + (cut ? " cut short" : "") + " #" + std::to_string(n);
}

std::vector<CFaultInjectionEnv::SFault> CFaultInjectionEnv::EachFault(std::initializer_list<Op> kinds) const {
  std::vector<SFault> faults;
  for (Op op : kinds) {
    const int count = Count(op);
    for (int n = 1; n <= count; ++n) faults.push_back({op, n, false});
    if (op == Op::WRITE) {
      for (int n = 1; n <= count; ++n) faults.push_back({op, n, true});
    }
  }
  return faults;
}

void CFaultInjectionEnv::Plan(const SFault& fault, int error) {
  Reset();
  if (fault.cut) {
    CutNthWrite(fault.n, error);
  } else {
    FailNth(fault.op, fault.n, error);
  }
}

void CFaultInjectionEnv::Reset() {
  std::lock_guard<std::mutex> hold(m_mutex);
  m_counts.fill(0);
  m_writing = 0;
  m_injected = 0;
  m_fault = Fault::NONE;
}

void CFaultInjectionEnv::FailNth(Op op, int n, int error, bool persistent) {
  std::lock_guard<std::mutex> hold(m_mutex);
  m_fault = Fault::FAIL;
  m_kind = static_cast<int>(op);
  m_nth = n;
  m_error = error;
  m_persistent = persistent;
}

void CFaultInjectionEnv::FailNthWriting(int n, int error) {
  std::lock_guard<std::mutex> hold(m_mutex);
  m_fault = Fault::FAIL;
  m_kind = -1;
  m_nth = n;
  m_error = error;
  m_persistent = false;
}

void CFaultInjectionEnv::CutNthWrite(int n, int error) {
  std::lock_guard<std::mutex> hold(m_mutex);
  m_fault = Fault::CUT;
  m_kind = static_cast<int>(Op::WRITE);
  m_nth = n;
  m_error = error;
  m_persistent = false;
}

int CFaultInjectionEnv::Count(Op op) const {
  std::lock_guard<std::mutex> hold(m_mutex);
  const int index = static_cast<int>(op);
  return index >= 0 && index < KINDS ? m_counts[static_cast<std::size_t>(index)] : 0;
}

int CFaultInjectionEnv::WritingCount() const {
  std::lock_guard<std::mutex> hold(m_mutex);
  return m_writing;
}

int CFaultInjectionEnv::Injected() const {
  std::lock_guard<std::mutex> hold(m_mutex);
  return m_injected;
}

CFaultInjectionEnv::Fault CFaultInjectionEnv::Next(Op op, int& error) {
  std::lock_guard<std::mutex> hold(m_mutex);
  const int index = static_cast<int>(op);
  const int count = ++m_counts[static_cast<std::size_t>(index)];
  const bool writing = IsWriting(op);
  if (writing) ++m_writing;
  if (m_fault == Fault::NONE) return Fault::NONE;
  bool hit = false;
  if (m_kind < 0) {
    hit = writing && m_writing == m_nth;
  } else if (m_kind == index) {
    hit = m_persistent ? count >= m_nth : count == m_nth;
  }
  if (!hit) return Fault::NONE;
  ++m_injected;
  error = m_error;
  return m_fault;
}

int CFaultInjectionEnv::Open(const std::string& path, int flags, unsigned mode) {
  const bool writing = (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0;
  int error = 0;
  if (Next(writing ? Op::OPEN_WRITE : Op::OPEN_READ, error) != Fault::NONE) {
    errno = error;
    return -1;
  }
  return CPosixFileEnv::Open(path, flags, mode);
}

ssize_t CFaultInjectionEnv::Read(int fd, void* bytes, std::size_t size) {
  int error = 0;
  if (Next(Op::READ, error) != Fault::NONE) {
    errno = error;
    return -1;
  }
  return CPosixFileEnv::Read(fd, bytes, size);
}

ssize_t CFaultInjectionEnv::ReadAt(int fd, void* bytes, std::size_t size, std::uint64_t offset) {
  if (Faulted(Op::READ)) return -1;
  return CPosixFileEnv::ReadAt(fd, bytes, size, offset);
}

bool CFaultInjectionEnv::Write(int fd, const void* bytes, std::size_t size) {
  int error = 0;
  switch (Next(Op::WRITE, error)) {
    case Fault::NONE:
      return CPosixFileEnv::Write(fd, bytes, size);
    case Fault::CUT:
      // Part of the bytes reach the file before the disk fills up.
      if (size > 1) (void)CPosixFileEnv::Write(fd, bytes, size / 2);
      break;
    case Fault::FAIL:
      break;
  }
  errno = error;
  return false;
}

bool CFaultInjectionEnv::Faulted(Op op) {
  int error = 0;
  if (Next(op, error) == Fault::NONE) return false;
  errno = error;
  return true;
}

bool CFaultInjectionEnv::Sync(int fd) {
  if (Faulted(Op::SYNC)) return false;
  return CPosixFileEnv::Sync(fd);
}

bool CFaultInjectionEnv::SyncFolder(const std::string& folder) {
  if (Faulted(Op::SYNC_FOLDER)) return false;
  return CPosixFileEnv::SyncFolder(folder);
}

bool CFaultInjectionEnv::Close(int fd) {
  int error = 0;
  if (Next(Op::CLOSE, error) != Fault::NONE) {
    // The descriptor goes all the same, as after a failed close(2).
    (void)CPosixFileEnv::Close(fd);
    errno = error;
    return false;
  }
  return CPosixFileEnv::Close(fd);
}

bool CFaultInjectionEnv::Rename(const std::string& from, const std::string& to) {
  if (Faulted(Op::RENAME)) return false;
  return CPosixFileEnv::Rename(from, to);
}

bool CFaultInjectionEnv::Link(const std::string& from, const std::string& to) {
  if (Faulted(Op::LINK)) return false;
  return CPosixFileEnv::Link(from, to);
}

bool CFaultInjectionEnv::Remove(const std::string& path) {
  if (Faulted(Op::REMOVE)) return false;
  return CPosixFileEnv::Remove(path);
}

bool CFaultInjectionEnv::MakeFolder(const std::string& path, unsigned mode) {
  if (Faulted(Op::MAKE_FOLDER)) return false;
  return CPosixFileEnv::MakeFolder(path, mode);
}

bool CFaultInjectionEnv::ChangeMode(int fd, unsigned mode) {
  if (Faulted(Op::CHANGE_MODE)) return false;
  return CPosixFileEnv::ChangeMode(fd, mode);
}

bool CFaultInjectionEnv::ChangeOwner(int fd, uid_t owner, gid_t group) {
  if (Faulted(Op::CHANGE_MODE)) return false;
  return CPosixFileEnv::ChangeOwner(fd, owner, group);
}

bool CFaultInjectionEnv::Stat(const std::string& path, SFileStatus& status, bool followLinks) {
  if (Faulted(Op::STAT)) return false;
  return CPosixFileEnv::Stat(path, status, followLinks);
}

bool CFaultInjectionEnv::StatOpen(int fd, SFileStatus& status) {
  if (Faulted(Op::STAT)) return false;
  return CPosixFileEnv::StatOpen(fd, status);
}

bool CFaultInjectionEnv::List(const std::string& folder, std::vector<std::string>& names) {
  if (Faulted(Op::LIST)) return false;
  return CPosixFileEnv::List(folder, names);
}

bool CFaultInjectionEnv::Lock(int fd, bool wait) {
  if (Faulted(Op::LOCK)) return false;
  return CPosixFileEnv::Lock(fd, wait);
}
