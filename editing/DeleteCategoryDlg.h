#pragma once
// The delete choice ("カテゴリの削除"): what becomes of the memos of a category
// being deleted.  `choice` is shown when the dialog opens and holds the
// checked button after OK.

#include "platform/ui/DialogWindow.h"

class CDeleteCategoryDlg : public CDialogWindow {
  Q_OBJECT

 public:
  static constexpr int MOVE_TO_UNFILED = 0;
  static constexpr int DELETE_MEMOS = 1;

  explicit CDeleteCategoryDlg(QWidget* parent = nullptr);
  ~CDeleteCategoryDlg() override;

  int choice = MOVE_TO_UNFILED;

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;
};
