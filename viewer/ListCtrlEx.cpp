// The memo list's columns: shown and hidden columns by id, their display
// order and widths, and the layout value that remembers them.

#include "viewer/ListCtrlEx.h"

#include <QHeaderView>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/resources/Resources.h"
#include "platform/ui/DialogWindow.h"
#include "platform/ui/PopupMenu.h"
#include "resources/extension/ExtensionModule.h"

namespace {

// An integer as "%i" reads it (decimal, 0x hex or 0 octal), the whole token.
bool ParseInt(const std::string& token, int& value) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long parsed = std::strtol(token.c_str(), &end, 0);
  if (errno != 0 || end == token.c_str() || *end != '\0') return false;
  if (parsed < -2147483647L - 1 || parsed > 2147483647L) return false;
  value = static_cast<int>(parsed);
  return true;
}

// "(n)" -> n.
bool ParseCount(const std::string& token, int& count) {
  if (token.size() < 3 || token.front() != '(' || token.back() != ')') return false;
  return ParseInt(token.substr(1, token.size() - 2), count) && count >= 0;
}

std::vector<std::string> Tokens(const std::string& text) {
  std::vector<std::string> tokens;
  std::string current;
  for (char c : text) {
    if (c == ' ') {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

std::string ResourceText(std::uint32_t id) {
  const char* text = ResourceFindString(ExtensionResources(), id);
  return text != nullptr ? text : "";
}

}  // namespace

bool CListCtrlEx::Attach(CListView* list) {
  if (list == nullptr) return false;
  m_list = list;
  return true;
}

bool CListCtrlEx::SubclassDlgItem(int id, CDialogWindow* parent) {
  if (parent == nullptr) return false;
  return Attach(qobject_cast<CListView*>(parent->Control(id)));
}

// Shown columns first in ascending id order (so that a shown column's index
// is its position in the control), hidden ones after in their previous order.
void CListCtrlEx::OrderColumns() {
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
      ColumnInfo& earlier = columns[i];
      ColumnInfo& later = columns[i + 1];
      if ((earlier.shown && later.shown && later.id < earlier.id) ||
          (!earlier.shown && later.shown)) {
        std::swap(earlier, later);
        swapped = true;
      }
    }
  }
}

// Brings `columns` up to date with the control: in report view the shown
// columns in display order with their current widths, in the icon views in
// id order; hidden columns after.
void CListCtrlEx::CaptureLayout() {
  OrderColumns();
  if (m_list == nullptr || m_list->GetViewMode() != LVS_REPORT) return;
  std::vector<int> order = m_list->GetColumnOrderArray();
  std::vector<ColumnInfo> captured;
  for (int position : order) {
    if (position < 0 || position >= ColumnCount() || !At(position).shown) continue;
    ColumnInfo column = At(position);
    column.width = m_list->GetColumnWidth(position);
    captured.push_back(column);
  }
  for (const ColumnInfo& column : columns) {
    if (!column.shown) captured.push_back(column);
  }
  if (captured.size() == columns.size()) columns = std::move(captured);
}

