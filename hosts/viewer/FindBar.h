#pragma once
// quillet-viewer's find bar: a text field, a "Match case" box, a Find next
// button and a note.  It drives the view's search as the organizer does:
// BeginSearch when the text or the match-case choice changed since the last
// search (or the memos changed, or the last search ran out), then one
// FindNext per request, and GoToRecord to make the memo found current.  When
// FindNext finds nothing the note says so and the next request begins again
// from the first memo.

#include <QWidget>

#include <string>

class CMainDlg;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CFindBar : public QWidget {
  Q_OBJECT

 public:
  explicit CFindBar(QWidget* parent);

  // The view searched; none while the window has no open memo file.
  void SetView(CMainDlg* view);

  // Shows the bar and puts the focus in its text field, all selected.
  void Activate();

  // Outcomes of FindNext.
  static constexpr int FIND_FOUND = 0;
  static constexpr int FIND_NOT_FOUND = 1;     // no (further) memo holds the text
  static constexpr int FIND_UNSTORABLE = 2;    // the text has characters no memo can hold
  static constexpr int FIND_NOTHING = 3;       // no text, or no open file
  // Looks for the next memo holding the text and makes it current.
  int FindNext();

  QLineEdit* TextField() const { return m_text; }
  QCheckBox* MatchCaseBox() const { return m_matchCase; }
  QString Note() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SetNote(const QString& note);

  CMainDlg* m_view = nullptr;
  QLineEdit* m_text = nullptr;
  QCheckBox* m_matchCase = nullptr;
  QPushButton* m_findNext = nullptr;
  QLabel* m_note = nullptr;
  // What the current search was begun with; m_begun false when the next
  // request must begin a new one.
  bool m_begun = false;
  std::string m_searchText;
  bool m_searchMatchCase = false;
  int m_searchChangeCount = 0;
  int m_hits = 0;
};
