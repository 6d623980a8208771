// The list view's rows and columns as an item model.

#include "platform/ui/ListViewModel.h"

#include "platform/ui/ImageList.h"
#include "platform/ui/UiText.h"

namespace {

Qt::Alignment AlignmentOf(int format) {
  switch (format & 3) {
    case 1:
      return Qt::AlignRight | Qt::AlignVCenter;
    case 2:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

CListViewModel::CListViewModel(QObject* parent) : QAbstractTableModel(parent) {}

int CListViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_published;
}

int CListViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount();
}

QVariant CListViewModel::data(const QModelIndex& index, int role) const {
  int row = index.row();
  int column = index.column();
  if (!index.isValid() || row >= m_published || row >= RowCount()) return {};
  const ListViewRow& item = m_rows[Slot(row)];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      if (column < static_cast<int>(item.cells.size())) return AnsiToQString(item.cells[Slot(column)]);
      return QString();
    case Qt::DecorationRole:
      if (column == 0 && m_images != nullptr && item.image >= 0 &&
          item.image < m_images->GetImageCount()) {
        return m_images->Icon(item.image);
      }
      return {};
    case Qt::CheckStateRole:
      if (column == 0 && m_checkBoxes) return item.checked ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::TextAlignmentRole:
      // The first column is always left-aligned, as the row's own text.
      if (column > 0 && column < ColumnCount()) {
        return QVariant::fromValue(AlignmentOf(m_columns[Slot(column)].format));
      }
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

bool CListViewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0 || !m_checkBoxes ||
      index.row() >= RowCount()) {
    return false;
  }
  bool checked = value.toInt() == Qt::Checked;
  if (m_checkHandler) {
    m_checkHandler(index.row(), checked);
  } else {
    SetChecked(index.row(), checked);
  }
  return true;
}

Qt::ItemFlags CListViewModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (m_checkBoxes && index.column() == 0) result |= Qt::ItemIsUserCheckable;
  return result;
}

QVariant CListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount()) return {};
  if (role == Qt::DisplayRole) return AnsiToQString(m_columns[Slot(section)].title);
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(AlignmentOf(section == 0 ? 0 : m_columns[Slot(section)].format));
  }
  return {};
}

void CListViewModel::InsertColumn(int position, const ListViewColumn& column) {
  bool first = m_columns.empty();
  beginInsertColumns(QModelIndex(), position, position);
  m_columns.insert(m_columns.begin() + position, column);
  // The first column shows the rows' own texts; later ones get empty cells.
  if (!first) {
    for (ListViewRow& row : m_rows) {
      if (position <= static_cast<int>(row.cells.size())) {
        row.cells.insert(row.cells.begin() + position, std::string());
      }
    }
  }
  endInsertColumns();
}

void CListViewModel::RemoveColumn(int position) {
  beginRemoveColumns(QModelIndex(), position, position);
  m_columns.erase(m_columns.begin() + position);
  if (!m_columns.empty()) {
    for (ListViewRow& row : m_rows) {
      if (position < static_cast<int>(row.cells.size())) row.cells.erase(row.cells.begin() + position);
    }
  }
  endRemoveColumns();
}

void CListViewModel::SetColumnTitle(int position, const std::string& title) {
  m_columns[Slot(position)].title = title;
  emit headerDataChanged(Qt::Horizontal, position, position);
}

void CListViewModel::AppendQuiet(ListViewRow row) {
  row.cells.resize(Slot(CellCount()));
  m_rows.push_back(std::move(row));
}

void CListViewModel::Publish() {
  if (!HasUnpublished()) return;
  beginInsertRows(QModelIndex(), m_published, RowCount() - 1);
  m_published = RowCount();
  endInsertRows();
}

void CListViewModel::InsertRow(int position, ListViewRow row) {
  Publish();
  row.cells.resize(Slot(CellCount()));
  beginInsertRows(QModelIndex(), position, position);
  m_rows.insert(m_rows.begin() + position, std::move(row));
  ++m_published;
  endInsertRows();
}

void CListViewModel::RemoveRow(int row) {
  Publish();
  beginRemoveRows(QModelIndex(), row, row);
  m_rows.erase(m_rows.begin() + row);
  --m_published;
  endRemoveRows();
}

void CListViewModel::Clear() {
  beginResetModel();
  m_rows.clear();
  m_published = 0;
  endResetModel();
}

void CListViewModel::RowChanged(int row, int firstColumn, int lastColumn) {
  if (row >= m_published || ColumnCount() == 0) return;
  lastColumn = std::min(lastColumn, ColumnCount() - 1);
  if (firstColumn > lastColumn) return;
  emit dataChanged(index(row, firstColumn), index(row, lastColumn));
}

void CListViewModel::SetCell(int row, int column, const std::string& text) {
  ListViewRow& item = m_rows[Slot(row)];
  if (column >= static_cast<int>(item.cells.size())) item.cells.resize(Slot(column) + 1);
  item.cells[Slot(column)] = text;
  RowChanged(row, column, column);
}

void CListViewModel::SetImage(int row, int image) {
  m_rows[Slot(row)].image = image;
  RowChanged(row, 0, 0);
}

void CListViewModel::SetChecked(int row, bool checked) {
  m_rows[Slot(row)].checked = checked;
  RowChanged(row, 0, 0);
}

void CListViewModel::SetCheckBoxes(bool on) {
  if (on == m_checkBoxes) return;
  m_checkBoxes = on;
  if (m_published > 0 && ColumnCount() > 0) emit dataChanged(index(0, 0), index(m_published - 1, 0));
}

void CListViewModel::SetImages(const CImageList* images) {
  if (images == m_images) return;
  m_images = images;
  if (m_published > 0 && ColumnCount() > 0) emit dataChanged(index(0, 0), index(m_published - 1, 0));
}

void CListViewModel::SetCheckHandler(std::function<void(int, bool)> handler) {
  m_checkHandler = std::move(handler);
}
