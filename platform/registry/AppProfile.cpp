// Per-user profile values under a module's registry key.

#include "platform/registry/AppProfile.h"

#include <charconv>

CAppProfile::CAppProfile(std::string_view company, std::string_view application,
                         std::filesystem::path registryFile)
    : m_key("HKEY_CURRENT_USER\\Software\\"), m_file(std::move(registryFile)) {
  m_key.append(company).append("\\").append(application);
}

std::string CAppProfile::SectionKey(std::string_view section) const {
  std::string key = m_key;
  if (!section.empty()) key.append("\\").append(section);
  return key;
}

std::string CAppProfile::GetProfileString(std::string_view section, std::string_view entry,
                                          std::string_view fallback) const {
  CRegistry registry(m_file);
  std::string value;
  if (registry.Load() != CRegistry::REG_OK ||
      registry.GetString(SectionKey(section), entry, value) != CRegistry::REG_OK) {
    return std::string(fallback);
  }
  return value;
}

int CAppProfile::GetProfileInt(std::string_view section, std::string_view entry,
                               int fallback) const {
  CRegistry registry(m_file);
  if (registry.Load() != CRegistry::REG_OK) return fallback;
  std::string key = SectionKey(section);
  std::uint32_t number = 0;
  if (registry.GetDword(key, entry, number) == CRegistry::REG_OK) {
    return static_cast<int>(number);
  }
  std::string text;
  if (registry.GetString(key, entry, text) != CRegistry::REG_OK) return fallback;
  int value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  while (first != last && *first == ' ') ++first;
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end == first) return fallback;
  return value;
}

int CAppProfile::WriteProfileString(std::string_view section, std::string_view entry,
                                    std::string_view value) const {
  CRegistry registry(m_file);
  std::string key = SectionKey(section);
  return registry.Update([&](CRegistry& r) {
    return r.SetString(key, entry, value) == CRegistry::REG_OK;
  });
}

int CAppProfile::WriteProfileInt(std::string_view section, std::string_view entry,
                                 int value) const {
  CRegistry registry(m_file);
  std::string key = SectionKey(section);
  return registry.Update([&](CRegistry& r) {
    return r.SetDword(key, entry, static_cast<std::uint32_t>(value)) == CRegistry::REG_OK;
  });
}
