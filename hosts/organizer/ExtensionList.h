#pragma once
// The organizer's list of extensions, kept in the registry so that an
// extension can be entered or taken out (by its registration, through the
// extension manager) while the organizer is not running:
//
//   HKEY_CURRENT_USER\Software\Quillet\Organizer\Extensions\<name>
//     "Creator"=dword, "HelpPage", "LargeBitmap", "MenuCaption",
//     "DisplayName", "CombinedName", "DataFileName", "SmallBitmap",
//     "Final"=dword, "Control" (the control's class id, "{...}")
//
// Texts are stored as the extension gave them (UTF-8 from its BSTRs).
// Every change is one read-change-write of the registry under its lock.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/com/ComTypes.h"
#include "platform/registry/Registry.h"

struct ExtensionRecord {
  std::string name;  // the key: what the extension registered itself as
  LONG creator = 0;
  std::string helpPage;
  std::string largeBitmap;
  std::string menuCaption;  // with its '&' mnemonic
  std::string displayName;
  std::string combinedName;
  std::string dataFileName;  // the file name in the user's folder of the extension
  std::string smallBitmap;
  LONG finalFlag = 0;
  // The class id of the control the organizer creates for the extension,
  // "{...}"; empty when it is not known (the entry cannot be opened).
  std::string controlClass;
};

class CExtensionList {
 public:
  static constexpr const char* KEY = "HKEY_CURRENT_USER\\Software\\Quillet\\Organizer\\Extensions";

  explicit CExtensionList(std::filesystem::path registryFile = CRegistry::DefaultPath());

  // Every entry, in name order.  Empty when the registry cannot be read.
  std::vector<ExtensionRecord> Read() const;
  // False when there is no entry of that name (names compare without ASCII
  // case, as registry keys do).
  bool Find(const std::string& name, ExtensionRecord& out) const;
  // As Find: S_OK found, S_FALSE not there (or the registry cannot be read),
  // E_OUTOFMEMORY when memory ran out looking.
  HRESULT Lookup(const std::string& name, ExtensionRecord& out) const;
  // Writes the entry, replacing one of the same name.  S_OK,
  // E_INVALIDARG for a name that cannot be one key (empty, or holding a
  // backslash, a line end or a zero), REGDB_E_WRITEREGDB when the registry
  // cannot be written.
  HRESULT Write(const ExtensionRecord& record);
  // Reads the entry, lets `change` alter it and writes it back, all under
  // the registry's lock, so that changes made meanwhile by another program
  // are not lost.  S_FALSE (nothing called) when there is no such entry,
  // otherwise as Write.
  HRESULT Change(const std::string& name, const std::function<void(ExtensionRecord&)>& change);
  // S_OK, S_FALSE when there was no such entry, REGDB_E_WRITEREGDB.
  // Every change answers E_OUTOFMEMORY when memory runs out.
  HRESULT Remove(const std::string& name);

 private:
  std::filesystem::path m_file;
};
