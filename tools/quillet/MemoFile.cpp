#include "tools/quillet/MemoFile.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "platform/files/FileEnv.h"
#include "platform/files/StaleTemporaries.h"
#include "store/SecretString.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/ToolText.h"

CMemoFile::CMemoFile(std::string commandPath) : m_commandPath(std::move(commandPath)) {}

int CMemoFile::Fail(std::ostream& err, int status, const std::string& message) const {
  err << m_commandPath << ": " << message << "\n";
  return status;
}

int CMemoFile::Open(const std::string& path, bool forWriting, const CPasswordSource& passwords,
                    std::ostream& err) {
  m_path = path;
  // The database answers "cannot open" both for a file it cannot open and for
  // one whose content is damaged.  Opening the file here first tells the two
  // apart: if this succeeds, a failing load means damaged content.  It does
  // not wait: a named pipe or a device is refused below instead of blocking.
  IFileEnv& env = Files::Env();
  const int fd = env.Open(path, (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return Fail(err, ExitStatus::CANNOT_OPEN,
                "cannot open " + path + ": " + std::strerror(errno));
  }
  SFileStatus status;
  const bool regular = env.StatOpen(fd, status) && status.kind == SFileStatus::Kind::REGULAR;
  env.Close(fd);
  if (!regular) return Fail(err, ExitStatus::CANNOT_OPEN, "cannot open " + path + ": not a file");
  if (forWriting) {
    if (const int s = Lock(path, err); s != ExitStatus::OK) return s;
  }

  const int mode = forWriting ? RDB_OPEN_READ_WRITE : RDB_OPEN_READ_ONLY;
  int result = m_database.Load(path, mode, nullptr);
  if (result == RDB_BAD_PASSWORD) {
    const std::string hint = AnsiToVisible(m_database.PasswordHint());
    const std::string prompt =
        "Password for " + path + (hint.empty() ? std::string() : " (hint: " + hint + ")") + ": ";
    const int attempts = passwords.IsInteractive() ? PROMPT_ATTEMPTS : 1;
    for (int attempt = 1; attempt <= attempts && result == RDB_BAD_PASSWORD; ++attempt) {
      CSecretString password;
      std::string error;
      switch (passwords.Get(prompt, password, error)) {
        case CPasswordSource::PW_OK:
          break;
        case CPasswordSource::PW_NO_SOURCE:
          return Fail(err, ExitStatus::PASSWORD, path + " is protected by a password: " + error);
        case CPasswordSource::PW_FAILED:
        case CPasswordSource::PW_CANCELLED:
          return Fail(err, ExitStatus::PASSWORD, error);
      }
      result = m_database.Load(path, mode, password.c_str());
      password.Clear();
      if (result == RDB_BAD_PASSWORD && attempt < attempts) {
        err << m_commandPath << ": wrong password, try again\n";
      }
    }
    if (result == RDB_BAD_PASSWORD) {
      return Fail(err, ExitStatus::PASSWORD, "wrong password for " + path);
    }
  }
  if (result != RDB_OK) {
    return Fail(err, ExitStatus::DAMAGED, path + " is damaged: it is not a valid memo record file");
  }
  return ExitStatus::OK;
}

int CMemoFile::Lock(const std::string& path, std::ostream& err) {
  switch (m_lock.Acquire(path)) {
    case CFileLock::LOCK_OK:
      Files::RemoveStaleTemporaries(path);
      return ExitStatus::OK;
    case CFileLock::LOCK_BUSY:
      return Fail(err, ExitStatus::CANNOT_OPEN,
                  path + " is in use by another program (a HotSync or another quillet command); "
                         "it was left as it was: try again when that program has finished");
    case CFileLock::LOCK_FAILED:
      break;
  }
  return Fail(err, ExitStatus::CANNOT_OPEN,
              "cannot open " + path + " for writing: cannot lock it (" + m_lock.LockPath() +
                  "): " + std::strerror(m_lock.SystemError()));
}

int CMemoFile::Save(std::ostream& err) {
  if (m_database.Save() != RDB_OK) {
    return Fail(err, ExitStatus::CANNOT_OPEN,
                "cannot write " + m_path + "; the file was left as it was");
  }
  return ExitStatus::OK;
}
