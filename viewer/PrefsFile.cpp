// Preferences files: open (created when missing, never truncated), read the
// fields from the start, write them back over the start.

#include "viewer/PrefsFile.h"

#include <fcntl.h>

#include <algorithm>

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileEnv.h"
#include "platform/files/FileSystem.h"

namespace {

// A preferences file is a few bytes; anything beyond this is not one.
constexpr std::uintmax_t MAX_FILE_SIZE = 1u << 20;

}  // namespace

CPrefsFile::~CPrefsFile() = default;

bool CPrefsFile::ReadFile() {
  content.clear();
  offset = 0;
  IFileEnv& env = Files::Env();
  const int flags = O_RDWR | O_NONBLOCK | O_NOCTTY | ((openMode & PREFS_MODE_CREATE) != 0 ? O_CREAT : 0);
  const int fd = env.Open(path, flags, 0666);
  if (fd < 0) return false;
  (void)env.Close(fd);
  return Files::ReadWholeFile(path, content, MAX_FILE_SIZE) == Files::FILE_OK;
}

int CPrefsFile::Open(const std::string& filePath, int mode) {
  std::string keptPath = path;
  int keptMode = openMode;
  path = filePath;
  openMode = mode;
  if (!ReadFile()) {
    path = keptPath;
    openMode = keptMode;
    return -1;
  }
  ReadFields();
  content.clear();
  return 0;
}

// The viewer's window saves its preferences: memory running out while the
// fields are written ends the process, as it does in the window itself; the
// file on disk is replaced whole or not at all.
int CPrefsFile::Save() {
  if (!ReadFile()) return -1;
  WriteFields();
  CAtomicFileWriter out;
  Files::FileResult rc = out.Begin(path, {});
  if (rc == Files::FILE_OK) rc = out.Write(content.data(), content.size());
  if (rc == Files::FILE_OK) rc = out.Commit();
  content.clear();
  // The folder flush is best effort: the new file is whole and in place.
  return rc == Files::FILE_OK || rc == Files::FILE_ERR_FOLDER_SYNC ? 0 : -1;
}

void CPrefsFile::ReadFields() {
  std::int32_t format = 0;
  ReadInt(format);  // the format value is not checked
}

void CPrefsFile::WriteFields() { WriteInt(PREFS_FORMAT); }

void CPrefsFile::ReadInt(std::int32_t& value) {
  const std::size_t got = offset < content.size() ? std::min<std::size_t>(4, content.size() - offset) : 0;
  if (got == 0) return;
  // A short read replaces only the low-order bytes it found.
  auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < got; ++i) {
    bits &= ~(0xFFu << (8 * i));
    bits |= static_cast<std::uint32_t>(content[offset + i]) << (8 * i);
  }
  offset += got;
  value = static_cast<std::int32_t>(bits);
}

void CPrefsFile::WriteInt(std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  if (content.size() < offset + 4) content.resize(offset + 4);
  for (std::size_t i = 0; i < 4; ++i) content[offset + i] = static_cast<std::uint8_t>((bits >> (8 * i)) & 0xFF);
  offset += 4;
}
