#pragma once
// The HotSync Manager's sync types as the record managers see them.

#include <cstdint>

namespace SyncType {

inline constexpr std::int32_t FAST = 0;
inline constexpr std::int32_t SLOW = 1;
inline constexpr std::int32_t HANDHELD_OVERWRITES = 2;
inline constexpr std::int32_t DESKTOP_OVERWRITES = 3;
inline constexpr std::int32_t DESKTOP_OVERWRITES_4 = 4;          // behaves as 3
inline constexpr std::int32_t HANDHELD_OVERWRITES_KEEP = 5;      // as 2, handheld flags kept
inline constexpr std::int32_t DO_NOTHING = 6;
inline constexpr std::int32_t DESKTOP_OVERWRITES_7 = 7;          // behaves as 3
inline constexpr std::int32_t LAST = 7;

}  // namespace SyncType
