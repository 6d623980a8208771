#pragma once
// The main view of the extension: the window the user sees inside the host.
// It owns the memo database of the current user, asks for the password when
// the memos are protected, and shows the memos of one category (or of all)
// in the memo list in text order, with the current memo in a read-only
// preview.  A link tab strip along the bottom switches the list between
// report, large-icon and small-icon views.  Everything the view changes stays
// in memory until the host asks it to save.
//
// The host (the extension's control) creates the view as its only child with
// Create, hands it the user and data file with LoadUserData, activates it
// with SetActive, passes keyboard messages through PreTranslateHostMessage
// and asks it to save with SaveIfModified.  The view posts WM_VIEW_SELECTION
// (row of the current memo or -1, row count) to its parent after every change
// of the current memo.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry/AppProfile.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ResizeDialog.h"
#include "store/MemoDatabase.h"
#include "store/RecordView.h"
#include "store/SecretString.h"
#include "viewer/ListCtrlEx.h"
#include "viewer/UiPrefsFile.h"

class CCategoryTable;
class CMemoRecord;
class CRecord;
class CPopupMenu;
class CTabLinkCtrl;
class QPlainTextEdit;

// Posted to the parent: wParam the row of the current memo (-1 none), lParam
// the number of rows in the list.
inline constexpr unsigned WM_VIEW_SELECTION = 0x1400;

class CMainDlg : public CResizeDialog {
  Q_OBJECT

 public:
  explicit CMainDlg(QWidget* parent);
  ~CMainDlg() override;

  // Opens the user's data: the UI preferences beside the file, then the
  // memo database, asking for the password while the memos are protected and
  // the password is missing or wrong.  The view is enabled only when the
  // file opened; the result of the last load (0, -1, or -2 when the prompt
  // was cancelled).
  int LoadUserData(const std::string& userName, const std::string& dataPath);
  // Results of SaveIfModified.
  static constexpr int SAVE_OK = 0;         // written, or nothing to write
  static constexpr int SAVE_FILE_BUSY = 1;  // another program kept the memo file's lock
  static constexpr int SAVE_FAILED = 2;     // the file could not be written; it is as it was
  // Another program replaced the memo file since it was read (a HotSync):
  // it is not overwritten; the memos must be loaded again.
  static constexpr int SAVE_FILE_CHANGED = 3;

  // Writes the UI preferences and, when something changed, the database,
  // under the memo file's lock and only when the file is still the one that
  // was read (or last written here).  After a load that failed nothing is
  // written: the database would be empty.
  int SaveIfModified();
  // 0 stores the split position, 1 restores it and refreshes the list.
  void SetActive(int active);
  // True when the view took the message: Alt+L, Alt+R and Alt+C pick the
  // list's view tab.
  bool PreTranslateHostMessage(const WindowMsg& message);

  // Refills the list with the memos of the chosen category in text order and
  // makes the memo at `position` current when it is among them.
  void RefreshList(int position);
  // Appends the row of a memo: its first line, category name and second
  // line.  The row's index.
  int AddListRow(const CMemoRecord& memo);
  // Shows the memo at `position` (-1: none) in the preview and posts the
  // selection.
  void ShowPreview(int position);

  // The view's commands; the host's menu commands arrive here too.
  void NewMemo();                // command 15, button 202
  void EditMemo();               // command 16, button 203
  void EditCategoriesCommand();  // the category editor
  void ShowColumns();            // the column dialog
  void DeleteMemos();            // command 14, asks first
  void Cut();
  void Copy();
  void Paste();
  void Undo();
  void SelectAll();
  void ChangeCategory(int category);  // commands 20..35
  // Runs the command with that id (14-16, 20-35, the editing commands,
  // 400, 401); false when the view has no such command.
  bool ExecuteCommand(int id);
  // Whether the view handles the command and whether it is enabled now;
  // the check mark and the fourth flag are always 0.
  void GetCommandState(int command, int& handled, int& enabled, int& check, int& fourth);

  // The host's search: BeginSearch, then FindNext until nothing is found.
  void BeginSearch(const std::string& text, int matchCase, int unused);
  void FindNext(std::string& firstLine, std::string& secondLine, int& position, int& found);
  void GoToRecord(int position, int refresh);
  // A HotSync may start only while no editing dialog is open; `message`
  // says why not.
  void CanHotSync(int& allowed, std::string& message);

