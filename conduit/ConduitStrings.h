#pragma once
// The conduit's string ids and its English string table.  The conduit's own
// module ("QuilletC.dll") carries these copies; a language library may carry
// translations under the same ids.

#include <cstdint>

#include "platform/resources/Resources.h"

// Name under which the conduit's own resources are registered.
inline constexpr const char* CONDUIT_MODULE_NAME = "QuilletC.dll";
// Language library the conduit asks the language loader for.
inline constexpr const char* CONDUIT_LANGUAGE_FILE = "QuilletCLang.DLL";

// Entry points and the HotSync action dialog.
inline constexpr std::uint32_t IDS_CONDUIT_NAME = 1;
inline constexpr std::uint32_t IDS_CURRENT_SETTINGS = 8004;   // "%s's Current Settings:"
inline constexpr std::uint32_t IDS_ACTION_SYNCHRONIZE = 8005;
inline constexpr std::uint32_t IDS_ACTION_DESKTOP_OVERWRITES = 8006;
inline constexpr std::uint32_t IDS_ACTION_HANDHELD_OVERWRITES = 8007;
inline constexpr std::uint32_t IDS_ACTION_DO_NOTHING = 8008;
inline constexpr std::uint32_t IDS_ACTION_GROUP = 8009;       // "Quillet HotSync Action"

// HotSync log messages.
inline constexpr std::uint32_t IDS_HH_PURGE_FAILED = 3316;
inline constexpr std::uint32_t IDS_REMOTE_CATEGORY_MOVE_FAILED = 3320;
inline constexpr std::uint32_t IDS_REMOTE_CATEGORY_LIMIT = 3323;
inline constexpr std::uint32_t IDS_REMOTE_CATEGORY_DELETED = 3325;
inline constexpr std::uint32_t IDS_RECORD_DUPLICATED = 3328;
inline constexpr std::uint32_t IDS_MODIFIED_DELETED = 3334;
inline constexpr std::uint32_t IDS_HH_CLEAR_FLAGS_FAILED = 3348;
inline constexpr std::uint32_t IDS_PC_PURGE_FAILED = 3363;
inline constexpr std::uint32_t IDS_PC_SAVE_FAILED = 3364;
inline constexpr std::uint32_t IDS_PC_CLEAR_FLAGS_FAILED = 3365;
inline constexpr std::uint32_t IDS_HH_CLOSE_FAILED = 3366;
inline constexpr std::uint32_t IDS_PC_CLOSE_FAILED = 3367;
inline constexpr std::uint32_t IDS_LOCAL_CATEGORY_DELETED = 3368;
inline constexpr std::uint32_t IDS_LOCAL_CATEGORY_MOVE_FAILED = 3369;
inline constexpr std::uint32_t IDS_LOCAL_CATEGORY_LIMIT = 3370;
inline constexpr std::uint32_t IDS_DB_DESCRIPTION_LONG = 3371;
inline constexpr std::uint32_t IDS_DB_DESCRIPTION_SHORT = 3372;
inline constexpr std::uint32_t IDS_PC_CREATE_FAILED = 3373;
inline constexpr std::uint32_t IDS_HH_CREATE_FAILED = 3374;
inline constexpr std::uint32_t IDS_PC_ADD_FAILED = 3375;
inline constexpr std::uint32_t IDS_HH_ADD_FAILED = 3376;
inline constexpr std::uint32_t IDS_PC_READ_FAILED = 3377;
inline constexpr std::uint32_t IDS_HH_READ_FAILED = 3378;
// The desktop file is held by another program (another HotSync, quillet, the
// organizer) for the whole of the time the conduit waited for it.
inline constexpr std::uint32_t IDS_PC_FILE_IN_USE = 3380;
// The two sides' memos are protected by different passwords: nothing was
// synchronized, and the message tells the user how to make them agree.
inline constexpr std::uint32_t IDS_PASSWORD_MISMATCH = 3381;

// The conduit's own resource module with its English strings, registered on
// the first call (later calls return the same instance).  nullptr only when
// memory runs out.
ResourceInstance ConduitResources();
