// quillet-viewer: opens a user's desktop memo file in the memo viewer, in a
// small window that hosts the viewer as the organizer will: its menus carry
// the editing commands to the view and File > Save writes the file.

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

#include "hosts/hotsync/HotSyncPaths.h"
#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/organizer/FirstStart.h"
#include "hosts/viewer/ViewerTarget.h"
#include "hosts/viewer/ViewerWindow.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ToolText.h"

int main(int argc, char** argv) {
  CArgParser parser("quillet-viewer",
                    "Shows a user's Quillet memos in a window to read and edit them: the memos by "
                    "category in text order with a preview, asking for the password when they "
                    "are protected.");
  parser.AddOption("user", "NAME",
                   "the HotSync user whose memos to show (default: the only HotSync user)");
  parser.AddPositional("FILE",
                       "the desktop memo file (default: Quillet/record.dat in the user's HotSync "
                       "folder under $QUILLET_HOME, else $XDG_DATA_HOME/quillet)",
                       false);
  parser.SetNotes(
      "The window remembers its column layout, view tab and splitter in the registry file\n"
      "($QUILLET_CONFIG_HOME/registry.ini) and the category filter and current memo in\n"
      "UiPrefs.DAT beside the memo file, when it is closed.  Changes to the memos stay in\n"
      "memory until File > Save (Ctrl+S); closing with unsaved changes asks whether to save\n"
      "them.  Exit status 0 when the window was shown, 2 for a usage error or when no user\n"
      "or file can be chosen.");
  std::vector<std::string> args(argv + 1, argv + argc);
  // --help and usage errors need no display.
  const int status = parser.Run(args, std::cout, std::cerr);
  if (status != CArgParser::CONTINUE) return status;

  CHotSyncSettings settings;
  ViewerTarget target;
  std::string error;
  if (!ChooseViewerTarget(settings, QuilletHome(""), parser.Value("user"), parser.Has("user"),
                          parser.Positional(0), target, error)) {
    return parser.UsageError(std::cerr, error);
  }
  std::string ansiUser;
  std::string ansiPath;
  if (!InputToAnsi(target.user, ansiUser) || !InputToAnsi(target.file.string(), ansiPath)) {
    return parser.UsageError(std::cerr, "the user name or file name has characters the ANSI code page cannot hold");
  }

  // An installed viewer started first names the extension's folder, where
  // its help page is.
  CFirstStart firstStart(CFirstStart::Installed());
  if (firstStart.Run(false) == CFirstStart::SETUP_FAILED) std::cerr << "quillet-viewer: " << firstStart.Error() << "\n";

  QApplication application(argc, argv);
  CViewerWindow window;
  window.show();
  window.Open(ansiUser, ansiPath);
  return application.exec();
}
