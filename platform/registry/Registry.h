#pragma once
// The registry and application profile: hives of keys, each key holding named
// values (text, 32-bit numbers, bytes), kept in one text file per user,
// $XDG_CONFIG_HOME/quillet/registry.ini ($QUILLET_CONFIG_HOME replaces
// $XDG_CONFIG_HOME/quillet; ~/.config when XDG_CONFIG_HOME is not set).
//
// Key paths start with their hive and use backslashes:
//   HKEY_CURRENT_USER\Software\Brindle Works\QuilletExt
// Key and value names compare without regard to ASCII case; they keep the
// spelling they were created with.  The value named "" is the key's default
// value.  Texts are bytes (ANSI), stored as they are.
//
// The file looks like a registry export:
//   QUILLET REGISTRY 1
//   [HKEY_CURRENT_USER\Software\Brindle Works\QuilletExt]
//   "Tab"=dword:00000001
//   "InstallPath"="/opt/quillet"
//   "Heading"=hex:01,00,ff
//   @="default value"
// Every write replaces the file crash-safely (a temporary file in the same
// folder, flushed, renamed over the original keeping its permissions, then
// the folder flushed); Update() holds a lock across read, change and write so
// that two programs changing the registry at once lose nothing.  The lock is
// flock(2)'s on "registry.ini.lock" beside the file, the name every program of
// ours uses; Update() waits for another holder as long as any shared file of
// ours waits (CFileLock::DefaultWaitMs()), then gives up with REG_ERR_BUSY.  A
// file that cannot be read as a registry is never overwritten.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CRegistry {
 public:
  enum Result {
    REG_OK = 0,
    REG_ERR_IO = 1,       // the file or its folder cannot be read or written
    REG_ERR_DAMAGED = 2,  // the file is not a registry file (line in Error())
    REG_ERR_NOT_FOUND = 3,
    REG_ERR_TYPE = 4,     // the value exists with another type
    REG_ERR_ARGUMENT = 5,  // empty key path or hive, or a name with a line end
    REG_ERR_NO_MEMORY = 6,  // memory ran out (nothing was saved)
    REG_ERR_BUSY = 7        // another program held the lock for the whole wait (nothing was saved)
  };
  enum ValueType { TYPE_STRING = 1, TYPE_BINARY = 3, TYPE_DWORD = 4 };

  static constexpr const char* FILE_NAME = "registry.ini";

  // The file of the current user: $QUILLET_CONFIG_HOME/registry.ini, else
  // $XDG_CONFIG_HOME/quillet/registry.ini, else ~/.config/quillet/registry.ini.
  static std::filesystem::path DefaultPath();

  explicit CRegistry(std::filesystem::path file = DefaultPath());

  const std::filesystem::path& File() const { return m_file; }
  const std::string& Error() const { return m_error; }

  // Reads the file; a missing file is an empty registry.
  int Load();
  // Writes the file crash-safely, creating its folder when missing.
  int Save();
  // Loads, calls `change` and saves when it returns true, all under the
  // registry's lock.  The result of the first step that fails, else REG_OK;
  // REG_ERR_BUSY when another program keeps the lock for the whole wait.
  int Update(const std::function<bool(CRegistry&)>& change);

  bool KeyExists(std::string_view key) const;
  int CreateKey(std::string_view key);
  // Deletes the key with its values and every key below it.
  int DeleteKey(std::string_view key);
  // Names of the keys directly below `key`, in name order.
  std::vector<std::string> SubKeys(std::string_view key) const;
  // Names of the values of `key`, in name order.
  std::vector<std::string> ValueNames(std::string_view key) const;

  // Setting a value creates its key.
  int SetString(std::string_view key, std::string_view name, std::string_view value);
  int SetDword(std::string_view key, std::string_view name, std::uint32_t value);
  int SetBinary(std::string_view key, std::string_view name, std::string_view bytes);
  int GetString(std::string_view key, std::string_view name, std::string& value) const;
  int GetDword(std::string_view key, std::string_view name, std::uint32_t& value) const;
  int GetBinary(std::string_view key, std::string_view name, std::string& bytes) const;
  int DeleteValue(std::string_view key, std::string_view name);

  // The value's type, or 0 when there is no such value.
  int ValueTypeOf(std::string_view key, std::string_view name) const;

  // The text of the file as Save() writes it.
  std::string Serialize() const;
  // Replaces the contents with those of a file's text.
  int Parse(std::string_view text);

 private:
  struct Value {
    std::string name;
    ValueType type = TYPE_STRING;
    std::string data;  // the text, the bytes, or 4 little-endian bytes
  };
  struct Key {
    std::string path;
    std::map<std::string, Value> values;  // by lower-case name
  };

  static std::string Fold(std::string_view text);
  static bool ValidPath(std::string_view key);
  static std::string Normalize(std::string_view key);
  int Set(std::string_view key, std::string_view name, ValueType type, std::string data);
  const Value* Find(std::string_view key, std::string_view name) const;

  std::filesystem::path m_file;
  std::string m_error;
  std::map<std::string, Key> m_keys;  // by lower-case path
};
