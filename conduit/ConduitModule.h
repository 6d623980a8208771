#pragma once
// The conduit module's process-wide state: the module instance (the conduit's
// own resources, with the path of its file), the resource instance every
// string, dialog and bitmap is loaded from (chosen by the language loader at
// the first attach) and the count of attaches not yet matched by a detach.
// The shared library attaches when it is loaded and detaches when unloaded.

#include <cstdint>
#include <string>

#include "platform/resources/Resources.h"

// First attach: registers the conduit's own resources (strings, dialogs,
// bitmaps) as the module instance with the path of the file this code lives
// in, and asks the language loader for the resource instance.  Every attach
// counts.  Returns true (attaching cannot fail; without memory for the tables
// the instances stay null and the entry points report failures).
bool ConduitProcessAttach();
// Counts one detach; the last one hands the resource and module instances to
// the language loader's release and clears them.
bool ConduitProcessDetach();

std::int32_t ConduitAttachCount();
ResourceInstance ConduitModuleInstance();
ResourceInstance ConduitResourceInstance();

// The full path of the file the conduit's code is loaded from ("" when the
// system cannot tell).
std::string ConduitModulePath();

// The help file beside the module: the module path cut after its last '/'
// followed by "hotsyncd.hlp"; "" when the path holds no '/' after its first
// character.
std::string ConduitHelpFilePath(const std::string& modulePath);

inline constexpr const char* CONDUIT_HELP_FILE = "hotsyncd.hlp";
// Context number of the HotSync action topic.
inline constexpr std::uint32_t CONDUIT_HELP_CONTEXT = 131471;
