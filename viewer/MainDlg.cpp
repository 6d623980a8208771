// The main view: loading, the category filter, the memo list and preview,
// the view tabs and the painted frames.

#include "viewer/MainDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QPaintEvent>
#include <QListView>
#include <QPlainTextEdit>
#include <QTableView>

#include <sys/stat.h>

#include <algorithm>

#include "editing/CategoryCombo.h"
#include "editing/EditCategoryDlg.h"
#include "editing/EditRecordDlg.h"
#include "editing/OpenEditorCount.h"
#include "platform/files/FileLock.h"
#include "platform/text/LineEnds.h"
#include "platform/text/Mbcs.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PaintDC.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionModule.h"
#include "store/CategoryTable.h"
#include "store/MemoRecord.h"
#include "viewer/PasswdDlg.h"
#include "viewer/ShowColumnsDlg.h"
#include "viewer/TabLinkCtrl.h"

namespace {

// Item values of the category filter besides the category indexes.
constexpr int FILTER_ALL = CATEGORY_ALL;
constexpr int FILTER_EDIT_CATEGORIES = CATEGORY_EDIT_ENTRY;

// The longest memo a paste makes; a longer text becomes several memos.
constexpr std::size_t MAX_MEMO_BYTES = 0x7FFF;

// Popups of the view's menu resource.
constexpr int POPUP_WITH_ROWS = 0;
constexpr int POPUP_WITHOUT_ROWS = 1;

// Ids of the memo list's columns.
constexpr int COLUMN_TEXT = 0;
constexpr int COLUMN_CATEGORY = 1;
constexpr int COLUMN_SECOND_LINE = 2;

// The view tabs.
constexpr int TAB_LIST = 0;
constexpr int TAB_LARGE_ICONS = 1;
constexpr int TAB_SMALL_ICONS = 2;

constexpr int TAB_STRIP_HEIGHT = 26;
constexpr COLORREF TAB_STRIP_COLOUR = 0x87B8DE;
constexpr QRgb IMAGE_MASK = 0xFF00FF;
constexpr COLORREF BLACK = 0;

// A memo's first line (up to its first "\r", the whole text without one)
// and second line (after the first "\n", up to the next "\r"; empty
// without a "\n"), as its list row and the host's search show them.
void SplitFirstLines(const std::string& text, std::string& first, std::string& second) {
  first = text.substr(0, text.find('\r'));
  second.clear();
  const std::size_t lineFeed = text.find('\n');
  if (lineFeed == std::string::npos) return;
  const std::size_t start = lineFeed + 1;
  const std::size_t end = text.find('\r', start);
  second = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

CMainDlg::CMainDlg(QWidget* parent)
    : CResizeDialog(ResourceFindDialog(ExtensionResources(), IDD_MAIN_VIEW), parent),
      listView(database),
      searchView(database),
      profile(ExtensionProfile()) {
  SetResourceInstance(ExtensionResources());
  SetProfile(&profile);
  preview = qobject_cast<QPlainTextEdit*>(Control(IDC_PREVIEW));
  categoryCombo = CComboBox(Control(IDC_CATEGORY_COMBO));
  sortCombo = CComboBox(Control(IDC_SORT_COMBO));
}

CMainDlg::~CMainDlg() {
  DestroyView();
  password.Clear();
}

std::string CMainDlg::HelpPagePath() {
  std::string folder = ExtensionProfile().GetProfileString("", "InstallPath");
  if (folder.empty()) folder = QStringToAnsi(QCoreApplication::applicationDirPath());
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + "QuilletExt.html";
}

void CMainDlg::OnInitDialog() {
  created = true;
  // The tab strip along the bottom edge.
  tabStrip = new CTabLinkCtrl();
  const QRect client = rect();
  tabStrip->Create(IDC_TAB_STRIP,
                   QRect(0, client.height() - TAB_STRIP_HEIGHT, client.width(), TAB_STRIP_HEIGHT),
                   this);
  tabStrip->SetBackColor(TAB_STRIP_COLOUR);
  tabStrip->SetLinkCursor(static_cast<int>(IDCUR_LINK));
  tabStrip->SetLink("Brindle Works", HelpPagePath());
  tabStrip->AddTab(AnsiText("リスト(&L)"));
  tabStrip->AddTab(AnsiText("大きいアイコン(&R)"));
  tabStrip->AddTab(AnsiText("小さいアイコン(&C)"));

  SetSideBySideCursor(IDCUR_SPLIT_SIDE);
  AddControl(IDC_SORT_COMBO, RD_LIMIT_RIGHT);
  AddControl(IDC_MEMO_LIST, RD_SIZE_X | RD_SIZE_Y);
  AddControl(IDC_PREVIEW, RD_MOVE_X | RD_SIZE_Y);
  AddControl(IDC_NEW_MEMO, RD_MOVE_Y);
  AddControl(IDC_EDIT_MEMO, RD_MOVE_Y);
  AddControl(IDC_TAB_STRIP, RD_SIZE_X | RD_MOVE_Y);
  SetMinSize(IDC_MEMO_LIST, 100, -1);
  SetMinSize(IDC_PREVIEW, 100, -1);
  AddSplitter(IDC_MEMO_LIST, IDC_PREVIEW, SPLIT_SIDE_BY_SIDE, 1);

  memoList.SubclassDlgItem(IDC_MEMO_LIST, this);
  if (CListView* list = memoList.List()) {
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    // The context menu of the rows, in every view.
    list->ReportView()->viewport()->installEventFilter(this);
    list->IconView()->viewport()->installEventFilter(this);
  }
  memoList.SetViewMode(LVS_REPORT);
  memoList.InsertColumn(COLUMN_TEXT, AnsiText("内容"), LVCFMT_LEFT, 150);
  memoList.InsertColumn(COLUMN_CATEGORY, AnsiText("カテゴリ"), LVCFMT_LEFT, 100);
  memoList.InsertColumn(COLUMN_SECOND_LINE, AnsiText("内容2"), LVCFMT_LEFT, 100);
  memoList.LoadLayout(profile, "", "Heading");

  smallImages.Create(ExtensionResources(), IDB_SMALL_IMAGES, 16, 1, IMAGE_MASK);
  largeImages.Create(ExtensionResources(), IDB_LARGE_IMAGES, 32, 1, IMAGE_MASK);
  if (CListView* list = memoList.List()) {
    list->SetImageList(&smallImages, LVSIL_SMALL);
    list->SetImageList(&largeImages, LVSIL_NORMAL);
  }

  tabStrip->SetCurSel(profile.GetProfileInt("", "Tab", TAB_LIST));

  sortCombo.SetItemData(sortCombo.AddString(AnsiText("あいうえお順")), 0);
  sortCombo.SetCurSel(0);
}

void CMainDlg::DestroyView() {
  if (!created) return;
  created = false;
  memoList.SaveLayout(profile, "", "Heading");
  SaveSplitters("", "Card ");
  if (tabStrip != nullptr) {
    profile.WriteProfileInt("", "Tab", tabStrip->GetCurSel());
    delete tabStrip;
    tabStrip = nullptr;
  }
}

int CMainDlg::LoadUserData(const std::string& newUserName, const std::string& newDataPath) {
  undoList.clear();
  if (newUserName != userName) password.Clear();
  userName = newUserName;
  dataPath = newDataPath;

  // The preferences live beside the data file: in its folder (up to and
  // including the last '/'), or in the current folder for a bare file name.
  std::string folder;
  const std::size_t slash = dataPath.find_last_of('/');
  if (slash != std::string::npos) folder = dataPath.substr(0, slash + 1);
  prefs.Open(folder + UI_PREFS_FILE_NAME);

  modified = 0;
  // What the file was when it was read: a save refuses to replace a file
  // that another program (a HotSync) has replaced since.
  loadedStamp = StampOf(dataPath);
  int result;
  for (;;) {
    categories = nullptr;
    result = database.Load(dataPath, RDB_OPEN_READ_WRITE, password.c_str());
    if (result == RDB_OK) {
      categories = database.GetCategories();
      break;
    }
    if (result != RDB_BAD_PASSWORD) break;
    CSecretString entered(password.view());
    if (!PromptPassword(userName, database.PasswordHint(), entered)) break;
    password = entered;
  }
  lastLoadResult = result;
  savedChangeCount = changeCount;
  setEnabled(result == RDB_OK);
  FillCategoryCombo(categoryCombo, categories, prefs.categoryFilter, true);
  RefreshList(prefs.currentPosition);
  return result;
}

bool CMainDlg::PromptPassword(const std::string& user, const std::string& hint,
                              CSecretString& entered) {
  CPasswdDlg dialog(this);
  dialog.userName = user;
  dialog.password.assign(entered.view());
  dialog.hint = hint;
  if (dialog.DoModal() != IDOK) return false;
  entered.Assign(dialog.password);
  return true;
}

int CMainDlg::SaveIfModified() {
  // A load that failed leaves the database without the file's memos: writing
  // it, or the preferences of a view that showed nothing, would lose data.
  if (lastLoadResult != RDB_OK) return SAVE_OK;
  prefs.Save();
  if (modified == 0) return SAVE_OK;
  // The memo file is shared with the HotSync and the command-line tools:
  // it is replaced only while no other writer is busy with it.
  CFileLock lock;
  if (lock.Acquire(dataPath) != CFileLock::LOCK_OK) return SAVE_FILE_BUSY;
  if (!(StampOf(dataPath) == loadedStamp)) return SAVE_FILE_CHANGED;
  if (database.Save() != RDB_OK) return SAVE_FAILED;
  loadedStamp = StampOf(dataPath);
  savedChangeCount = changeCount;
  return SAVE_OK;
}

CMainDlg::FileStamp CMainDlg::StampOf(const std::string& path) {
  FileStamp stamp;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return stamp;
  stamp.valid = true;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::int64_t>(info.st_size);
  stamp.seconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
  stamp.nanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
  return stamp;
}

void CMainDlg::SetActive(int active) {
  if (active == 0) {
    SaveSplitters("", "Card ");
  } else {
    LoadSplitters("", "Card ");
    RefreshList(prefs.currentPosition);
  }
}

bool CMainDlg::PreTranslateHostMessage(const WindowMsg& message) {
  if (message.message != WM_SYSKEYDOWN || tabStrip == nullptr) return false;
  switch (message.wParam) {
    case 'C':
      tabStrip->SetCurSel(TAB_SMALL_ICONS);
      return true;
    case 'L':
      tabStrip->SetCurSel(TAB_LIST);
      return true;
    case 'R':
      tabStrip->SetCurSel(TAB_LARGE_ICONS);
      return true;
    default:
      return false;
  }
}

void CMainDlg::RefreshList(int position) {
  const int selected = categoryCombo.GetCurSel();
  const int filter =
      selected == CComboBox::CB_ERR ? FILTER_ALL : static_cast<int>(categoryCombo.GetItemData(selected));
  CListView* list = memoList.List();
  int wantedRow = -1;
  if (list != nullptr) {
    list->SetRedraw(false);
    list->DeleteAllItems();
    listView.BuildByText();
    CRecord* record = nullptr;
    for (int rc = listView.First(record, true); rc == 0; rc = listView.Next(record, true)) {
      if (filter != FILTER_ALL && record->category != filter) continue;
      const int row = AddListRow(static_cast<const CMemoRecord&>(*record));
      if (wantedRow < 0 && record->position == position) wantedRow = row;
    }
    list->SetRedraw(true);
  }
  if (wantedRow < 0) {
    ShowPreview(-1);
  } else {
    ShowPreviewAt(position, wantedRow);
    list->setFocus();
    list->SetSelectionMark(wantedRow);
    list->SetItemState(wantedRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list->EnsureVisible(wantedRow);
  }
  prefs.categoryFilter = filter;
}

int CMainDlg::AddListRow(const CMemoRecord& memo) {
  std::string firstLine;
  std::string secondLine;
  SplitFirstLines(memo.text, firstLine, secondLine);
  CListView* list = memoList.List();
  if (list == nullptr) return -1;
  const int row = list->InsertItem(list->GetItemCount(), firstLine, 0);
  if (row < 0) return row;
  list->SetItemData(row, memo.position);
  std::string categoryName;
  CCategory category;
  if (categories != nullptr &&
      categories->FindByIndex(memo.category, category) == CCategoryTable::CAT_OK) {
    categoryName = category.name;
  }
  memoList.SetColumnText(row, COLUMN_CATEGORY, categoryName);
  memoList.SetColumnText(row, COLUMN_SECOND_LINE, secondLine);
  return row;
}

void CMainDlg::ShowPreview(int position) { ShowPreviewAt(position, -1); }

void CMainDlg::ShowPreviewAt(int position, int knownRow) {
  int row = -1;
  CMemoRecord* memo = position < 0 ? nullptr : database.MemoAt(position);
  if (memo != nullptr && memo->IsDeleted()) memo = nullptr;
  if (memo == nullptr) {
    if (preview != nullptr) preview->clear();
    if (QWidget* edit = Control(IDC_EDIT_MEMO)) edit->setEnabled(false);
  } else {
    if (preview != nullptr) {
      preview->setPlainText(AnsiToQString(CrLfToLf(memo->text)));
    }
    if (QWidget* edit = Control(IDC_EDIT_MEMO)) edit->setEnabled(true);
    row = knownRow >= 0 ? knownRow : RowOfPosition(position);
  }
  prefs.currentPosition = position;
  CListView* list = memoList.List();
  PostWindowMessage(parentWidget(), WM_VIEW_SELECTION, row, list != nullptr ? list->GetItemCount() : 0);
}

int CMainDlg::PositionOfRow(int row) const {
  CListView* list = memoList.List();
  if (list == nullptr || row < 0 || row >= list->GetItemCount()) return -1;
  return static_cast<int>(list->GetItemData(row));
}

int CMainDlg::RowOfPosition(int position) const {
  CListView* list = memoList.List();
  if (list == nullptr) return -1;
  const int count = list->GetItemCount();
  for (int row = 0; row < count; ++row) {
    if (list->GetItemData(row) == position) return row;
  }
  return -1;
}

int CMainDlg::SelectedRow() const {
  CListView* list = memoList.List();
  if (list == nullptr) return -1;
  const int mark = list->GetSelectionMark();
  if (mark >= 0 && (list->GetItemState(mark, LVIS_SELECTED) & LVIS_SELECTED) != 0) return mark;
  return list->GetNextItem(-1, LVNI_SELECTED);
}

void CMainDlg::ShowRow(int row) {
  const int position = row < 0 ? -1 : PositionOfRow(row);
  ShowPreviewAt(position, position < 0 ? -1 : row);
}

void CMainDlg::OnCommand(int id) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      // Enter and Escape: the view never ends itself.
      return;
    case IDC_NEW_MEMO:
      NewMemo();
      return;
    case IDC_EDIT_MEMO:
      EditMemo();
      return;
    default:
      ExecuteCommand(id);
      return;
  }
}

bool CMainDlg::ExecuteCommand(int id) {
  if (id >= ID_CATEGORY_FIRST && id <= ID_CATEGORY_LAST) {
    ChangeCategory(id - ID_CATEGORY_FIRST);
    return true;
  }
  switch (id) {
    case ID_DELETE_MEMOS:
      DeleteMemos();
      return true;
    case ID_NEW_MEMO:
      NewMemo();
      return true;
    case ID_EDIT_MEMO:
      EditMemo();
      return true;
    case ID_EDIT_COPY:
      Copy();
      return true;
    case ID_EDIT_CUT:
      Cut();
      return true;
    case ID_EDIT_PASTE:
      Paste();
      return true;
    case ID_EDIT_SELECT_ALL:
      SelectAll();
      return true;
    case ID_EDIT_UNDO:
      Undo();
      return true;
    case ID_SHOW_COLUMNS:
      ShowColumns();
      return true;
    case ID_HIDE_COLUMN:
      memoList.HideColumn(memoList.ClickedColumnId());
      return true;
    default:
      return false;
  }
}

void CMainDlg::OnSelChange(int id) {
  if (id != IDC_CATEGORY_COMBO) return;
  const int selected = categoryCombo.GetCurSel();
  if (selected == CComboBox::CB_ERR) return;
  if (categoryCombo.GetItemData(selected) == FILTER_EDIT_CATEGORIES) {
    EditCategoriesCommand();
    return;
  }
  RefreshList(prefs.currentPosition);
}

bool CMainDlg::OnNotify(int id, const ListNotify& notify) {
  if (id != IDC_MEMO_LIST) return CResizeDialog::OnNotify(id, notify);
  switch (notify.code) {
    case NM_CLICK:
      ShowRow(SelectedRow());
      if (notify.row >= 0 && IsCategoryColumn(notify.subItem)) {
        ShowCategoryMenu(notify.screenPoint);
      }
      return false;
    case NM_DBLCLK:
      ShowRow(SelectedRow());
      if (SelectedRow() < 0) {
        NewMemo();
      } else {
        EditMemo();
      }
      return false;
    case NM_RCLICK:
      if (notify.fromHeader) {
        const QPoint at = QCursor::pos();
        memoList.ShowHeaderMenu(at.x(), at.y(), ID_SHOW_COLUMNS, ID_HIDE_COLUMN, this);
        return true;
      }
      ShowRow(SelectedRow());
      return false;
    case LVN_KEYDOWN:
      OnListKeyDown(notify.key);
      return false;
    default:
      return false;
  }
}

void CMainDlg::OnListKeyDown(int key) {
  unsigned direction = 0;
  switch (key) {
    case VK_LEFT:
      direction = LVNI_TOLEFT;
      break;
    case VK_UP:
      direction = LVNI_ABOVE;
      break;
    case VK_RIGHT:
      direction = LVNI_TORIGHT;
      break;
    case VK_DOWN:
      direction = LVNI_BELOW;
      break;
    default:
      return;
  }
  CListView* list = memoList.List();
  const int row = SelectedRow();
  if (list == nullptr || row < 0) return;
  const int next = list->GetNextItem(row, direction);
  if (next >= 0) ShowRow(next);
}

void CMainDlg::OnTabChange(int tab) {
  switch (tab) {
    case TAB_LARGE_ICONS:
      memoList.SetViewMode(LVS_ICON);
      break;
    case TAB_SMALL_ICONS:
      memoList.SetViewMode(LVS_SMALLICON);
      break;
    default:
      memoList.SetViewMode(LVS_REPORT);
      break;
  }
}

void CMainDlg::OnWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TLC_SELCHANGE) {
    OnTabChange(static_cast<int>(wParam));
    return;
  }
  CResizeDialog::OnWindowMessage(message, wParam, lParam);
}

