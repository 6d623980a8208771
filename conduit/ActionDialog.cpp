// The HotSync action dialog's procedure.

#include "conduit/ActionDialog.h"

#include <QRect>
#include <QWidget>

#include <QPalette>

#include <cstring>
#include <new>

#include "conduit/ConduitDialogs.h"
#include "conduit/ConduitModule.h"
#include "conduit/ConduitStrings.h"
#include "conduit/MessageFormat.h"
#include "platform/resources/ResourceDialogs.h"
#include "platform/ui/HelpEngine.h"
#include "platform/ui/ResourceImages.h"

namespace {

// The light grey of the action bitmaps that stands for the button face.
constexpr QRgb BITMAP_BACKGROUND = 0xC0C0C0;

struct ActionBitmap {
  int control;
  std::uint32_t bitmap;
};
constexpr ActionBitmap kActionBitmaps[] = {
    {IDC_BITMAP_SYNCHRONIZE, IDB_ACTION_SYNCHRONIZE},
    {IDC_BITMAP_DESKTOP_OVERWRITES, IDB_ACTION_DESKTOP_OVERWRITES},
    {IDC_BITMAP_HANDHELD_OVERWRITES, IDB_ACTION_HANDHELD_OVERWRITES},
    {IDC_BITMAP_DO_NOTHING, IDB_ACTION_DO_NOTHING},
};

// The user name of the block; a name that fills the whole field without a
// NUL ends at the field's end.
std::string UserName(const ConduitConfigBlock& block) {
  return std::string(block.userName, strnlen(block.userName, sizeof block.userName));
}

}  // namespace

CActionDialog::CActionDialog(ResourceInstance resources, std::uint32_t dialogId,
                             ConduitConfigBlock* block, const std::string& modulePath, QWidget* owner)
    : CDialogWindow(ResourceFindDialog(resources, dialogId), owner),
      m_resources(resources),
      m_block(block),
      m_modulePath(modulePath) {}

int CActionDialog::ButtonForSyncType(std::int32_t syncType) {
  if (syncType < 0) return IDC_DO_NOTHING;
  switch (syncType) {
    case SYNC_TYPE_FAST:
    case SYNC_TYPE_SLOW:
      return IDC_SYNCHRONIZE;
    case SYNC_TYPE_HANDHELD_OVERWRITES:
      return IDC_HANDHELD_OVERWRITES;
    case SYNC_TYPE_DESKTOP_OVERWRITES:
      return IDC_DESKTOP_OVERWRITES;
    default:
      return IDC_DO_NOTHING;
  }
}

std::uint32_t CActionDialog::ActionStringForSyncType(std::int32_t syncType) {
  // The action strings follow the buttons: string id = button id + 7601.
  return static_cast<std::uint32_t>(ButtonForSyncType(syncType) + 7601);
}

std::string CActionDialog::LoadText(std::uint32_t id) const {
  const char* text = ResourceFindString(m_resources, id);
  return text != nullptr ? text : "";
}

void CActionDialog::HideSettingsLines() {
  QWidget* group = Control(IDC_SETTINGS_GROUP);
  if (group == nullptr) return;
  const QRect area = group->geometry();
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child != group && area.contains(child->geometry())) child->hide();
  }
  group->hide();
}

void CActionDialog::OnInitDialog() {
  if (m_block == nullptr) return;
  SetItemText(IDC_ACTION_GROUP, LoadText(IDS_ACTION_GROUP));
  SetCaption(LoadText(IDS_CONDUIT_NAME));
  LoadActionBitmaps();

  const int button = ButtonForSyncType(m_block->nextSyncType);
  CheckRadioButton(IDC_SYNCHRONIZE, IDC_DO_NOTHING, button);

  if (m_block->creator == 0) {
    // No user is known: the current-settings lines (the group box and every
    // control drawn inside it) are hidden.
    HideSettingsLines();
    return;
  }
  SetItemText(IDC_NEXT_ACTION, LoadText(static_cast<std::uint32_t>(button + 7601)));
  SetItemText(IDC_DEFAULT_ACTION, LoadText(ActionStringForSyncType(m_block->defaultSyncType)));
  std::string format = LoadText(IDS_CURRENT_SETTINGS);
  std::string name = UserName(*m_block);
  SetItemText(IDC_SETTINGS_GROUP, FormatLogMessage(format.c_str(), {name.c_str()}, 512));
}

void CActionDialog::OnCommand(int id) {
  if (id == IDOK) {
    std::int32_t chosen = SYNC_TYPE_NOTHING;
    if (IsButtonChecked(IDC_SYNCHRONIZE)) {
      // "Synchronize" hands back a plain synchronisation; whether it runs fast
      // or slow is the HotSync Manager's choice at the time of the HotSync.
      chosen = SYNC_TYPE_FAST;
    } else if (IsButtonChecked(IDC_DESKTOP_OVERWRITES)) {
      chosen = SYNC_TYPE_DESKTOP_OVERWRITES;
    } else if (IsButtonChecked(IDC_HANDHELD_OVERWRITES)) {
      chosen = SYNC_TYPE_HANDHELD_OVERWRITES;
    }
    if (m_block != nullptr) {
      m_block->chosenSyncType = chosen;
      m_block->preference = IsButtonChecked(IDC_SET_DEFAULT) ? SYNC_PREF_PERMANENT : SYNC_PREF_TEMPORARY;
    }
    EndDialog(RESULT_OK);
  } else if (id == IDCANCEL) {
    EndDialog(RESULT_CANCEL);
  } else if (id > IDC_ACTION_GROUP && id <= IDC_DO_NOTHING) {
    CheckRadioButton(IDC_SYNCHRONIZE, IDC_DO_NOTHING, id);
  } else if (id == IDHELP) {
    OnHelp();
  }
}

void CActionDialog::OnHelp() {
  std::string helpFile = ConduitHelpFilePath(m_modulePath);
  if (helpFile.empty()) return;
  ShowHelp(this, helpFile.c_str(), HELP_CONTEXT, CONDUIT_HELP_CONTEXT);
}

void CActionDialog::OnSysColorChange() { LoadActionBitmaps(); }

void CActionDialog::LoadActionBitmaps() {
  const QColor buttonFace = palette().color(QPalette::Button);
  for (const ActionBitmap& entry : kActionBitmaps) {
    if (Control(entry.control) == nullptr) continue;
    SetItemBitmap(entry.control, LoadMappedBitmap(m_resources, entry.bitmap, BITMAP_BACKGROUND, buttonFace));
  }
}
