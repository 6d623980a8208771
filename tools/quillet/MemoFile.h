#pragma once
// A memo record file opened for one command: checks that the file can be opened,
// loads it through the memo database, asks for the password when the memos are
// protected, and saves the changes.  Every problem is reported on one line of
// standard error and turned into the tool's exit status.
//
// A command that changes the file holds the file's writers' lock (shared with
// HotSyncs and other quillet commands) from before it reads the file until
// after it has written it, so that no other writer's change is lost between
// the two.  Commands that only read take no lock: writers replace the file
// whole.

#include <iosfwd>
#include <string>

#include "platform/files/FileLock.h"
#include "store/MemoDatabase.h"

class CPasswordSource;

class CMemoFile {
 public:
  // The help text of a command's FILE argument.
  static constexpr const char* FILE_HELP = "the memo record file (record.dat)";
  // Wrong passwords accepted at the prompt before giving up.
  static constexpr int PROMPT_ATTEMPTS = 3;

  // commandPath prefixes every message ("quillet list").
  explicit CMemoFile(std::string commandPath);

  // Loads the file; forWriting opens it for reading and writing so that Save can
  // follow, and takes its lock first (Lock).  Returns an ExitStatus value: OK,
  // CANNOT_OPEN, PASSWORD or DAMAGED.
  int Open(const std::string& path, bool forWriting, const CPasswordSource& passwords,
           std::ostream& err);
  // Writes the database back; OK or CANNOT_OPEN.  On failure the file is as it was.
  int Save(std::ostream& err);

  CMemoDatabase& Database() { return m_database; }
  const std::string& Path() const { return m_path; }

  // Takes the writers' lock of the file at path for the life of this object,
  // waiting a short while for another writer, and then removes the temporary
  // files that killed writers left beside it.  OK, or CANNOT_OPEN when the
  // file stays in use or cannot be locked.
  int Lock(const std::string& path, std::ostream& err);

  // Prints "<command>: <message>" on err and returns status.
  int Fail(std::ostream& err, int status, const std::string& message) const;

 private:
  std::string m_commandPath;
  std::string m_path;
  CMemoDatabase m_database;
  CFileLock m_lock;
};
