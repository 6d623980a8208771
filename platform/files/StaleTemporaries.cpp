#include "platform/files/StaleTemporaries.h"

#include <new>
#include <vector>

#include "platform/files/FileEnv.h"
#include "platform/files/FileSystem.h"

namespace Files {

namespace {

// The length of the unique part of a temporary name, and its characters.
constexpr std::size_t SUFFIX_LENGTH = 6;

bool IsSuffixCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The target name within a temporary name, or empty when `entry` is not one.
std::string_view TargetOf(std::string_view entry) {
  // "." + at least one character + "." + the suffix.
  if (entry.size() < 1 + 1 + 1 + SUFFIX_LENGTH || entry.front() != '.') return {};
  const std::size_t dot = entry.size() - SUFFIX_LENGTH - 1;
  if (entry[dot] != '.') return {};
  for (char c : entry.substr(dot + 1)) {
    if (!IsSuffixCharacter(c)) return {};
  }
  return entry.substr(1, dot - 1);
}

}  // namespace

bool IsTemporaryNameOf(std::string_view entry, std::string_view target) {
  const std::string_view named = TargetOf(entry);
  return !named.empty() && named == target;
}

int RemoveStaleTemporaries(const std::string& targetPath) {
  const std::size_t slash = targetPath.find_last_of('/');
  const std::string_view name = std::string_view(targetPath).substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.empty()) return 0;
  try {
    const std::string target(name);
    return RemoveStaleTemporaries(FolderOf(targetPath),
                                  [&target](std::string_view candidate) { return candidate == target; });
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int RemoveStaleTemporaries(const std::string& folder,
                           const std::function<bool(std::string_view targetName)>& isTarget) {
  IFileEnv& env = Env();
  int removed = 0;
  try {
    std::vector<std::string> entries;
    if (!env.List(folder, entries)) return 0;
    const std::string prefix = folder == "/" ? folder : folder + "/";
    for (const std::string& entry : entries) {
      const std::string_view target = TargetOf(entry);
      if (target.empty() || !isTarget(target)) continue;
      // Only plain files: a folder or a link with such a name is not ours.
      const std::string path = prefix + entry;
      SFileStatus st;
      if (!env.Stat(path, st, false) || st.kind != SFileStatus::Kind::REGULAR) continue;
      if (env.Remove(path)) ++removed;
    }
  } catch (const std::bad_alloc&) {
  }
  if (removed > 0) (void)SyncFolder(folder);
  return removed;
}

}  // namespace Files
