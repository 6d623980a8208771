#pragma once
// The password prompt: shown when the memos are protected and the password
// tried is missing or wrong.  It shows the user's name, the password tried so
// far (hidden) and the hint kept with the memos; OK takes whatever is in the
// password field, an empty password included.  Cancel, Escape and closing the
// window leave the three strings as they were.
//
// The password never outlives the prompt in memory it owns: the field is
// cleared when the prompt closes, and the password string is wiped when the
// dialog is destroyed (a caller that needs it copies it first).

#include <string>

#include "platform/ui/DialogWindow.h"

class CPasswdDlg : public CDialogWindow {
  Q_OBJECT

 public:
  explicit CPasswdDlg(QWidget* parent = nullptr);
  ~CPasswdDlg() override;

  // ANSI bytes.  Set before DoModal; after IDOK `password` holds the entry.
  std::string userName;
  std::string password;
  std::string hint;

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;

 private:
  void ClearPasswordField();
};