int CListCtrlEx::FindColumn(int id) const {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

// The control position of a shown column; -1 when hidden or unknown.
// Expects `columns` in column order.
int CListCtrlEx::PositionOf(int id) const {
  int index = FindColumn(id);
  if (index < 0 || !At(index).shown) return -1;
  return index;
}

void CListCtrlEx::SetDisplayOrder(const std::vector<int>& idsInOrder) {
  OrderColumns();
  std::vector<int> order;
  for (int id : idsInOrder) {
    int position = PositionOf(id);
    if (position >= 0) order.push_back(position);
  }
  m_list->SetColumnOrderArray(order);
}

// Makes the control hold the shown columns of `wanted` (removing the ones
// that become hidden, inserting the ones that become shown), gives them
// their widths and shows them in the order of `wanted`.
void CListCtrlEx::Rebuild(std::vector<ColumnInfo> wanted) {
  OrderColumns();
  std::vector<int> inControl;  // ids by control position
  for (const ColumnInfo& column : columns) {
    if (column.shown) inControl.push_back(column.id);
  }
  auto wantedShown = [&](int id) {
    for (const ColumnInfo& column : wanted) {
      if (column.id == id) return column.shown != 0;
    }
    return false;
  };
  for (std::size_t position = inControl.size(); position-- > 0;) {
    if (!wantedShown(inControl[position])) {
      m_list->DeleteColumn(static_cast<int>(position));
      inControl.erase(inControl.begin() + static_cast<std::ptrdiff_t>(position));
    }
  }
  std::vector<int> displayOrder;
  for (const ColumnInfo& column : wanted) {
    if (column.shown) displayOrder.push_back(column.id);
  }
  columns = std::move(wanted);
  OrderColumns();
  for (std::size_t position = 0; position < columns.size() && columns[position].shown; ++position) {
    const ColumnInfo& column = columns[position];
    const int at = static_cast<int>(position);
    bool present = std::find(inControl.begin(), inControl.end(), column.id) != inControl.end();
    if (!present) {
      m_list->InsertColumn(at, column.title, column.format, column.width, column.subItem);
      inControl.insert(inControl.begin() + at, column.id);
    }
    m_list->SetColumnWidth(at, column.width);
  }
  SetDisplayOrder(displayOrder);
}

int CListCtrlEx::InsertColumn(int id, const std::string& title, int format, int width,
                              int subItem) {
  if (m_list == nullptr) return -1;
  int result = m_list->InsertColumn(id, title, format, width, subItem);
  if (result == -1) return -1;
  columns.push_back(ColumnInfo{id, title, format, width, subItem, 1});
  return result;
}

int CListCtrlEx::SetColumnText(int row, int id, const std::string& text) {
  OrderColumns();
  int index = FindColumn(id);
  if (index < 0) return 0;
  if (!At(index).shown) return 1;
  if (m_list != nullptr) m_list->SetItemText(row, index, text);
  return 1;
}

int CListCtrlEx::SetViewMode(int mode) {
  if (m_list == nullptr) return -1;
  int previous = m_list->GetViewMode();
  if (previous == LVS_REPORT && mode != LVS_REPORT) CaptureLayout();
  m_list->SetViewMode(mode);
  return previous;
}

int CListCtrlEx::GetColumnTitle(int id, std::string& title) const {
  int index = FindColumn(id);
  if (index < 0) return 0;
  title = At(index).title;
  return 1;
}

int CListCtrlEx::GetColumns(int* ids, int* shown, int count) {
  if (count != ColumnCount() || ids == nullptr || shown == nullptr) return 0;
  CaptureLayout();
  for (int i = 0; i < count; ++i) {
    ids[i] = At(i).id;
    shown[i] = At(i).shown;
  }
  return 1;
}

int CListCtrlEx::ApplyColumns(int count, const int* ids, const int* shown) {
  if (count != ColumnCount() || ids == nullptr || shown == nullptr || m_list == nullptr) return 0;
  // Widths of the shown columns as they stand, kept for those that get hidden.
  OrderColumns();
  for (int position = 0; position < ColumnCount() && At(position).shown; ++position) {
    At(position).width = m_list->GetColumnWidth(position);
  }
  std::vector<ColumnInfo> wanted;
  std::vector<bool> taken(columns.size(), false);
  for (int i = 0; i < count; ++i) {
    int index = FindColumn(ids[i]);
    if (index < 0 || taken[static_cast<std::size_t>(index)]) continue;
    taken[static_cast<std::size_t>(index)] = true;
    ColumnInfo column = At(index);
    // Column id 0 stays shown whatever the flag says.
    column.shown = shown[i] == 1 || column.id == 0 ? 1 : 0;
    wanted.push_back(column);
  }
  for (std::size_t index = 0; index < columns.size(); ++index) {
    if (!taken[index]) wanted.push_back(columns[index]);
  }
  Rebuild(std::move(wanted));
  return 1;
}

int CListCtrlEx::HideColumn(int id) {
  if (id == 0 || m_list == nullptr) return 0;
  OrderColumns();
  int index = FindColumn(id);
  if (index < 0 || !At(index).shown) return 0;
  At(index).width = m_list->GetColumnWidth(index);
  At(index).shown = 0;
  m_list->DeleteColumn(index);
  OrderColumns();
  return 1;
}

std::string CListCtrlEx::LayoutValue() {
  CaptureLayout();
  std::string shownText;
  std::string hiddenText;
  int shownCount = 0;
  int hiddenCount = 0;
  for (const ColumnInfo& column : columns) {
    std::string pair = std::to_string(column.id) + " " + std::to_string(column.width) + " ";
    if (column.shown) {
      shownText += pair;
      ++shownCount;
    } else {
      hiddenText += pair;
      ++hiddenCount;
    }
  }
  return "(" + std::to_string(shownCount) + ") " + shownText + "(" + std::to_string(hiddenCount) +
         ") " + hiddenText;
}

// Reads the two groups "(n) id width ..." (shown, in display order) and
// "(m) id width ..." (hidden).  Columns that the value does not name (it was
// written when the list had fewer columns) keep their inserted state and
// width and are shown after the named ones.
bool CListCtrlEx::ApplyLayoutValue(const std::string& value) {
  if (m_list == nullptr) return false;
  std::vector<std::string> tokens = Tokens(value);
  if (tokens.empty()) return false;
  OrderColumns();
  std::vector<ColumnInfo> wanted;
  std::vector<bool> taken(columns.size(), false);
  std::size_t next = 0;
  for (int group = 0; group < 2; ++group) {
    int count = 0;
    if (next >= tokens.size() || !ParseCount(tokens[next++], count)) return false;
    for (int i = 0; i < count; ++i) {
      int id = 0;
      int width = 0;
      if (next + 1 >= tokens.size()) return false;
      if (!ParseInt(tokens[next], id) || !ParseInt(tokens[next + 1], width) || width < 0) {
        return false;
      }
      next += 2;
      int index = -1;
      for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!taken[c] && columns[c].id == id) index = static_cast<int>(c);
      }
      if (index < 0) return false;
      taken[static_cast<std::size_t>(index)] = true;
      ColumnInfo column = At(index);
      column.width = width;
      column.shown = group == 0 || column.id == 0 ? 1 : 0;
      wanted.push_back(column);
    }
  }
  // The widths of unnamed shown columns as the control has them.
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (taken[c]) continue;
    ColumnInfo column = columns[c];
    if (column.shown) column.width = m_list->GetColumnWidth(static_cast<int>(c));
    wanted.push_back(column);
  }
  Rebuild(std::move(wanted));
  return true;
}

