#include "platform/sync20/SyncLibrary.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "handheld/Device.h"
#include "handheld/DeviceDb.h"
#include "handheld/HandheldResult.h"
#include "handheld/PdbLayout.h"
#include "platform/files/FileEnv.h"
#include "platform/sync20/SyncStatus.h"

using namespace SyncStatus;
using namespace HandheldResult;
using namespace PdbLayout;

namespace {

constexpr const char* PRODUCT_ID = "Quillet simulated handheld";
constexpr std::size_t NAME_FIELD = 32;
constexpr std::size_t HANDLE_COUNT = 256;  // handles 1 to 255; 0 names no database
// Record calls trust a link check younger than this; looking at the device
// folder on every one of 65,535 record reads would cost more than the reads.
constexpr std::chrono::milliseconds LINK_CHECK_INTERVAL{10};

using Clock = std::chrono::steady_clock;

// Whether a call touches the device's files (and so always checks the link)
// or works on a database already read.
enum class Link { FILES, RECORDS };

// One database opened through the library.
struct OpenDatabase {
  CDeviceDb db;
  std::string name;
  // Next index the modified-record iteration looks at.
  std::size_t nextModified = 0;
  // The category being iterated and the next index to look at.
  int iteratedCategory = -1;
  std::size_t nextInCategory = 0;
};

struct Library {
  std::mutex mutex;
  std::unique_ptr<CDevice> device;
  std::string deviceFile;  // kept as a string: checking the link allocates nothing
  // When the device file was last found in place; the epoch when never.
  Clock::time_point linkChecked{};
  std::array<std::unique_ptr<OpenDatabase>, HANDLE_COUNT> open;
  // Calls left before the fault switch cuts the link; -1 when it is off.
  std::int32_t failAfter = -1;
  std::uint32_t nextConduit = 1;
  std::vector<std::uint32_t> conduits;
};

Library& State() {
  static Library library;
  return library;
}

// Drops every open database without writing it back.
void DropAll(Library& lib) {
  for (auto& slot : lib.open) {
    if (slot) {
      slot->db.Abandon();
      slot.reset();
    }
  }
}

// A handheld result as a library status.  `writing` tells whether an
// input/output failure happened while writing to the device.
std::int32_t FromHandheld(int rc, bool writing) {
  switch (rc) {
    case HH_OK: return SYNC_OK;
    case HH_ERR_NOT_FOUND: return SYNC_ERR_NOT_FOUND;
    case HH_ERR_DAMAGED: return SYNC_ERR_DAMAGED;
    case HH_ERR_IO: return writing ? SYNC_ERR_COMM_WRITE : SYNC_ERR_COMM_LOST;
    case HH_ERR_EXISTS: return SYNC_ERR_EXISTS;
    case HH_ERR_FULL:
    case HH_ERR_TOO_LARGE: return SYNC_ERR_FULL;
    case HH_ERR_NO_MEMORY: return SYNC_ERR_NO_MEMORY;
    case HH_ERR_READ_ONLY: return SYNC_ERR_READ_ONLY;
    default: return SYNC_ERR_BAD_ARGUMENT;
  }
}

// Holds the library's lock for one call and checks the link first.
class CCall {
 public:
  CCall() : m_lib(State()), m_lock(m_lib.mutex) {}

  // 0 when the link is up; otherwise the communication status of the call.
  std::int32_t Begin(Link link = Link::RECORDS) {
    if (m_lib.failAfter == 0) {
      DropAll(m_lib);
      return SYNC_ERR_COMM_BROKEN;
    }
    if (m_lib.failAfter > 0) --m_lib.failAfter;
    if (!m_lib.device) return SYNC_ERR_COMM_NO_DEVICE;
    const Clock::time_point now = Clock::now();
    if (link == Link::RECORDS && now - m_lib.linkChecked < LINK_CHECK_INTERVAL) return SYNC_OK;
    SFileStatus status;
    if (!Files::Env().Stat(m_lib.deviceFile, status) || status.kind != SFileStatus::Kind::REGULAR) {
      m_lib.linkChecked = Clock::time_point{};
      DropAll(m_lib);
      return SYNC_ERR_COMM_LOST;
    }
    m_lib.linkChecked = now;
    return SYNC_OK;
  }

