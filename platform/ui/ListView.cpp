// The list-view control: one item model, one selection, three views.

#include "platform/ui/ListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <set>
#include <tuple>

#include "platform/resources/ResourceDialogs.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListViewModel.h"

namespace {

// The virtual key code of a Qt key, 0 when it has none here.
int VirtualKeyOf(const QKeyEvent* event) {
  int key = event->key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

// A view of the list that reports the user's clicks and keys to the
// CListView: clicks after the view has handled them (so the selection is up
// to date), keys before (so the owner sees the row the key starts from).
template <class Base>
class CNotifyingView : public Base {
 public:
  CNotifyingView(CListView* owner) : Base(owner), m_owner(owner) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    Base::mousePressEvent(event);
    if (!(event->modifiers() & Qt::ShiftModifier)) {
      QModelIndex at = this->indexAt(event->position().toPoint());
      if (at.isValid()) m_owner->NoteUserCurrent(at.row());
    }
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    Base::mouseReleaseEvent(event);
    if (m_afterDoubleClick) {
      m_afterDoubleClick = false;
      return;
    }
    if (event->button() == Qt::LeftButton) {
      Send(NM_CLICK, event);
    } else if (event->button() == Qt::RightButton) {
      Send(NM_RCLICK, event);
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    Base::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
      m_afterDoubleClick = true;
      Send(NM_DBLCLK, event);
    }
  }
  void keyPressEvent(QKeyEvent* event) override {
    ListNotify notify;
    notify.code = LVN_KEYDOWN;
    notify.key = VirtualKeyOf(event);
    notify.row = this->currentIndex().row();
    m_owner->Notify(notify);
    QModelIndex before = this->currentIndex();
    Base::keyPressEvent(event);
    QModelIndex after = this->currentIndex();
    if (after.isValid() && after != before && !(event->modifiers() & Qt::ShiftModifier)) {
      m_owner->NoteUserCurrent(after.row());
    }
  }

 private:
  void Send(int code, QMouseEvent* event) {
    QPoint point = event->position().toPoint();
    QModelIndex at = this->indexAt(point);
    ListNotify notify;
    notify.code = code;
    notify.row = at.isValid() ? at.row() : -1;
    notify.subItem = at.isValid() ? at.column() : -1;
    notify.screenPoint = this->viewport()->mapToGlobal(point);
    m_owner->Notify(notify);
  }

  CListView* m_owner;
  bool m_afterDoubleClick = false;
};

using CReportView = CNotifyingView<QTableView>;
using CIconsView = CNotifyingView<QListView>;

}  // namespace

CListView::CListView(QWidget* parent, std::uint32_t listStyle)
    : QWidget(parent),
      m_model(new CListViewModel(this)),
      m_stack(new QStackedWidget(this)),
      m_report(new CReportView(this)),
      m_icons(new CIconsView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_stack);
  m_stack->addWidget(m_report);
  m_stack->addWidget(m_icons);

  m_report->setModel(m_model);
  m_selection = m_report->selectionModel();
  QItemSelectionModel* own = (m_icons->setModel(m_model), m_icons->selectionModel());
  m_icons->setSelectionModel(m_selection);
  delete own;

  const bool single = (listStyle & DLG_STYLE_LIST_SINGLESEL) != 0;
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_report),
                                  static_cast<QAbstractItemView*>(m_icons)}) {
    view->setSelectionMode(single ? QAbstractItemView::SingleSelection
                                  : QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->setTextElideMode(Qt::ElideRight);
    if ((listStyle & DLG_STYLE_BORDER) == 0) view->setFrameShape(QFrame::NoFrame);
  }

  m_report->setShowGrid(false);
  m_report->setWordWrap(false);
  m_report->setCornerButtonEnabled(false);
  m_report->verticalHeader()->hide();
  m_report->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_report->verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), 16) + 4);
  QHeaderView* header = m_report->horizontalHeader();
  header->setStretchLastSection(false);
  header->setHighlightSections(false);
  header->setSectionsClickable(false);
  header->setMinimumSectionSize(0);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  if ((listStyle & DLG_STYLE_LIST_NOHEADER) != 0) header->hide();
  connect(header, &QWidget::customContextMenuRequested, this, [this, header](const QPoint& at) {
    ListNotify notify;
    notify.code = NM_RCLICK;
    notify.fromHeader = true;
    notify.subItem = HeaderHitTest(at);
    notify.screenPoint = header->mapToGlobal(at);
    Notify(notify);
  });

  m_icons->setUniformItemSizes(true);
  m_icons->setMovement(QListView::Static);
  m_icons->setResizeMode(QListView::Adjust);
  m_icons->setFlow(QListView::LeftToRight);
  m_icons->setWrapping(true);
  m_icons->setModelColumn(0);

  connect(m_selection, &QItemSelectionModel::selectionChanged, this,
          &CListView::OnSelectionChanged);
  connect(m_selection, &QItemSelectionModel::currentChanged, this, &CListView::OnCurrentChanged);
  m_model->SetCheckHandler([this](int row, bool checked) { SetCheck(row, checked); });

  m_viewMode = (listStyle & DLG_STYLE_LIST_REPORT) != 0 ? LVS_REPORT : LVS_ICON;
  ApplyViewMode();
}

