#pragma once
// Plain file helpers shared by every part that reads or writes files: whole
// writes and reads, flushing a file or a folder to the disk, durable removal.
// Each goes through the current file environment (Files::Env(), FileEnv.h).
// Standard library and POSIX file calls only.  Nothing here throws.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Files {

// Results of the file helpers and of CAtomicFileWriter.  Each caller maps them
// to its own result codes; the errno of a failure is kept where one applies.
enum FileResult : int {
  FILE_OK = 0,
  FILE_ERR_NOT_FOUND,    // the file does not exist
  FILE_ERR_EXISTS,       // a file that must not exist is there
  FILE_ERR_IO,           // cannot be opened, read or removed, or is not a regular file
  FILE_ERR_TOO_LARGE,    // larger than the caller's limit
  FILE_ERR_NO_MEMORY,
  FILE_ERR_CREATE,       // no temporary file could be made beside the target
  FILE_ERR_WRITE,        // writing the temporary file failed
  FILE_ERR_FLUSH,        // flushing the temporary file to the disk failed
  FILE_ERR_CLOSE,        // closing the temporary file failed
  FILE_ERR_PLACE,        // renaming (or linking) the temporary file onto the target failed
  FILE_ERR_FOLDER_SYNC,  // the file is in place, but its folder could not be flushed
};

// The folder part of a path: "." when the path has none, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// Writes all `size` bytes, resuming after interruptions.  False (errno set) on failure.
bool WriteAll(int fd, const void* bytes, std::size_t size);

// Flushes an open file's data to the disk (fsync).
bool FlushFile(int fd);

// Renames `from` over `to` (one atomic step on the same file system).
bool RenameOver(const std::string& from, const std::string& to);

// Flushes a folder's entries (a rename, a link, a removal) to the disk.
bool SyncFolder(const std::string& folder);

// Makes a folder and any missing folders above it.  True when it exists as a
// folder afterwards; false (errno set) otherwise.
bool MakeFolders(const std::string& path, unsigned mode = 0777);

// Reads a whole regular file.  FILE_OK, FILE_ERR_NOT_FOUND (no such file or
// folder), FILE_ERR_IO, FILE_ERR_TOO_LARGE (more than `maxSize` bytes) or
// FILE_ERR_NO_MEMORY; errno tells why after a failure.  `bytes` is changed only
// on success.
FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::uintmax_t maxSize = std::numeric_limits<std::uintmax_t>::max());

// Removes a file and flushes its folder.  FILE_OK, FILE_ERR_NOT_FOUND,
// FILE_ERR_IO, or FILE_ERR_FOLDER_SYNC (removed, folder not flushed).
FileResult RemoveFileDurably(const std::string& path);

}  // namespace Files