void CMainDlg::paintEvent(QPaintEvent* event) {
  CResizeDialog::paintEvent(event);
  CPaintDC dc(this);
  // The frames around everything but the strip of the tabs.
  QRect frame = rect().adjusted(0, 0, 0, -25);
  dc.Draw3dRect(frame, dc.GetSysColor(COLOR_BTNFACE), BLACK);
  frame.adjust(1, 1, -2, -1);
  dc.Draw3dRect(frame, dc.GetSysColor(COLOR_BTNHIGHLIGHT), dc.GetSysColor(COLOR_BTNSHADOW));
  frame.adjust(6, 6, -6, -6);
  dc.Draw3dRect(frame, dc.GetSysColor(COLOR_BTNSHADOW), dc.GetSysColor(COLOR_BTNHIGHLIGHT));
  frame.adjust(1, 1, -1, -1);
  dc.Draw3dRect(frame, BLACK, BLACK);
}

// --- Commands ---

void CMainDlg::RunMemoEditor(int position) {
  if (!CanChange()) return;
  CEditRecordDlg dialog(this);
  dialog.recordKey = position;
  dialog.category = prefs.categoryFilter;
  dialog.database = &database;
  dialog.DoModal();
  if (dialog.recordKey != -1) RefreshList(dialog.recordKey);
  // A cancelled new memo stays in the database as a deleted record, and the
  // category editor may have been used from the memo editor: either way the
  // database changed.
  SetModified();
  // The categories may have changed in the memo editor.
  FillCategoryCombo(categoryCombo, categories, prefs.categoryFilter, true);
}