CListView::~CListView() = default;

void CListView::SetNotifyHandler(NotifyHandler handler) { m_handler = std::move(handler); }

bool CListView::Notify(const ListNotify& notify) { return m_handler ? m_handler(notify) : false; }

void CListView::NoteUserCurrent(int row) { m_selectionMark = row; }

// --- Styles and views ---

bool CListView::SetViewMode(int mode) {
  if (mode != LVS_ICON && mode != LVS_REPORT && mode != LVS_SMALLICON) return false;
  m_viewMode = mode;
  ApplyViewMode();
  return true;
}

void CListView::ApplyViewMode() {
  bool hadFocus = CurrentView()->hasFocus();
  if (m_viewMode == LVS_REPORT) {
    m_model->SetImages(m_smallImages);
    m_stack->setCurrentWidget(m_report);
  } else {
    const bool large = m_viewMode == LVS_ICON;
    const CImageList* images = large ? m_normalImages : m_smallImages;
    m_model->SetImages(images);
    const int side = large ? 32 : 16;
    QSize iconSize = images != nullptr && !images->ImageSize().isEmpty() ? images->ImageSize()
                                                                          : QSize(side, side);
    const QFontMetrics metrics = fontMetrics();
    m_icons->setIconSize(iconSize);
    if (large) {
      m_icons->setViewMode(QListView::IconMode);
      m_icons->setWordWrap(true);
      m_icons->setGridSize(QSize(std::max(iconSize.width() + 8, metrics.averageCharWidth() * 12),
                                 iconSize.height() + 2 * metrics.height() + 8));
    } else {
      m_icons->setViewMode(QListView::ListMode);
      m_icons->setWordWrap(false);
      m_icons->setGridSize(QSize(iconSize.width() + 6 + metrics.averageCharWidth() * 18,
                                 std::max(iconSize.height(), metrics.height()) + 4));
    }
    m_icons->setMovement(QListView::Static);
    m_icons->setFlow(QListView::LeftToRight);
    m_icons->setWrapping(true);
    m_icons->setResizeMode(QListView::Adjust);
    m_stack->setCurrentWidget(m_icons);
  }
  setFocusProxy(CurrentView());
  if (hadFocus) CurrentView()->setFocus();
  QModelIndex current = m_selection->currentIndex();
  if (current.isValid()) CurrentView()->scrollTo(current);
}

unsigned CListView::SetExtendedStyle(unsigned exStyle) {
  unsigned previous = m_exStyle;
  m_exStyle = exStyle;
  m_report->horizontalHeader()->setSectionsMovable((exStyle & LVS_EX_HEADERDRAGDROP) != 0);
  m_model->SetCheckBoxes((exStyle & LVS_EX_CHECKBOXES) != 0);
  return previous;
}

