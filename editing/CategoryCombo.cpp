// The category combo boxes of the memo editor and the main view.

#include "editing/CategoryCombo.h"

#include "platform/ui/ComboBox.h"
#include "resources/extension/ExtensionModule.h"
#include "store/Category.h"
#include "store/CategoryTable.h"

void FillCategoryCombo(CComboBox& combo, CCategoryTable* table, int selectedValue, bool withAll) {
  combo.ResetContent();
  if (table == nullptr) return;
  CCategory category;
  for (int rc = table->First(category); rc == CCategoryTable::CAT_OK; rc = table->Next(category)) {
    if (category.index == 0) continue;
    combo.SetItemData(combo.AddString(category.name), category.index);
  }
  if (withAll) combo.SetItemData(combo.InsertString(0, AnsiText("すべて")), CATEGORY_ALL);
  combo.SetItemData(combo.InsertString(-1, AnsiText("未分類")), 0);
  combo.SetItemData(combo.InsertString(-1, AnsiText("カテゴリの編集...")), CATEGORY_EDIT_ENTRY);
  int index = combo.FindItemData(selectedValue);
  if (index == CComboBox::CB_ERR) index = combo.FindItemData(0);
  combo.SetCurSel(index);
}