  // Counts every change of the memos or categories; a host compares it with
  // its value at the last save to know whether there is anything unsaved
  // (the modified flag itself stays set after a save).
  int ChangeCount() const { return changeCount; }
  // True when the memos or categories changed since they were loaded or
  // last written to the memo file.
  bool HasUnsavedChanges() const { return changeCount != savedChangeCount; }

  // What the view holds, for the host and the commands that work on it.
  CMemoDatabase& Database() { return database; }
  CListCtrlEx& MemoList() { return memoList; }
  CComboBox& CategoryCombo() { return categoryCombo; }
  CTabLinkCtrl* TabStrip() const { return tabStrip; }
  CCategoryTable* Categories() const { return categories; }
  const CUiPrefsFile& Prefs() const { return prefs; }
  bool IsModified() const { return modified != 0; }
  void SetModified() {
    modified = 1;
    ++changeCount;
  }
  int LastLoadResult() const { return lastLoadResult; }
  // The memo position of a list row; -1 for a bad row.
  int PositionOfRow(int row) const;
  // The row showing the memo at `position`; -1 when none does.
  int RowOfPosition(int position) const;

  // Where the maker link leads: the extension's help page in its install
  // folder (the profile's "InstallPath", else the running program's folder).
  static std::string HelpPagePath();

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;
  void OnSelChange(int id) override;
  bool OnNotify(int id, const ListNotify& notify) override;
  void OnWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
  void paintEvent(QPaintEvent* event) override;

  // Asks for the password of a protected file.  True with the entry when
  // the user confirmed, false when the prompt was cancelled.  Tests answer
  // in place of a person.
  virtual bool PromptPassword(const std::string& user, const std::string& hint,
                              CSecretString& password);
  // The view's context menu over the list (the rows' menu or the empty
  // list's one).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The row whose memo the list's selection shows: the selection mark when
  // it is selected, else the first selected row; -1 when none is.
  int SelectedRow() const;
  void ShowRow(int row);
  // ShowPreview when the row showing the memo is already known (-1: look
  // it up).
  void ShowPreviewAt(int position, int knownRow);
  void OnListKeyDown(int key);
  // The memo editor on `position` (-1: a new memo).
  void RunMemoEditor(int position);
  // True when the load succeeded: commands that change memos do nothing
  // otherwise, since nothing could ever be saved.
  bool CanChange() const { return lastLoadResult == RDB_OK; }
  // Whether sub-item `subItem` of a row is the category column.
  bool IsCategoryColumn(int subItem) const;
  // The categories of the filter (without "すべて" and
  // "カテゴリの編集...") as change-category commands.
  void AppendCategoryItems(CPopupMenu& menu) const;
  void ShowCategoryMenu(const QPoint& screenPoint);
  void ShowContextMenu(const QPoint& viewportPoint, const QPoint& screenPoint);
  // Greys the menu's items that the view handles and that are disabled now.
  void UpdateMenuStates(CPopupMenu& menu);
  bool PreviewHasFocus() const;
  // Marks the memos of the selected rows deleted and removes their rows;
  // the positions in row order.
  std::vector<std::int32_t> RemoveSelectedRows();
  // After memos left the list: a current memo that is gone leaves the preview.
  void DropDeletedCurrent();
  void OnTabChange(int tab);
  void DestroyView();

  CComboBox categoryCombo;
  CComboBox sortCombo;
  CListCtrlEx memoList;
  QPlainTextEdit* preview = nullptr;
  CTabLinkCtrl* tabStrip = nullptr;
  CImageList smallImages;
  CImageList largeImages;
  std::string userName;
  std::string dataPath;
  CSecretString password;
  int modified = 0;
  std::vector<std::int32_t> undoList;
  CMemoDatabase database;
  CRecordView listView;
  CCategoryTable* categories = nullptr;
  CUiPrefsFile prefs;
  std::string searchText;
  int matchCase = 0;
  CRecordView searchView;
  CRecord* searchRecord = nullptr;
  int searchDone = 0;

  CAppProfile profile;
  // The result of the last load; RDB_CANNOT_OPEN before the first one, so
  // that nothing is saved until a file has really been opened.
  int lastLoadResult = RDB_CANNOT_OPEN;
  bool created = false;
  int changeCount = 0;
  int savedChangeCount = 0;  // changeCount when the file was last read or written

  // Which file the memos were read from: device, inode, size and change time.
  struct FileStamp {
    bool valid = false;
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, seconds = 0, nanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
  };
  static FileStamp StampOf(const std::string& path);
  FileStamp loadedStamp;
};