bool CListView::IsSingleSelection() const {
  return m_report->selectionMode() == QAbstractItemView::SingleSelection;
}

void CListView::SetRedraw(bool redraw) {
  m_redraw = redraw;
  if (redraw) {
    Flush();
    setUpdatesEnabled(true);
    update();
  } else {
    setUpdatesEnabled(false);
  }
}

void CListView::Flush() { m_model->Publish(); }

QAbstractItemView* CListView::CurrentView() const {
  if (m_viewMode == LVS_REPORT) return m_report;
  return m_icons;
}

// --- Columns ---

int CListView::InsertColumn(int position, const std::string& title, int format, int width,
                            int subItem) {
  if (position < 0) return -1;
  position = std::min(position, GetColumnCount());
  m_model->InsertColumn(position, ListViewColumn{title, format, subItem});
  QHeaderView* header = Header();
  header->resizeSection(position, width >= 0 ? width : header->defaultSectionSize());
  return position;
}

bool CListView::DeleteColumn(int position) {
  if (position < 0 || position >= GetColumnCount()) return false;
  m_model->RemoveColumn(position);
  return true;
}

int CListView::GetColumnCount() const { return m_model->ColumnCount(); }

bool CListView::SetColumnTitle(int position, const std::string& title) {
  if (position < 0 || position >= GetColumnCount()) return false;
  m_model->SetColumnTitle(position, title);
  return true;
}

std::string CListView::GetColumnTitle(int position) const {
  if (position < 0 || position >= GetColumnCount()) return {};
  return m_model->Column(position).title;
}

int CListView::GetColumnFormat(int position) const {
  if (position < 0 || position >= GetColumnCount()) return LVCFMT_LEFT;
  return m_model->Column(position).format;
}

bool CListView::SetColumnWidth(int position, int width) {
  if (position < 0 || position >= GetColumnCount() || width < 0) return false;
  Header()->resizeSection(position, width);
  return true;
}

int CListView::GetColumnWidth(int position) const {
  if (position < 0 || position >= GetColumnCount()) return 0;
  return Header()->sectionSize(position);
}

std::vector<int> CListView::GetColumnOrderArray() const {
  std::vector<int> order;
  QHeaderView* header = Header();
  for (int visual = 0; visual < GetColumnCount(); ++visual) {
    order.push_back(header->logicalIndex(visual));
  }
  return order;
}

bool CListView::SetColumnOrderArray(const std::vector<int>& order) {
  const int count = GetColumnCount();
  if (static_cast<int>(order.size()) != count) return false;
  std::vector<bool> seen(order.size(), false);
  for (int position : order) {
    if (position < 0 || position >= count || seen[static_cast<std::size_t>(position)]) return false;
    seen[static_cast<std::size_t>(position)] = true;
  }
  QHeaderView* header = Header();
  for (std::size_t visual = 0; visual < order.size(); ++visual) {
    header->moveSection(header->visualIndex(order[visual]), static_cast<int>(visual));
  }
  return true;
}

QHeaderView* CListView::Header() const { return m_report->horizontalHeader(); }

QRect CListView::GetHeaderItemRect(int position) const {
  if (position < 0 || position >= GetColumnCount()) return {};
  QHeaderView* header = Header();
  return QRect(header->sectionViewportPosition(position), 0, header->sectionSize(position),
               header->height());
}

int CListView::HeaderHitTest(const QPoint& point) const {
  for (int position = 0; position < GetColumnCount(); ++position) {
    QRect rect = GetHeaderItemRect(position);
    if (rect.width() > 0 && rect.contains(point)) return position;
  }
  return -1;
}

// --- Rows ---

int CListView::InsertItem(int index, const std::string& text, int image) {
  if (index < 0) return -1;
  const int count = GetItemCount();
  index = std::min(index, count);
  ListViewRow row;
  row.cells.push_back(text);
  row.image = image;
  if (!m_redraw && index == count) {
    m_model->AppendQuiet(std::move(row));
  } else {
    m_model->InsertRow(index, std::move(row));
  }
  if (m_selectionMark >= index) ++m_selectionMark;
  return index;
}

