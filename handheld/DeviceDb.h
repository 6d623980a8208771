#pragma once
// A database of a device opened with a mode, as the sync library hands it out:
// the image is read whole at open; a database opened for writing gives access
// to its image for changes and is written back, crash-safely, at Close when it
// changed.  A database opened for reading only refuses every change.

#include <cstdint>
#include <string_view>

#include "handheld/Device.h"
#include "handheld/PdbFile.h"

class CDeviceDb {
 public:
  static constexpr unsigned MODE_READ = 0x80;
  static constexpr unsigned MODE_WRITE = 0x40;

  CDeviceDb() = default;
  CDeviceDb(const CDeviceDb&) = delete;
  CDeviceDb& operator=(const CDeviceDb&) = delete;
  CDeviceDb(CDeviceDb&&) = default;
  CDeviceDb& operator=(CDeviceDb&&) = default;

  // HH_ERR_NOT_FOUND when the device has no such database; HH_ERR_ARGUMENT for a
  // mode that is neither read nor write.
  int Open(const CDevice& device, std::string_view name, unsigned mode);
  // Creates the database (HH_ERR_EXISTS when present) and opens it for reading and writing.
  int Create(const CDevice& device, const CPdbFile::Info& info);
  // Writes the image back when it is open for writing and changed; closes in any case.
  int Close();
  // Closes without writing anything back.
  void Abandon();

  bool IsOpen() const { return m_device != nullptr; }
  bool IsWritable() const { return IsOpen() && (m_mode & MODE_WRITE) != 0; }
  const CPdbFile& Image() const { return m_image; }
  // The image for changes, or nullptr when the database is not open for writing.
  CPdbFile* Writable() { return IsWritable() ? &m_image : nullptr; }

 private:
  const CDevice* m_device = nullptr;
  unsigned m_mode = 0;
  CPdbFile m_image;
};