void CMainDlg::NewMemo() { RunMemoEditor(-1); }

void CMainDlg::EditMemo() {
  const int position = prefs.currentPosition;
  CMemoRecord* memo = position < 0 ? nullptr : database.MemoAt(position);
  if (memo == nullptr || memo->IsDeleted()) return;
  RunMemoEditor(position);
}

void CMainDlg::EditCategoriesCommand() {
  if (!CanChange()) return;
  CEditCategoryDlg dialog(this);
  dialog.selectedCategory = prefs.categoryFilter;
  dialog.database = &database;
  dialog.categoryTable = categories;
  dialog.DoModal();
  if (dialog.changed != 0) SetModified();
  prefs.categoryFilter = dialog.selectedCategory;
  // The filter shows the categories as they are now, with the one in force
  // selected (never "カテゴリの編集..."), and the rows their new names.
  FillCategoryCombo(categoryCombo, categories, prefs.categoryFilter, true);
  RefreshList(prefs.currentPosition);
}

void CMainDlg::ShowColumns() {
  CShowColumnsDlg dialog(&memoList, this);
  if (dialog.DoModal() == IDOK) RefreshList(prefs.currentPosition);
}

std::vector<std::int32_t> CMainDlg::RemoveSelectedRows() {
  std::vector<std::int32_t> removed;
  CListView* list = memoList.List();
  if (list == nullptr) return removed;
  int row = list->GetNextItem(-1, LVNI_SELECTED);
  while (row >= 0) {
    const int position = PositionOfRow(row);
    if (CRecord* memo = database.RecordAt(position)) {
      memo->attributes |= CRecord::ATTR_DELETED;
      SetModified();
      removed.push_back(position);
    }
    list->DeleteItem(row);
    row = list->GetNextItem(row - 1, LVNI_SELECTED);
  }
  return removed;
}

