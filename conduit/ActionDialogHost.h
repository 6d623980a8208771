#pragma once
// Shows the HotSync action dialog for the entry points, which the HotSync
// Manager calls from a program that may have no user-interface application of
// its own: one is made for the time of the dialog when none exists and a
// display (or an offscreen platform) is available.

#include <cstdint>

#include "conduit/ConduitBlocks.h"

// Results besides the dialog's own (CActionDialog::RESULT_OK, RESULT_CANCEL).
inline constexpr int ACTION_DIALOG_NO_DISPLAY = -2;  // nowhere to show a window
inline constexpr int ACTION_DIALOG_FAILED = -1;      // no dialog resource

// True when a window can be shown: an application object exists already, or
// QT_QPA_PLATFORM, DISPLAY or WAYLAND_DISPLAY names a platform to show it on.
bool ActionDialogCanShow();

// Runs dialog `dialogId` modally over `block`, owned by the active window.
// Memory running out while the dialog is made or runs ends the process: the
// window toolkit does not survive an allocation failure inside its own code.
int RunActionDialog(std::uint32_t dialogId, ConduitConfigBlock* block) noexcept;
