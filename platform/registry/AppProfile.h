#pragma once
// The application profile of a module: per-user values under the module's
// registry key, HKEY_CURRENT_USER\Software\<company>\<application>, read and
// written as the original platform's profile calls do.  The section names a
// sub-key; the empty section is the module's key itself.  Every read loads
// the registry file afresh and every write goes through CRegistry::Update, so
// that programs sharing the file never lose each other's values.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

class CAppProfile {
 public:
  CAppProfile(std::string_view company, std::string_view application,
              std::filesystem::path registryFile = CRegistry::DefaultPath());

  // HKEY_CURRENT_USER\Software\<company>\<application>.
  const std::string& Key() const { return m_key; }
  const std::filesystem::path& File() const { return m_file; }

  // The text of the value, or `fallback` when it is missing, not text, or the
  // registry cannot be read.
  std::string GetProfileString(std::string_view section, std::string_view entry,
                               std::string_view fallback = {}) const;
  // A number stored as a 32-bit value (or as decimal text); `fallback`
  // otherwise.
  int GetProfileInt(std::string_view section, std::string_view entry, int fallback) const;
  // CRegistry result codes (REG_OK on success).
  int WriteProfileString(std::string_view section, std::string_view entry,
                         std::string_view value) const;
  int WriteProfileInt(std::string_view section, std::string_view entry, int value) const;

 private:
  std::string SectionKey(std::string_view section) const;

  std::string m_key;
  std::filesystem::path m_file;
};