bool CListView::DeleteItem(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  m_model->RemoveRow(row);
  if (m_selectionMark == row) {
    m_selectionMark = -1;
  } else if (m_selectionMark > row) {
    --m_selectionMark;
  }
  return true;
}

bool CListView::DeleteAllItems() {
  m_model->Clear();
  m_selectionMark = -1;
  return true;
}

int CListView::GetItemCount() const { return m_model->RowCount(); }

bool CListView::SetItemText(int row, int subItem, const std::string& text) {
  if (row < 0 || row >= GetItemCount() || subItem < 0) return false;
  if (subItem > 0 && subItem >= GetColumnCount()) return false;
  m_model->SetCell(row, subItem, text);
  return true;
}

std::string CListView::GetItemText(int row, int subItem) const {
  if (row < 0 || row >= GetItemCount() || subItem < 0) return {};
  const ListViewRow& item = m_model->Row(row);
  if (subItem >= static_cast<int>(item.cells.size())) return {};
  return item.cells[static_cast<std::size_t>(subItem)];
}

bool CListView::SetItemImage(int row, int image) {
  if (row < 0 || row >= GetItemCount()) return false;
  m_model->SetImage(row, image);
  return true;
}

int CListView::GetItemImage(int row) const {
  if (row < 0 || row >= GetItemCount()) return -1;
  return m_model->Row(row).image;
}

bool CListView::SetItemData(int row, std::intptr_t value) {
  if (row < 0 || row >= GetItemCount()) return false;
  m_model->SetData(row, value);
  return true;
}

std::intptr_t CListView::GetItemData(int row) const {
  if (row < 0 || row >= GetItemCount()) return 0;
  return m_model->Row(row).data;
}

unsigned CListView::GetItemState(int row, unsigned mask) const {
  if (row < 0 || row >= GetItemCount()) return 0;
  unsigned state = 0;
  if (row < m_model->rowCount()) {
    // A row counts as selected by its first cell, so that a column inserted
    // later (and not selected) does not drop it.
    if (GetColumnCount() > 0 && m_selection->isSelected(m_model->index(row, 0))) {
      state |= LVIS_SELECTED;
    }
    if (m_selection->currentIndex().row() == row) state |= LVIS_FOCUSED;
  }
  if ((m_exStyle & LVS_EX_CHECKBOXES) != 0) {
    state |= m_model->Row(row).checked ? LVIS_CHECKED : LVIS_UNCHECKED;
  }
  return state & mask;
}

