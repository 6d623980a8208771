// Entries with ANSI texts and item values in a control's item model.

#include "platform/ui/ItemListControl.h"

#include <QAbstractItemModel>
#include <QVariant>
#include <QWidget>

#include "platform/text/Mbcs.h"
#include "platform/ui/UiText.h"

namespace {
// The entry's text as ANSI bytes, kept beside the shown text so that sorting
// and reading back never go through a lossy conversion; and its item value.
constexpr int ANSI_ROLE = Qt::UserRole + 1;
constexpr int VALUE_ROLE = Qt::UserRole + 2;
}  // namespace

CItemListControl::CItemListControl(QWidget* control, QAbstractItemModel* model)
    : m_control(control), m_model(model) {}

bool CItemListControl::IsSorted() const {
  return m_control != nullptr && m_control->property(SORTED_PROPERTY).toBool();
}

int CItemListControl::GetCount() const { return m_model == nullptr ? 0 : m_model->rowCount(); }

int CItemListControl::AddString(const std::string& ansi) {
  if (m_model == nullptr) return ERR;
  int index = GetCount();
  if (IsSorted()) {
    for (int i = 0; i < GetCount(); ++i) {
      if (MbsCompareNoCase(TextAt(i), ansi) > 0) {
        index = i;
        break;
      }
    }
  }
  return InsertString(index, ansi);
}

int CItemListControl::InsertString(int index, const std::string& ansi) {
  if (m_model == nullptr) return ERR;
  if (index < 0 || index > GetCount()) index = GetCount();
  if (!m_model->insertRow(index)) return ERR;
  const QModelIndex item = m_model->index(index, 0);
  m_model->setData(item, AnsiToQString(ansi), Qt::DisplayRole);
  m_model->setData(item, QByteArray(ansi.data(), static_cast<int>(ansi.size())), ANSI_ROLE);
  m_model->setData(item, QVariant::fromValue<qlonglong>(0), VALUE_ROLE);
  return index;
}

int CItemListControl::DeleteString(int index) {
  if (m_model == nullptr || !ValidIndex(index)) return ERR;
  m_model->removeRow(index);
  return GetCount();
}

void CItemListControl::ResetContent() {
  if (m_model != nullptr && GetCount() > 0) m_model->removeRows(0, GetCount());
}

std::string CItemListControl::TextAt(int index) const {
  if (m_model == nullptr || !ValidIndex(index)) return {};
  const QByteArray bytes = m_model->index(index, 0).data(ANSI_ROLE).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int CItemListControl::FindItemData(std::intptr_t value, int start) const {
  const int count = GetCount();
  const int from = (start < -1 || start >= count) ? 0 : start + 1;
  for (int n = 0; n < count; ++n) {
    const int i = (from + n) % count;
    if (GetItemData(i) == value) return i;
  }
  return ERR;
}

bool CItemListControl::SetItemData(int index, std::intptr_t value) {
  if (m_model == nullptr || !ValidIndex(index)) return false;
  return m_model->setData(m_model->index(index, 0), QVariant::fromValue<qlonglong>(value), VALUE_ROLE);
}

std::intptr_t CItemListControl::GetItemData(int index) const {
  if (m_model == nullptr || !ValidIndex(index)) return ERR;
  return static_cast<std::intptr_t>(m_model->index(index, 0).data(VALUE_ROLE).toLongLong());
}
