// The HotSync log: entries of the current HotSync are counted and kept in
// memory; when the host has chosen a log file each entry is also appended to
// it as one line, with a single write() on a descriptor opened with O_APPEND,
// so an interrupted HotSync never leaves half an entry in the middle of
// another one.

#include "platform/hslog20/HsLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

struct LogState {
  std::mutex mutex;
  std::string path;
  std::int32_t count = 0;
  std::vector<HsLogEntry> entries;
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

// Writes the whole line with one write(); retries only when interrupted.
bool AppendLine(const std::string& path, const std::string& line) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ssize_t written;
  do {
    written = ::write(fd, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  bool ok = written == static_cast<ssize_t>(line.size());
  if (::close(fd) != 0) ok = false;
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
    return AppendLine(state.path, line) ? 0 : -1;
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
