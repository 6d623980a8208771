#pragma once
// The column dialog ("列の表示"): one checked row per column of the memo list,
// in the list's current order; the user ticks the columns to show and moves
// rows up and down, and OK applies the choice to the list.

#include "platform/ui/DialogWindow.h"

class CListCtrlEx;
class CListView;

class CShowColumnsDlg : public CDialogWindow {
  Q_OBJECT

 public:
  // `columns` is edited in place, not owned.
  explicit CShowColumnsDlg(CListCtrlEx* columns, QWidget* parent = nullptr);

  CListView* ColumnList() const;

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;
  bool OnNotify(int id, const ListNotify& notify) override;

 private:
  void MoveSelected(int step);

  CListCtrlEx* m_columns;
};
