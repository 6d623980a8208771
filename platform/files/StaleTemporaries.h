#pragma once
// Clearing away what killed writers left behind.  CAtomicFileWriter writes a
// new file under a temporary name beside its target, ".<target name>.XXXXXX"
// (six letters or digits), and removes it itself on every failure it sees; a
// writer killed part-way leaves it.  The next writer that holds the target's
// lock (platform/files/FileLock.h), and so knows that no other writer is busy
// with it, removes such files.  Only names of exactly that form are touched:
// never the target, its lock file or any other file.

#include <functional>
#include <string>
#include <string_view>

namespace Files {

// True when `entry` (a file name without folder) is a temporary name of a
// target called `target`.
bool IsTemporaryNameOf(std::string_view entry, std::string_view target);

// Removes the temporary files of `targetPath` from its folder.  Returns how
// many were removed; a file that cannot be removed is left (and not counted).
int RemoveStaleTemporaries(const std::string& targetPath);

// Removes from `folder` the temporary files of every target whose name
// `isTarget` accepts (for the archives of a folder, say).
int RemoveStaleTemporaries(const std::string& folder,
                           const std::function<bool(std::string_view targetName)>& isTarget);

}  // namespace Files
