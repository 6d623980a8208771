#include "handheld/Device.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>

#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "handheld/PdbLayout.h"
#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileEnv.h"
#include "platform/files/FileSystem.h"
#include "platform/files/StaleTemporaries.h"
#include "platform/text/Hex.h"

using namespace HandheldResult;
using namespace PdbLayout;

namespace {

constexpr std::size_t MAX_DEVICE_FILE = 1024 * 1024;
constexpr int DEVICE_FORMAT = 1;
// Largest file the handheld reads whole: far above any Palm database.
constexpr std::uintmax_t MAX_FILE_SIZE = 512u * 1024u * 1024u;

// The handheld's code for the result of a file operation.
int HandheldCode(Files::FileResult result) {
  switch (result) {
    case Files::FILE_OK: return HH_OK;
    case Files::FILE_ERR_NOT_FOUND: return HH_ERR_NOT_FOUND;
    case Files::FILE_ERR_TOO_LARGE: return HH_ERR_TOO_LARGE;
    case Files::FILE_ERR_NO_MEMORY: return HH_ERR_NO_MEMORY;
    default: return HH_ERR_IO;  // a folder that could not be flushed included
  }
}

// HH_OK, HH_ERR_NOT_FOUND, HH_ERR_IO, HH_ERR_TOO_LARGE (more than `limit`
// bytes, nothing read) or HH_ERR_NO_MEMORY.
int ReadDeviceFile(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes,
                   std::uintmax_t limit = MAX_FILE_SIZE) {
  return HandheldCode(Files::ReadWholeFile(file, bytes, limit));
}

// Reads and parses a database file.
int ReadPdbFile(const std::filesystem::path& file, CPdbFile& database) {
  std::vector<std::uint8_t> bytes;
  const int rc = ReadDeviceFile(file, bytes);
  if (rc != HH_OK) return rc;
  return CPdbFile::Parse(bytes.data(), bytes.size(), database);
}

// Replaces (or creates) the file with exactly these bytes, crash-safely.  A new
// file is readable and writable by its owner only; a replaced one keeps its
// mode.  With `mustBeNew` nothing that has the name already is ever replaced
// (HH_ERR_EXISTS), even when it appears while the file is written.
int WriteDeviceFile(const std::filesystem::path& file, const std::uint8_t* bytes, std::size_t size,
                    bool mustBeNew = false) {
  CAtomicFileWriter out;
  CAtomicFileWriter::Options options;
  options.newFileMode = 0600;
  if (mustBeNew) options.existence = CAtomicFileWriter::Existence::MUST_NOT_EXIST;
  Files::FileResult rc = out.Begin(file, options);
  if (rc == Files::FILE_OK) rc = out.Write(bytes, size);
  if (rc == Files::FILE_OK) rc = out.Commit();
  if (rc == Files::FILE_ERR_EXISTS) return HH_ERR_EXISTS;
  return HandheldCode(rc);
}

// The rules every reader and writer of a database image applies, so that a
// file is damaged for the memo application, a HotSync and a dump alike.  The
// memo application's database is held to the application's own rules.
int CheckImage(const CPdbFile& database) {
  if (database.GetInfo().name == CMemoApp::DB_NAME) return CMemoApp::CheckDatabase(database);
  return HH_OK;
}

bool IsFileNameSafe(unsigned char c, bool first) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  if (c == '.') return !first;
  switch (c) {
    case ' ': case '-': case '_': case '+': case '(': case ')': case '!': case ',': case ';':
    case '=': case '@': case '[': case ']': case '{': case '}': case '~': case '#': case '&':
    case '\'': case '^': case '$':
      return true;
    default:
      return false;
  }
}

