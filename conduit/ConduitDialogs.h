#pragma once
// The conduit's dialog templates and bitmaps: the HotSync action dialog in
// its full form (101, with the user's current settings) and its short form
// (399), and the four action bitmaps.  Registered in the conduit's own
// resource module beside its strings.

#include <cstdint>

#include "platform/resources/Resources.h"

// Dialogs.
inline constexpr std::uint32_t IDD_ACTION_FULL = 101;
inline constexpr std::uint32_t IDD_ACTION_SHORT = 399;

// Bitmaps.
inline constexpr std::uint32_t IDB_ACTION_SYNCHRONIZE = 103;
inline constexpr std::uint32_t IDB_ACTION_DESKTOP_OVERWRITES = 104;
inline constexpr std::uint32_t IDB_ACTION_HANDHELD_OVERWRITES = 105;
inline constexpr std::uint32_t IDB_ACTION_DO_NOTHING = 106;

// Controls.
inline constexpr int IDC_ACTION_GROUP = 403;
inline constexpr int IDC_SYNCHRONIZE = 404;
inline constexpr int IDC_DESKTOP_OVERWRITES = 405;
inline constexpr int IDC_HANDHELD_OVERWRITES = 406;
inline constexpr int IDC_DO_NOTHING = 407;
inline constexpr int IDC_SET_DEFAULT = 411;
inline constexpr int IDC_BITMAP_SYNCHRONIZE = 1000;
inline constexpr int IDC_BITMAP_DESKTOP_OVERWRITES = 1001;
inline constexpr int IDC_BITMAP_HANDHELD_OVERWRITES = 1002;
inline constexpr int IDC_BITMAP_DO_NOTHING = 1003;
inline constexpr int IDC_DEFAULT_ACTION = 1004;
inline constexpr int IDC_NEXT_ACTION = 1005;
inline constexpr int IDC_SETTINGS_GROUP = 1006;

// Adds the dialogs and bitmaps to the module (strings are registered with the
// module itself).  False when the instance is null or memory runs out.
bool RegisterConduitUiResources(ResourceInstance module);