  // The open database of a handle, or nullptr.
  OpenDatabase* Db(std::uint8_t handle) { return m_lib.open[handle].get(); }
  Library& Lib() { return m_lib; }
  const CDevice& Device() { return *m_lib.device; }

  // A free handle, or 0.
  std::uint8_t FreeHandle() const {
    for (std::size_t h = 1; h < HANDLE_COUNT; ++h) {
      if (!m_lib.open[h]) return static_cast<std::uint8_t>(h);
    }
    return 0;
  }

  bool IsOpen(std::string_view name) const {
    for (const auto& slot : m_lib.open) {
      if (slot && slot->name == name) return true;
    }
    return false;
  }

  // The link broke while the call ran: every open database is dropped.
  std::int32_t Broken(std::int32_t status) {
    if (IsCommFailure(status)) DropAll(m_lib);
    return status;
  }

 private:
  Library& m_lib;
  std::lock_guard<std::mutex> m_lock;
};

// A NUL-terminated name of at most 31 bytes within `field` bytes, or false.
bool ReadName(const char* field, std::size_t fieldSize, std::string& name) {
  if (field == nullptr) return false;
  const void* end = std::memchr(field, 0, fieldSize);
  if (end == nullptr) return false;
  name.assign(field, static_cast<const char*>(end));
  return CDevice::IsValidDatabaseName(name);
}

bool CardMatches(const CDevice& device, std::int64_t card) {
  return card >= 0 && static_cast<std::uint64_t>(card) == device.CardNumber();
}

void PutName(char* field, const std::string& name) {
  std::memset(field, 0, NAME_FIELD);
  std::memcpy(field, name.data(), std::min(name.size(), NAME_FIELD - 1));
}

// The record block's attribute bits of a stored record.
std::uint8_t BlockAttributes(const CPdbRecord& record) {
  auto bits = static_cast<std::uint8_t>(record.attributes & (PDB_REC_DELETED | PDB_REC_DIRTY | PDB_REC_SECRET));
  if (record.IsArchived()) bits = static_cast<std::uint8_t>(bits | RAW_ATTR_ARCHIVED);
  return bits;
}

// Fills the block from the record at `index`.
std::int32_t FillBlock(const CPdbFile& image, std::size_t index, SyncRawRecord& block) {
  const CPdbRecord* record = image.RecordAt(index);
  if (record == nullptr) return SYNC_ERR_NOT_FOUND;
  block.index = static_cast<std::uint16_t>(index);
  if (image.IsResourceDb()) {
    block.id = record->resourceType;
    block.category = static_cast<std::int16_t>(record->resourceId);
    block.attributes = 0;
  } else {
    block.id = record->uniqueId;
    block.category = record->Category();
    block.attributes = BlockAttributes(*record);
  }
  const std::size_t size = record->data.size();
  block.recordSize = static_cast<std::uint32_t>(size);
  if (size > block.bufferSize) return SYNC_ERR_BUFFER_TOO_SMALL;
  if (size > 0) {
    if (block.buffer == nullptr) return SYNC_ERR_BAD_ARGUMENT;
    std::memcpy(block.buffer, record->data.data(), size);
  }
  return SYNC_OK;
}

// The data of a block to be written, or an error.
std::int32_t BlockData(const SyncRawRecord& block, std::vector<std::uint8_t>& data) {
  if (block.recordSize > block.bufferSize) return SYNC_ERR_BAD_ARGUMENT;
  if (block.recordSize > 0 && block.buffer == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  try {
    data.assign(block.buffer, block.buffer + block.recordSize);
  } catch (const std::bad_alloc&) {
    return SYNC_ERR_NO_MEMORY;
  }
  return SYNC_OK;
}

// The open database of a block's handle, checked for the kind of call.
// `write`: it must be open for writing.  `resource`: the call is a resource
// call (-1: either kind).
std::int32_t Target(CCall& call, std::uint8_t handle, bool write, int resource, OpenDatabase*& db) {
  db = call.Db(handle);
  if (db == nullptr) return SYNC_ERR_BAD_HANDLE;
  if (write && !db->db.IsWritable()) return SYNC_ERR_READ_ONLY;
  if (resource >= 0 && db->db.Image().IsResourceDb() != (resource == 1)) return SYNC_ERR_WRONG_KIND;
  return SYNC_OK;
}

// The same for a call given a block (record or position block): a missing
// block is a bad argument.
template <typename Block>
std::int32_t BlockTarget(CCall& call, const Block* block, bool write, int resource, OpenDatabase*& db) {
  if (block == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  return Target(call, block->handle, write, resource, db);
}

// Index of the resource with this type and id, or -1.
long FindResource(const CPdbFile& image, std::uint32_t type, std::uint16_t id) {
  for (std::size_t i = 0; i < image.RecordCount(); ++i) {
    const CPdbRecord* record = image.RecordAt(i);
    if (record->resourceType == type && record->resourceId == id) return static_cast<long>(i);
  }
  return -1;
}

std::int32_t ReadBlock(std::uint8_t handle, SyncInfoBlock* block, bool sortInfo) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  if (block == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, false, -1, db)) return rc;
  const CPdbFile& image = db->db.Image();
  const auto& source = sortInfo ? image.SortInfo() : image.AppInfo();
  PutName(block->name, image.GetInfo().name);
  if (!source) {
    block->dataLength = 0;
    return SYNC_ERR_NOT_FOUND;
  }
  const std::size_t size = source->size();
  block->dataLength = static_cast<std::uint16_t>(std::min<std::size_t>(size, 0xFFFF));
  if (size > block->bufferSize) return SYNC_ERR_BUFFER_TOO_SMALL;
  if (size > 0) {
    if (block->buffer == nullptr) return SYNC_ERR_BAD_ARGUMENT;
    std::memcpy(block->buffer, source->data(), size);
  }
  return SYNC_OK;
}

std::int32_t WriteBlock(std::uint8_t handle, SyncInfoBlock* block, bool sortInfo) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  if (block == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  if (block->dataLength > 0 && block->buffer == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, true, -1, db)) return rc;
  try {
    std::vector<std::uint8_t> bytes(block->buffer, block->buffer + block->dataLength);
    CPdbFile* image = db->db.Writable();
    if (sortInfo) {
      image->SetSortInfo(std::move(bytes));
    } else {
      image->SetAppInfo(std::move(bytes));
    }
  } catch (const std::bad_alloc&) {
    return SYNC_ERR_NO_MEMORY;
  }
  return SYNC_OK;
}