// Reads the header of a database file without loading the records.
bool ReadHeader(const std::filesystem::path& file, CDevice::DatabaseEntry& entry) {
  IFileEnv& env = Files::Env();
  const int fd = env.Open(file.string(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  std::uint8_t h[PDB_HEADER_SIZE];
  std::size_t have = 0;
  while (have < sizeof h) {
    const ssize_t n = env.Read(fd, h + have, sizeof h - have);
    if (n <= 0) break;
    have += static_cast<std::size_t>(n);
  }
  env.Close(fd);
  if (have < sizeof h) return false;
  std::size_t length = 0;
  while (length < PDB_NAME_SIZE && h[PDB_NAME + length] != 0) ++length;
  entry.info.name.assign(reinterpret_cast<const char*>(h + PDB_NAME), length);
  entry.info.attributes = ReadBE16(h + PDB_ATTRIBUTES);
  entry.info.version = ReadBE16(h + PDB_VERSION);
  entry.info.creationDate = ReadBE32(h + PDB_CREATION_DATE);
  entry.info.modificationDate = ReadBE32(h + PDB_MODIFICATION_DATE);
  entry.info.backupDate = ReadBE32(h + PDB_BACKUP_DATE);
  entry.info.modificationNumber = ReadBE32(h + PDB_MODIFICATION_NUMBER);
  entry.info.type = ReadBE32(h + PDB_TYPE);
  entry.info.creator = ReadBE32(h + PDB_CREATOR);
  entry.info.uniqueIdSeed = ReadBE32(h + PDB_UNIQUE_ID_SEED);
  entry.recordCount = ReadBE16(h + PDB_NUM_RECORDS);
  entry.file = file;
  return true;
}

bool IsDatabaseFile(const std::filesystem::path& file) {
  const std::string ext = file.extension().string();
  const std::string stem = file.filename().string();
  return (ext == ".pdb" || ext == ".prc") && !stem.empty() && stem[0] != '.';
}

// Whether a database file is named after the database its header names.  A
// file under another name is not that database (it may be a copy, or a file
// whose header was damaged) and is never taken for it.
bool IsNamedAfter(const std::filesystem::path& file, const std::string& name) {
  const std::string fileName = file.filename().string();
  return fileName == CDevice::FileNameFor(name, false) || fileName == CDevice::FileNameFor(name, true);
}

// Whether anything at all has this path (a dangling link included).  A path
// that cannot be examined for another reason than its absence counts as
// taken, so that nothing is ever made over it.
bool Occupied(const std::filesystem::path& path) {
  SFileStatus status;
  if (Files::Env().Stat(path.string(), status, false)) return true;
  return errno != ENOENT && errno != ENOTDIR;
}

bool IsRegularFile(const std::filesystem::path& path) {
  SFileStatus status;
  return Files::Env().Stat(path.string(), status) && status.kind == SFileStatus::Kind::REGULAR;
}

bool ReadU32(const CJsonValue& json, const char* key, std::uint32_t& out, bool required) {
  const CJsonValue* v = json.Find(key);
  if (v == nullptr) return !required;
  if (v->GetKind() != CJsonValue::Kind::Integer || v->AsInteger() < 0 || v->AsInteger() > 0xFFFFFFFFLL) return false;
  out = static_cast<std::uint32_t>(v->AsInteger());
  return true;
}

}  // namespace

std::uint32_t CDevice::Now() { return PalmDateFromUnix(static_cast<std::int64_t>(std::time(nullptr))); }

bool CDevice::IsValidDatabaseName(std::string_view name) {
  return !name.empty() && name.size() <= PDB_NAME_MAX && name.find('\0') == std::string_view::npos;
}

std::string CDevice::FileNameFor(std::string_view name, bool resource) {
  std::string file;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsFileNameSafe(c, i == 0)) {
      file += static_cast<char>(c);
    } else {
      file += '%';
      AppendHex(file, c, 2, true);
    }
  }
  file += resource ? ".prc" : ".pdb";
  return file;
}

std::filesystem::path CDevice::DatabasePath(std::string_view name, bool resource) const {
  return m_folder / FileNameFor(name, resource);
}

// ---- device.json ----------------------------------------------------------------

int CDevice::FromJson(const CJsonValue& json) {
  if (json.GetKind() != CJsonValue::Kind::Object) return HH_ERR_DAMAGED;
  // A file of another format (or of none) may mean its fields otherwise: it
  // is not read, and so never written back with fields lost.
  const CJsonValue* format = json.Find("format");
  if (format == nullptr || format->GetKind() != CJsonValue::Kind::Integer || format->AsInteger() != DEVICE_FORMAT) {
    return HH_ERR_DAMAGED;
  }
  const CJsonValue* name = json.Find("userName");
  if (name == nullptr || name->GetKind() != CJsonValue::Kind::String) return HH_ERR_DAMAGED;
  std::uint32_t userId = 0, lastSyncPc = 0, lastSyncDate = 0, successfulSyncDate = 0, cardNumber = 0;
  std::uint32_t romVersion = m_romVersion;
  if (!ReadU32(json, "userId", userId, true) || !ReadU32(json, "lastSyncPc", lastSyncPc, false) ||
      !ReadU32(json, "lastSyncDate", lastSyncDate, false) ||
      !ReadU32(json, "successfulSyncDate", successfulSyncDate, false) ||
      !ReadU32(json, "cardNumber", cardNumber, false) || !ReadU32(json, "romVersion", romVersion, false)) {
    return HH_ERR_DAMAGED;
  }
  m_json = json;
  m_userName = name->AsString();
  m_userId = userId;
  m_lastSyncPc = lastSyncPc;
  m_lastSyncDate = lastSyncDate;
  m_successfulSyncDate = successfulSyncDate;
  m_cardNumber = cardNumber;
  m_romVersion = romVersion;
  return HH_OK;
}

