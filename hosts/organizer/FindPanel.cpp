// The organizer's find bar and its list of hits.

#include "hosts/organizer/FindPanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

CFindPanel::CFindPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("findPanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 2, 6, 2);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Find:"), this));
  m_text = new QLineEdit(this);
  m_text->setObjectName(QStringLiteral("findText"));
  m_text->setMinimumWidth(120);
  row->addWidget(m_text, 1);
  m_matchCase = new QCheckBox(QStringLiteral("Match case"), this);
  row->addWidget(m_matchCase);
  auto* find = new QPushButton(QStringLiteral("Find all"), this);
  find->setToolTip(QStringLiteral("List every memo holding the text (Enter)"));
  row->addWidget(find);
  m_note = new QLabel(this);
  m_note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  m_note->setMinimumWidth(60);
  row->addWidget(m_note, 1);
  auto* close = new QToolButton(this);
  close->setText(QStringLiteral("×"));
  close->setToolTip(QStringLiteral("Close the find bar (Esc)"));
  close->setAutoRaise(true);
  row->addWidget(close);
  layout->addLayout(row);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("findHits"));
  m_list->setMaximumHeight(140);
  layout->addWidget(m_list);

  auto request = [this] { emit findRequested(m_text->text(), m_matchCase->isChecked()); };
  connect(m_text, &QLineEdit::returnPressed, this, request);
  connect(find, &QPushButton::clicked, this, request);
  connect(close, &QToolButton::clicked, this, &QWidget::hide);
  connect(m_list, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ChooseHit(m_list->row(item)); });
  connect(m_list, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ChooseHit(m_list->row(item)); });
}

void CFindPanel::Activate() {
  show();
  m_text->setFocus(Qt::ShortcutFocusReason);
  m_text->selectAll();
}

void CFindPanel::SetHits(const std::vector<Hit>& hits) {
  m_hits = hits;
  m_list->clear();
  for (const Hit& hit : m_hits) {
    // Both lines of the memo, joined by a dash when there is a second.
    m_list->addItem(hit.secondLine.isEmpty() ? hit.firstLine
                                             : hit.firstLine + QStringLiteral("  —  ") + hit.secondLine);
  }
}

void CFindPanel::SetNote(const QString& note) { m_note->setText(note); }

QString CFindPanel::Note() const { return m_note->text(); }

void CFindPanel::ChooseHit(int row) {
  if (row < 0 || row >= static_cast<int>(m_hits.size())) return;
  emit hitChosen(m_hits[static_cast<std::size_t>(row)].position);
}

void CFindPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  QWidget::keyPressEvent(event);
}
