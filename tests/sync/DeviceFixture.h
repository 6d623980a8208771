#pragma once
// CDeviceFixture: a simulated handheld in a fresh temporary folder, for tests
// of the HotSync side.  It can hold the memo database (CMemoApp::DB_NAME) with
// the records and categories a test asks for, written exactly as given (ids,
// attribute bits, bodies), and attaches itself to the sync library.
//
//   CDeviceFixture device({{.id = 5, .text = "milk", .category = 1, .dirty = true}},
//                         {{.slot = 1, .name = "Shopping", .id = 1}});
//   ASSERT_EQ(0, device.Status());
//   ASSERT_EQ(0, device.Attach());          // SyncAttachDevice
//   ... run the handheld side of a HotSync ...
//   CPdbFile db;
//   ASSERT_EQ(0, device.ReadMemoDb(db));    // what the device holds now
//
// The destructor detaches the device, turns the sync library's fault switch
// off and removes the folder.  One fixture at a time: the sync library serves
// one device.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "handheld/PdbFile.h"
#include "handheld/PdbLayout.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/sync20/SyncLibrary.h"
#include "support/TempFolder.h"

// One memo record as the test wants it on the device.
struct FixtureMemo {
  std::uint32_t id = 0;      // 0: the device gives it a new id
  std::string text = {};     // stored as the text and one zero byte; empty: no body
  std::uint8_t category = 0; // ignored for deleted records
  bool dirty = false;
  bool deleted = false;
  bool archived = false;     // only with deleted
  bool secret = false;
};

// One category slot of the memo database's category block.
struct FixtureCategory {
  std::uint8_t slot = 0;     // 1 to 15 (0 is "Unfiled" already)
  std::string name = {};
  std::uint8_t id = 0;
  bool renamed = false;
};

class CDeviceFixture {
 public:
  static constexpr const char* DB_NAME = CMemoApp::DB_NAME;

  // A device without the memo database.
  CDeviceFixture() { MakeDevice(); }

  // A device with the memo database holding `memos` in this order and the
  // categories; `appExtra`, when given, replaces the application-specific
  // bytes after the 276-byte category block (the digest and hint area).
  explicit CDeviceFixture(const std::vector<FixtureMemo>& memos,
                          const std::vector<FixtureCategory>& categories = {},
                          const std::vector<std::uint8_t>* appExtra = nullptr) {
    if (MakeDevice() != HandheldResult::HH_OK) return;
    m_status = MakeMemoDb(memos, categories, appExtra);
  }

  ~CDeviceFixture() {
    SyncDetachDevice();
    SyncFailAfter(-1);
  }

  CDeviceFixture(const CDeviceFixture&) = delete;
  CDeviceFixture& operator=(const CDeviceFixture&) = delete;

  // 0 when the device (and database) were made; else a HandheldResult code.
  int Status() const { return m_status; }
  const std::filesystem::path& Folder() const { return m_folder; }
  CDevice& Device() { return m_device; }

  // Attaches the device to the sync library: its status.
  std::int32_t Attach() const { return SyncAttachDevice(m_folder.c_str()); }
  void Detach() const { SyncDetachDevice(); }

  bool HasMemoDb() const { return m_device.HasDatabase(DB_NAME); }
  // Reads the memo database as the device holds it now.
  int ReadMemoDb(CPdbFile& out) const { return m_device.ReadDatabase(DB_NAME, out); }
  // Replaces the memo database on the device.
  int WriteMemoDb(CPdbFile& db) const { return m_device.WriteDatabase(db); }
  // Writes these memos into the memo database as the handheld's user does
  // between HotSyncs: a memo with an id replaces that record, one without is
  // added under a new id.
  int WriteMemos(const std::vector<FixtureMemo>& memos) const {
    CPdbFile db;
    int rc = ReadMemoDb(db);
    if (rc == HandheldResult::HH_OK) rc = AddRecords(db, memos);
    return rc == HandheldResult::HH_OK ? WriteMemoDb(db) : rc;
  }

  // The body the fixture stores for a text.
  static std::vector<std::uint8_t> Body(const std::string& text) {
    if (text.empty()) return {};
    std::vector<std::uint8_t> body(text.begin(), text.end());
    body.push_back(0);
    return body;
  }

  // The record attribute byte the fixture stores for a memo.
  static std::uint8_t Attributes(const FixtureMemo& memo) {
    using namespace PdbLayout;
    std::uint8_t bits = memo.secret ? PDB_REC_SECRET : 0;
    if (memo.dirty) bits |= PDB_REC_DIRTY;
    if (memo.deleted) {
      bits |= PDB_REC_DELETED;
      if (memo.archived) bits |= PDB_REC_ARCHIVED;
    } else {
      bits |= static_cast<std::uint8_t>(memo.category & PDB_REC_CATEGORY_MASK);
    }
    return bits;
  }

 private:
  int MakeDevice() {
    m_folder = m_root / "device";
    m_status = CDevice::Init(m_folder, "Test User", 1, m_device);
    return m_status;
  }

  int MakeMemoDb(const std::vector<FixtureMemo>& memos, const std::vector<FixtureCategory>& categories,
                 const std::vector<std::uint8_t>* appExtra) {
    using namespace HandheldResult;
    namespace FL = FileLayout;
    CMemoApp app(m_device);
    int rc = app.Create();
    if (rc != HH_OK) return rc;
    CPdbFile db;
    rc = m_device.ReadDatabase(DB_NAME, db);
    if (rc != HH_OK) return rc;
    std::vector<std::uint8_t> info = db.AppInfo() ? *db.AppInfo() : std::vector<std::uint8_t>();
    if (info.size() < FL::CAT_BLOCK_SIZE) info.resize(FL::CAT_BLOCK_SIZE, 0);
    std::uint16_t renamed = PdbLayout::ReadBE16(info.data() + FL::CAT_RENAMED);
    for (const FixtureCategory& category : categories) {
      if (category.slot >= FL::CAT_COUNT || category.name.size() > FL::CAT_NAME_MAX) return HH_ERR_ARGUMENT;
      std::uint8_t* name = info.data() + FL::CAT_NAMES + category.slot * FL::CAT_NAME_FIELD_SIZE;
      std::memset(name, 0, FL::CAT_NAME_FIELD_SIZE);
      std::memcpy(name, category.name.data(), category.name.size());
      info[FL::CAT_IDS + category.slot] = category.id;
      if (category.renamed) renamed = static_cast<std::uint16_t>(renamed | (1u << category.slot));
    }
    PdbLayout::WriteBE16(info.data() + FL::CAT_RENAMED, renamed);
    if (appExtra != nullptr) {
      info.resize(FL::CAT_BLOCK_SIZE);
      info.insert(info.end(), appExtra->begin(), appExtra->end());
    }
    db.SetAppInfo(std::move(info));
    rc = AddRecords(db, memos);
    return rc == HH_OK ? m_device.WriteDatabase(db) : rc;
  }

  static int AddRecords(CPdbFile& db, const std::vector<FixtureMemo>& memos) {
    for (const FixtureMemo& memo : memos) {
      CPdbRecord record;
      record.uniqueId = memo.id;
      record.attributes = Attributes(memo);
      record.data = Body(memo.text);
      const int rc = db.WriteRecord(std::move(record));
      if (rc != HandheldResult::HH_OK) return rc;
    }
    return HandheldResult::HH_OK;
  }

  CTempFolder m_root{"sync"};
  std::filesystem::path m_folder;
  CDevice m_device;
  int m_status = HandheldResult::HH_OK;
};