bool CListView::SetItemState(int row, unsigned state, unsigned mask) {
  if (row < -1 || row >= GetItemCount()) return false;
  Flush();
  if (row == -1) {
    // Every row.
    if ((mask & LVIS_SELECTED) != 0) {
      if ((state & LVIS_SELECTED) != 0 && !IsSingleSelection()) {
        if (GetColumnCount() > 0 && GetItemCount() > 0) {
          m_selection->select(QItemSelection(m_model->index(0, 0),
                                             m_model->index(GetItemCount() - 1, 0)),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
      } else if ((state & LVIS_SELECTED) == 0) {
        m_selection->clearSelection();
      }
    }
    if ((mask & LVIS_FOCUSED) != 0 && (state & LVIS_FOCUSED) == 0) {
      m_selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    if ((mask & LVIS_STATEIMAGEMASK) != 0) {
      for (int r = 0; r < GetItemCount(); ++r) {
        SetCheck(r, (state & LVIS_STATEIMAGEMASK) == LVIS_CHECKED);
      }
    }
    return true;
  }
  QModelIndex index = m_model->index(row, 0);
  if ((mask & LVIS_SELECTED) != 0 && index.isValid()) {
    if ((state & LVIS_SELECTED) != 0) {
      m_selection->select(index, (IsSingleSelection() ? QItemSelectionModel::ClearAndSelect
                                                      : QItemSelectionModel::Select) |
                                     QItemSelectionModel::Rows);
    } else {
      m_selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
  }
  if ((mask & LVIS_FOCUSED) != 0 && index.isValid()) {
    if ((state & LVIS_FOCUSED) != 0) {
      m_selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (m_selection->currentIndex().row() == row) {
      m_selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  }
  if ((mask & LVIS_STATEIMAGEMASK) != 0) {
    SetCheck(row, (state & LVIS_STATEIMAGEMASK) == LVIS_CHECKED);
  }
  return true;
}

int CListView::GetSelectedCount() const {
  int count = 0;
  for (const QItemSelectionRange& range : m_selection->selection()) {
    if (range.left() == 0) count += range.height();
  }
  return count;
}

int CListView::SetSelectionMark(int row) {
  int previous = m_selectionMark;
  m_selectionMark = row >= 0 && row < GetItemCount() ? row : -1;
  return previous;
}

bool CListView::EnsureVisible(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  Flush();
  QModelIndex index = m_model->index(row, 0);
  if (!index.isValid()) return false;
  CurrentView()->scrollTo(index);
  return true;
}

bool CListView::GetCheck(int row) const {
  if (row < 0 || row >= GetItemCount()) return false;
  return m_model->Row(row).checked;
}

bool CListView::SetCheck(int row, bool checked) {
  if (row < 0 || row >= GetItemCount()) return false;
  bool was = m_model->Row(row).checked;
  if (was == checked) return true;
  unsigned others = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED);
  m_model->SetChecked(row, checked);
  if ((m_exStyle & LVS_EX_CHECKBOXES) != 0) {
    NotifyStates(row, others | (was ? LVIS_CHECKED : LVIS_UNCHECKED),
                 others | (checked ? LVIS_CHECKED : LVIS_UNCHECKED), LVIS_STATEIMAGEMASK);
  }
  return true;
}

int CListView::HitTest(const QPoint& point) const {
  QModelIndex index = CurrentView()->indexAt(point);
  return index.isValid() ? index.row() : -1;
}

QRect CListView::GetItemRect(int row) const {
  if (row < 0 || row >= m_model->rowCount() || GetColumnCount() == 0) return {};
  return CurrentView()->visualRect(m_model->index(row, 0));
}

int CListView::GetNextItem(int start, unsigned flags) const {
  const int count = GetItemCount();
  const unsigned wanted = flags & (LVNI_SELECTED | LVNI_FOCUSED);
  auto matches = [&](int row) {
    unsigned state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED);
    return ((wanted & LVNI_SELECTED) == 0 || (state & LVIS_SELECTED) != 0) &&
           ((wanted & LVNI_FOCUSED) == 0 || (state & LVIS_FOCUSED) != 0);
  };
  const unsigned direction = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
  if (direction == 0) {
    for (int row = std::max(start + 1, 0); row < count; ++row) {
      if (matches(row)) return row;
    }
    return -1;
  }
  if (start < 0 || start >= count) return -1;
  if (m_viewMode == LVS_REPORT) {
    // One row under the other: nothing lies to either side.
    if (direction == LVNI_ABOVE) {
      for (int row = start - 1; row >= 0; --row) {
        if (matches(row)) return row;
      }
    } else if (direction == LVNI_BELOW) {
      for (int row = start + 1; row < count; ++row) {
        if (matches(row)) return row;
      }
    }
    return -1;
  }
  // Icon views: the nearest row in that direction, first by the distance
  // along the direction, then by the offset across it.
  const_cast<CListView*>(this)->Flush();
  m_icons->doItemsLayout();
  const QRect origin = GetItemRect(start);
  if (!origin.isValid()) return -1;
  const QPoint centre = origin.center();
  int best = -1;
  std::tuple<int, int> bestScore{std::numeric_limits<int>::max(), 0};
  for (int row = 0; row < m_model->rowCount(); ++row) {
    if (row == start || !matches(row)) continue;
    QRect rect = GetItemRect(row);
    QPoint c = rect.center();
    int along = 0;
    int across = 0;
    if (direction == LVNI_ABOVE && rect.bottom() < origin.top()) {
      along = centre.y() - c.y(), across = std::abs(c.x() - centre.x());
    } else if (direction == LVNI_BELOW && rect.top() > origin.bottom()) {
      along = c.y() - centre.y(), across = std::abs(c.x() - centre.x());
    } else if (direction == LVNI_TOLEFT && rect.right() < origin.left()) {
      along = centre.x() - c.x(), across = std::abs(c.y() - centre.y());
    } else if (direction == LVNI_TORIGHT && rect.left() > origin.right()) {
      along = c.x() - centre.x(), across = std::abs(c.y() - centre.y());
    } else {
      continue;
    }
    std::tuple<int, int> score{along, across};
    if (score < bestScore) {
      bestScore = score;
      best = row;
    }
  }
  return best;
}

// --- Images ---

CImageList* CListView::SetImageList(CImageList* images, int which) {
  CImageList*& slot = which == LVSIL_NORMAL ? m_normalImages : m_smallImages;
  if (which != LVSIL_NORMAL && which != LVSIL_SMALL) return nullptr;
  CImageList* previous = slot;
  slot = images;
  if (which == LVSIL_SMALL && images != nullptr && !images->ImageSize().isEmpty()) {
    // Report rows are at least as tall as the small images.
    const QSize size = images->ImageSize();
    m_report->setIconSize(size);
    QHeaderView* rows = m_report->verticalHeader();
    rows->setDefaultSectionSize(std::max(rows->defaultSectionSize(), size.height() + 4));
  }
  ApplyViewMode();
  return previous;
}

CImageList* CListView::GetImageList(int which) const {
  if (which == LVSIL_NORMAL) return m_normalImages;
  if (which == LVSIL_SMALL) return m_smallImages;
  return nullptr;
}

// --- State-change notifications ---

void CListView::NotifyStates(int row, unsigned oldState, unsigned newState, unsigned changed) {
  ListNotify notify;
  notify.code = LVN_ITEMCHANGED;
  notify.row = row;
  notify.oldState = oldState;
  notify.newState = newState;
  notify.changed = changed;
  Notify(notify);
}

void CListView::OnSelectionChanged(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
  std::set<int> on;
  std::set<int> off;
  for (const QItemSelectionRange& range : selected) {
    for (int row = range.top(); row <= range.bottom(); ++row) on.insert(row);
  }
  for (const QItemSelectionRange& range : deselected) {
    for (int row = range.top(); row <= range.bottom(); ++row) off.insert(row);
  }
  for (int row : off) {
    if (row < 0 || row >= GetItemCount() || on.count(row) != 0) continue;
    unsigned now = GetItemState(row, ~0u);
    NotifyStates(row, now | LVIS_SELECTED, now & ~LVIS_SELECTED, LVIS_SELECTED);
  }
  for (int row : on) {
    if (row < 0 || row >= GetItemCount() || off.count(row) != 0) continue;
    unsigned now = GetItemState(row, ~0u);
    NotifyStates(row, now & ~LVIS_SELECTED, now | LVIS_SELECTED, LVIS_SELECTED);
  }
}

void CListView::OnCurrentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (previous.isValid() && previous.row() != current.row() && previous.row() < GetItemCount()) {
    unsigned now = GetItemState(previous.row(), ~0u);
    NotifyStates(previous.row(), now | LVIS_FOCUSED, now & ~LVIS_FOCUSED, LVIS_FOCUSED);
  }
  if (current.isValid() && (!previous.isValid() || previous.row() != current.row())) {
    unsigned now = GetItemState(current.row(), ~0u);
    NotifyStates(current.row(), now & ~LVIS_FOCUSED, now | LVIS_FOCUSED, LVIS_FOCUSED);
  }
}
