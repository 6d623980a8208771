#pragma once
// CSyncTestWorld: everything one HotSync of the tests needs, on real files: a
// simulated handheld (CDeviceFixture), the user's HotSync folder beside it
// with a desktop record file written field by field, the sync properties
// OpenConduit would pass, and readers for what both sides and the archives
// hold afterwards.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "DeviceFixture.h"
#include "conduit/ConduitStrings.h"
#include "conduit/SyncLog.h"
#include "support/MemoAppBytes.h"
#include "support/RecordFileBytes.h"
#include "handheld/PdbFile.h"
#include "platform/hslog20/HsLog.h"
#include "platform/recordfile/FileLayout.h"
#include "sync/SyncEngine.h"
#include "sync/SyncProperties.h"

// One memo of the desktop record file.
struct DesktopMemo {
  std::uint32_t id = 0;
  std::string text;             // stored as the text and one zero byte
  std::uint32_t category = 0;
  std::uint16_t attributes = 0; // FileLayout::REC_ATTR_* bits
};

// A record as a test sees it on either side or in an archive.
struct SeenRecord {
  std::uint32_t id = 0;
  std::string text;
  std::uint32_t category = 0;
  bool deleted = false;
  bool archived = false;
  bool operator==(const SeenRecord&) const = default;
};

class CSyncTestWorld {
 public:
  static constexpr const char* FILE_NAME = "record.dat";

  explicit CSyncTestWorld(const std::vector<FixtureMemo>& memos = {},
                          const std::vector<FixtureCategory>& categories = {},
                          const std::vector<std::uint8_t>* appExtra = nullptr, bool withDatabase = true)
      : m_device(withDatabase ? new CDeviceFixture(memos, categories, appExtra) : new CDeviceFixture()) {
    std::filesystem::create_directories(Folder());
    LogReset();
  }

  CDeviceFixture& Device() { return *m_device; }
  std::filesystem::path Folder() const { return m_device->Folder().parent_path() / "HotSync"; }
  std::filesystem::path DesktopPath() const { return Folder() / FILE_NAME; }
  std::filesystem::path BackupPath() const { return Folder() / "record.BAK"; }
  std::filesystem::path ArchivePath(const std::string& name) const { return Folder() / (name + ".ARC"); }

  // Sync properties for the memo database with this sync type.
  SyncProperties Properties(std::int32_t syncType, std::int32_t firstSync = 0) const {
    SyncProperties p{};
    p.syncType = syncType;
    std::string folder = Folder().string();
    std::strncpy(p.directory, folder.c_str(), sizeof(p.directory) - 1);
    std::strncpy(p.localFileName, FILE_NAME, sizeof(p.localFileName) - 1);
    p.databaseNames[0] = CMemoApp::DB_NAME;
    p.databaseCount = 1;
    p.creator = CMemoApp::DB_CREATOR;
    p.type = CMemoApp::DB_TYPE;
    p.firstSync = firstSync;
    return p;
  }

  // Writes the desktop record file with these memos, categories and
  // application-specific bytes.
  void WriteDesktop(const std::vector<DesktopMemo>& memos, const std::vector<FixtureCategory>& categories = {},
                    const std::vector<std::uint8_t>& appExtra = {}) const {
    recordfile::File f;
    recordfile::Header h;
    h.name = CMemoApp::DB_NAME;
    h.creator = CMemoApp::DB_CREATOR;
    h.type = CMemoApp::DB_TYPE;
    f.header = h;
    // "Unfiled" in slot 0 and the given slots.
    std::vector<std::optional<recordfile::Category>> slots(FileLayout::CAT_COUNT);
    slots[0] = recordfile::Category{"Unfiled", 0, false};
    for (const FixtureCategory& c : categories) slots[c.slot] = recordfile::Category{c.name, c.id, c.renamed};
    std::vector<std::uint8_t> appInfo = recordfile::CategoryBlock(slots);
    appInfo.insert(appInfo.end(), appExtra.begin(), appExtra.end());
    f.appInfo = recordfile::DataBlock(appInfo, 0, CMemoApp::DB_NAME);
    for (const DesktopMemo& m : memos) {
      f.records.push_back(recordfile::MemoRecord(m.id, m.attributes, m.category, CDeviceFixture::Body(m.text)));
    }
    recordfile::WriteAll(DesktopPath(), recordfile::Build(f));
  }

