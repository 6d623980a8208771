// Preferences files: open (created when missing, never truncated), read the
// fields from the start, write them back over the start.

#include "viewer/PrefsFile.h"

#include <filesystem>

CPrefsFile::~CPrefsFile() = default;

bool CPrefsFile::OpenFile() {
  file.close();
  file.clear();
  const auto binary = std::ios::binary;
  file.open(path, std::ios::in | std::ios::out | binary);
  if (!file.is_open() && (openMode & PREFS_MODE_CREATE) != 0) {
    // Create the file empty, then open it for reading and writing.
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
      std::ofstream create(path, binary | std::ios::app);
    }
    file.clear();
    file.open(path, std::ios::in | std::ios::out | binary);
  }
  return file.is_open();
}

int CPrefsFile::Open(const std::string& filePath, int mode) {
  std::string keptPath = path;
  int keptMode = openMode;
  path = filePath;
  openMode = mode;
  if (!OpenFile()) {
    path = keptPath;
    openMode = keptMode;
    return -1;
  }
  file.seekg(0);
  ReadFields();
  file.close();
  return 0;
}

int CPrefsFile::Save() {
  if (!OpenFile()) return -1;
  file.seekp(0);
  WriteFields();
  file.flush();
  bool good = file.good();
  file.close();
  return good ? 0 : -1;
}

void CPrefsFile::ReadFields() {
  std::int32_t format = 0;
  ReadInt(format);  // the format value is not checked
}

void CPrefsFile::WriteFields() { WriteInt(PREFS_FORMAT); }

void CPrefsFile::ReadInt(std::int32_t& value) {
  unsigned char bytes[4];
  file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
  std::streamsize got = file.gcount();
  if (got <= 0) return;
  // A short read replaces only the low-order bytes it found.
  auto bits = static_cast<std::uint32_t>(value);
  for (std::streamsize i = 0; i < got; ++i) {
    bits &= ~(0xFFu << (8 * i));
    bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  }
  value = static_cast<std::int32_t>(bits);
}

void CPrefsFile::WriteInt(std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  file.write(bytes, sizeof bytes);
}