int CDevice::Open(const std::filesystem::path& folder) {
  std::vector<std::uint8_t> bytes;
  // A device file larger than one can be is damaged; it is refused by its
  // size before any of it is read.
  int rc = ReadDeviceFile(folder / DEVICE_FILE, bytes, MAX_DEVICE_FILE);
  if (rc == HH_ERR_TOO_LARGE) return HH_ERR_DAMAGED;
  if (rc != HH_OK) return rc;
  CJsonValue json;
  rc = CJsonValue::Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), json);
  if (rc != HH_OK) return rc;
  CDevice device;
  device.m_folder = folder;
  rc = device.FromJson(json);
  if (rc != HH_OK) return rc;
  *this = std::move(device);
  return HH_OK;
}

int CDevice::Save() {
  if (m_json.GetKind() != CJsonValue::Kind::Object) m_json = CJsonValue::Object();
  m_json.Set("format", CJsonValue::Integer(DEVICE_FORMAT));
  m_json.Set("userName", CJsonValue::String(m_userName));
  m_json.Set("userId", CJsonValue::Integer(m_userId));
  m_json.Set("lastSyncPc", CJsonValue::Integer(m_lastSyncPc));
  m_json.Set("lastSyncDate", CJsonValue::Integer(m_lastSyncDate));
  m_json.Set("successfulSyncDate", CJsonValue::Integer(m_successfulSyncDate));
  m_json.Set("cardNumber", CJsonValue::Integer(m_cardNumber));
  m_json.Set("romVersion", CJsonValue::Integer(m_romVersion));
  const std::string text = m_json.Write();
  return WriteDeviceFile(m_folder / DEVICE_FILE, reinterpret_cast<const std::uint8_t*>(text.data()),
                         text.size());
}

int CDevice::Init(const std::filesystem::path& folder, std::string_view userName, std::uint32_t userId,
                  CDevice& out) {
  if (!Files::MakeFolders(folder.string())) return HH_ERR_IO;
  SFileStatus status;
  if (Files::Env().Stat((folder / DEVICE_FILE).string(), status, false)) return HH_ERR_EXISTS;
  if (errno != ENOENT) return HH_ERR_IO;
  CDevice device;
  device.m_folder = folder;
  device.m_userName = userName;
  device.m_userId = userId;
  const int rc = device.Save();
  if (rc != HH_OK) return rc;
  out = std::move(device);
  return HH_OK;
}

// ---- Databases ----------------------------------------------------------------------

