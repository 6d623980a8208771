// The category editor: add, delete and rename the memo categories.  The
// dialog asks and shows; the changes themselves are the category rules'.

#include "editing/EditCategoryDlg.h"

#include <QListWidget>

#include "editing/DeleteCategoryDlg.h"
#include "editing/InputCategoryNameDlg.h"
#include "editing/OpenEditorCount.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBox.h"
#include "resources/extension/ExtensionIds.h"
#include "resources/extension/ExtensionModule.h"
#include "store/Category.h"
#include "store/CategoryRules.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"

CEditCategoryDlg::CEditCategoryDlg(QWidget* parent)
    : CDialogWindow(ResourceFindDialog(ExtensionResources(), IDD_EDIT_CATEGORIES), parent) {}

CEditCategoryDlg::~CEditCategoryDlg() = default;

int CEditCategoryDlg::DoModal() {
  COpenEditor open;
  return CDialogWindow::DoModal();
}

CListBox CEditCategoryDlg::List() const { return CListBox(Control(IDC_CATEGORY_LIST)); }

void CEditCategoryDlg::OnInitDialog() {
  FillList();
  if (QWidget* list = Control(IDC_CATEGORY_LIST)) list->setFocus();
}

void CEditCategoryDlg::OnCommand(int id) {
  switch (id) {
    case IDOK: {
      // OK without a highlighted entry leaves the caller's category as it is.
      CListBox list = List();
      const int row = list.GetCurSel();
      if (row == CListBox::LB_ERR) {
        EndDialog(IDCANCEL);
        return;
      }
      selectedCategory = static_cast<int>(list.GetItemData(row));
      EndDialog(IDOK);
      return;
    }
    case IDC_CATEGORY_NEW:
      OnNew();
      return;
    case IDC_CATEGORY_DELETE:
      OnDelete();
      return;
    case IDC_CATEGORY_RENAME:
      OnRename();
      return;
    default:
      CDialogWindow::OnCommand(id);
      return;
  }
}

// Every category but Unfiled, sorted by name, with its index as item data;
// the selected category is highlighted.
void CEditCategoryDlg::FillList() {
  CListBox list = List();
  list.ResetContent();
  if (categoryTable == nullptr) return;
  CCategory category;
  for (int rc = categoryTable->First(category); rc == CCategoryTable::CAT_OK;
       rc = categoryTable->Next(category)) {
    if (category.index == CCategoryRules::UNFILED) continue;
    const int row = list.AddString(category.name);
    list.SetItemData(row, category.index);
  }
  list.SetCurSel(list.FindItemData(selectedCategory));
}

void CEditCategoryDlg::OnNew() {
  if (categoryTable == nullptr) return;
  int newIndex = -1;
  if (CCategoryRules::BeginAdd(*categoryTable, newIndex) != CCategoryRules::CR_OK) {
    ResourceMessageBox(this, ExtensionResources(), IDS_TOO_MANY_CATEGORIES, IDS_NEW_CATEGORY,
                       MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  CCategory category;
  categoryTable->FindByIndex(newIndex, category);
  CInputCategoryNameDlg prompt(&category, true, this);
  if (prompt.DoModal() != IDOK) {
    CCategoryRules::CancelAdd(*categoryTable, newIndex);
    return;
  }
  // A refused name takes the new category out again; its identifier stays used.
  const int rc = CCategoryRules::FinishAdd(*categoryTable, newIndex, category.name);
  if (rc == CCategoryRules::CR_ERR_NAME_TAKEN) {
    ResourceMessageBoxFormat(this, ExtensionResources(), IDS_CATEGORY_EXISTS, {category.name},
                             IDS_DUPLICATE_CATEGORY, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (rc != CCategoryRules::CR_OK) return;
  changed = 1;
  selectedCategory = newIndex;
  FillList();
}

void CEditCategoryDlg::OnDelete() {
  CListBox list = List();
  const int row = list.GetCurSel();
  if (row == CListBox::LB_ERR) {
    ResourceMessageBox(this, ExtensionResources(), IDS_SELECT_TO_DELETE, IDS_QUILLET,
                       MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (database == nullptr || categoryTable == nullptr) return;
  const int index = static_cast<int>(list.GetItemData(row));
  CDeleteCategoryDlg choice(this);
  if (choice.DoModal() != IDOK) return;
  if (CCategoryRules::Delete(*database, *categoryTable, index,
                             choice.choice == CDeleteCategoryDlg::DELETE_MEMOS) !=
      CCategoryRules::CR_OK) {
    return;
  }
  changed = 1;
  selectedCategory = -1;
  FillList();
}

void CEditCategoryDlg::OnRename() {
  CListBox list = List();
  const int row = list.GetCurSel();
  if (row == CListBox::LB_ERR) {
    ResourceMessageBox(this, ExtensionResources(), IDS_SELECT_TO_RENAME, IDS_QUILLET,
                       MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (database == nullptr || categoryTable == nullptr) return;
  const int index = static_cast<int>(list.GetItemData(row));
  CCategory renamed;
  if (categoryTable->FindByIndex(index, renamed) != CCategoryTable::CAT_OK) return;
  const std::string oldName = renamed.name;
  CInputCategoryNameDlg prompt(&renamed, false, this);
  if (prompt.DoModal() != IDOK) return;

  // A plain rename keeps the selected category; a merge selects the category
  // the memos went to.
  int other = selectedCategory;
  int rc = CCategoryRules::Rename(*database, *categoryTable, index, renamed.name, false, other);
  if (rc == CCategoryRules::CR_ERR_MERGE_NEEDED) {
    CCategory target;
    categoryTable->FindByIndex(other, target);
    if (ResourceMessageBoxFormat(this, ExtensionResources(), IDS_MERGE_CATEGORIES,
                                 {target.name, oldName, target.name}, IDS_QUILLET,
                                 MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
      return;
    }
    rc = CCategoryRules::Rename(*database, *categoryTable, index, renamed.name, true, other);
    if (rc != CCategoryRules::CR_OK) return;
    selectedCategory = other;
  } else if (rc != CCategoryRules::CR_OK) {
    return;
  }
  changed = 1;
  FillList();
}
