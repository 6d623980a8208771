#pragma once
// CAtomicFileWriter: crash-safe replacement (or creation) of a file.  The new
// content goes to a temporary file in the target's folder; Commit flushes it to
// the disk, renames it over the target (or, for a file that must not exist yet,
// links it under the target's name, which fails rather than replace anything)
// and flushes the folder.  At any moment the target is either the old file or
// the new one, whole; after a failure the old file is untouched and the
// temporary file is gone.
//
//   CAtomicFileWriter out;
//   if (out.Begin(path, {}) == FILE_OK && out.Write(bytes, size) == FILE_OK &&
//       out.Commit() == FILE_OK) ...
//
// Every file operation goes through the current file environment
// (Files::Env()), where a test can make any of them fail.

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "platform/files/FileSystem.h"

class CAtomicFileWriter {
 public:
  enum class Existence {
    ANY,             // replace the target, or create it when missing
    MUST_EXIST,      // the target must be a regular file we may write: it is never created
    MUST_NOT_EXIST,  // the target must not exist: it is never replaced, even by a race
  };
  // newFileMode: 0666 less the process's umask, as for any new file.
  static constexpr int UMASK_MODE = -1;

  struct Options {
    // An existing target's permission bits (and, where the system allows, its
    // owner and group) go to the replacement.
    bool keepExistingMode = true;
    // Permission bits of a file that is created (or of any file when
    // keepExistingMode is off); UMASK_MODE for the usual mode of a new file.
    int newFileMode = UMASK_MODE;
    Existence existence = Existence::ANY;
  };

  CAtomicFileWriter() = default;
  // Aborts an uncommitted file.
  ~CAtomicFileWriter();
  CAtomicFileWriter(const CAtomicFileWriter&) = delete;
  CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

  // Aborts any earlier file, checks the target against the options and makes
  // the temporary file.  FILE_OK, FILE_ERR_NOT_FOUND (MUST_EXIST, no file),
  // FILE_ERR_IO (MUST_EXIST, not a regular file we may write), FILE_ERR_EXISTS
  // (MUST_NOT_EXIST, something has the name), FILE_ERR_CREATE or
  // FILE_ERR_NO_MEMORY.
  Files::FileResult Begin(const std::string& target, const Options& options);
  // Appends bytes to the temporary file.  FILE_OK or FILE_ERR_WRITE (nothing
  // begun, or the write failed); a failed write leaves the file open for Abort.
  Files::FileResult Write(const void* bytes, std::size_t size);
  // Flushes the temporary file's data to the disk and keeps it open, so that a
  // caller can learn that the new content is safely written (a full disk
  // shows here) before it changes anything else, and put it in place later
  // with Commit.  FILE_OK, or FILE_ERR_FLUSH (the file aborted).
  Files::FileResult Flush();
  // Flushes, closes and puts the temporary file in place, then flushes the
  // folder.  FILE_OK; FILE_ERR_FLUSH, FILE_ERR_CLOSE or FILE_ERR_PLACE (the
  // target untouched, the temporary file removed); FILE_ERR_EXISTS
  // (MUST_NOT_EXIST, the name was taken meanwhile); FILE_ERR_FOLDER_SYNC (the
  // new file is in place, its folder could not be flushed).  Ends the file in
  // every case.
  Files::FileResult Commit();
  // Closes and removes the temporary file; the target stays as it was.
  void Abort();

  bool IsOpen() const { return m_fd >= 0; }
  // The temporary file's descriptor, -1 when none is open.
  int Descriptor() const { return m_fd; }
  const std::string& Target() const { return m_target; }
  const std::string& TemporaryPath() const { return m_temporary; }
  // The errno of the last failure (0 when it had none), for messages.
  int SystemError() const { return m_error; }

 private:
  Files::FileResult Fail(Files::FileResult result);
  void RemoveTemporary();

  int m_fd = -1;
  std::string m_target;
  std::string m_folder;
  std::string m_temporary;
  Existence m_existence = Existence::ANY;
  int m_error = 0;
};