void CMainDlg::DropDeletedCurrent() {
  CMemoRecord* memo = prefs.currentPosition < 0 ? nullptr : database.MemoAt(prefs.currentPosition);
  if (memo == nullptr || memo->IsDeleted()) {
    ShowPreview(-1);
  } else {
    ShowPreview(prefs.currentPosition);
  }
}

void CMainDlg::DeleteMemos() {
  CListView* list = memoList.List();
  if (!CanChange() || list == nullptr || list->GetSelectedCount() == 0) return;
  if (ResourceMessageBox(this, ExtensionResources(), IDS_DELETE_MEMOS, IDS_DELETE_MEMOS_CAPTION,
                         MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
    return;
  }
  undoList = RemoveSelectedRows();
  DropDeletedCurrent();
}

void CMainDlg::Cut() {
  if (!CanChange()) return;
  Copy();
  if (PreviewHasFocus()) return;
  RemoveSelectedRows();
  DropDeletedCurrent();
}

void CMainDlg::Undo() {
  if (!CanChange() || undoList.empty()) return;
  for (std::int32_t position : undoList) {
    if (CRecord* memo = database.RecordAt(position)) {
      memo->attributes &= ~CRecord::ATTR_DELETED;
      SetModified();
    }
  }
  RefreshList(prefs.currentPosition);
  CListView* list = memoList.List();
  if (list != nullptr) {
    list->setFocus();
    // Exactly the restored memos are selected.
    std::vector<std::int32_t> restoredPositions = undoList;
    std::sort(restoredPositions.begin(), restoredPositions.end());
    int lastRestored = -1;
    for (int row = 0; row < list->GetItemCount(); ++row) {
      const bool restored =
          std::binary_search(restoredPositions.begin(), restoredPositions.end(), PositionOfRow(row));
      list->SetItemState(row, restored ? LVIS_SELECTED : 0u, LVIS_SELECTED);
      if (restored) lastRestored = row;
    }
    undoList.clear();
    if (lastRestored >= 0) {
      list->SetSelectionMark(lastRestored);
      ShowRow(lastRestored);
    }
  }
  undoList.clear();
}

bool CMainDlg::PreviewHasFocus() const {
  return preview != nullptr && QApplication::focusWidget() == preview;
}

void CMainDlg::Copy() {
  if (PreviewHasFocus()) {
    preview->copy();
    return;
  }
  std::string text;
  CListView* list = memoList.List();
  bool first = true;
  for (int row = list == nullptr ? -1 : list->GetNextItem(-1, LVNI_SELECTED); row >= 0;
       row = list->GetNextItem(row, LVNI_SELECTED)) {
    const CMemoRecord* memo = database.MemoAt(PositionOfRow(row));
    if (memo == nullptr) continue;
    if (!first) text += '\f';
    text += memo->text;
    first = false;
  }
  PutClipboardText(text);
}

void CMainDlg::Paste() {
  if (!CanChange()) return;
  std::string text;
  QString unstorable;
  switch (GetClipboardText(text, unstorable)) {
    case ClipboardText::NONE:
      return;
    case ClipboardText::UNSTORABLE:
      // Nothing is pasted rather than a text with characters lost.
      ResourceMessageBoxFormat(this, ExtensionResources(), IDS_UNSTORABLE_CHARACTERS,
                               {CharacterCodes(unstorable)}, IDS_QUILLET, MB_OK | MB_ICONWARNING);
      return;
    case ClipboardText::TEXT:
      break;
  }
  const int category = prefs.categoryFilter == FILTER_ALL ? 0 : prefs.categoryFilter;
  CListView* list = memoList.List();
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\f', start);
    if (end == std::string::npos) end = text.size();
    std::string_view piece(text.data() + start, end - start);
    // A long piece becomes several memos, each cut where no double-byte
    // character is split.
    while (!piece.empty()) {
      std::size_t length = MbsTruncate(piece, MAX_MEMO_BYTES);
      if (length == 0) length = std::min(piece.size(), MAX_MEMO_BYTES);
      auto memo = std::make_unique<CMemoRecord>();
      memo->text.assign(piece.substr(0, length));
      memo->category = category;
      memo->attributes = CRecord::ATTR_MODIFIED;
      CMemoRecord& added = *memo;
      if (database.AddRecord(std::move(memo)) != 0) break;
      if (list != nullptr) AddListRow(added);
      SetModified();
      piece.remove_prefix(length);
    }
    start = end + 1;
  }
  listView.BuildByText();
  // The host's status shows the new row count.
  ShowPreview(prefs.currentPosition);
}

