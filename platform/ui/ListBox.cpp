// List boxes by index with item values, and their highlighted entry.

#include "platform/ui/ListBox.h"

#include <QListWidget>

namespace {
QListWidget* AsList(QWidget* control) { return qobject_cast<QListWidget*>(control); }
}  // namespace

CListBox::CListBox(QWidget* control)
    : CItemListControl(AsList(control), AsList(control) != nullptr ? AsList(control)->model() : nullptr),
      m_list(AsList(control)) {}

int CListBox::GetCurSel() const {
  if (m_list == nullptr) return LB_ERR;
  // The highlighted entry is the selected one; the current item alone (the
  // focus frame) does not count, so a cleared selection reads as none.
  const QList<QListWidgetItem*> selected = m_list->selectedItems();
  if (selected.isEmpty()) return LB_ERR;
  return m_list->row(selected.first());
}

int CListBox::SetCurSel(int index) {
  if (m_list == nullptr) return LB_ERR;
  if (index < 0 || index >= m_list->count()) {
    m_list->clearSelection();
    return LB_ERR;
  }
  m_list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  m_list->scrollToItem(m_list->item(index));
  return index;
}
