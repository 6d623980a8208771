// The column dialog: tick the memo list's columns to show, move them up and
// down, and apply the choice with OK.

#include "viewer/ShowColumnsDlg.h"

#include <QTableView>

#include <vector>

#include "platform/text/CodePage.h"
#include "platform/ui/ListView.h"
#include "resources/extension/ExtensionModule.h"
#include "viewer/ListCtrlEx.h"

namespace {

std::string Ansi(const char* utf8) {
  std::string ansi;
  if (!Utf8ToAnsi(utf8, ansi)) ansi = utf8;
  return ansi;
}

}  // namespace

CShowColumnsDlg::CShowColumnsDlg(CListCtrlEx* columns, QWidget* parent)
    : CDialogWindow(ResourceFindDialog(ExtensionResources(), IDD_SHOW_COLUMNS), parent),
      m_columns(columns) {}

CListView* CShowColumnsDlg::ColumnList() const {
  return qobject_cast<CListView*>(Control(IDC_COLUMN_LIST));
}

void CShowColumnsDlg::OnInitDialog() {
  CListView* list = ColumnList();
  if (list == nullptr || m_columns == nullptr) return;
  list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_CHECKBOXES);
  // One column as wide as the list's client area.
  const int clientWidth = list->width() - 2 * list->ReportView()->frameWidth();
  list->InsertColumn(0, Ansi("列"), LVCFMT_LEFT, clientWidth);

  const int count = m_columns->ColumnCount();
  std::vector<int> ids(m_columns->Columns().size());
  std::vector<int> shown(ids.size());
  if (count > 0 && m_columns->GetColumns(ids.data(), shown.data(), count) != 0) {
    for (std::size_t i = 0; i < ids.size(); ++i) {
      std::string title;
      m_columns->GetColumnTitle(ids[i], title);
      int row = list->InsertItem(static_cast<int>(i), title, 0);
      list->SetItemData(row, ids[i]);
      list->SetCheck(row, shown[i] == 1);
    }
  }
  list->setFocus();
  list->SetSelectionMark(0);
  list->SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// Moves the selected row one place (-1 up, +1 down), wrapping from the first
// row to the end and from the last to the top.  With no row selected the
// buttons do nothing.
void CShowColumnsDlg::MoveSelected(int step) {
  CListView* list = ColumnList();
  if (list == nullptr) return;
  const int count = list->GetItemCount();
  const int row = list->GetNextItem(-1, LVNI_SELECTED);
  if (row < 0 || count < 2) return;
  int target = row + step;
  if (target < 0) target = count - 1;
  if (target >= count) target = 0;
  const std::string title = list->GetItemText(row, 0);
  const std::intptr_t id = list->GetItemData(row);
  const bool checked = list->GetCheck(row);
  list->DeleteItem(row);
  int moved = list->InsertItem(target, title, 0);
  list->SetItemData(moved, id);
  list->SetCheck(moved, checked);
  list->setFocus();
  list->SetSelectionMark(moved);
  list->SetItemState(moved, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list->EnsureVisible(moved);
}

void CShowColumnsDlg::OnCommand(int id) {
  switch (id) {
    case IDC_COLUMN_UP:
      MoveSelected(-1);
      return;
    case IDC_COLUMN_DOWN:
      MoveSelected(1);
      return;
    case IDOK: {
      CListView* list = ColumnList();
      if (list != nullptr && m_columns != nullptr) {
        const int count = list->GetItemCount();
        std::vector<int> ids;
        std::vector<int> shown;
        for (int row = 0; row < count; ++row) {
          ids.push_back(static_cast<int>(list->GetItemData(row)));
          shown.push_back(list->GetCheck(row) ? 1 : 0);
        }
        m_columns->ApplyColumns(count, ids.data(), shown.data());
      }
      EndDialog(IDOK);
      return;
    }
    default:
      CDialogWindow::OnCommand(id);
  }
}

bool CShowColumnsDlg::OnNotify(int id, const ListNotify& notify) {
  if (id != IDC_COLUMN_LIST || notify.code != LVN_ITEMCHANGED) return false;
  if (((notify.oldState ^ notify.newState) & LVIS_STATEIMAGEMASK) == 0) return false;
  // The first column (id 0) is always shown: its row cannot be unchecked.
  CListView* list = ColumnList();
  if (list != nullptr && (notify.newState & LVIS_STATEIMAGEMASK) == LVIS_UNCHECKED &&
      list->GetItemData(notify.row) == 0) {
    list->SetCheck(notify.row, true);
  }
  return true;
}
