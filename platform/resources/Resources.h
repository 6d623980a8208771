#pragma once
// Resources by numeric id.  A module (the conduit, a language library, ...)
// registers its compiled-in tables under its module name and receives a
// handle; code that loads resources is given that handle (the "instance")
// and never knows which module answers.  Modules live until the process ends.

#include <cstddef>
#include <cstdint>

struct ResourceModule;
using ResourceInstance = ResourceModule*;

// One entry of a compiled-in string table.
struct ResourceString {
  std::uint32_t id;
  const char* text;
};

extern "C" {

// The module registered under `moduleName`, created (empty) on first use.
// Returns nullptr for a missing or empty name or when memory runs out.
ResourceInstance ResourceRegisterModule(const char* moduleName);

// The module registered under `moduleName`, or nullptr.
ResourceInstance ResourceFindModule(const char* moduleName);

// The module's registered name ("" for nullptr).
const char* ResourceModuleName(ResourceInstance instance);

// Where the module's file lives (a shared library's path, or "" when unknown).
// The language loader looks for language libraries beside it.
void ResourceSetModulePath(ResourceInstance instance, const char* path);
const char* ResourceModulePath(ResourceInstance instance);

// Adds (or replaces) strings of the module.  Entries with a null text are
// skipped.  Returns the number of strings added, or -1 for a null instance or
// table, or when memory runs out (then none of them is added).
std::int32_t ResourceAddStrings(ResourceInstance instance, const ResourceString* table,
                                std::size_t count);

// The string with that id, or nullptr when the module has none.
const char* ResourceFindString(ResourceInstance instance, std::uint32_t id);

// Copies string `id` into `buffer` of `bufferSize` bytes, cut to bufferSize - 1
// bytes when longer, and NUL-terminates it.  Returns the number of bytes copied
// (without the NUL); 0 when the instance or string is missing, the buffer is
// null or has no room for more than the NUL.
std::int32_t LoadStringA(ResourceInstance instance, std::uint32_t id, char* buffer,
                         std::int32_t bufferSize);

}  // extern "C"
