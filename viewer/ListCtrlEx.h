#pragma once
// The memo list: a list-view control whose columns are known by a fixed id.
// The user may hide, show, reorder and resize columns; the layout is kept in
// `columns` and remembered in a per-user profile value ("Heading").
//
// The control itself is the CListView that the dialog template creates; a
// CListCtrlEx attaches to it (SubclassDlgItem) and works through it.  The
// list contains only the shown columns, in ascending id order, so a shown
// column's position is the number of shown columns with a smaller id; the
// user's left-to-right arrangement is the header's display order.  Column id
// 0 is always shown.

#include <string>
#include <vector>

#include "platform/registry/AppProfile.h"
#include "platform/ui/ListView.h"

class CDialogWindow;

struct ColumnInfo {
  int id = 0;
  std::string title;  // ANSI bytes
  int format = LVCFMT_LEFT;
  int width = 0;      // for a shown column: its width at the last capture
  int subItem = -1;   // given when the column is inserted; -1 none
  int shown = 1;
};

class CListCtrlEx {
 public:
  CListCtrlEx() = default;
  CListCtrlEx(const CListCtrlEx&) = delete;
  CListCtrlEx& operator=(const CListCtrlEx&) = delete;

  // Works on `list` from now on (not owned).  False for nullptr.
  bool Attach(CListView* list);
  // Attaches to the list view `id` of the dialog.  False when it has none.
  bool SubclassDlgItem(int id, CDialogWindow* parent);
  CListView* List() const { return m_list; }

  // Inserts the column into the control at position `id` (appended when
  // beyond the last column) and records it as shown.  The control's result;
  // -1 on failure, when nothing is recorded.
  int InsertColumn(int id, const std::string& title, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1);
  // 1 when written or when the column is hidden (nothing written), 0 for an
  // unknown id.
  int SetColumnText(int row, int id, const std::string& text);
  // LVS_ICON, LVS_REPORT or LVS_SMALLICON; the layout is captured first when
  // leaving report view.  Returns the previous mode.
  int SetViewMode(int mode);
  // 1 found, 0 unknown id.
  int GetColumnTitle(int id, std::string& title) const;
  // Captures the layout and gives every column's id and shown flag, shown
  // columns first (in display order in report view, id order in the icon
  // views).  0 unless count equals the number of columns.
  int GetColumns(int* ids, int* shown, int count);
  // Shows (flag 1) or hides (any other flag) each column in the given order;
  // the shown ones take that order on screen.  0 unless count equals the
  // number of columns.
  int ApplyColumns(int count, const int* ids, const int* shown);
  // 0 for id 0, an unknown id or a hidden column; else removes it from the
  // control (keeping its width) and returns 1.
  int HideColumn(int id);

  // The layout value "(n) id width ...(m) id width ..." under the section
  // and value name of the profile (the module's profile when none is given).
  // A value that is missing or does not parse leaves the layout as it is.
  void LoadLayout(const std::string& section, const std::string& valueName);
  void LoadLayout(const CAppProfile& profile, const std::string& section,
                  const std::string& valueName);
  void SaveLayout(const std::string& section, const std::string& valueName);
  void SaveLayout(const CAppProfile& profile, const std::string& section,
                  const std::string& valueName);
  // The layout value as SaveLayout writes it (captures first).
  std::string LayoutValue();
  // Applies a layout value as LoadLayout does; false when it is ignored.
  bool ApplyLayoutValue(const std::string& value);

  // The header menu at the screen point: "show columns" (showCommand) and
  // "hide this column" (hideCommand, greyed over the first column).  The
  // owner receives the picked command; it is also returned (0: none).
  int ShowHeaderMenu(int screenX, int screenY, int showCommand, int hideCommand,
                     CDialogWindow* owner);
  // Id of the column under the last header right-click; -1 when none.
  int ClickedColumnId();

  const std::vector<ColumnInfo>& Columns() const { return columns; }
  int ColumnCount() const { return static_cast<int>(columns.size()); }
  int ClickedHeaderItem() const { return clickedHeaderItem; }

 private:
  // The column at a position already checked against ColumnCount().
  ColumnInfo& At(int position) { return columns[static_cast<std::size_t>(position)]; }
  const ColumnInfo& At(int position) const { return columns[static_cast<std::size_t>(position)]; }
  void OrderColumns();
  void CaptureLayout();
  int FindColumn(int id) const;
  int PositionOf(int id) const;
  void SetDisplayOrder(const std::vector<int>& idsInOrder);
  void Rebuild(std::vector<ColumnInfo> wanted);

  CListView* m_list = nullptr;
  std::vector<ColumnInfo> columns;
  int clickedHeaderItem = -1;
};