void CMainDlg::SelectAll() {
  if (PreviewHasFocus()) {
    preview->selectAll();
    return;
  }
  CListView* list = memoList.List();
  if (list == nullptr) return;
  list->setFocus();
  for (int row = 0; row < list->GetItemCount(); ++row) {
    list->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  }
}

void CMainDlg::ChangeCategory(int category) {
  if (!CanChange() || category < 0 || category > ID_CATEGORY_LAST - ID_CATEGORY_FIRST) return;
  CListView* list = memoList.List();
  if (list == nullptr) return;
  std::string name;
  CCategory entry;
  if (categories != nullptr && categories->FindByIndex(category, entry) == CCategoryTable::CAT_OK) {
    name = entry.name;
  }
  const int filter = prefs.categoryFilter;
  int row = list->GetNextItem(-1, LVNI_SELECTED);
  while (row >= 0) {
    if (CRecord* memo = database.RecordAt(PositionOfRow(row))) {
      memo->category = category;
      memo->attributes |= CRecord::ATTR_MODIFIED;
      SetModified();
    }
    if (filter == FILTER_ALL || filter == category) {
      memoList.SetColumnText(row, COLUMN_CATEGORY, name);
      row = list->GetNextItem(row, LVNI_SELECTED);
    } else {
      // The memo no longer belongs to the filter.
      list->DeleteItem(row);
      row = list->GetNextItem(row - 1, LVNI_SELECTED);
    }
  }
  DropDeletedCurrent();
}

