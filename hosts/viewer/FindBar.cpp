// quillet-viewer's find bar over the view's search.

#include "hosts/viewer/FindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "platform/ui/UiText.h"
#include "viewer/MainDlg.h"

CFindBar::CFindBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("findBar"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 2, 6, 2);
  layout->addWidget(new QLabel(QStringLiteral("Find:"), this));
  m_text = new QLineEdit(this);
  m_text->setObjectName(QStringLiteral("findText"));
  m_text->setMinimumWidth(120);
  layout->addWidget(m_text, 1);
  m_matchCase = new QCheckBox(QStringLiteral("Match case"), this);
  m_matchCase->setObjectName(QStringLiteral("findMatchCase"));
  layout->addWidget(m_matchCase);
  m_findNext = new QPushButton(QStringLiteral("Find next"), this);
  m_findNext->setObjectName(QStringLiteral("findNext"));
  m_findNext->setToolTip(QStringLiteral("Find the next memo holding the text (Enter, F3)"));
  layout->addWidget(m_findNext);
  m_note = new QLabel(this);
  m_note->setObjectName(QStringLiteral("findNote"));
  // A long note is cut at the window's edge rather than widening the window.
  m_note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  m_note->setMinimumWidth(60);
  layout->addWidget(m_note, 1);
  auto* close = new QToolButton(this);
  close->setText(QStringLiteral("×"));
  close->setToolTip(QStringLiteral("Close the find bar (Esc)"));
  close->setAutoRaise(true);
  layout->addWidget(close);

  connect(m_text, &QLineEdit::returnPressed, this, [this] { FindNext(); });
  connect(m_findNext, &QPushButton::clicked, this, [this] { FindNext(); });
  connect(close, &QToolButton::clicked, this, &QWidget::hide);
  // A changed text or choice is a new search: the old note no longer applies.
  connect(m_text, &QLineEdit::textEdited, this, [this] { SetNote({}); });
  connect(m_matchCase, &QCheckBox::toggled, this, [this] { SetNote({}); });
}

void CFindBar::SetView(CMainDlg* view) {
  m_view = view;
  m_begun = false;
  SetNote({});
}

void CFindBar::Activate() {
  show();
  m_text->setFocus(Qt::ShortcutFocusReason);
  m_text->selectAll();
}

QString CFindBar::Note() const { return m_note->text(); }

void CFindBar::SetNote(const QString& note) { m_note->setText(note); }

void CFindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    if (m_view != nullptr) m_view->setFocus(Qt::OtherFocusReason);
    return;
  }
  QWidget::keyPressEvent(event);
}

int CFindBar::FindNext() {
  if (m_view == nullptr || m_view->LastLoadResult() != 0) {
    SetNote(QStringLiteral("No memo file is open."));
    return FIND_NOTHING;
  }
  const QString typed = m_text->text();
  if (typed.isEmpty()) {
    SetNote(QStringLiteral("Type the text to find."));
    return FIND_NOTHING;
  }
  std::string ansi;
  QString unstorable;
  if (!QStringToAnsiExact(typed, ansi, unstorable)) {
    // Memo texts are stored in the ANSI code page: no memo can hold these.
    SetNote(QStringLiteral("No memo can contain %1: the memo file cannot store it.").arg(unstorable));
    m_begun = false;
    return FIND_UNSTORABLE;
  }
  const bool matchCase = m_matchCase->isChecked();
  // A search walks the memos as they were when it began; once they change
  // (a memo added, edited or deleted) it begins again.
  if (!m_begun || ansi != m_searchText || matchCase != m_searchMatchCase ||
      m_view->ChangeCount() != m_searchChangeCount) {
    m_view->BeginSearch(ansi, matchCase ? 1 : 0, 0);
    m_begun = true;
    m_searchText = ansi;
    m_searchMatchCase = matchCase;
    m_searchChangeCount = m_view->ChangeCount();
    m_hits = 0;
  }
  std::string firstLine;
  std::string secondLine;
  int position = -1;
  int found = 0;
  m_view->FindNext(firstLine, secondLine, position, found);
  if (found == 0) {
    SetNote(m_hits == 0 ? QStringLiteral("Not found.")
                        : QStringLiteral("No more memos hold it; Find next starts again from the first."));
    m_begun = false;
    return FIND_NOT_FOUND;
  }
  ++m_hits;
  // Making the memo current moves the focus to the list; a search typed in
  // the bar keeps it there so that Enter finds the next one.
  QWidget* focus = QApplication::focusWidget();
  const bool focusInBar = focus != nullptr && isAncestorOf(focus);
  m_view->GoToRecord(position, 1);
  if (focusInBar) focus->setFocus(Qt::OtherFocusReason);
  SetNote(QStringLiteral("Found: %1").arg(AnsiToQString(firstLine)));
  return FIND_FOUND;
}
