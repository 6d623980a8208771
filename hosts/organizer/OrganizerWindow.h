#pragma once
// quillet-organizer's main window.  It lists the HotSync users in a combo box
// and the registered extensions in a side list (with a "Home" page first);
// choosing an extension creates its control by class id inside the window's
// pane for it and drives it only through the host objects (site,
// application, main window, status bar) and their events:
//   - the user combo: site event 2 (user name, data path) on every change;
//   - showing or hiding an extension's page: site event 1 (1 / 0);
//   - the menus File, Edit, View and Tools (ids 18001-18004) carry the host
//     commands (19010-19060 at run time plus kCommandOffset) and the items an
//     extension adds; a chosen command goes to site event 4 first, and only
//     when the extension does not handle it does the window act itself.
//     Before a menu opens, site event 5 decides each item's state;
//   - key presses in the extension's pane (and Alt keys anywhere in the
//     window): site event 10, the key eaten when the extension says so;
//   - Find: site event 13, then 14 until nothing more is found, every hit
//     listed; choosing a hit: site event 15;
//   - Save: site event 3;
//   - HotSync (the tool bar button): application event 5 may refuse it;
//     otherwise save, run the HotSync in a progress window, and load the
//     user again.
//   - File > export and import of memos (the window's own items): save
//     through the extensions, write the current user's memos to a file or
//     add a file's memos to them, and load the user again after an import.
// Closing gives every control site event 3, then closes and releases it.

#include <QMainWindow>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hosts/organizer/ExtensionList.h"
#include "platform/com/ComPtr.h"
#include "platform/com/IOleObject.h"

class CFindPanel;
class CHostApplication;
class CHostMainWindow;
class CHostSite;
class CHostStatusBar;
class CInvokeArgs;
class CMemoDatabase;
class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QStackedWidget;

class COrganizerWindow : public QMainWindow {
  Q_OBJECT

 public:
  // A host command's id in the menus at run time is its fixed id plus this,
  // so that an extension must read the ids from the menus.
  static constexpr int kCommandOffset = 10000;
  // The first command id of the first extension's own items; each further
  // extension gets the next kCommandRange ids.
  static constexpr int kCommandBase = 40000;
  static constexpr int kCommandRange = 1000;
  static constexpr int kStatusPanes = 2;

  COrganizerWindow();
  ~COrganizerWindow() override;

  // --- users ---
  // Fills the user combo with the HotSync users (keeps the current one when
  // it is still there).
  void ReloadUsers();
  // Makes `user` (UTF-8) current; false when the combo does not list it.
  bool SelectUser(const std::string& user);
  // The current user (UTF-8), "" when there is none.
  std::string CurrentUser() const;
  // The data file of the current user for an extension: the user's HotSync
  // folder + "/Quillet/" + the extension's data file name; "" without a user.
  std::string DataPath(const std::string& extension) const;
  QComboBox* UserCombo() const { return m_users; }

  // --- extensions ---
  // Reads the list of registered extensions again; an extension that is no
  // longer registered leaves the list (its control, if any, is closed).
  void ReloadExtensions();
  std::vector<std::string> ExtensionNames() const;
  QListWidget* ExtensionListWidget() const { return m_side; }
  // Shows the extension's page, creating its control the first time.  False
  // (with the reason in the status bar) when it is not listed or its control
  // cannot be created.
  bool OpenExtension(const std::string& name);
  // Shows the home page (the extension shown before is told it is hidden).
  void ShowHome();
  // The extension whose page is shown, "" on the home page.
  std::string ActiveExtension() const { return m_active; }
  bool IsActiveSite(const CHostSite* site) const;
  IOleObject* Control(const std::string& name) const;
  QWidget* ExtensionPane(const std::string& name) const;

  // --- menus ---
  QMenu* Menu(int menuId) const;
  // The action of a host command by its fixed id (19010...), null when
  // there is none.
  QAction* CommandAction(int commandId) const;
  static int RunTimeId(int commandId) { return commandId + kCommandOffset; }
  // Where a menu sits in the menu bar (commandId 0) or a command in its
  // menu; false when there is no such menu or command.
  bool FindMenuItem(int menuId, int commandId, int& position) const;
  // Sets the state of every item of the menu as the extension (site event 5)
  // or the window decides; done each time the menu opens.
  void UpdateMenu(QMenu* menu);
  // Runs a command by its run-time id as if chosen from the menus.
  void RunCommand(int runTimeId);

  // --- status bar ---
  bool SetPaneText(int pane, const QString& text);
  QString PaneText(int pane) const;
  // The transient note (after a save, a refused command...).
  QString StatusMessage() const;