void CMainDlg::GetCommandState(int command, int& handled, int& enabled, int& check, int& fourth) {
  handled = 1;
  enabled = 0;
  check = 0;
  fourth = 0;
  if (PreviewHasFocus()) {
    switch (command) {
      case ID_EDIT_COPY:
        enabled = preview->textCursor().hasSelection() ? 1 : 0;
        return;
      case ID_EDIT_SELECT_ALL:
        enabled = 1;
        return;
      case ID_DELETE_MEMOS:
      case ID_EDIT_CUT:
      case ID_EDIT_PASTE:
      case ID_EDIT_UNDO:
        return;
      default:
        handled = 0;
        return;
    }
  }
  CListView* list = memoList.List();
  const bool hasRows = list != nullptr && list->GetItemCount() > 0;
  switch (command) {
    case ID_DELETE_MEMOS:
    case ID_EDIT_MEMO:
    case ID_EDIT_COPY:
    case ID_EDIT_CUT:
      enabled = hasRows && prefs.currentPosition != -1 ? 1 : 0;
      return;
    case ID_EDIT_PASTE:
      enabled = ClipboardHasText() ? 1 : 0;
      return;
    case ID_EDIT_SELECT_ALL:
      enabled = hasRows ? 1 : 0;
      return;
    case ID_EDIT_UNDO:
      enabled = undoList.empty() ? 0 : 1;
      return;
    default:
      handled = 0;
      return;
  }
}

