#pragma once
// A registry script: the keys and values a server enters in the registry
// when it registers and takes out when it unregisters, as a tree under one
// hive.  Names and texts may carry replacements written %NAME% (for example
// %MODULE% for the library's path, %APPID% for its application id); "%%"
// stands for one "%".
//
//   CRegistryScript script{"HKEY_CLASSES_ROOT", {
//       {.name = "CLSID", .removal = CRegistryScript::KEEP, .subKeys = {
//           {.name = "%CLSID%", .removal = CRegistryScript::REPLACE,
//            .defaultValue = "Thing Class",
//            .subKeys = {{.name = "InprocServer32", .defaultValue = "%MODULE%",
//                         .values = {{"ThreadingModel", "Apartment"}}}}}}}}};
//
// Each key says how it is removed:
// - REMOVE (the default): registering creates the key and sets its values;
//   unregistering removes its listed sub-keys and values and then the key
//   itself when nothing else is left in it (values or sub-keys that others
//   put there keep it).
// - KEEP: a parent that is never removed; registering creates it when
//   missing, unregistering only works on its listed sub-keys and values.
// - REPLACE: deleted whole (everything below it) before it is written, and
//   deleted whole when unregistering.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/com/ComTypes.h"

class CRegistry;

class CRegistryScript {
 public:
  enum Removal { REMOVE, KEEP, REPLACE };

  struct Value {
    std::string name{};
    std::variant<std::string, std::uint32_t> data{};
  };

  struct Key {
    std::string name{};  // one level, relative to the parent
    Removal removal = REMOVE;
    std::optional<std::string> defaultValue{};
    std::vector<Value> values{};
    std::vector<Key> subKeys{};
  };

  using Replacements = std::map<std::string, std::string>;  // name without the "%" signs

  std::string hive;  // "HKEY_CLASSES_ROOT", ...
  std::vector<Key> keys;

  // Both work on a loaded registry in memory.  E_INVALIDARG (and no change)
  // when a replacement is unknown or a "%" is unmatched; REGDB_E_WRITEREGDB
  // when the registry refuses a change.
  HRESULT Register(CRegistry& registry, const Replacements& replacements) const;
  HRESULT Unregister(CRegistry& registry, const Replacements& replacements) const;

  // Registers (or unregisters) in a registry file, loading and saving it
  // under its lock.  REGDB_E_READREGDB when the file cannot be read.
  HRESULT Apply(bool install, const Replacements& replacements,
                const std::filesystem::path& file) const;
  HRESULT Apply(bool install, const Replacements& replacements) const;

  // The text with its replacements made; false for an unknown name or an
  // unmatched "%".
  static bool Expand(const std::string& text, const Replacements& replacements,
                     std::string& out);
};
