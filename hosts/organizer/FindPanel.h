#pragma once
// The organizer's find bar: a text field, a "Match case" box, a Find button
// and the list of every memo found, each shown with its first two lines.
// The window runs the search through the extension and hands the hits back
// with SetHits; choosing a hit asks the window to go to it.

#include <QString>
#include <QWidget>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

class CFindPanel : public QWidget {
  Q_OBJECT

 public:
  struct Hit {
    QString firstLine;
    QString secondLine;
    int position = -1;  // the extension's own number for the record
  };

  explicit CFindPanel(QWidget* parent);

  // Shows the bar with the focus in its text field, all selected.
  void Activate();
  void SetHits(const std::vector<Hit>& hits);
  void SetNote(const QString& note);

  const std::vector<Hit>& Hits() const { return m_hits; }
  QLineEdit* TextField() const { return m_text; }
  QCheckBox* MatchCaseBox() const { return m_matchCase; }
  QListWidget* HitList() const { return m_list; }
  QString Note() const;
  // Chooses the hit at `row` as a click would.
  void ChooseHit(int row);

 signals:
  void findRequested(const QString& text, bool matchCase);
  void hitChosen(int position);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* m_text = nullptr;
  QCheckBox* m_matchCase = nullptr;
  QLabel* m_note = nullptr;
  QListWidget* m_list = nullptr;
  std::vector<Hit> m_hits;
};
