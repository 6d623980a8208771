#pragma once
// A small binary preferences file: opened with creation when missing and
// without truncation, read from its start into fields and written back over
// its start.  The file leads with a format value; a derived class reads and
// writes its own fields after it.  Integers are 4 bytes, little-endian.
//
// Save puts the fields over the start of the file's bytes and replaces the
// file whole with the result (CAtomicFileWriter), so that bytes after the
// fields stay and a failed save leaves the old file as it was.  Every file
// operation goes through the file environment (Files::Env()).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Open modes (combinable).
inline constexpr int PREFS_MODE_READWRITE = 0x0002;
inline constexpr int PREFS_MODE_CREATE = 0x1000;
inline constexpr int PREFS_MODE_NOTRUNCATE = 0x2000;
inline constexpr int PREFS_MODE_DEFAULT = PREFS_MODE_CREATE | PREFS_MODE_NOTRUNCATE | PREFS_MODE_READWRITE;

// The format value written at the start of the file.
inline constexpr std::int32_t PREFS_FORMAT = 256;

class CPrefsFile {
 public:
  CPrefsFile() = default;
  virtual ~CPrefsFile();

  // Opens `path` and reads the fields; 0, or -1 when the file cannot be
  // opened (nothing changes then).
  int Open(const std::string& filePath, int mode = PREFS_MODE_DEFAULT);
  // Writes the fields over the start of the file at `path`; 0 or -1.
  int Save();

  std::string path;
  int openMode = PREFS_MODE_DEFAULT;

 protected:
  // Reads the fields from the start of the file.
  virtual void ReadFields();
  // Writes the fields from the start of the file.
  virtual void WriteFields();

  // A 4-byte little-endian value; a read that finds no bytes leaves `value`.
  void ReadInt(std::int32_t& value);
  void WriteInt(std::int32_t value);

  // The file's bytes while the fields are read or written, and the offset of
  // the next field.
  std::vector<std::uint8_t> content;
  std::size_t offset = 0;

 private:
  // Opens (creating it when the mode asks) and reads the file into `content`.
  bool ReadFile();
};
