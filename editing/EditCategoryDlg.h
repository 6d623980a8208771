#pragma once
// The category editor ("カテゴリの編集"): the categories other than Unfiled in
// a sorted list, with buttons to add, delete and rename them.  Every change
// is applied at once to the category table and, for deletes and merges, to
// the records of the memo database; closing the dialog undoes nothing.
//
// The caller sets `selectedCategory`, `database` and `categoryTable`, runs
// DoModal() and then reads `changed` and `selectedCategory`, whatever closed
// the dialog.  While the dialog is open the count of open editing dialogs is
// one higher.

#include "platform/ui/DialogWindow.h"

class CCategoryTable;
class CListBox;
class CMemoDatabase;

class CEditCategoryDlg : public CDialogWindow {
  Q_OBJECT

 public:
  explicit CEditCategoryDlg(QWidget* parent = nullptr);
  ~CEditCategoryDlg() override;

  // Runs the dialog modally, counted as an open editing dialog meanwhile.
  int DoModal();

  // In: the category to highlight (-1 for none).  Out: the category chosen
  // with OK, or the one set by the last add / delete (-1) / merge.
  int selectedCategory = -1;
  // Not owned: the database whose records deletes and merges change, and
  // its category table.
  CMemoDatabase* database = nullptr;
  CCategoryTable* categoryTable = nullptr;
  // Set when any category was added, renamed, merged or deleted.
  int changed = 0;

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;

 private:
  CListBox List() const;
  void FillList();
  void OnNew();
  void OnDelete();
  void OnRename();
};
