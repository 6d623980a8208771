// The category editor: add, delete and rename the memo categories.

#include "editing/EditCategoryDlg.h"

#include "editing/OpenEditorCount.h"
#include "platform/ui/ListBox.h"
#include "resources/extension/ExtensionIds.h"
#include "resources/extension/ExtensionModule.h"

CEditCategoryDlg::CEditCategoryDlg(QWidget* parent)
    : CDialogWindow(ResourceFindDialog(ExtensionResources(), IDD_EDIT_CATEGORIES), parent) {}

CEditCategoryDlg::~CEditCategoryDlg() = default;

int CEditCategoryDlg::DoModal() {
  COpenEditor open;
  return CDialogWindow::DoModal();
}

CListBox CEditCategoryDlg::List() const { return CListBox(Control(IDC_CATEGORY_LIST)); }

void CEditCategoryDlg::OnInitDialog() {}
void CEditCategoryDlg::OnCommand(int id) { CDialogWindow::OnCommand(id); }
void CEditCategoryDlg::FillList() {}
void CEditCategoryDlg::OnNew() {}
void CEditCategoryDlg::OnDelete() {}
void CEditCategoryDlg::OnRename() {}
