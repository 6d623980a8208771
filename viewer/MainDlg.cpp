// The main view: loading, the category filter, the memo list and preview,
// the view tabs and the painted frames.

#include "viewer/MainDlg.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QPaintEvent>
#include <QPlainTextEdit>

#include "platform/files/FileLock.h"
#include "platform/ui/PaintDC.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionModule.h"
#include "store/CategoryTable.h"
#include "store/MemoRecord.h"
#include "viewer/PasswdDlg.h"
#include "viewer/ShowColumnsDlg.h"
#include "viewer/TabLinkCtrl.h"

namespace {

// Item values of the category filter besides the category indexes.
constexpr int FILTER_ALL = -1;
constexpr int FILTER_EDIT_CATEGORIES = -2;

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
  return database.Save() == RDB_OK ? SAVE_OK : SAVE_FAILED;
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

void CMainDlg::FillCategoryCombo(CComboBox& combo, CCategoryTable* table, int selectedValue,
                                 bool withAll) {
  combo.ResetContent();
  if (table == nullptr) return;
  CCategory category;
  for (int rc = table->First(category); rc == CCategoryTable::CAT_OK; rc = table->Next(category)) {
    if (category.index == 0) continue;
    combo.SetItemData(combo.AddString(category.name), category.index);
  }
  if (withAll) combo.SetItemData(combo.InsertString(0, AnsiText("すべて")), FILTER_ALL);
  combo.SetItemData(combo.InsertString(-1, AnsiText("未分類")), 0);
  combo.SetItemData(combo.InsertString(-1, AnsiText("カテゴリの編集...")), FILTER_EDIT_CATEGORIES);
  int index = combo.FindItemData(selectedValue);
  if (index == CComboBox::CB_ERR) index = combo.FindItemData(0);
  combo.SetCurSel(index);
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
    ShowPreview(position);
    list->setFocus();
    list->SetSelectionMark(wantedRow);
    list->SetItemState(wantedRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list->EnsureVisible(wantedRow);
  }
  prefs.categoryFilter = filter;
}

int CMainDlg::AddListRow(const CMemoRecord& memo) {
  const std::string& text = memo.text;
  const std::size_t firstEnd = text.find('\r');
  const std::string firstLine = text.substr(0, firstEnd);
  std::string secondLine;
  const std::size_t lineFeed = text.find('\n');
  if (lineFeed != std::string::npos) {
    const std::size_t start = lineFeed + 1;
    const std::size_t end = text.find('\r', start);
    secondLine = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  }
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

void CMainDlg::ShowPreview(int position) {
  int row = -1;
  CMemoRecord* memo = position < 0 ? nullptr : database.MemoAt(position);
  if (memo != nullptr && memo->IsDeleted()) memo = nullptr;
  if (memo == nullptr) {
    if (preview != nullptr) preview->clear();
    if (QWidget* edit = Control(IDC_EDIT_MEMO)) edit->setEnabled(false);
  } else {
    if (preview != nullptr) {
      preview->setPlainText(AnsiToQString(memo->text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    if (QWidget* edit = Control(IDC_EDIT_MEMO)) edit->setEnabled(true);
    row = RowOfPosition(position);
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

void CMainDlg::ShowRow(int row) { ShowPreview(row < 0 ? -1 : PositionOfRow(row)); }

void CMainDlg::OnCommand(int id) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      // Enter and Escape: the view never ends itself.
      return;
    case ID_SHOW_COLUMNS: {
      CShowColumnsDlg dialog(&memoList, this);
      if (dialog.DoModal() == IDOK) RefreshList(prefs.currentPosition);
      return;
    }
    case ID_HIDE_COLUMN:
      memoList.HideColumn(memoList.ClickedColumnId());
      return;
    default:
      return;
  }
}

void CMainDlg::EditCategories() {
  // The category dialog comes with the editing commands; until then the
  // filter goes back to the categories in force.
  const int index = categoryCombo.FindItemData(prefs.categoryFilter);
  categoryCombo.SetCurSel(index != CComboBox::CB_ERR ? index : categoryCombo.FindItemData(0));
}

void CMainDlg::OnSelChange(int id) {
  if (id != IDC_CATEGORY_COMBO) return;
  const int selected = categoryCombo.GetCurSel();
  if (selected == CComboBox::CB_ERR) return;
  if (categoryCombo.GetItemData(selected) == FILTER_EDIT_CATEGORIES) EditCategories();
  RefreshList(prefs.currentPosition);
}

bool CMainDlg::OnNotify(int id, const ListNotify& notify) {
  if (id != IDC_MEMO_LIST) return CResizeDialog::OnNotify(id, notify);
  switch (notify.code) {
    case NM_CLICK:
    case NM_DBLCLK:
      ShowRow(SelectedRow());
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
