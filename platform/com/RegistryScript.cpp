#include "platform/com/RegistryScript.h"

#include "platform/registry/Registry.h"

namespace {
using Key = CRegistryScript::Key;

bool ExpandKey(const Key& key, const CRegistryScript::Replacements& replacements, Key& out) {
  out.removal = key.removal;
  if (!CRegistryScript::Expand(key.name, replacements, out.name)) return false;
  if (key.defaultValue) {
    std::string text;
    if (!CRegistryScript::Expand(*key.defaultValue, replacements, text)) return false;
    out.defaultValue = text;
  }
  for (const auto& value : key.values) {
    CRegistryScript::Value expanded{};
    if (!CRegistryScript::Expand(value.name, replacements, expanded.name)) return false;
    if (const auto* text = std::get_if<std::string>(&value.data)) {
      std::string data;
      if (!CRegistryScript::Expand(*text, replacements, data)) return false;
      expanded.data = data;
    } else {
      expanded.data = value.data;
    }
    out.values.push_back(std::move(expanded));
  }
  for (const auto& sub : key.subKeys) {
    Key expanded;
    if (!ExpandKey(sub, replacements, expanded)) return false;
    out.subKeys.push_back(std::move(expanded));
  }
  return !out.name.empty() && out.name.find('\\') == std::string::npos;
}

bool ExpandAll(const CRegistryScript& script, const CRegistryScript::Replacements& replacements,
               std::vector<Key>& out) {
  for (const auto& key : script.keys) {
    Key expanded;
    if (!ExpandKey(key, replacements, expanded)) return false;
    out.push_back(std::move(expanded));
  }
  return true;
}

bool Write(CRegistry& registry, const std::string& parent, const Key& key) {
  std::string path = parent + "\\" + key.name;
  if (key.removal == CRegistryScript::REPLACE && registry.KeyExists(path)) {
    if (registry.DeleteKey(path) != CRegistry::REG_OK) return false;
  }
  if (registry.CreateKey(path) != CRegistry::REG_OK) return false;
  if (key.defaultValue && registry.SetString(path, "", *key.defaultValue) != CRegistry::REG_OK) {
    return false;
  }
  for (const auto& value : key.values) {
    int result = std::holds_alternative<std::string>(value.data)
                     ? registry.SetString(path, value.name, std::get<std::string>(value.data))
                     : registry.SetDword(path, value.name, std::get<std::uint32_t>(value.data));
    if (result != CRegistry::REG_OK) return false;
  }
  for (const auto& sub : key.subKeys) {
    if (!Write(registry, path, sub)) return false;
  }
  return true;
}

bool Erase(CRegistry& registry, const std::string& parent, const Key& key) {
  std::string path = parent + "\\" + key.name;
  if (!registry.KeyExists(path)) return true;
  if (key.removal == CRegistryScript::REPLACE) return registry.DeleteKey(path) == CRegistry::REG_OK;
  for (const auto& sub : key.subKeys) {
    if (!Erase(registry, path, sub)) return false;
  }
  auto dropValue = [&](const std::string& name) {
    int result = registry.DeleteValue(path, name);
    return result == CRegistry::REG_OK || result == CRegistry::REG_ERR_NOT_FOUND;
  };
  if (key.defaultValue && !dropValue("")) return false;
  for (const auto& value : key.values) {
    if (!dropValue(value.name)) return false;
  }
  if (key.removal == CRegistryScript::KEEP) return true;
  if (!registry.SubKeys(path).empty() || !registry.ValueNames(path).empty()) return true;
  return registry.DeleteKey(path) == CRegistry::REG_OK;
}
}  // namespace

bool CRegistryScript::Expand(const std::string& text, const Replacements& replacements,
                             std::string& out) {
  out.clear();
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t start = text.find('%', pos);
    if (start == std::string::npos) {
      out.append(text, pos);
      break;
    }
    out.append(text, pos, start - pos);
    std::size_t end = text.find('%', start + 1);
    if (end == std::string::npos) return false;
    if (end == start + 1) {
      out += '%';
    } else {
      auto it = replacements.find(text.substr(start + 1, end - start - 1));
      if (it == replacements.end()) return false;
      out += it->second;
    }
    pos = end + 1;
  }
  return true;
}

HRESULT CRegistryScript::Register(CRegistry& registry, const Replacements& replacements) const {
  std::vector<Key> expanded;
  if (hive.empty() || !ExpandAll(*this, replacements, expanded)) return E_INVALIDARG;
  for (const auto& key : expanded) {
    if (!Write(registry, hive, key)) return REGDB_E_WRITEREGDB;
  }
  return S_OK;
}

HRESULT CRegistryScript::Unregister(CRegistry& registry, const Replacements& replacements) const {
  std::vector<Key> expanded;
  if (hive.empty() || !ExpandAll(*this, replacements, expanded)) return E_INVALIDARG;
  for (const auto& key : expanded) {
    if (!Erase(registry, hive, key)) return REGDB_E_WRITEREGDB;
  }
  return S_OK;
}

HRESULT CRegistryScript::Apply(bool install, const Replacements& replacements,
                               const std::filesystem::path& file) const {
  CRegistry registry(file);
  HRESULT hr = S_OK;
  int result = registry.Update([&](CRegistry& loaded) {
    hr = install ? Register(loaded, replacements) : Unregister(loaded, replacements);
    return SUCCEEDED(hr);
  });
  if (FAILED(hr)) return hr;
  if (result == CRegistry::REG_ERR_NO_MEMORY) return E_OUTOFMEMORY;
  if (result == CRegistry::REG_ERR_DAMAGED) return REGDB_E_READREGDB;
  return result == CRegistry::REG_OK ? S_OK : REGDB_E_WRITEREGDB;
}

HRESULT CRegistryScript::Apply(bool install, const Replacements& replacements) const {
  return Apply(install, replacements, CRegistry::DefaultPath());
}
