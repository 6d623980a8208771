#pragma once
// A dialog built from a dialog template: every control of the template is
// created at its place (dialog units mapped through the dialog font) and is
// found again by its numeric id.  A modal dialog runs with DoModal; a child
// dialog (DLG_TEMPLATE_CHILD) is a visible window without caption inside its
// parent, made with Create.  The dialog's own code overrides the handlers:
// initialisation, commands (a button pressed, by id), the selection change of
// a combo box, posted window messages, the notifications of list views, help
// and a change of the system colours.  Escape and the window's close button
// send the Cancel command; Enter presses the default button; F1 asks for help.

#include <QDialog>
#include <QPixmap>

#include <cstdint>
#include <map>
#include <string>

#include "platform/resources/ResourceDialogs.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ListNotify.h"
#include "platform/ui/WindowMessage.h"

class QWidget;

// Command ids of the standard buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDHELP = 9;

class CDialogWindow : public QDialog {
  Q_OBJECT

 public:
  // Builds the window from the template (nullptr gives an empty dialog whose
  // DoModal returns -1).
  CDialogWindow(const DialogTemplate* dialogTemplate, QWidget* parent);
  ~CDialogWindow() override;

  // Runs OnInitDialog, then the dialog modally; returns the value given to
  // EndDialog, or -1 when there was no template.
  int DoModal();
  // A child dialog: runs OnInitDialog and shows the window inside its parent.
  // False without a template or for a template that is not a child.
  bool Create();
  bool IsChild() const;
  // Ends the modal loop with `result`.
  void EndDialog(int result);

  // The control with that id, or nullptr.
  QWidget* Control(int id) const;
  // Text of a control, given and returned as ANSI bytes.  False when the
  // control is missing.
  bool SetItemText(int id, const std::string& ansi);
  std::string ItemText(int id) const;
  // Checks `id` and clears the other buttons of first..last.  Missing controls
  // are skipped.
  void CheckRadioButton(int first, int last, int id);
  void CheckButton(int id, bool checked);
  bool IsButtonChecked(int id) const;
  // Shows a bitmap in a bitmap static and sizes the static to it; the image
  // shown before is dropped.  False when the control is missing.
  bool SetItemBitmap(int id, const QPixmap& bitmap);
  // The window title, as ANSI bytes.
  void SetCaption(const std::string& ansi);
  // Runs the command as if its button had been pressed (menus deliver their
  // commands this way).
  void SendCommand(int id) { OnCommand(id); }

  const DialogBaseUnits& BaseUnits() const { return m_units; }
  const DialogTemplate* Template() const { return m_template; }

 protected:
  virtual void OnInitDialog() {}
  // A button was pressed (or Escape / Enter / close for IDCANCEL and the
  // default button).  The default ends the dialog for OK and Cancel.
  virtual void OnCommand(int id);
  // The user picked another entry of combo box `id`.
  virtual void OnSelChange(int id);
  // A message posted to the dialog with PostWindowMessage.
  virtual void OnWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam);
  // A notification of list-view control `id` (a CListView of the template).
  // Returns true when handled; the default handles nothing.
  virtual bool OnNotify(int id, const ListNotify& notify);
  virtual void OnHelp() {}
  virtual void OnSysColorChange() {}

  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void customEvent(QEvent* event) override;

 private:
  void Build();
  void Clicked(int id, bool plain);

  const DialogTemplate* m_template;
  DialogBaseUnits m_units;
  std::map<int, QWidget*> m_controls;
  int m_result = -1;
  bool m_ending = false;
};
