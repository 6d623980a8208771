#pragma once
// The organizer's event interfaces: dispatch interfaces that the organizer
// calls through IDispatch::Invoke with the dispatch ids below, on every
// receiver connected to the connection point of the event's source.
// Arguments arrive last first in DISPPARAMS; outputs are VT_BYREF variants
// pointing at the organizer's variables (VT_I4 or VT_BOOL for numbers and
// flags, VT_BSTR for texts).

#include "platform/com/ComTypes.h"
#include "platform/com/Guid.h"

// Site events: source IHostSite.
inline constexpr IID DIID_HostSiteEvents = GuidLiteral("{54193A75-FC5B-11D4-8193-00C04FA03755}");
inline constexpr GUID LIBID_HostSiteEvents = GuidLiteral("{85C0BBA2-ECA7-11D4-8187-00C04FA03755}");

enum HostSiteEvent : DISPID {
  SITE_EVENT_ACTIVATE = 1,        // flag
  SITE_EVENT_USER_CHANGED = 2,    // user name, data path
  SITE_EVENT_SAVE = 3,            // two strings
  SITE_EVENT_COMMAND = 4,         // command id, out handled
  SITE_EVENT_COMMAND_STATE = 5,   // command id, out handled, out enabled, out check mark, out fourth flag
  SITE_EVENT_COMMAND_HELP = 6,    // command id, out handled, out text
  SITE_EVENT_7 = 7,
  SITE_EVENT_8 = 8,               // one value, out result
  SITE_EVENT_9 = 9,               // two values, out result
  SITE_EVENT_MESSAGE = 10,        // window, message, first and second parameter, time, x, y, out result
  SITE_EVENT_11 = 11,
  SITE_EVENT_12 = 12,
  SITE_EVENT_BEGIN_SEARCH = 13,   // text, match-case flag, third flag
  SITE_EVENT_FIND_NEXT = 14,      // out first line, out second line, out position, out found
  SITE_EVENT_GO_TO_RECORD = 15,   // position, refresh flag
  SITE_EVENT_16 = 16,
};

// Application events: source IHostApplication.
inline constexpr IID DIID_HostApplicationEvents = GuidLiteral("{E1998732-7C8B-11D5-81FC-00C04FA03755}");
// Main-window events: source IHostMainWindow.
inline constexpr IID DIID_HostMainWindowEvents = GuidLiteral("{397003FA-6684-11D5-81EA-00C04FA03755}");
// The type library of the application and main-window events.
inline constexpr GUID LIBID_HostApplicationEvents = GuidLiteral("{A197D5E6-43B4-11D4-80F3-00C04FA03755}");

enum HostApplicationEvent : DISPID {
  APP_EVENT_1 = 1,
  APP_EVENT_2 = 2,
  APP_EVENT_3 = 3,
  APP_EVENT_4 = 4,
  APP_EVENT_CAN_HOTSYNC = 5,      // a string, out allowed, out message
};

enum HostMainWindowEvent : DISPID {
  MAIN_WINDOW_EVENT_1 = 1,
  MAIN_WINDOW_EVENT_2 = 2,
  MAIN_WINDOW_EVENT_3 = 3,
};

// The organizer's menus, by their ids in the menu bar, and the commands in
// them that the extension handles or reports on.  Run-time command ids are
// read from the menu at the position IHostMainWindow::FindMenuItem reports.
enum HostMenu : LONG {
  HOST_MENU_FILE = 18001,
  HOST_MENU_EDIT = 18002,
  HOST_MENU_VIEW = 18003,   // the extension appends its own item here
  HOST_MENU_TOOLS = 18004,
};

enum HostCommand : LONG {
  HOST_CMD_FILE_19010 = 19010,
  HOST_CMD_SAVE = 19011,
  HOST_CMD_FILE_19012 = 19012,
  HOST_CMD_FILE_19014 = 19014,
  HOST_CMD_FILE_19015 = 19015,
  HOST_CMD_UNDO = 19020,
  HOST_CMD_CUT = 19022,
  HOST_CMD_COPY = 19023,
  HOST_CMD_PASTE = 19024,
  HOST_CMD_DELETE = 19025,
  HOST_CMD_SELECT_ALL = 19027,
  HOST_CMD_VIEW_19051 = 19051,
  HOST_CMD_VIEW_19052 = 19052,
  HOST_CMD_VIEW_19053 = 19053,  // the extension's item follows it, behind a separator
  HOST_CMD_EDIT_CATEGORIES = 19060,
};