void CListCtrlEx::LoadLayout(const std::string& section, const std::string& valueName) {
  LoadLayout(ExtensionProfile(), section, valueName);
}

void CListCtrlEx::LoadLayout(const CAppProfile& profile, const std::string& section,
                             const std::string& valueName) {
  std::string value = profile.GetProfileString(section, valueName, "");
  if (value.empty()) return;
  ApplyLayoutValue(value);
}

void CListCtrlEx::SaveLayout(const std::string& section, const std::string& valueName) {
  SaveLayout(ExtensionProfile(), section, valueName);
}

void CListCtrlEx::SaveLayout(const CAppProfile& profile, const std::string& section,
                             const std::string& valueName) {
  profile.WriteProfileString(section, valueName, LayoutValue());
}

int CListCtrlEx::ShowHeaderMenu(int screenX, int screenY, int showCommand, int hideCommand,
                                CDialogWindow* owner) {
  CPopupMenu menu;
  menu.AppendItem(showCommand, ResourceText(IDS_SHOW_COLUMNS));
  menu.AppendItem(hideCommand, ResourceText(IDS_HIDE_COLUMN));
  clickedHeaderItem = -1;
  if (m_list != nullptr) {
    QPoint point = m_list->Header()->mapFromGlobal(QPoint(screenX, screenY));
    clickedHeaderItem = m_list->HeaderHitTest(point);
  }
  // The first column (id 0) cannot be hidden.
  if (clickedHeaderItem == 0) menu.EnableItem(hideCommand, false);
  return menu.Track(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenX, screenY, owner);
}

int CListCtrlEx::ClickedColumnId() {
  if (clickedHeaderItem < 0) return -1;
  OrderColumns();
  if (clickedHeaderItem >= ColumnCount() || !At(clickedHeaderItem).shown) return -1;
  return At(clickedHeaderItem).id;
}