std::int32_t WriteRecordBlock(SyncRawRecord* block, bool resource) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = BlockTarget(call, block, true, resource ? 1 : 0, db)) return rc;
  CPdbRecord record;
  if (std::int32_t rc = BlockData(*block, record.data)) return rc;
  CPdbFile* image = db->db.Writable();
  if (resource) {
    record.resourceType = block->id;
    record.resourceId = static_cast<std::uint16_t>(block->category);
    const long at = FindResource(*image, record.resourceType, record.resourceId);
    std::size_t index = 0;
    int rc = HH_OK;
    if (at >= 0) {
      index = static_cast<std::size_t>(at);
      rc = image->ReplaceRecordAt(index, std::move(record));
    } else {
      rc = image->AppendRecord(std::move(record), &index);
    }
    if (rc != HH_OK) return FromHandheld(rc, false);
    block->index = static_cast<std::uint16_t>(index);
    return SYNC_OK;
  }
  if (block->id > PDB_UNIQUE_ID_MASK) return SYNC_ERR_BAD_ARGUMENT;
  const bool deleted = (block->attributes & RAW_ATTR_DELETED) != 0;
  // A record written by a conduit is clean: only its deleted, archived and
  // private bits and its category are kept.
  std::uint8_t attributes = (block->attributes & RAW_ATTR_PRIVATE) != 0 ? PDB_REC_SECRET : 0;
  if (deleted) {
    attributes = static_cast<std::uint8_t>(attributes | PDB_REC_DELETED);
    if ((block->attributes & RAW_ATTR_ARCHIVED) != 0) attributes = static_cast<std::uint8_t>(attributes | PDB_REC_ARCHIVED);
  } else {
    if (block->category < 0 || block->category > PDB_REC_CATEGORY_MASK) return SYNC_ERR_BAD_ARGUMENT;
    attributes = static_cast<std::uint8_t>(attributes | block->category);
  }
  record.attributes = attributes;
  record.uniqueId = block->id;
  std::uint32_t id = 0;
  std::size_t index = 0;
  const int rc = image->WriteRecord(std::move(record), &id, &index);
  if (rc != HH_OK) return FromHandheld(rc, false);
  block->id = id;
  block->index = static_cast<std::uint16_t>(index);
  return SYNC_OK;
}