int CDevice::ListDatabases(std::vector<DatabaseEntry>& out) const {
  try {
    out.clear();
    std::vector<std::string> names;
    if (!Files::Env().List(m_folder.string(), names)) return errno == ENOMEM ? HH_ERR_NO_MEMORY : HH_ERR_IO;
    for (const std::string& name : names) {
      const std::filesystem::path file = m_folder / name;
      if (!IsDatabaseFile(file) || !IsRegularFile(file)) continue;
      DatabaseEntry entry;
      if (ReadHeader(file, entry) && IsNamedAfter(file, entry.info.name)) out.push_back(std::move(entry));
    }
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

std::filesystem::path CDevice::FindDatabaseFile(std::string_view name) const {
  // A database lives only in the file named after it.  Whatever has that name
  // is taken as the database, so that reading it reports any damage and no
  // new database is ever made over it.
  for (const bool resource : {false, true}) {
    std::filesystem::path file = DatabasePath(name, resource);
    if (Occupied(file)) return file;
  }
  return {};
}

bool CDevice::HasDatabase(std::string_view name) const { return !FindDatabaseFile(name).empty(); }

int CDevice::ReadDatabase(std::string_view name, CPdbFile& out) const {
  try {
    const std::filesystem::path file = FindDatabaseFile(name);
    if (file.empty()) return HH_ERR_NOT_FOUND;
    CPdbFile database;
    int rc = ReadPdbFile(file, database);
    if (rc != HH_OK) return rc;
    // A file whose header names another database is damaged: taking it for
    // that other database, or for none, would let it be overwritten.
    if (database.GetInfo().name != name) return HH_ERR_DAMAGED;
    rc = CheckImage(database);
    if (rc != HH_OK) return rc;
    database.MakeIdsUnique();
    out = std::move(database);
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CDevice::WriteDatabase(CPdbFile& database) const { return Write(database, false); }

int CDevice::Write(CPdbFile& database, bool create) const {
  try {
    const CPdbFile::Info& info = database.GetInfo();
    if (!IsValidDatabaseName(info.name)) return HH_ERR_ARGUMENT;
    // Nothing is written that the next read would refuse.
    if (CheckImage(database) != HH_OK) return HH_ERR_ARGUMENT;
    std::filesystem::path file = create ? std::filesystem::path() : FindDatabaseFile(info.name);
    if (file.empty()) file = DatabasePath(info.name, database.IsResourceDb());
    if (database.Changed()) {
      CPdbFile::Info& mutableInfo = database.MutableInfo();
      ++mutableInfo.modificationNumber;
      mutableInfo.modificationDate = Now();
    }
    std::vector<std::uint8_t> bytes;
    int rc = database.Serialize(bytes);
    if (rc != HH_OK) return rc;
    rc = WriteDeviceFile(file, bytes.data(), bytes.size(), create);
    if (rc == HH_OK) database.SetChanged(false);
    return rc;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CDevice::CreateDatabase(const CPdbFile::Info& info, CPdbFile& out) const {
  if (!IsValidDatabaseName(info.name)) return HH_ERR_ARGUMENT;
  if (HasDatabase(info.name)) return HH_ERR_EXISTS;
  CPdbFile database;
  CPdbFile::Info& fresh = database.MutableInfo();
  fresh = info;
  fresh.creationDate = fresh.modificationDate = Now();
  fresh.backupDate = 0;
  fresh.modificationNumber = 0;
  if ((fresh.uniqueIdSeed & PDB_UNIQUE_ID_MASK) == 0) fresh.uniqueIdSeed = 1;
  database.SetChanged(false);
  const int rc = Write(database, true);
  if (rc != HH_OK) return rc;
  out = std::move(database);
  return HH_OK;
}

int CDevice::DeleteDatabase(std::string_view name) const {
  try {
    const std::filesystem::path file = FindDatabaseFile(name);
    if (file.empty()) return HH_ERR_NOT_FOUND;
    // Only a database that reads whole is deleted: a damaged file may hold
    // memos that no HotSync has carried away yet.
    CPdbFile database;
    const int rc = ReadDatabase(name, database);
    if (rc != HH_OK) return rc;
    return HandheldCode(Files::RemoveFileDurably(file));
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CDevice::ImportFile(const std::filesystem::path& file, std::string& name) const {
  try {
    CPdbFile database;
    int rc = ReadPdbFile(file, database);
    if (rc != HH_OK) return rc;
    if (!IsValidDatabaseName(database.GetInfo().name)) return HH_ERR_DAMAGED;
    rc = CheckImage(database);
    if (rc != HH_OK) return rc;
    database.MakeIdsUnique();
    // The image is installed as it is; only renumbered ids count as a change.
    rc = WriteDatabase(database);
    if (rc != HH_OK) return rc;
    name = database.GetInfo().name;
    return HH_OK;
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

int CDevice::ExportDatabase(std::string_view name, const std::filesystem::path& file) const {
  try {
    CPdbFile database;
    int rc = ReadDatabase(name, database);
    if (rc != HH_OK) return rc;
    std::vector<std::uint8_t> bytes;
    rc = database.Serialize(bytes);
    if (rc != HH_OK) return rc;
    return WriteDeviceFile(file, bytes.data(), bytes.size());
  } catch (const std::bad_alloc&) {
    return HH_ERR_NO_MEMORY;
  }
}

CFileLock::Result CDevice::Lock(const std::filesystem::path& folder, CFileLock& lock) {
  const CFileLock::Result result = lock.Acquire((folder / DEVICE_FILE).string());
  if (result == CFileLock::LOCK_OK) {
    Files::RemoveStaleTemporaries(folder.string(), [](std::string_view name) {
      const auto endsWith = [name](std::string_view end) {
        return name.size() >= end.size() && name.substr(name.size() - end.size()) == end;
      };
      return name == DEVICE_FILE || endsWith(".pdb") || endsWith(".prc");
    });
  }
  return result;
}
