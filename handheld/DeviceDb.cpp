#include "handheld/DeviceDb.h"

#include <utility>

#include "handheld/HandheldResult.h"

using namespace HandheldResult;

int CDeviceDb::Open(const CDevice& device, std::string_view name, unsigned mode) {
  if ((mode & (MODE_READ | MODE_WRITE)) == 0) return HH_ERR_ARGUMENT;
  CPdbFile image;
  const int rc = device.ReadDatabase(name, image);
  if (rc != HH_OK) return rc;
  m_image = std::move(image);
  m_device = &device;
  m_mode = mode;
  return HH_OK;
}

int CDeviceDb::Create(const CDevice& device, const CPdbFile::Info& info) {
  CPdbFile image;
  const int rc = device.CreateDatabase(info, image);
  if (rc != HH_OK) return rc;
  m_image = std::move(image);
  m_device = &device;
  m_mode = MODE_READ | MODE_WRITE;
  return HH_OK;
}

int CDeviceDb::Close() {
  if (!IsOpen()) return HH_ERR_NOT_FOUND;
  int rc = HH_OK;
  if (IsWritable() && m_image.Changed()) rc = m_device->WriteDatabase(m_image);
  Abandon();
  return rc;
}

void CDeviceDb::Abandon() {
  m_device = nullptr;
  m_mode = 0;
  m_image = CPdbFile();
}