std::int32_t DeleteRecordBlock(SyncRawRecord* block, bool resource) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = BlockTarget(call, block, true, resource ? 1 : 0, db)) return rc;
  CPdbFile* image = db->db.Writable();
  if (resource) {
    const long at = FindResource(*image, block->id, static_cast<std::uint16_t>(block->category));
    if (at < 0) return SYNC_ERR_NOT_FOUND;
    return FromHandheld(image->RemoveAt(static_cast<std::size_t>(at)), false);
  }
  return FromHandheld(image->RemoveById(block->id), false);
}

}  // namespace

// ---- Host side ----------------------------------------------------------------------

std::int32_t SyncAttachDevice(const char* folder) {
  Library& lib = State();
  std::lock_guard<std::mutex> lock(lib.mutex);
  DropAll(lib);
  lib.device.reset();
  // A new device starts from nothing: the list of registered conduits too
  // (also its memory, so that every registration of a HotSync allocates alike).
  std::vector<std::uint32_t>().swap(lib.conduits);
  if (folder == nullptr || *folder == '\0') return SYNC_ERR_COMM_NO_DEVICE;
  try {
    auto device = std::make_unique<CDevice>();
    if (device->Open(folder) != HH_OK) return SYNC_ERR_COMM_NO_DEVICE;
    lib.deviceFile = (device->Folder() / CDevice::DEVICE_FILE).string();
    lib.linkChecked = Clock::time_point{};
    lib.device = std::move(device);
  } catch (const std::bad_alloc&) {
    return SYNC_ERR_NO_MEMORY;
  }
  return SYNC_OK;
}

void SyncDetachDevice(void) {
  Library& lib = State();
  std::lock_guard<std::mutex> lock(lib.mutex);
  DropAll(lib);
  lib.device.reset();
  std::vector<std::uint32_t>().swap(lib.conduits);
}

void SyncFailAfter(std::int32_t calls) {
  Library& lib = State();
  std::lock_guard<std::mutex> lock(lib.mutex);
  lib.failAfter = calls < 0 ? -1 : calls;
}

// ---- HotSync ----------------------------------------------------------------------------

