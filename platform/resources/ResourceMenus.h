#pragma once
// Menu resources by numeric id: a menu is a list of popups, each a list of
// items (a command with its text, a separator, or a nested popup), written
// as a flat table in which MENU_POPUP opens a popup and MENU_END closes it.
//
//   {0, "Edit", MENU_POPUP}, {57635, "Cu&t", 0}, {0, nullptr, MENU_SEPARATOR},
//   {57634, "&Copy", 0}, {0, nullptr, MENU_END}

#include <cstddef>
#include <cstdint>

#include "platform/resources/Resources.h"

inline constexpr std::uint32_t MENU_POPUP = 0x0010;
inline constexpr std::uint32_t MENU_SEPARATOR = 0x0800;
inline constexpr std::uint32_t MENU_END = 0x0080;
inline constexpr std::uint32_t MENU_GRAYED = 0x0001;

struct MenuItem {
  std::int32_t command;  // 0 for popups and separators
  const char* text;      // ANSI bytes; nullptr for separators and ends
  std::uint32_t flags;
};

struct MenuTemplate {
  const MenuItem* items;
  std::size_t itemCount;
};

// One entry of a module's menu table.  The template is not copied: it must
// live as long as the process.
struct ResourceMenu {
  std::uint32_t id;
  const MenuTemplate* menu;
};

extern "C" {

// Adds (or replaces) menus of the module.  Entries with a null template are
// skipped.  Returns the number added, or -1 for a null instance or table, or
// when memory runs out.
std::int32_t ResourceAddMenus(ResourceInstance instance, const ResourceMenu* table,
                              std::size_t count);

// The menu `id`, or nullptr when the module has none.
const MenuTemplate* ResourceFindMenu(ResourceInstance instance, std::uint32_t id);

}  // extern "C"
