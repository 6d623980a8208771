#pragma once
// File helpers of the simulated handheld: whole-file reads and crash-safe
// replacement of a file (temporary file in the same folder, fsync, rename over
// the original keeping its permissions, fsync of the folder).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace FileIo {

// Largest file the handheld reads whole: far above any Palm database.
inline constexpr std::uintmax_t MAX_FILE_SIZE = 512u * 1024u * 1024u;

// HH_OK, HH_ERR_NOT_FOUND, HH_ERR_IO, HH_ERR_TOO_LARGE or HH_ERR_NO_MEMORY.
int ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);
// Replaces (or creates) the file with exactly these bytes, crash-safely.  A new
// file is readable and writable by its owner only.
int WriteFileAtomically(const std::filesystem::path& path, const std::uint8_t* bytes, std::size_t size);
// Removes a file and makes the removal durable.  HH_ERR_NOT_FOUND when absent.
int RemoveFileDurably(const std::filesystem::path& path);
// Flushes a folder's entries to disk.
int SyncFolder(const std::filesystem::path& folder);

}  // namespace FileIo