std::int32_t SyncReadSystemInfo(SyncSystemInfo* info) {
  CCall call;
  if (std::int32_t rc = call.Begin(Link::FILES)) return rc;
  if (info == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  info->romVersion = call.Device().RomVersion();
  info->locale = 0;
  info->productIdLength = 0;
  if (info->productId != nullptr && info->productIdSize > 0) {
    const std::size_t length = std::min<std::size_t>(std::strlen(PRODUCT_ID), info->productIdSize);
    std::memset(info->productId, 0, info->productIdSize);
    std::memcpy(info->productId, PRODUCT_ID, length);
    info->productIdLength = static_cast<std::uint8_t>(length);
  }
  return SYNC_OK;
}

std::int32_t SyncRegisterConduit(std::uint32_t* handle) {
  CCall call;
  if (std::int32_t rc = call.Begin(Link::FILES)) return rc;
  if (handle == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  Library& lib = call.Lib();
  try {
    if (lib.nextConduit == 0) lib.nextConduit = 1;
    lib.conduits.push_back(lib.nextConduit);
  } catch (const std::bad_alloc&) {
    return SYNC_ERR_NO_MEMORY;
  }
  *handle = lib.nextConduit++;
  return SYNC_OK;
}

std::int32_t SyncUnRegisterConduit(std::uint32_t handle) {
  CCall call;
  if (std::int32_t rc = call.Begin(Link::FILES)) return rc;
  auto& conduits = call.Lib().conduits;
  const auto found = std::find(conduits.begin(), conduits.end(), handle);
  if (handle == 0 || found == conduits.end()) return SYNC_ERR_BAD_ARGUMENT;
  conduits.erase(found);
  // A database the conduit left open belongs to a HotSync that failed: it is
  // dropped without being written, so the handheld keeps what it had.
  if (conduits.empty()) DropAll(call.Lib());
  return SYNC_OK;
}

// ---- Databases ------------------------------------------------------------------------------

std::int32_t SyncOpenDB(const char* name, std::int32_t cardNumber, std::uint8_t* handle, std::uint8_t mode) {
  CCall call;
  if (std::int32_t rc = call.Begin(Link::FILES)) return rc;
  std::string dbName;
  if (handle == nullptr || !ReadName(name, NAME_FIELD, dbName)) return SYNC_ERR_BAD_ARGUMENT;
  if ((mode & SYNC_MODE_READ_WRITE) == 0) return SYNC_ERR_BAD_ARGUMENT;
  if (!CardMatches(call.Device(), cardNumber)) return SYNC_ERR_NOT_FOUND;
  if (call.IsOpen(dbName)) return SYNC_ERR_DB_OPEN;
  const std::uint8_t free = call.FreeHandle();
  if (free == 0) return SYNC_ERR_TOO_MANY_OPEN;
  try {
    auto db = std::make_unique<OpenDatabase>();
    const int rc = db->db.Open(call.Device(), dbName, mode & SYNC_MODE_READ_WRITE);
    if (rc != HH_OK) return call.Broken(FromHandheld(rc, false));
    db->name = std::move(dbName);
    call.Lib().open[free] = std::move(db);
  } catch (const std::bad_alloc&) {
    return SYNC_ERR_NO_MEMORY;
  }
  *handle = free;
  return SYNC_OK;
}

std::int32_t SyncDeleteDB(const char* name, std::int32_t cardNumber) {
  CCall call;
  if (std::int32_t rc = call.Begin(Link::FILES)) return rc;
  std::string dbName;
  if (!ReadName(name, NAME_FIELD, dbName)) return SYNC_ERR_BAD_ARGUMENT;
  if (!CardMatches(call.Device(), cardNumber)) return SYNC_ERR_NOT_FOUND;
  if (call.IsOpen(dbName)) return SYNC_ERR_DB_OPEN;
  return call.Broken(FromHandheld(call.Device().DeleteDatabase(dbName), true));
}

std::int32_t SyncCreateDB(SyncCreateDbBlock* block) {
  CCall call;
  if (std::int32_t rc = call.Begin(Link::FILES)) return rc;
  std::string dbName;
  if (block == nullptr || !ReadName(block->name, NAME_FIELD, dbName)) return SYNC_ERR_BAD_ARGUMENT;
  if (!CardMatches(call.Device(), block->cardNumber)) return SYNC_ERR_BAD_ARGUMENT;
  if (call.IsOpen(dbName)) return SYNC_ERR_EXISTS;
  const std::uint8_t free = call.FreeHandle();
  if (free == 0) return SYNC_ERR_TOO_MANY_OPEN;
  try {
    CPdbFile::Info info;
    info.name = dbName;
    info.attributes = static_cast<std::uint16_t>(block->flags & 0xFFFF);
    info.version = block->version;
    info.type = block->type;
    info.creator = block->creator;
    auto db = std::make_unique<OpenDatabase>();
    const int rc = db->db.Create(call.Device(), info);
    if (rc != HH_OK) return call.Broken(FromHandheld(rc, true));
    db->name = std::move(dbName);
    call.Lib().open[free] = std::move(db);
  } catch (const std::bad_alloc&) {
    return SYNC_ERR_NO_MEMORY;
  }
  block->handle = free;
  return SYNC_OK;
}

std::int32_t SyncResetSyncFlags(std::uint8_t handle) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, true, -1, db)) return rc;
  db->db.Writable()->ResetSyncFlags();
  return SYNC_OK;
}

