// The HotSync action dialogs and bitmaps of the conduit's own resources.

#include "conduit/ConduitDialogs.h"

#include <iterator>

#include "platform/resources/ResourceBitmaps.h"
#include "platform/resources/ResourceDialogs.h"
#include "resources/conduit/ActionBitmaps.h"

namespace {

constexpr std::uint32_t TAB = DLG_STYLE_TABSTOP;
constexpr std::uint32_t GROUP = DLG_STYLE_GROUP;

const DialogItem kFullItems[] = {
    {IDC_SETTINGS_GROUP, DLG_ITEM_GROUPBOX, "<User's Current Settings Place Holder>", 8, 8, 238, 44, 0},
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "Default HotSync Action:", 14, 23, 77, 8, 0},
    {IDC_DEFAULT_ACTION, DLG_ITEM_LABEL, "Static", 103, 23, 131, 8, 0},
    {DLG_ID_STATIC, DLG_ITEM_LABEL, "Next HotSync Action:", 14, 36, 77, 8, 0},
    {IDC_NEXT_ACTION, DLG_ITEM_LABEL, "Static", 103, 36, 131, 8, 0},
    {IDC_ACTION_GROUP, DLG_ITEM_GROUPBOX, "<Conduit Name HotSync Action Place Holder>", 8, 54, 177, 124, 0},
    {IDC_BITMAP_SYNCHRONIZE, DLG_ITEM_BITMAP, "103", 14, 76, 32, 15, 0},
    {IDC_SYNCHRONIZE, DLG_ITEM_RADIOBUTTON, "&Synchronize the files", 72, 80, 79, 10, GROUP | TAB},
    {IDC_BITMAP_DESKTOP_OVERWRITES, DLG_ITEM_BITMAP, "104", 14, 102, 32, 15, 0},
    {IDC_DESKTOP_OVERWRITES, DLG_ITEM_RADIOBUTTON, "&Desktop overwrites handheld", 72, 106, 108, 10, TAB},
    {IDC_BITMAP_HANDHELD_OVERWRITES, DLG_ITEM_BITMAP, "105", 14, 128, 32, 15, 0},
    {IDC_HANDHELD_OVERWRITES, DLG_ITEM_RADIOBUTTON, "&Handheld overwrites Desktop", 72, 132, 108, 10, TAB},
    {IDC_BITMAP_DO_NOTHING, DLG_ITEM_BITMAP, "106", 14, 154, 32, 15, 0},
    {IDC_DO_NOTHING, DLG_ITEM_RADIOBUTTON, "Do &nothing", 72, 158, 48, 10, TAB},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 196, 57, 50, 14, GROUP | TAB},
    {2, DLG_ITEM_PUSHBUTTON, "Cancel", 196, 73, 50, 14, TAB},
    {9, DLG_ITEM_PUSHBUTTON, "Help", 196, 89, 50, 14, TAB},
    {IDC_SET_DEFAULT, DLG_ITEM_AUTOCHECKBOX, "Set &as default", 196, 120, 58, 10, TAB},
};

// The short form: no current settings, everything else 46 units higher.
const DialogItem kShortItems[] = {
    {IDC_ACTION_GROUP, DLG_ITEM_GROUPBOX, "<PlaceHolder>", 8, 8, 177, 124, 0},
    {IDC_BITMAP_SYNCHRONIZE, DLG_ITEM_BITMAP, "103", 14, 30, 32, 15, 0},
    {IDC_SYNCHRONIZE, DLG_ITEM_RADIOBUTTON, "&Synchronize the files", 72, 34, 79, 10, GROUP | TAB},
    {IDC_BITMAP_DESKTOP_OVERWRITES, DLG_ITEM_BITMAP, "104", 14, 56, 32, 15, 0},
    {IDC_DESKTOP_OVERWRITES, DLG_ITEM_RADIOBUTTON, "&Desktop overwrites handheld", 72, 60, 108, 10, TAB},
    {IDC_BITMAP_HANDHELD_OVERWRITES, DLG_ITEM_BITMAP, "105", 14, 82, 32, 15, 0},
    {IDC_HANDHELD_OVERWRITES, DLG_ITEM_RADIOBUTTON, "&Handheld overwrites Desktop", 72, 86, 108, 10, TAB},
    {IDC_BITMAP_DO_NOTHING, DLG_ITEM_BITMAP, "106", 14, 108, 32, 15, 0},
    {IDC_DO_NOTHING, DLG_ITEM_RADIOBUTTON, "Do &nothing", 72, 112, 48, 10, TAB},
    {1, DLG_ITEM_DEFPUSHBUTTON, "OK", 196, 11, 50, 14, GROUP | TAB},
    {2, DLG_ITEM_PUSHBUTTON, "Cancel", 196, 27, 50, 14, TAB},
    {9, DLG_ITEM_PUSHBUTTON, "Help", 196, 43, 50, 14, TAB},
    {IDC_SET_DEFAULT, DLG_ITEM_AUTOCHECKBOX, "Set &as default", 196, 74, 58, 10, TAB},
};

const DialogTemplate kFullDialog = {
    "Change HotSync Action", "MS Sans Serif", 8, 262, 188, kFullItems, std::size(kFullItems), 0};
const DialogTemplate kShortDialog = {
    "Change HotSync Action", "MS Sans Serif", 8, 262, 141, kShortItems, std::size(kShortItems), 0};

const ResourceDialog kDialogs[] = {
    {IDD_ACTION_FULL, &kFullDialog},
    {IDD_ACTION_SHORT, &kShortDialog},
};

const ResourceBitmap kBitmaps[] = {
    {IDB_ACTION_SYNCHRONIZE, ACTION_SYNCHRONIZE_XPM},
    {IDB_ACTION_DESKTOP_OVERWRITES, ACTION_DESKTOP_OVERWRITES_XPM},
    {IDB_ACTION_HANDHELD_OVERWRITES, ACTION_HANDHELD_OVERWRITES_XPM},
    {IDB_ACTION_DO_NOTHING, ACTION_DO_NOTHING_XPM},
};

}  // namespace

bool RegisterConduitUiResources(ResourceInstance module) {
  if (module == nullptr) return false;
  return ResourceAddDialogs(module, kDialogs, std::size(kDialogs)) >= 0 &&
         ResourceAddBitmaps(module, kBitmaps, std::size(kBitmaps)) >= 0;
}
