// Combo boxes by index with item values, and their selection.

#include "platform/ui/ComboBox.h"

#include <QComboBox>

namespace {
QComboBox* AsCombo(QWidget* control) { return qobject_cast<QComboBox*>(control); }
}  // namespace

CComboBox::CComboBox(QWidget* control)
    : CItemListControl(AsCombo(control), AsCombo(control) != nullptr ? AsCombo(control)->model() : nullptr),
      m_combo(AsCombo(control)) {}

int CComboBox::GetCurSel() const {
  if (m_combo == nullptr) return CB_ERR;
  const int index = m_combo->currentIndex();
  return index < 0 ? CB_ERR : index;
}

int CComboBox::SetCurSel(int index) {
  if (m_combo == nullptr) return CB_ERR;
  if (!ValidIndex(index)) {
    m_combo->setCurrentIndex(-1);
    return CB_ERR;
  }
  m_combo->setCurrentIndex(index);
  return index;
}
