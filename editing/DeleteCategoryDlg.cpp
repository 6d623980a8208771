// The delete choice of the category editor.

#include "editing/DeleteCategoryDlg.h"

#include "resources/extension/ExtensionIds.h"
#include "resources/extension/ExtensionModule.h"

CDeleteCategoryDlg::CDeleteCategoryDlg(QWidget* parent)
    : CDialogWindow(ResourceFindDialog(ExtensionResources(), IDD_DELETE_CATEGORY), parent) {}

CDeleteCategoryDlg::~CDeleteCategoryDlg() = default;

void CDeleteCategoryDlg::OnInitDialog() {
  CheckButton(choice == DELETE_MEMOS ? IDC_DELETE_MEMOS : IDC_MOVE_TO_UNFILED, true);
}

void CDeleteCategoryDlg::OnCommand(int id) {
  if (id == IDOK) choice = IsButtonChecked(IDC_DELETE_MEMOS) ? DELETE_MEMOS : MOVE_TO_UNFILED;
  CDialogWindow::OnCommand(id);
}