std::int32_t SyncCloseDB(std::uint8_t handle) {
  CCall call;
  if (std::int32_t rc = call.Begin(Link::FILES)) return rc;
  OpenDatabase* db = call.Db(handle);
  if (db == nullptr) return SYNC_ERR_BAD_HANDLE;
  const int rc = db->db.Close();
  call.Lib().open[handle].reset();
  return call.Broken(FromHandheld(rc, true));
}

std::int32_t SyncGetDBRecordCount(std::uint8_t handle, std::uint16_t* count) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  if (count == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, false, -1, db)) return rc;
  *count = static_cast<std::uint16_t>(db->db.Image().RecordCount());
  return SYNC_OK;
}

// ---- Reading records ------------------------------------------------------------------------

std::int32_t SyncReadRecordById(SyncRawRecord* block) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = BlockTarget(call, block, false, 0, db)) return rc;
  const long index = db->db.Image().IndexOfId(block->id);
  if (index < 0) return SYNC_ERR_NOT_FOUND;
  return FillBlock(db->db.Image(), static_cast<std::size_t>(index), *block);
}

std::int32_t SyncReadRecordByIndex(SyncRawRecord* block) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = BlockTarget(call, block, false, -1, db)) return rc;
  return FillBlock(db->db.Image(), block->index, *block);
}

std::int32_t SyncReadNextModifiedRec(SyncRawRecord* block) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = BlockTarget(call, block, false, 0, db)) return rc;
  const CPdbFile& image = db->db.Image();
  // A deleted record counts as modified even without its dirty bit: the
  // desktop must hear of every deletion before the purge removes it.
  for (std::size_t i = db->nextModified; i < image.RecordCount(); ++i) {
    const CPdbRecord* record = image.RecordAt(i);
    if (!record->IsDirty() && !record->IsDeleted()) continue;
    const std::int32_t rc = FillBlock(image, i, *block);
    // A record that did not fit is offered again on the next call.
    db->nextModified = rc == SYNC_OK ? i + 1 : i;
    return rc;
  }
  db->nextModified = image.RecordCount();
  return SYNC_ERR_NOT_FOUND;
}

std::int32_t SyncReadNextRecInCategory(SyncRawRecord* block) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  if (block == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  if (block->category < 0 || block->category > PDB_REC_CATEGORY_MASK) return SYNC_ERR_BAD_ARGUMENT;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, block->handle, false, 0, db)) return rc;
  if (db->iteratedCategory != block->category) {
    db->iteratedCategory = block->category;
    db->nextInCategory = 0;
  }
  const CPdbFile& image = db->db.Image();
  const long index = image.NextInCategory(db->nextInCategory, static_cast<std::uint8_t>(block->category));
  if (index < 0) {
    db->nextInCategory = image.RecordCount();
    return SYNC_ERR_NOT_FOUND;
  }
  const std::int32_t rc = FillBlock(image, static_cast<std::size_t>(index), *block);
  db->nextInCategory = static_cast<std::size_t>(index) + (rc == SYNC_OK ? 1 : 0);
  return rc;
}

