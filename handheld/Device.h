#pragma once
// A simulated handheld: a folder holding device.json (the HotSync user and sync
// bookkeeping) and one standard Palm database file per database, named after the
// database ("<name>.pdb", or ".prc" for a resource database; bytes that are not
// safe in a file name are written as %XX).  Every write is crash-safe; new files
// are readable by their owner only, replaced ones keep their mode.
//
// Every reader of a database (the memo application, the sync library, a dump)
// goes through ReadDatabase, so a file is damaged for all of them or for none.
// A damaged database file is never replaced or deleted on the device's own
// account: creating a database of its name fails, and so does deleting it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "handheld/JsonValue.h"
#include "handheld/PdbFile.h"
#include "platform/files/FileLock.h"

class CDevice {
 public:
  static constexpr const char* DEVICE_FILE = "device.json";

  struct DatabaseEntry {
    CPdbFile::Info info;
    std::uint16_t recordCount = 0;
    std::filesystem::path file;
  };

  // device.json is read and written with a JSON library that allocates while it
  // frees a document, so memory running out there cannot be survived: Init,
  // Open and Save let std::bad_alloc through to the program's edge (the sync
  // library's attach, a tool's command table) instead of reporting it.
  //
  // Makes a new device in the folder (created when missing).  HH_ERR_EXISTS when
  // the folder holds a device already.
  static int Init(const std::filesystem::path& folder, std::string_view userName, std::uint32_t userId,
                  CDevice& out);
  // Opens an existing device.  HH_ERR_NOT_FOUND without device.json,
  // HH_ERR_DAMAGED when it is not a device file of the format written here.
  int Open(const std::filesystem::path& folder);
  // Writes device.json back.
  int Save();

  const std::filesystem::path& Folder() const { return m_folder; }
  // The HotSync user name, UTF-8 as kept in device.json.
  const std::string& UserName() const { return m_userName; }
  std::uint32_t UserId() const { return m_userId; }
  // Id of the PC of the last HotSync; 0 when the device was never synchronised.
  std::uint32_t LastSyncPc() const { return m_lastSyncPc; }
  std::uint32_t LastSyncDate() const { return m_lastSyncDate; }
  std::uint32_t SuccessfulSyncDate() const { return m_successfulSyncDate; }
  std::uint32_t CardNumber() const { return m_cardNumber; }
  std::uint32_t RomVersion() const { return m_romVersion; }
  void SetUserName(std::string_view name) { m_userName = name; }
  void SetUserId(std::uint32_t id) { m_userId = id; }
  void SetLastSyncPc(std::uint32_t id) { m_lastSyncPc = id; }
  void SetLastSyncDate(std::uint32_t date) { m_lastSyncDate = date; }
  void SetSuccessfulSyncDate(std::uint32_t date) { m_successfulSyncDate = date; }

  // Databases on the device, from their files' headers.  Files whose header
  // cannot be read, or names a database other than the one the file is named
  // after, are left out.
  int ListDatabases(std::vector<DatabaseEntry>& out) const;
  bool HasDatabase(std::string_view name) const;
  // The file that holds (or would hold) the database.
  std::filesystem::path DatabasePath(std::string_view name, bool resource = false) const;

  // Reads a database whole from the file named after it.  HH_ERR_DAMAGED for a
  // file that is not a well-formed database, whose header names another
  // database, or (the memo database) that breaks the memo application's
  // rules (CMemoApp::CheckDatabase).  Records whose id is 0 or repeated get
  // fresh ids.
  int ReadDatabase(std::string_view name, CPdbFile& out) const;
  // Writes a database under its name.  When it changed since it was read, its
  // modification number goes up by one and its modification date becomes now.
  // HH_ERR_ARGUMENT for an image that ReadDatabase would refuse.
  int WriteDatabase(CPdbFile& database) const;
  // Creates an empty database.  HH_ERR_EXISTS when anything has its file name
  // (a damaged file included), HH_ERR_ARGUMENT for an empty name, one of 32
  // bytes or more, or one with NUL.
  int CreateDatabase(const CPdbFile::Info& info, CPdbFile& out) const;
  // Deletes a database that reads whole; a damaged one is kept (its read error).
  int DeleteDatabase(std::string_view name) const;
  // Installs a database file on the device (replacing one of the same name);
  // returns the database name.  HH_ERR_DAMAGED for a file ReadDatabase would
  // refuse.
  int ImportFile(const std::filesystem::path& file, std::string& name) const;
  // Writes a copy of a database to a file outside the device.
  int ExportDatabase(std::string_view name, const std::filesystem::path& file) const;

  static bool IsValidDatabaseName(std::string_view name);
  // The file name of a database ("QuilletMemoDB" -> "QuilletMemoDB.pdb").
  static std::string FileNameFor(std::string_view name, bool resource);
  // The current time as a handheld date.
  static std::uint32_t Now();
  // Takes the writers' lock of the device in `folder` (the one every program
  // that changes the device holds for its whole change) and, once held, removes
  // what killed writers left there: temporary copies of device.json and of the
  // database files.  The lock's own result.
  static CFileLock::Result Lock(const std::filesystem::path& folder, CFileLock& lock);

 private:
  int FromJson(const CJsonValue& json);
  // The file named after the database when anything has that name, else empty.
  std::filesystem::path FindDatabaseFile(std::string_view name) const;
  // Writes the image; `create` never replaces an existing file.
  int Write(CPdbFile& database, bool create) const;

  std::filesystem::path m_folder;
  CJsonValue m_json;  // members of device.json, unknown ones carried through
  std::string m_userName;
  std::uint32_t m_userId = 0;
  std::uint32_t m_lastSyncPc = 0;
  std::uint32_t m_lastSyncDate = 0;
  std::uint32_t m_successfulSyncDate = 0;
  std::uint32_t m_cardNumber = 0;
  std::uint32_t m_romVersion = 0x03503000;  // Palm OS 3.5
};
