#pragma once
// The QuilletExt module: its resources (strings, dialog templates, bitmaps,
// cursors), registered under the module name "QuilletExt" on first use, and
// its per-user profile under HKEY_CURRENT_USER\Software\Brindle Works\QuilletExt.

#include <string>
#include <string_view>

#include "platform/registry/AppProfile.h"
#include "platform/resources/Resources.h"
#include "resources/extension/ExtensionIds.h"

inline constexpr const char* EXTENSION_MODULE_NAME = "QuilletExt";
inline constexpr const char* EXTENSION_COMPANY = "Brindle Works";

// The module's resource instance; registered on the first call (texts
// converted to the ANSI code page then).  nullptr when memory runs out; the
// next call tries again.
ResourceInstance ExtensionResources();

// A text of the extension's user interface, written in UTF-8 in the source,
// in the ANSI code page (unchanged when it cannot be converted).
std::string AnsiText(std::string_view utf8);

// The module's profile in the current user's registry file.
CAppProfile ExtensionProfile();

// Adds the module's bitmaps and cursors; false when the instance refuses them.
bool AddExtensionImages(ResourceInstance module);
