#pragma once
// The language loader: picks the resource instance a module loads its strings,
// dialogs and bitmaps from.  A language library is a shared library placed
// beside the module under the name the module asks for; it exports
//   extern "C" ResourceInstance QuilletLanguageResources(void);
// which registers its translated tables and returns their instance.  When no
// such library exists beside the module (none is shipped), or it cannot be
// loaded, the module's own instance is used: the module carries English copies
// of all its resources.

#include <cstdint>

#include "platform/resources/Resources.h"

extern "C" {

// Name of the function a language library exports.
inline constexpr const char* LANGUAGE_ENTRY_NAME = "QuilletLanguageResources";

// Returns the instance to load resources from: the language library's when
// `languageFile` is found beside `moduleInstance` (ResourceModulePath) and
// loads, else `moduleInstance`.  `unusedOut`, when not null, is set to 0.
ResourceInstance LoadLanguageModule(const char* languageFile, ResourceInstance moduleInstance,
                                    std::uint32_t* unusedOut);

// Releases what LoadLanguageModule loaded for `resourceInstance` (nothing when
// it is the module's own instance).
void FreeLanguageModule(ResourceInstance resourceInstance, ResourceInstance moduleInstance);

}  // extern "C"
