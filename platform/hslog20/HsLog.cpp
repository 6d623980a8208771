// The HotSync log: entries of the current HotSync are counted and kept in
// memory; when the host has chosen a log file each entry is also appended to
// it as one line, written at once on a descriptor opened with O_APPEND, so an
// interrupted HotSync never leaves half an entry in the middle of another one.
//
// The file is only ever appended to, never replaced: what it held before an
// append stays as it was whatever happens to the append.  An append that fails
// (a full disk) may leave the start of its line at the end; the next entry
// then begins on a line of its own, so that the broken piece never swallows a
// whole entry.

#include "platform/hslog20/HsLog.h"

#include <fcntl.h>

#include <cerrno>
#include <ctime>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/files/FileEnv.h"

namespace {

struct LogState {
  std::mutex mutex;
  std::string path;
  std::int32_t count = 0;
  std::vector<HsLogEntry> entries;
  // The file may end inside a line (the first entry of a HotSync, or the one
  // after a failed append): look before appending.
  bool checkTail = true;
};

LogState& State() {
  static LogState state;
  return state;
}

std::string LocalTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32] = "";
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  }
  return text;
}

// Appends the line (after a line end when `checkTail` finds the file ending
// inside a line).  `checkTail` becomes true when a failed write may have
// left part of the line behind.
bool AppendLine(const std::string& path, std::string line, bool& checkTail) {
  IFileEnv& env = Files::Env();
  const int fd = env.Open(path, O_RDWR | O_APPEND | O_CREAT, 0600);
  if (fd < 0) return false;
  SFileStatus before;
  bool known = env.StatOpen(fd, before);
  if (checkTail && !known) {
    // Cannot look: a line end too many costs less than an entry lost in a piece.
    line.insert(line.begin(), '\n');
  } else if (checkTail && before.size > 0) {
    char last = '\n';
    if (env.ReadAt(fd, &last, 1, before.size - 1) != 1) {
      (void)env.Close(fd);
      return false;
    }
    if (last != '\n') line.insert(line.begin(), '\n');
  }
  bool ok = env.Write(fd, line.data(), line.size());
  if (ok) {
    checkTail = false;
  } else {
    SFileStatus after;
    checkTail = !known || !env.StatOpen(fd, after) || after.size != before.size;
  }
  if (!env.Close(fd)) ok = false;
  return ok;
}

}  // namespace

extern "C" std::int32_t LogAddEntry(const char* text, std::int32_t activity, std::int32_t /*reserved*/) {
  try {
    std::string oneLine = text != nullptr ? text : "";
    for (char& c : oneLine) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    LogState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    // The HotSync's own markers (entries without text, which open every
    // conduit's turn) are not reports: counting them would keep a conduit from
    // ever writing its header line before its first report.
    if (!oneLine.empty() && state.count < INT16_MAX) ++state.count;
    state.entries.push_back(HsLogEntry{oneLine, activity});
    if (state.path.empty()) return 0;
    std::string line = LocalTimeStamp() + '\t' + std::to_string(activity) + '\t' + oneLine + '\n';
    return AppendLine(state.path, std::move(line), state.checkTail) ? 0 : -1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

extern "C" std::int16_t LogTestHeader() {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return static_cast<std::int16_t>(state.count);
}

extern "C" void LogSetFile(const char* path) {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  try {
    state.path = path != nullptr ? path : "";
  } catch (const std::bad_alloc&) {
    state.path.clear();
  }
  state.checkTail = true;
  state.count = 0;
  state.entries.clear();
}

extern "C" void LogReset() {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.path.clear();
  state.count = 0;
  state.entries.clear();
}

std::vector<HsLogEntry> LogEntries() {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.entries;
}
