#pragma once
// A list-view control addressed as the original platform's list views are:
// rows by index, each with a text per column (ANSI bytes), an image index, an
// integer item value and a check box; columns by position with a title,
// format and width; and a header whose display order the user may change by
// dragging.  The same rows are shown in one of three views (report, large
// icons, small icons) over a single item model and a single selection, so a
// switch of view keeps rows, selection and focus.  What happens in the list
// reaches the owner through the notify handler (a CDialogWindow routes it to
// OnNotify).
//
// Bulk fills: SetRedraw(false) stops painting and lets rows appended at the
// end gather without telling the views; SetRedraw(true) hands them over at
// once.  Keep a fill of many rows between the two.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/ListNotify.h"

class CImageList;
class CListViewModel;
class QAbstractItemView;
class QHeaderView;
class QItemSelectionModel;
class QListView;
class QStackedWidget;
class QTableView;

// View modes (the same numbers as the memo list's modes).
inline constexpr int LVS_ICON = 0;
inline constexpr int LVS_REPORT = 1;
inline constexpr int LVS_SMALLICON = 2;

// Extended styles.
inline constexpr unsigned LVS_EX_CHECKBOXES = 0x0004;
inline constexpr unsigned LVS_EX_HEADERDRAGDROP = 0x0010;
inline constexpr unsigned LVS_EX_FULLROWSELECT = 0x0020;

// Column formats.
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;

// GetNextItem flags: a state the row must have, and a direction from the
// start row in the current view.
inline constexpr unsigned LVNI_ALL = 0x0000;
inline constexpr unsigned LVNI_FOCUSED = 0x0001;
inline constexpr unsigned LVNI_SELECTED = 0x0002;
inline constexpr unsigned LVNI_ABOVE = 0x0100;
inline constexpr unsigned LVNI_BELOW = 0x0200;
inline constexpr unsigned LVNI_TOLEFT = 0x0400;
inline constexpr unsigned LVNI_TORIGHT = 0x0800;

// Image lists of the list.
inline constexpr int LVSIL_NORMAL = 0;  // large-icon view
inline constexpr int LVSIL_SMALL = 1;   // report and small-icon views

class CListView : public QWidget {
  Q_OBJECT

 public:
  // Returns true when the owner handled the notification.
  using NotifyHandler = std::function<bool(const ListNotify&)>;

  // `listStyle` takes the template's list bits (DLG_STYLE_LIST_REPORT,
  // _SINGLESEL, _NOHEADER, ... and DLG_STYLE_BORDER); without
  // DLG_STYLE_LIST_REPORT the list starts in large-icon view.
  explicit CListView(QWidget* parent = nullptr, std::uint32_t listStyle = 0);
  ~CListView() override;

  void SetNotifyHandler(NotifyHandler handler);

  // --- Styles and views ---
  int GetViewMode() const { return m_viewMode; }
  // LVS_ICON, LVS_REPORT or LVS_SMALLICON; false for any other value.
  bool SetViewMode(int mode);
  unsigned GetExtendedStyle() const { return m_exStyle; }
  // Replaces the extended styles; returns the previous ones.
  unsigned SetExtendedStyle(unsigned exStyle);
  bool IsSingleSelection() const;
  // Painting and the views' updates off (false) or on again (true).
  void SetRedraw(bool redraw);

  // --- Columns ---
  // Inserts a column at `position` (appends when beyond the last one);
  // returns its position, or -1 for a negative position.  The rows get an
  // empty cell there; `subItem` is kept with the column.
  int InsertColumn(int position, const std::string& title, int format = LVCFMT_LEFT,
                   int width = -1, int subItem = -1);
  bool DeleteColumn(int position);
  int GetColumnCount() const;
  bool SetColumnTitle(int position, const std::string& title);
  std::string GetColumnTitle(int position) const;
  int GetColumnFormat(int position) const;
  bool SetColumnWidth(int position, int width);
  // 0 for an unknown position.
  int GetColumnWidth(int position) const;
  // Display order: entry i is the position of the column shown i-th from
  // the left.  Set fails unless `order` is a permutation of the positions.
  std::vector<int> GetColumnOrderArray() const;
  bool SetColumnOrderArray(const std::vector<int>& order);
  QHeaderView* Header() const;
  // The rectangle of the header item at `position`, in header coordinates
  // (empty for an unknown position).
  QRect GetHeaderItemRect(int position) const;
  // The position of the header item under `point` (header coordinates), or
  // -1 when there is none.
  int HeaderHitTest(const QPoint& point) const;

  // --- Rows ---
  // Inserts a row at `index` (appends when beyond the last); returns its
  // index, or -1 for a negative index.
  int InsertItem(int index, const std::string& text, int image = 0);
  bool DeleteItem(int row);
  bool DeleteAllItems();
  int GetItemCount() const;
  // Sub-item 0 is the row's own text.
  bool SetItemText(int row, int subItem, const std::string& text);
  std::string GetItemText(int row, int subItem) const;
  bool SetItemImage(int row, int image);
  int GetItemImage(int row) const;
  bool SetItemData(int row, std::intptr_t value);
  // 0 for an unknown row.
  std::intptr_t GetItemData(int row) const;
  // The next row after `start` (-1: from the top) with the states of
  // `flags`; with a direction flag, the nearest row in that direction from
  // `start` as the rows stand in the current view.  -1 when there is none.
  int GetNextItem(int start, unsigned flags) const;
  // LVIS_SELECTED, LVIS_FOCUSED and the check-box state-image bits.
  bool SetItemState(int row, unsigned state, unsigned mask);
  unsigned GetItemState(int row, unsigned mask) const;
  int GetSelectedCount() const;
  int GetSelectionMark() const { return m_selectionMark; }
  int SetSelectionMark(int row);
  bool EnsureVisible(int row);
  bool GetCheck(int row) const;
  bool SetCheck(int row, bool checked);
  // The row under `point` (coordinates of the current view's viewport), or -1.
  int HitTest(const QPoint& point) const;
  // The row's rectangle in the current view's viewport.
  QRect GetItemRect(int row) const;

  // --- Images ---
  // Returns the previous list; the list is not owned.
  CImageList* SetImageList(CImageList* images, int which);
  CImageList* GetImageList(int which) const;

  // The widget of the current view (its viewport takes the mouse).
  QAbstractItemView* CurrentView() const;
  QTableView* ReportView() const { return m_report; }
  QListView* IconView() const { return m_icons; }

  // Called by the views (not for the owner's use).
  bool Notify(const ListNotify& notify);
  void NoteUserCurrent(int row);

 private:
  void Flush();
  void ApplyViewMode();
  void NotifyStates(int row, unsigned oldState, unsigned newState, unsigned changed);
  void OnSelectionChanged(const class QItemSelection& selected,
                          const class QItemSelection& deselected);
  void OnCurrentChanged(const class QModelIndex& current, const class QModelIndex& previous);

  CListViewModel* m_model;
  QStackedWidget* m_stack;
  QTableView* m_report;
  QListView* m_icons;
  QItemSelectionModel* m_selection;
  NotifyHandler m_handler;
  CImageList* m_normalImages = nullptr;
  CImageList* m_smallImages = nullptr;
  int m_viewMode = LVS_REPORT;
  unsigned m_exStyle = 0;
  int m_selectionMark = -1;
  bool m_redraw = true;
};