  // --- host commands ---
  // Site event 3 to every control (each saves what it holds).
  void Save();
  enum HotSyncOutcome { HOTSYNC_NO_USER = -3, HOTSYNC_REFUSED = -2 };
  // The HotSync button: HOTSYNC_NO_USER, HOTSYNC_REFUSED, or the exit status
  // of quillet-hotsync (-1 when it could not run).
  int HotSync();
  CFindPanel* FindPanel() const { return m_find; }

  // --- export and import of the current user's memos ---
  enum class Exchange { EXPORT, IMPORT };
  // Where the memos go to or come from: a path (UTF-8 in a QString), empty
  // when the user cancels.  The window's own asks with a file dialog; a test
  // puts its own in place.  The format follows the file's extension (.txt,
  // .json, .csv, .xml for KeePass 2 XML), else the dialog's chosen filter.
  using PathChooser = std::function<QString(Exchange)>;
  void SetPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }
  // The current user's memo file, "" without a user.
  std::string MemoFilePath() const;
  // The File menu's items: save through the extensions, ask for the path,
  // then write every memo to it, or add its memos to the memo file and load
  // the user again.  A message tells what happened; true when something was
  // written.
  bool ExportMemos();
  bool ImportMemos();
  // Runs the find bar's search: site event 13, then 14 until nothing more
  // is found.  The number of hits listed.
  int Find(const QString& text, bool matchCase);
  void GoToHit(int position);

  CHostApplication* ApplicationObject() const { return m_application; }
  CHostMainWindow* MainWindowObject() const { return m_mainWindow; }
  CHostStatusBar* StatusBarObject() const { return m_statusBar; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Hosted {
    ExtensionRecord record;
    CHostSite* site = nullptr;       // one reference, while the control lives
    CComPtr<IOleObject> control;
    QWidget* pane = nullptr;         // the page the control's window goes in
    int commandBase = 0;
  };

  void BuildMenus();
  void BuildToolBar();
  QAction* AddCommand(QMenu* menu, int commandId, const QString& text, const QKeySequence& key);
  Hosted* Lookup(const std::string& name);
  const Hosted* Lookup(const std::string& name) const;
  Hosted* ActiveHosted();
  bool CreateControl(Hosted& hosted);
  void CloseControl(Hosted& hosted);
  void CloseAll();
  void SizeControl(Hosted& hosted);
  void ShowPage(const std::string& name);
  void UserChanged();
  std::string DataPathFor(const std::string& user, const Hosted& hosted) const;
  void FillSideList();
  // Fires a site event on one extension's site; S_OK when nobody listens.
  HRESULT FireSite(Hosted& hosted, int dispid, CInvokeArgs& args);
  // The extension's answer to site event 4: true when it handled the command.
  bool ExtensionCommand(int runTimeId);
  void HostCommand(int commandId);
  // Host command state when the extension leaves it to the window.
  bool HostCommandEnabled(int commandId) const;
  bool PreTranslateKey(QObject* watched, QEvent* event);
  void Note(const QString& text);
  void EndBusy();
  // Site event 3 to every control, as before a HotSync.
  void SaveExtensions();
  // Site event 2 with the current user to every control: they load again.
  void LoadUserAgain();
  QString AskPath(Exchange exchange);
  // Loads the memo file, asking for its password when it is protected.
  // False (after telling the user) when it cannot be loaded.
  bool LoadMemos(CMemoDatabase& db, const std::string& path, bool forWriting);

  CHostApplication* m_application = nullptr;
  CHostMainWindow* m_mainWindow = nullptr;
  CHostStatusBar* m_statusBar = nullptr;

  QComboBox* m_users = nullptr;
  QListWidget* m_side = nullptr;
  QStackedWidget* m_pages = nullptr;
  QLabel* m_home = nullptr;
  CFindPanel* m_find = nullptr;
  QLabel* m_panes[kStatusPanes] = {};
  std::map<int, QMenu*> m_menus;        // by menu id
  std::map<int, QAction*> m_commands;   // by fixed command id
  QAction* m_hotSync = nullptr;
  PathChooser m_choosePath;
  std::vector<std::unique_ptr<Hosted>> m_extensions;  // in the list's order
  std::string m_active;
  bool m_fillingUsers = false;
  // While an extension is being called (its control created, an event
  // fired), the lists are not re-read: a password prompt closing reactivates
  // the window in the middle of the call.  The re-read follows it.
  int m_busy = 0;
  bool m_reloadPending = false;
  std::string m_lastUser;               // the user the controls were last given
  const QEvent* m_lastKey = nullptr;    // the key press the extension saw last
  int m_lastKeyCode = 0;
  quint64 m_lastKeyTime = 0;
  int m_nextCommandBase = kCommandBase;
};
