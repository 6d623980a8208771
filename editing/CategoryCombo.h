#pragma once
// Fills a category combo box the way the memo editor and the main view show
// the categories: the names of the table's categories other than Unfiled,
// sorted by the combo box, each with its index as item value; then "未分類"
// (0) and "カテゴリの編集..." (CATEGORY_EDIT_ENTRY) appended unsorted.  The
// view's filter adds "すべて" (CATEGORY_ALL) before them all.

class CCategoryTable;
class CComboBox;

// Item value of "すべて", the view's filter showing every category.
inline constexpr int CATEGORY_ALL = -1;
// Item value of "カテゴリの編集...", which opens the category editor.
inline constexpr int CATEGORY_EDIT_ENTRY = -2;

// Empties the combo box and fills it from the table (it stays empty without
// a table), then selects the entry whose item value is `selectedValue`, or
// "未分類" when there is none.
void FillCategoryCombo(CComboBox& combo, CCategoryTable* table, int selectedValue, bool withAll);