// --- Menus ---

bool CMainDlg::IsCategoryColumn(int subItem) const {
  // Column id 0 is always shown, so the category column, when shown, is at
  // position 1.
  for (const ColumnInfo& column : memoList.Columns()) {
    if (column.id == COLUMN_CATEGORY) return column.shown != 0 && subItem == 1;
  }
  return false;
}

void CMainDlg::AppendCategoryItems(CPopupMenu& menu) const {
  for (int i = 0; i < categoryCombo.GetCount(); ++i) {
    const std::intptr_t value = categoryCombo.GetItemData(i);
    if (value == FILTER_ALL || value == FILTER_EDIT_CATEGORIES) continue;
    menu.AppendItem(ID_CATEGORY_FIRST + static_cast<int>(value), categoryCombo.GetLBText(i));
  }
}

void CMainDlg::UpdateMenuStates(CPopupMenu& menu) {
  for (int command : menu.Commands()) {
    int handled = 0, enabled = 0, check = 0, fourth = 0;
    GetCommandState(command, handled, enabled, check, fourth);
    if (handled != 0) menu.EnableItem(command, enabled != 0);
  }
}

void CMainDlg::ShowCategoryMenu(const QPoint& screenPoint) {
  CPopupMenu menu;
  AppendCategoryItems(menu);
  if (menu.GetItemCount() == 0) return;
  menu.Track(TPM_RIGHTBUTTON, screenPoint.x(), screenPoint.y(), this);
}

