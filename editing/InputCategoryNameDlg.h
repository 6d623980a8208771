#pragma once
// The category name prompt: one edit holding a category's name, limited to
// the 15 bytes a category name has room for in the ANSI code page.  Used by
// the category editor for a new category (title "新規カテゴリー") and for a
// rename (title "カテゴリー名の変更").  OK refuses an empty name and a name
// with characters the code page cannot store, and otherwise writes the name,
// exactly as typed, into the category.

#include "platform/ui/DialogWindow.h"

class CCategory;
class QLineEdit;

class CInputCategoryNameDlg : public CDialogWindow {
  Q_OBJECT

 public:
  // `category` is edited in place, not owned.
  CInputCategoryNameDlg(CCategory* category, bool newCategory, QWidget* parent = nullptr);
  ~CInputCategoryNameDlg() override;

  QLineEdit* NameEdit() const;

  // Set: a new category; clear: a rename.
  bool newCategory;
  CCategory* category;

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;

 private:
  void OnOk();
};
