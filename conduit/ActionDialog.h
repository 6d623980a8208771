#pragma once
// The "Change HotSync Action" dialog: the user picks what the next HotSync
// does with the Quillet data (synchronise, desktop overwrites handheld,
// handheld overwrites desktop, do nothing) and whether that becomes the
// default.  The full form (dialog 101) also shows the user's current default
// and next actions; the short form (399) does not.  The dialog works on the
// caller's configuration block: it reads the user and the current actions
// from it and, on OK, writes the chosen sync type and the
// permanent-or-temporary preference back into it.  Cancel leaves it as it was.

#include <cstdint>
#include <string>

#include "conduit/ConduitBlocks.h"
#include "platform/resources/Resources.h"
#include "platform/ui/DialogWindow.h"

class CActionDialog : public CDialogWindow {
  Q_OBJECT

 public:
  // Dialog results.
  static constexpr int RESULT_OK = 0;
  static constexpr int RESULT_CANCEL = 1;

  // `block` may be null: the dialog then shows its template untouched and
  // writes nothing.  `modulePath` locates the help file.
  CActionDialog(ResourceInstance resources, std::uint32_t dialogId, ConduitConfigBlock* block,
                const std::string& modulePath, QWidget* owner);

  // The radio button shown for a next sync type, and the action string shown
  // for a sync type.
  static int ButtonForSyncType(std::int32_t syncType);
  static std::uint32_t ActionStringForSyncType(std::int32_t syncType);

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;
  void OnHelp() override;
  void OnSysColorChange() override;

 private:
  void LoadActionBitmaps();
  void HideSettingsLines();
  std::string LoadText(std::uint32_t id) const;

  ResourceInstance m_resources;
  ConduitConfigBlock* m_block;  // the caller's block, only while the dialog is shown
  std::string m_modulePath;
};
