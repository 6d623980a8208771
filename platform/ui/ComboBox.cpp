// Combo boxes by index with item values.

#include "platform/ui/ComboBox.h"

#include <QComboBox>
#include <QVariant>

#include "platform/ui/ListItems.h"
#include "platform/ui/UiText.h"

using listitems::ANSI_ROLE;
using listitems::VALUE_ROLE;

CComboBox::CComboBox(QWidget* control) : m_combo(qobject_cast<QComboBox*>(control)) {}

bool CComboBox::IsSorted() const {
  return m_combo != nullptr && m_combo->property(SORTED_PROPERTY).toBool();
}

int CComboBox::AddString(const std::string& ansi) {
  if (m_combo == nullptr) return CB_ERR;
  const int count = m_combo->count();
  const int index = IsSorted() ? listitems::SortedIndex(
                                     count, [this](int i) { return GetLBText(i); }, ansi)
                               : count;
  return InsertString(index, ansi);
}

int CComboBox::InsertString(int index, const std::string& ansi) {
  if (m_combo == nullptr) return CB_ERR;
  if (index < 0 || index > m_combo->count()) index = m_combo->count();
  m_combo->insertItem(index, AnsiToQString(ansi));
  m_combo->setItemData(index, QByteArray(ansi.data(), static_cast<int>(ansi.size())), ANSI_ROLE);
  m_combo->setItemData(index, QVariant::fromValue<qlonglong>(0), VALUE_ROLE);
  return index;
}

int CComboBox::DeleteString(int index) {
  if (m_combo == nullptr || index < 0 || index >= m_combo->count()) return CB_ERR;
  m_combo->removeItem(index);
  return m_combo->count();
}

void CComboBox::ResetContent() {
  if (m_combo != nullptr) m_combo->clear();
}

int CComboBox::GetCount() const { return m_combo == nullptr ? 0 : m_combo->count(); }

std::string CComboBox::GetLBText(int index) const {
  if (m_combo == nullptr || index < 0 || index >= m_combo->count()) return {};
  QByteArray bytes = m_combo->itemData(index, ANSI_ROLE).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int CComboBox::GetCurSel() const {
  if (m_combo == nullptr) return CB_ERR;
  int index = m_combo->currentIndex();
  return index < 0 ? CB_ERR : index;
}

int CComboBox::SetCurSel(int index) {
  if (m_combo == nullptr) return CB_ERR;
  if (index < 0 || index >= m_combo->count()) {
    m_combo->setCurrentIndex(-1);
    return CB_ERR;
  }
  m_combo->setCurrentIndex(index);
  return index;
}

int CComboBox::FindItemData(std::intptr_t value, int start) const {
  return listitems::FindValue(
      GetCount(), [this](int i) { return GetItemData(i); }, value, start);
}

bool CComboBox::SetItemData(int index, std::intptr_t value) {
  if (m_combo == nullptr || index < 0 || index >= m_combo->count()) return false;
  m_combo->setItemData(index, QVariant::fromValue<qlonglong>(value), VALUE_ROLE);
  return true;
}

std::intptr_t CComboBox::GetItemData(int index) const {
  if (m_combo == nullptr || index < 0 || index >= m_combo->count()) return CB_ERR;
  return static_cast<std::intptr_t>(m_combo->itemData(index, VALUE_ROLE).toLongLong());
}
