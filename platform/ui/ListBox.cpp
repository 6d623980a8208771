// List boxes by index with item values.

#include "platform/ui/ListBox.h"

#include <QListWidget>
#include <QVariant>

#include "platform/ui/ComboBox.h"
#include "platform/ui/ListItems.h"
#include "platform/ui/UiText.h"

using listitems::ANSI_ROLE;
using listitems::VALUE_ROLE;

CListBox::CListBox(QWidget* control) : m_list(qobject_cast<QListWidget*>(control)) {}

bool CListBox::IsSorted() const {
  return m_list != nullptr && m_list->property(CComboBox::SORTED_PROPERTY).toBool();
}

int CListBox::AddString(const std::string& ansi) {
  if (m_list == nullptr) return LB_ERR;
  const int count = m_list->count();
  const int index = IsSorted() ? listitems::SortedIndex(
                                     count, [this](int i) { return GetText(i); }, ansi)
                               : count;
  return InsertString(index, ansi);
}

int CListBox::InsertString(int index, const std::string& ansi) {
  if (m_list == nullptr) return LB_ERR;
  if (index < 0 || index > m_list->count()) index = m_list->count();
  auto* item = new QListWidgetItem(AnsiToQString(ansi));
  item->setData(ANSI_ROLE, QByteArray(ansi.data(), static_cast<int>(ansi.size())));
  item->setData(VALUE_ROLE, QVariant::fromValue<qlonglong>(0));
  m_list->insertItem(index, item);
  return index;
}

int CListBox::DeleteString(int index) {
  if (m_list == nullptr || index < 0 || index >= m_list->count()) return LB_ERR;
  delete m_list->takeItem(index);
  return m_list->count();
}

void CListBox::ResetContent() {
  if (m_list != nullptr) m_list->clear();
}

int CListBox::GetCount() const { return m_list == nullptr ? 0 : m_list->count(); }

std::string CListBox::GetText(int index) const {
  if (m_list == nullptr || index < 0 || index >= m_list->count()) return {};
  QByteArray bytes = m_list->item(index)->data(ANSI_ROLE).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

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

int CListBox::FindItemData(std::intptr_t value, int start) const {
  return listitems::FindValue(
      GetCount(), [this](int i) { return GetItemData(i); }, value, start);
}

bool CListBox::SetItemData(int index, std::intptr_t value) {
  if (m_list == nullptr || index < 0 || index >= m_list->count()) return false;
  m_list->item(index)->setData(VALUE_ROLE, QVariant::fromValue<qlonglong>(value));
  return true;
}

std::intptr_t CListBox::GetItemData(int index) const {
  if (m_list == nullptr || index < 0 || index >= m_list->count()) return LB_ERR;
  return static_cast<std::intptr_t>(m_list->item(index)->data(VALUE_ROLE).toLongLong());
}