  // The records of a desktop-layout file (desktop, archive or backup), in file
  // order; false when the file is missing or cannot be parsed.
  static bool ReadRecords(const std::filesystem::path& path, std::vector<SeenRecord>& out,
                          recordfile::File* whole = nullptr) {
    out.clear();
    if (!std::filesystem::exists(path)) return false;
    recordfile::File f;
    if (!recordfile::Parse(recordfile::ReadAll(path), f)) return false;
    for (const recordfile::Record& r : f.records) {
      SeenRecord s;
      s.id = r.id;
      s.text = Text(r.data);
      s.category = r.category;
      s.deleted = (r.attributes & FileLayout::REC_ATTR_DELETED) != 0;
      s.archived = (r.attributes & FileLayout::REC_ATTR_ARCHIVED) != 0;
      out.push_back(s);
    }
    if (whole != nullptr) *whole = f;
    return true;
  }

  bool ReadDesktop(std::vector<SeenRecord>& out, recordfile::File* whole = nullptr) const {
    return ReadRecords(DesktopPath(), out, whole);
  }

  // The memo database's records in index order; false without the database.
  bool ReadHandheld(std::vector<SeenRecord>& out, CPdbFile* whole = nullptr) {
    out.clear();
    CPdbFile db;
    if (m_device->ReadMemoDb(db) != 0) return false;
    for (std::size_t i = 0; i < db.RecordCount(); ++i) {
      const CPdbRecord* r = db.RecordAt(i);
      SeenRecord s;
      s.id = r->uniqueId;
      s.text = Text(r->data);
      s.category = r->Category();
      s.deleted = r->IsDeleted();
      s.archived = r->IsArchived();
      out.push_back(s);
    }
    if (whole != nullptr) *whole = db;
    return true;
  }

  // Texts of the records of a file, sorted.
  static std::vector<std::string> Texts(const std::vector<SeenRecord>& records) {
    std::vector<std::string> texts;
    for (const SeenRecord& r : records) texts.push_back(r.text);
    std::sort(texts.begin(), texts.end());
    return texts;
  }

  static const SeenRecord* FindId(const std::vector<SeenRecord>& records, std::uint32_t id) {
    for (const SeenRecord& r : records) {
      if (r.id == id) return &r;
    }
    return nullptr;
  }

  // Log entries of this HotSync with an activity code.
  static std::vector<std::string> LogTexts(std::int32_t activity) {
    std::vector<std::string> texts;
    for (const HsLogEntry& e : LogEntries()) {
      if (e.activity == activity) texts.push_back(e.text);
    }
    return texts;
  }

  static std::string Text(const std::vector<std::uint8_t>& body) {
    std::string s(body.begin(), body.end());
    std::size_t nul = s.find('\0');
    return nul == std::string::npos ? s : s.substr(0, nul);
  }

 private:
  std::unique_ptr<CDeviceFixture> m_device;
};

// A handheld memo of a test world.
inline FixtureMemo Memo(std::uint32_t id, const std::string& text, std::uint8_t category = 0, bool dirty = false) {
  FixtureMemo m;
  m.id = id;
  m.text = text;
  m.category = category;
  m.dirty = dirty;
  return m;
}

// A category slot of a test world.
inline FixtureCategory Category(std::uint8_t slot, const std::string& name, std::uint8_t id,
                                bool renamed = false) {
  FixtureCategory c;
  c.slot = slot;
  c.name = name;
  c.id = id;
  c.renamed = renamed;
  return c;
}

// The conduit's HotSync log, as OpenConduit gives it to the synchronizer.
inline std::unique_ptr<ISyncLog> ConduitLog() { return std::make_unique<CSyncLog>(ConduitResources()); }

// One HotSync of the world, run as the conduit runs it; its log starts empty.
inline std::int32_t HotSync(CSyncTestWorld& world, std::int32_t syncType, std::int32_t firstSync = 0) {
  LogReset();
  SyncProperties properties = world.Properties(syncType, firstSync);
  CSyncEngine engine(properties, CSyncEngine::FEATURES_CONDUIT, ConduitLog());
  return engine.Synchronize();
}