void CMainDlg::ShowContextMenu(const QPoint& viewportPoint, const QPoint& screenPoint) {
  CListView* list = memoList.List();
  if (list == nullptr) return;
  const bool onRow = list->HitTest(viewportPoint) >= 0;
  // The menu may come before the right button's release: the row it was
  // opened on is the current memo first, as the release would make it.
  if (onRow) ShowRow(SelectedRow());
  CPopupMenu menu;
  if (!menu.LoadPopup(ExtensionResources(), IDR_VIEW_MENUS, onRow ? POPUP_WITH_ROWS : POPUP_WITHOUT_ROWS)) {
    return;
  }
  if (onRow) {
    char caption[256] = {};
    LoadStringA(ExtensionResources(), IDS_CHANGE_CATEGORY, caption, sizeof caption);
    AppendCategoryItems(menu.AppendPopup(caption));
  }
  UpdateMenuStates(menu);
  menu.Track(TPM_RIGHTBUTTON, screenPoint.x(), screenPoint.y(), this);
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ContextMenu) {
    CListView* list = memoList.List();
    if (list != nullptr && watched == list->CurrentView()->viewport()) {
      auto* menuEvent = static_cast<QContextMenuEvent*>(event);
      ShowContextMenu(menuEvent->pos(), menuEvent->globalPos());
      return true;
    }
  }
  return CResizeDialog::eventFilter(watched, event);
}

// --- The host's search and HotSync query ---

void CMainDlg::BeginSearch(const std::string& text, int matchCaseFlag, int /*unused*/) {
  matchCase = matchCaseFlag == 1 ? 1 : 0;
  searchText = matchCase != 0 ? text : MbsToLower(text);
  searchView.BuildByPosition();
  searchDone = searchView.First(searchRecord, true) != 0 ? 1 : 0;
}

void CMainDlg::FindNext(std::string& firstLine, std::string& secondLine, int& position, int& found) {
  found = 0;
  while (searchDone == 0 && searchRecord != nullptr) {
    const auto& memo = static_cast<const CMemoRecord&>(*searchRecord);
    const std::string haystack = matchCase != 0 ? memo.text : MbsToLower(memo.text);
    const bool hit = MbsFind(haystack, searchText, false) != std::string::npos;
    if (hit) {
      SplitFirstLines(memo.text, firstLine, secondLine);
      position = memo.position;
      found = 1;
    }
    if (searchView.Next(searchRecord, true) != 0) {
      searchRecord = nullptr;
      searchDone = 1;
    }
    if (hit) return;
  }
}

void CMainDlg::GoToRecord(int position, int refresh) {
  CMemoRecord* memo = position < 0 ? nullptr : database.MemoAt(position);
  if (memo == nullptr || memo->IsDeleted()) return;
  if (prefs.categoryFilter != FILTER_ALL && prefs.categoryFilter != memo->category) {
    const int index = categoryCombo.FindItemData(memo->category);
    if (index != CComboBox::CB_ERR) categoryCombo.SetCurSel(index);
  }
  if (refresh != 0) {
    RefreshList(position);
  } else {
    prefs.currentPosition = position;
  }
}

void CMainDlg::CanHotSync(int& allowed, std::string& message) {
  if (COpenEditorCount::Value() == 0) {
    allowed = 1;
    return;
  }
  allowed = 0;
  char text[512] = {};
  LoadStringA(ExtensionResources(), IDS_EDITING_NO_HOTSYNC, text, sizeof text);
  message = text;
}
