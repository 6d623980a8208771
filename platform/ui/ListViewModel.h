#pragma once
// The rows and columns of a CListView as a Qt item model shared by its
// report and icon views.  Rows live in a vector; rows appended while the list
// does not redraw are kept back from the views until Publish, so that a bulk
// fill tells them once.

#include <QAbstractTableModel>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CImageList;

struct ListViewColumn {
  std::string title;  // ANSI bytes
  int format = 0;     // LVCFMT_*
  int subItem = -1;
};

struct ListViewRow {
  std::vector<std::string> cells;  // by column position; cell 0 is the row's text
  int image = 0;
  std::intptr_t data = 0;
  bool checked = false;
};

class CListViewModel : public QAbstractTableModel {
 public:
  explicit CListViewModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // --- Columns ---
  int ColumnCount() const { return static_cast<int>(m_columns.size()); }
  const ListViewColumn& Column(int position) const { return m_columns[Slot(position)]; }
  void InsertColumn(int position, const ListViewColumn& column);
  void RemoveColumn(int position);
  void SetColumnTitle(int position, const std::string& title);

  // --- Rows (all of them, published or not) ---
  int RowCount() const { return static_cast<int>(m_rows.size()); }
  const ListViewRow& Row(int row) const { return m_rows[Slot(row)]; }
  // Appends without telling the views (until Publish).
  void AppendQuiet(ListViewRow row);
  // Tells the views about the rows appended quietly.
  void Publish();
  bool HasUnpublished() const { return m_published < RowCount(); }
  void InsertRow(int position, ListViewRow row);
  void RemoveRow(int row);
  void Clear();
  void SetCell(int row, int column, const std::string& text);
  void SetImage(int row, int image);
  void SetData(int row, std::intptr_t value) { m_rows[Slot(row)].data = value; }
  void SetChecked(int row, bool checked);

  // --- Presentation ---
  void SetCheckBoxes(bool on);
  // The images shown beside the rows' texts (not owned; none: no images).
  void SetImages(const CImageList* images);
  // Called when the user clicks a row's check box.
  void SetCheckHandler(std::function<void(int row, bool checked)> handler);

 private:
  // Rows and columns are counted in int, as the views count them; every
  // position passed in has been checked against the counts by the caller.
  static std::size_t Slot(int position) { return static_cast<std::size_t>(position); }
  int CellCount() const { return m_columns.empty() ? 1 : ColumnCount(); }
  void RowChanged(int row, int firstColumn, int lastColumn);

  std::vector<ListViewColumn> m_columns;
  std::vector<ListViewRow> m_rows;
  int m_published = 0;
  bool m_checkBoxes = false;
  const CImageList* m_images = nullptr;
  std::function<void(int, bool)> m_checkHandler;
};
