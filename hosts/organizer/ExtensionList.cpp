#include "hosts/organizer/ExtensionList.h"

#include <cstdint>
#include <new>
#include <string_view>
#include <utility>

namespace {

// The value names of an entry, as the list stores them.
constexpr const char* kCreator = "Creator";
constexpr const char* kHelpPage = "HelpPage";
constexpr const char* kLargeBitmap = "LargeBitmap";
constexpr const char* kMenuCaption = "MenuCaption";
constexpr const char* kDisplayName = "DisplayName";
constexpr const char* kCombinedName = "CombinedName";
constexpr const char* kDataFileName = "DataFileName";
constexpr const char* kSmallBitmap = "SmallBitmap";
constexpr const char* kFinal = "Final";
constexpr const char* kControl = "Control";

std::string EntryKey(const std::string& name) {
  return std::string(CExtensionList::KEY) + "\\" + name;
}

// A name becomes one key below the list: it cannot be empty, hold the key
// separator (it would make a key further down, which Read() does not see) or
// a line end or a zero (the registry file is line-based text).
bool ValidName(const std::string& name) {
  return !name.empty() && name.find_first_of(std::string_view("\\\r\n\0", 4)) == std::string::npos;
}

std::string Text(const CRegistry& registry, const std::string& key, const char* name) {
  std::string value;
  if (registry.GetString(key, name, value) != CRegistry::REG_OK) value.clear();
  return value;
}

LONG Number(const CRegistry& registry, const std::string& key, const char* name) {
  std::uint32_t value = 0;
  if (registry.GetDword(key, name, value) != CRegistry::REG_OK) value = 0;
  return static_cast<LONG>(value);
}

ExtensionRecord ReadEntry(const CRegistry& registry, std::string name) {
  const std::string key = EntryKey(name);
  ExtensionRecord record;
  record.name = std::move(name);
  record.creator = Number(registry, key, kCreator);
  record.helpPage = Text(registry, key, kHelpPage);
  record.largeBitmap = Text(registry, key, kLargeBitmap);
  record.menuCaption = Text(registry, key, kMenuCaption);
  record.displayName = Text(registry, key, kDisplayName);
  record.combinedName = Text(registry, key, kCombinedName);
  record.dataFileName = Text(registry, key, kDataFileName);
  record.smallBitmap = Text(registry, key, kSmallBitmap);
  record.finalFlag = Number(registry, key, kFinal);
  record.controlClass = Text(registry, key, kControl);
  return record;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The name as the key spells it (a lookup may differ in case).
std::string StoredName(const CRegistry& registry, const std::string& name) {
  const std::string wanted = Lower(name);
  for (const std::string& sub : registry.SubKeys(CExtensionList::KEY)) {
    if (Lower(sub) == wanted) return sub;
  }
  return name;
}

}  // namespace

CExtensionList::CExtensionList(std::filesystem::path registryFile) : m_file(std::move(registryFile)) {}

std::vector<ExtensionRecord> CExtensionList::Read() const {
  std::vector<ExtensionRecord> records;
  CRegistry registry(m_file);
  if (registry.Load() != CRegistry::REG_OK) return records;
  for (std::string& name : registry.SubKeys(KEY)) records.push_back(ReadEntry(registry, std::move(name)));
  return records;
}

bool CExtensionList::Find(const std::string& name, ExtensionRecord& out) const {
  return Lookup(name, out) == S_OK;
}

HRESULT CExtensionList::Lookup(const std::string& name, ExtensionRecord& out) const {
  if (!ValidName(name)) return S_FALSE;
  try {
    CRegistry registry(m_file);
    const int loaded = registry.Load();
    if (loaded == CRegistry::REG_ERR_NO_MEMORY) return E_OUTOFMEMORY;
    if (loaded != CRegistry::REG_OK || !registry.KeyExists(EntryKey(name))) return S_FALSE;
    out = ReadEntry(registry, StoredName(registry, name));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

namespace {

// Writes the entry into a loaded registry; the first failing registry result.
int StoreEntry(CRegistry& registry, const ExtensionRecord& record) {
  const std::string key = EntryKey(record.name);
  // Replacing drops values the new record does not have and takes the new
  // spelling of the name.
  if (registry.KeyExists(key)) registry.DeleteKey(key);
  int failed = CRegistry::REG_OK;
  const std::pair<const char*, const std::string*> texts[] = {
      {kHelpPage, &record.helpPage},         {kLargeBitmap, &record.largeBitmap},
      {kMenuCaption, &record.menuCaption},   {kDisplayName, &record.displayName},
      {kCombinedName, &record.combinedName}, {kDataFileName, &record.dataFileName},
      {kSmallBitmap, &record.smallBitmap},   {kControl, &record.controlClass}};
  for (const auto& [name, value] : texts) {
    if (failed == CRegistry::REG_OK) failed = registry.SetString(key, name, *value);
  }
  const std::pair<const char*, LONG> numbers[] = {{kCreator, record.creator}, {kFinal, record.finalFlag}};
  for (const auto& [name, value] : numbers) {
    if (failed == CRegistry::REG_OK) failed = registry.SetDword(key, name, static_cast<std::uint32_t>(value));
  }
  return failed;
}

HRESULT WriteResult(int updateResult, int storeResult) {
  if (storeResult == CRegistry::REG_ERR_ARGUMENT) return E_INVALIDARG;
  if (updateResult == CRegistry::REG_ERR_NO_MEMORY || storeResult == CRegistry::REG_ERR_NO_MEMORY) {
    return E_OUTOFMEMORY;
  }
  return (updateResult == CRegistry::REG_OK && storeResult == CRegistry::REG_OK) ? S_OK : REGDB_E_WRITEREGDB;
}

}  // namespace

HRESULT CExtensionList::Write(const ExtensionRecord& record) {
  if (!ValidName(record.name)) return E_INVALIDARG;
  int failed = CRegistry::REG_OK;
  const int result = CRegistry(m_file).Update([&](CRegistry& registry) {
    failed = StoreEntry(registry, record);
    return failed == CRegistry::REG_OK;
  });
  return WriteResult(result, failed);
}

HRESULT CExtensionList::Change(const std::string& name,
                               const std::function<void(ExtensionRecord&)>& change) {
  if (!ValidName(name)) return S_FALSE;
  bool found = false;
  int failed = CRegistry::REG_OK;
  const int result = CRegistry(m_file).Update([&](CRegistry& registry) {
    found = registry.KeyExists(EntryKey(name));
    if (!found) return false;
    ExtensionRecord record = ReadEntry(registry, StoredName(registry, name));
    change(record);
    failed = StoreEntry(registry, record);
    return failed == CRegistry::REG_OK;
  });
  if (result == CRegistry::REG_OK && !found) return S_FALSE;
  return WriteResult(result, failed);
}

HRESULT CExtensionList::Remove(const std::string& name) {
  if (!ValidName(name)) return S_FALSE;
  bool found = false;
  int result = CRegistry(m_file).Update([&](CRegistry& registry) {
    const std::string key = EntryKey(name);
    found = registry.KeyExists(key);
    return found && registry.DeleteKey(key) == CRegistry::REG_OK;
  });
  if (result == CRegistry::REG_ERR_NO_MEMORY) return E_OUTOFMEMORY;
  if (result != CRegistry::REG_OK) return REGDB_E_WRITEREGDB;
  return found ? S_OK : S_FALSE;
}
