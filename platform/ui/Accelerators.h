#pragma once
// Keyboard shortcuts from an accelerator table: while the dialog or any of
// its controls has the keyboard focus, a key combination of the table sends
// its command to the dialog (as a button press would) instead of reaching the
// focused control.

#include <cstdint>

#include "platform/resources/Resources.h"

class CDialogWindow;

// Installs table `tableId` of `instance` on the dialog and its present
// controls; the installation lives as long as the dialog.  False (nothing
// installed) when the module has no such table.
bool InstallAccelerators(CDialogWindow& dialog, ResourceInstance instance, std::uint32_t tableId);
