// Fuzz target: registry.ini, parsed from memory (no file of the user's is read
// or written).  Text that parses must serialize to text that parses to the same
// keys and values, and every key and value must be readable.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ScratchFolder.h"
#include "platform/registry/Registry.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "RegistryFile: %s\n", what);
    std::abort();
  }
}

// Reads every value of `key`, each by its own type, and lists its subkeys.
void ReadKey(const CRegistry& registry, const std::string& key) {
  Check(registry.KeyExists(key), "a key of the file does not exist");
  for (const std::string& name : registry.ValueNames(key)) {
    std::string text;
    std::uint32_t number = 0;
    switch (registry.ValueTypeOf(key, name)) {
      case CRegistry::TYPE_STRING:
        Check(registry.GetString(key, name, text) == CRegistry::REG_OK, "a text value does not read");
        break;
      case CRegistry::TYPE_DWORD:
        Check(registry.GetDword(key, name, number) == CRegistry::REG_OK, "a number value does not read");
        break;
      case CRegistry::TYPE_BINARY:
        Check(registry.GetBinary(key, name, text) == CRegistry::REG_OK, "a byte value does not read");
        break;
      default:
        Check(false, "a listed value has no type");
    }
  }
  for (const std::string& sub : registry.SubKeys(key)) {
    Check(registry.KeyExists(key + "\\" + sub), "a listed subkey does not exist");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The file name appears only in error texts: nothing is loaded or saved.
  const auto file = CScratchFolder::Path() / CRegistry::FILE_NAME;
  CRegistry registry(file);
  if (registry.Parse(std::string_view(reinterpret_cast<const char*>(data), size)) != CRegistry::REG_OK) return 0;
  // The key lines of the text name every key the file made.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      ReadKey(registry, std::string(line.substr(1, line.size() - 2)));
    }
  }
  const std::string serialized = registry.Serialize();
  CRegistry again(file);
  Check(again.Parse(serialized) == CRegistry::REG_OK, "serialized registry does not parse");
  Check(again.Serialize() == serialized, "registry changes when serialized twice");
  return 0;
}
