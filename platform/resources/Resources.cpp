// Resource modules: a process-wide registry of named modules, each holding its
// string table by id.

#include "platform/resources/Resources.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "platform/resources/ResourceTable.h"

struct ResourceModule {
  std::string name;
  std::string path;
  std::map<std::uint32_t, std::string> strings;
};

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<ResourceModule>> modules;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

extern "C" ResourceInstance ResourceRegisterModule(const char* moduleName) {
  if (moduleName == nullptr || *moduleName == '\0') return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  try {
    auto& slot = registry.modules[moduleName];
    if (!slot) {
      slot = std::make_unique<ResourceModule>();
      slot->name = moduleName;
    }
    return slot.get();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

extern "C" ResourceInstance ResourceFindModule(const char* moduleName) {
  if (moduleName == nullptr) return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.modules.find(moduleName);
  return it == registry.modules.end() ? nullptr : it->second.get();
}

extern "C" const char* ResourceModuleName(ResourceInstance instance) {
  return instance != nullptr ? instance->name.c_str() : "";
}

extern "C" void ResourceSetModulePath(ResourceInstance instance, const char* path) {
  if (instance == nullptr) return;
  try {
    instance->path = path != nullptr ? path : "";
  } catch (const std::bad_alloc&) {
    instance->path.clear();
  }
}

extern "C" const char* ResourceModulePath(ResourceInstance instance) {
  return instance != nullptr ? instance->path.c_str() : "";
}

extern "C" std::int32_t ResourceAddStrings(ResourceInstance instance, const ResourceString* table,
                                           std::size_t count) {
  if (instance == nullptr || (table == nullptr && count > 0)) return -1;
  // Memory running out leaves no half of a module's table.
  decltype(instance->strings) staged;
  std::int32_t added = 0;
  try {
    for (std::size_t i = 0; i < count; ++i) {
      if (table[i].text == nullptr) continue;
      staged[table[i].id] = table[i].text;
      ++added;
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  MoveEntriesOver(staged, instance->strings);
  return added;
}

extern "C" const char* ResourceFindString(ResourceInstance instance, std::uint32_t id) {
  if (instance == nullptr) return nullptr;
  auto it = instance->strings.find(id);
  return it == instance->strings.end() ? nullptr : it->second.c_str();
}

extern "C" std::int32_t LoadStringA(ResourceInstance instance, std::uint32_t id, char* buffer,
                                    std::int32_t bufferSize) {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  buffer[0] = '\0';
  const char* text = ResourceFindString(instance, id);
  if (text == nullptr || bufferSize == 1) return 0;
  std::size_t length = std::strlen(text);
  std::size_t room = static_cast<std::size_t>(bufferSize) - 1;
  if (length > room) length = room;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<std::int32_t>(length);
}