std::int32_t SyncResetRecordIndex(std::uint8_t handle) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, false, -1, db)) return rc;
  db->nextModified = 0;
  db->nextInCategory = 0;
  db->iteratedCategory = -1;
  return SYNC_OK;
}

// ---- Changing records ---------------------------------------------------------------------

std::int32_t SyncWriteRec(SyncRawRecord* block) { return WriteRecordBlock(block, false); }
std::int32_t SyncWriteResourceRec(SyncRawRecord* block) { return WriteRecordBlock(block, true); }
std::int32_t SyncDeleteRec(SyncRawRecord* block) { return DeleteRecordBlock(block, false); }
std::int32_t SyncDeleteResourceRec(SyncRawRecord* block) { return DeleteRecordBlock(block, true); }

std::int32_t SyncPurgeDeletedRecs(std::uint8_t handle) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, true, 0, db)) return rc;
  db->db.Writable()->PurgeDeleted();
  return SYNC_OK;
}

std::int32_t SyncPurgeAllRecsInCategory(std::uint8_t handle, std::int16_t category) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  if (category < 0 || category > PDB_REC_CATEGORY_MASK) return SYNC_ERR_BAD_ARGUMENT;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, true, 0, db)) return rc;
  db->db.Writable()->PurgeCategory(static_cast<std::uint8_t>(category));
  return SYNC_OK;
}

std::int32_t SyncChangeCategory(std::uint8_t handle, std::uint8_t from, std::uint8_t to) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  if (from > PDB_REC_CATEGORY_MASK || to > PDB_REC_CATEGORY_MASK) return SYNC_ERR_BAD_ARGUMENT;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = Target(call, handle, true, 0, db)) return rc;
  db->db.Writable()->ChangeCategory(from, to);
  return SYNC_OK;
}

// ---- Blocks --------------------------------------------------------------------------------

std::int32_t SyncReadDBAppInfoBlock(std::uint8_t handle, SyncInfoBlock* block) {
  return ReadBlock(handle, block, false);
}

std::int32_t SyncReadDBSortInfoBlock(std::uint8_t handle, SyncInfoBlock* block) {
  return ReadBlock(handle, block, true);
}

std::int32_t SyncWriteDBAppInfoBlock(std::uint8_t handle, SyncInfoBlock* block) {
  return WriteBlock(handle, block, false);
}

std::int32_t SyncWriteDBSortInfoBlock(std::uint8_t handle, SyncInfoBlock* block) {
  return WriteBlock(handle, block, true);
}

std::int32_t SyncReadPositionXMap(SyncPositionBlock* block) {
  CCall call;
  if (std::int32_t rc = call.Begin()) return rc;
  OpenDatabase* db = nullptr;
  if (std::int32_t rc = BlockTarget(call, block, false, 0, db)) return rc;
  const CPdbFile& image = db->db.Image();
  const std::size_t count = image.RecordCount();
  if (block->firstPosition > count) return SYNC_ERR_NOT_FOUND;
  const std::size_t n = std::min<std::size_t>({count - block->firstPosition, block->maxEntries, block->entries});
  if (n > 0 && block->buffer == nullptr) return SYNC_ERR_BAD_ARGUMENT;
  for (std::size_t i = 0; i < n; ++i) {
    WriteBE32(block->buffer + 4 * i, image.RecordAt(block->firstPosition + i)->uniqueId);
  }
  block->entries = static_cast<std::uint16_t>(n);
  return SYNC_OK;
}
