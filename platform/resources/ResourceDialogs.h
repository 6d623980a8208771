#pragma once
// Dialog templates by numeric id.  A template gives the dialog's caption, font
// and size and its controls, every position in dialog units (a quarter of the
// dialog font's average character width across, an eighth of its height
// down).  The user-interface layer turns a template into a window; controls
// are then found by their numeric id.

#include <cstddef>
#include <cstdint>

#include "platform/resources/Resources.h"

// Kinds of control a template can hold.
enum DialogItemKind : std::uint32_t {
  DLG_ITEM_LABEL = 1,          // static text
  DLG_ITEM_GROUPBOX = 2,       // frame with a title
  DLG_ITEM_BITMAP = 3,         // static showing a bitmap (text = bitmap id in decimal, or "")
  DLG_ITEM_PUSHBUTTON = 4,
  DLG_ITEM_DEFPUSHBUTTON = 5,  // the button Enter presses
  DLG_ITEM_RADIOBUTTON = 6,    // plain: only the dialog's own code checks it
  DLG_ITEM_AUTORADIOBUTTON = 7,
  DLG_ITEM_CHECKBOX = 8,       // plain: only the dialog's own code ticks it
  DLG_ITEM_AUTOCHECKBOX = 9,
  DLG_ITEM_EDIT = 10,
  DLG_ITEM_COMBOBOX = 11,
  DLG_ITEM_LISTBOX = 12,
  DLG_ITEM_LISTVIEW = 13,      // list-view control (report and icon views)
};

// Style bits of a control.
inline constexpr std::uint32_t DLG_STYLE_GROUP = 0x0001;     // starts a group of controls
inline constexpr std::uint32_t DLG_STYLE_TABSTOP = 0x0002;   // reached with the Tab key
inline constexpr std::uint32_t DLG_STYLE_DISABLED = 0x0004;
inline constexpr std::uint32_t DLG_STYLE_HIDDEN = 0x0008;
inline constexpr std::uint32_t DLG_STYLE_MULTILINE = 0x0010;  // edit controls
inline constexpr std::uint32_t DLG_STYLE_READONLY = 0x0020;   // edit controls
inline constexpr std::uint32_t DLG_STYLE_PASSWORD = 0x0040;   // edit controls
inline constexpr std::uint32_t DLG_STYLE_VSCROLL = 0x0080;    // vertical scroll bar
inline constexpr std::uint32_t DLG_STYLE_BORDER = 0x0100;
inline constexpr std::uint32_t DLG_STYLE_SORT = 0x0200;       // combo boxes: added entries sorted in
// List-view controls.
inline constexpr std::uint32_t DLG_STYLE_LIST_REPORT = 0x0400;         // starts in report view
inline constexpr std::uint32_t DLG_STYLE_LIST_SINGLESEL = 0x0800;      // one row selected at most
inline constexpr std::uint32_t DLG_STYLE_LIST_SHOWSELALWAYS = 0x1000;  // selection shown without focus
inline constexpr std::uint32_t DLG_STYLE_LIST_AUTOARRANGE = 0x2000;    // icons kept arranged
inline constexpr std::uint32_t DLG_STYLE_LIST_NOHEADER = 0x4000;       // report view without header

// Style bits of a template.
// A child dialog: a visible window without caption inside its parent, created
// with Create rather than run modally.
inline constexpr std::uint32_t DLG_TEMPLATE_CHILD = 0x0001;
// A modal dialog with a sizing border: the user may resize it.
inline constexpr std::uint32_t DLG_TEMPLATE_RESIZABLE = 0x0002;

// Id of a control that the dialog's code never addresses.
inline constexpr std::int32_t DLG_ID_STATIC = -1;

struct DialogItem {
  std::int32_t id;
  DialogItemKind kind;
  const char* text;  // ANSI bytes
  std::int16_t x, y, width, height;
  std::uint32_t style;
};

struct DialogTemplate {
  const char* caption;  // ANSI bytes
  const char* fontName;
  std::int16_t fontPointSize;
  std::int16_t width, height;  // client area, dialog units
  const DialogItem* items;
  std::size_t itemCount;
  std::uint32_t style;  // DLG_TEMPLATE_* bits
};

// One entry of a module's dialog table.  The template is not copied: it must
// live as long as the process, as compiled-in tables do.
struct ResourceDialog {
  std::uint32_t id;
  const DialogTemplate* dialog;
};

extern "C" {

// Adds (or replaces) dialog templates of the module.  Entries with a null
// template are skipped.  Returns the number added, or -1 for a null instance
// or table, or when memory runs out.
std::int32_t ResourceAddDialogs(ResourceInstance instance, const ResourceDialog* table,
                                std::size_t count);

// The template of dialog `id`, or nullptr when the module has none.
const DialogTemplate* ResourceFindDialog(ResourceInstance instance, std::uint32_t id);

}  // extern "C"
