// The HotSync action dialog: the button shown for each next sync type, the
// results written for each choice, Cancel, the current-settings lines, the
// placement of controls in dialog units, the bitmaps and help.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "conduit/ActionDialog.h"
#include "conduit/ConduitDialogs.h"
#include "conduit/ConduitModule.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/HelpEngine.h"

namespace {

class ActionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConduitProcessAttach();
    std::memset(&block, 0, sizeof block);
    block.version = CONDUIT_CONFIG_VERSION;
    block.size = CONDUIT_CONFIG_SIZE;
    block.chosenSyncType = -99;
    block.preference = -99;
  }
  void TearDown() override {
    SetHelpViewer({});
    ConduitProcessDetach();
  }

  // Shows the dialog; `act` runs once it is up and must end it.  Returns the
  // dialog's result.
  int Run(std::uint32_t dialogId, const std::function<void(CActionDialog&)>& act,
          ConduitConfigBlock* target = nullptr) {
    CActionDialog dialog(ConduitResourceInstance(), dialogId, target != nullptr ? target : &block,
                         "/opt/quillet/conduits/libQuilletC.so", nullptr);
    QTimer::singleShot(0, &dialog, [&] { act(dialog); });
    return dialog.DoModal();
  }

  static void Click(CActionDialog& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(dialog.Control(id));
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
  }

  static int CheckedRadio(CActionDialog& dialog) {
    int checked = 0;
    for (int id = IDC_SYNCHRONIZE; id <= IDC_DO_NOTHING; ++id) {
      if (dialog.IsButtonChecked(id)) checked = checked == 0 ? id : -1;
    }
    return checked;
  }

  ConduitConfigBlock block;
};

TEST_F(ActionDialogTest, ShowsTheButtonOfTheNextSyncType) {
  const struct {
    std::int32_t next;
    int button;
  } cases[] = {{-1, IDC_DO_NOTHING},          {0, IDC_SYNCHRONIZE},       {1, IDC_SYNCHRONIZE},
               {2, IDC_HANDHELD_OVERWRITES}, {3, IDC_DESKTOP_OVERWRITES}, {4, IDC_DO_NOTHING},
               {5, IDC_DO_NOTHING},          {6, IDC_DO_NOTHING},        {7, IDC_DO_NOTHING}};
  for (const auto& c : cases) {
    for (std::uint32_t dialogId : {IDD_ACTION_FULL, IDD_ACTION_SHORT}) {
      block.nextSyncType = c.next;
      int shown = 0;
      Run(dialogId, [&](CActionDialog& dialog) {
        shown = CheckedRadio(dialog);
        Click(dialog, IDCANCEL);
      });
      EXPECT_EQ(shown, c.button) << "next sync type " << c.next << ", dialog " << dialogId;
    }
  }
}

TEST_F(ActionDialogTest, OkWritesTheChosenActionAndPreference) {
  const struct {
    int button;
    std::int32_t syncType;
  } cases[] = {{IDC_SYNCHRONIZE, 0}, {IDC_DESKTOP_OVERWRITES, 3}, {IDC_HANDHELD_OVERWRITES, 2}, {IDC_DO_NOTHING, 6}};
  for (const auto& c : cases) {
    for (bool setDefault : {false, true}) {
      block.nextSyncType = 3;
      block.chosenSyncType = -99;
      block.preference = -99;
      int result = Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
        Click(dialog, c.button);
        if (setDefault) Click(dialog, IDC_SET_DEFAULT);
        Click(dialog, IDOK);
      });
      EXPECT_EQ(result, CActionDialog::RESULT_OK);
      EXPECT_EQ(block.chosenSyncType, c.syncType) << c.button;
      EXPECT_EQ(block.preference, setDefault ? SYNC_PREF_PERMANENT : SYNC_PREF_TEMPORARY);
      EXPECT_EQ(block.nextSyncType, 3) << "the dialog writes only its two results";
    }
  }
}

TEST_F(ActionDialogTest, RadioButtonsAreCheckedOnlyByTheDialog) {
  block.nextSyncType = 0;
  Run(IDD_ACTION_SHORT, [&](CActionDialog& dialog) {
    Click(dialog, IDC_SYNCHRONIZE);  // clicking the checked button keeps it checked
    EXPECT_EQ(CheckedRadio(dialog), IDC_SYNCHRONIZE);
    Click(dialog, IDC_HANDHELD_OVERWRITES);
    EXPECT_EQ(CheckedRadio(dialog), IDC_HANDHELD_OVERWRITES);
    Click(dialog, IDC_DO_NOTHING);
    EXPECT_EQ(CheckedRadio(dialog), IDC_DO_NOTHING);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(block.chosenSyncType, 6);
}

TEST_F(ActionDialogTest, SynchronizeAlwaysHandsBackAFastSync) {
  block.nextSyncType = 1;
  Run(IDD_ACTION_SHORT, [&](CActionDialog& dialog) {
    EXPECT_EQ(CheckedRadio(dialog), IDC_SYNCHRONIZE);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(block.chosenSyncType, 0);
  block.nextSyncType = 0;
  Run(IDD_ACTION_SHORT, [&](CActionDialog& dialog) { Click(dialog, IDOK); });
  EXPECT_EQ(block.chosenSyncType, 0);
}

TEST_F(ActionDialogTest, CancelAndEscapeLeaveTheBlockUnchanged) {
  block.nextSyncType = 2;
  block.defaultSyncType = 0;
  block.creator = 0x44655275;
  std::strcpy(block.userName, "Ann");
  ConduitConfigBlock before = block;
  int result = Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    Click(dialog, IDC_DO_NOTHING);
    Click(dialog, IDC_SET_DEFAULT);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, CActionDialog::RESULT_CANCEL);
  EXPECT_EQ(std::memcmp(&before, &block, sizeof block), 0);

  result = Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    Click(dialog, IDC_DESKTOP_OVERWRITES);
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(result, CActionDialog::RESULT_CANCEL);
  EXPECT_EQ(std::memcmp(&before, &block, sizeof block), 0);
}

TEST_F(ActionDialogTest, FullDialogShowsTheUsersCurrentSettings) {
  block.creator = 0x44655275;
  std::strcpy(block.userName, "Ann Smith");
  block.defaultSyncType = 2;
  block.nextSyncType = 3;
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    EXPECT_EQ(dialog.ItemText(IDC_SETTINGS_GROUP), "Ann Smith's Current Settings:");
    EXPECT_EQ(dialog.ItemText(IDC_DEFAULT_ACTION), "Palm organizer overwrites Desktop.");
    EXPECT_EQ(dialog.ItemText(IDC_NEXT_ACTION), "Desktop overwrites Palm organizer.");
    EXPECT_EQ(dialog.ItemText(IDC_ACTION_GROUP), "Quillet HotSync Action");
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Quillet Conduit");
    Click(dialog, IDCANCEL);
  });
  // Default and next actions below 0 or above 3 read "Do Nothing.", 1 reads
  // as synchronise.
  block.defaultSyncType = -5;
  block.nextSyncType = 1;
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    EXPECT_EQ(dialog.ItemText(IDC_DEFAULT_ACTION), "Do Nothing.");
    EXPECT_EQ(dialog.ItemText(IDC_NEXT_ACTION), "Synchronize the files.");
    Click(dialog, IDCANCEL);
  });
}

TEST_F(ActionDialogTest, WithoutACreatorTheSettingsLinesAreHidden) {
  block.creator = 0;
  std::strcpy(block.userName, "Ann");
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    ASSERT_NE(dialog.Control(IDC_SETTINGS_GROUP), nullptr);
    EXPECT_FALSE(dialog.Control(IDC_SETTINGS_GROUP)->isVisible());
    EXPECT_FALSE(dialog.Control(IDC_DEFAULT_ACTION)->isVisible());
    EXPECT_FALSE(dialog.Control(IDC_NEXT_ACTION)->isVisible());
    int shownLabels = 0;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label->isVisible() && label->text().contains("HotSync Action:")) ++shownLabels;
    }
    EXPECT_EQ(shownLabels, 0);
    EXPECT_TRUE(dialog.Control(IDC_ACTION_GROUP)->isVisible());
    EXPECT_TRUE(dialog.Control(IDC_SYNCHRONIZE)->isVisible());
    EXPECT_EQ(dialog.ItemText(IDC_ACTION_GROUP), "Quillet HotSync Action");
    Click(dialog, IDCANCEL);
  });
  // With a creator they are shown.
  block.creator = 0x44655275;
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    EXPECT_TRUE(dialog.Control(IDC_SETTINGS_GROUP)->isVisible());
    EXPECT_TRUE(dialog.Control(IDC_NEXT_ACTION)->isVisible());
    Click(dialog, IDCANCEL);
  });
  // The short dialog has no settings lines at all.
  block.creator = 0x44655275;
  Run(IDD_ACTION_SHORT, [&](CActionDialog& dialog) {
    EXPECT_EQ(dialog.Control(IDC_SETTINGS_GROUP), nullptr);
    EXPECT_EQ(dialog.Control(IDC_DEFAULT_ACTION), nullptr);
    EXPECT_EQ(dialog.Control(IDC_NEXT_ACTION), nullptr);
    EXPECT_NE(dialog.Control(IDC_SET_DEFAULT), nullptr);
    Click(dialog, IDCANCEL);
  });
}

TEST_F(ActionDialogTest, AUserNameFillingItsFieldIsReadToTheFieldsEnd) {
  block.creator = 0x44655275;
  std::memset(block.userName, 'N', sizeof block.userName);  // no NUL
  std::memset(block.localName, 'L', 16);
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    EXPECT_EQ(dialog.ItemText(IDC_SETTINGS_GROUP), std::string(64, 'N') + "'s Current Settings:");
    Click(dialog, IDCANCEL);
  });
}

TEST_F(ActionDialogTest, ControlsSitAtTheirDialogUnitPlaces) {
  // The base units measured the way dialogs measure them: the 52 letters'
  // width averaged and rounded, and the font's height.
  QFont font = DialogFont("MS Sans Serif", 8);
  QFontMetrics metrics(font);
  int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  int cx = (letters + 26) / 52;
  int cy = metrics.height();
  auto px = [&](int x, int y, int w, int h) {
    return QRect((x * cx + 2) / 4, (y * cy + 4) / 8, (w * cx + 2) / 4, (h * cy + 4) / 8);
  };
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    EXPECT_EQ(dialog.BaseUnits().cx, cx);
    EXPECT_EQ(dialog.BaseUnits().cy, cy);
    EXPECT_EQ(dialog.size(), px(0, 0, 262, 188).size());
    EXPECT_EQ(dialog.Control(IDC_SYNCHRONIZE)->geometry(), px(72, 80, 79, 10));
    EXPECT_EQ(dialog.Control(IDC_SETTINGS_GROUP)->geometry(), px(8, 8, 238, 44));
    EXPECT_EQ(dialog.Control(IDOK)->geometry(), px(196, 57, 50, 14));
    EXPECT_EQ(dialog.Control(IDC_SET_DEFAULT)->geometry(), px(196, 120, 58, 10));
    Click(dialog, IDCANCEL);
  });
  Run(IDD_ACTION_SHORT, [&](CActionDialog& dialog) {
    EXPECT_EQ(dialog.size(), px(0, 0, 262, 141).size());
    EXPECT_EQ(dialog.Control(IDC_ACTION_GROUP)->geometry(), px(8, 8, 177, 124));
    EXPECT_EQ(dialog.Control(IDC_DO_NOTHING)->geometry(), px(72, 112, 48, 10));
    EXPECT_EQ(dialog.Control(IDOK)->geometry(), px(196, 11, 50, 14));
    EXPECT_EQ(dialog.Control(IDC_SET_DEFAULT)->geometry(), px(196, 74, 58, 10));
    Click(dialog, IDCANCEL);
  });
}

TEST_F(ActionDialogTest, BitmapsTakeTheButtonFaceAndFollowColourChanges) {
  auto corner = [](CActionDialog& dialog, int id) {
    auto* label = qobject_cast<QLabel*>(dialog.Control(id));
    EXPECT_NE(label, nullptr);
    QPixmap pixmap = label->pixmap();
    EXPECT_FALSE(pixmap.isNull()) << id;
    return pixmap.isNull() ? QColor() : QColor(pixmap.toImage().pixel(0, 0));
  };
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    const QColor face = dialog.palette().color(QPalette::Button);
    for (int id : {IDC_BITMAP_SYNCHRONIZE, IDC_BITMAP_DESKTOP_OVERWRITES, IDC_BITMAP_HANDHELD_OVERWRITES,
                   IDC_BITMAP_DO_NOTHING}) {
      EXPECT_EQ(corner(dialog, id), face) << id;
    }
    QPalette changed = dialog.palette();
    changed.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    dialog.setPalette(changed);
    EXPECT_EQ(corner(dialog, IDC_BITMAP_DO_NOTHING), QColor(0x12, 0x34, 0x56));
    Click(dialog, IDCANCEL);
  });
}

TEST_F(ActionDialogTest, HelpOpensTheHelpFileBesideTheModule) {
  std::vector<HelpRequest> shown;
  SetHelpViewer([&](QWidget*, const HelpRequest& request) {
    shown.push_back(request);
    return true;
  });
  Run(IDD_ACTION_SHORT, [&](CActionDialog& dialog) {
    Click(dialog, IDHELP);
    QTest::keyClick(&dialog, Qt::Key_F1);
    Click(dialog, IDCANCEL);
  });
  ASSERT_EQ(shown.size(), 2u);
  for (const HelpRequest& request : shown) {
    EXPECT_EQ(request.file, "/opt/quillet/conduits/hotsyncd.hlp");
    EXPECT_EQ(request.command, HELP_CONTEXT);
    EXPECT_EQ(request.data, 131471u);
  }
  EXPECT_EQ(ConduitHelpFilePath("/a/b/libQuilletC.so"), "/a/b/hotsyncd.hlp");
  EXPECT_EQ(ConduitHelpFilePath("libQuilletC.so"), "");
  EXPECT_EQ(ConduitHelpFilePath("/libQuilletC.so"), "");
  EXPECT_EQ(ConduitHelpFilePath(""), "");
}

TEST_F(ActionDialogTest, NoHelpWithoutASeparatorInTheModulePath) {
  int shown = 0;
  SetHelpViewer([&](QWidget*, const HelpRequest&) { return ++shown > 0; });
  CActionDialog dialog(ConduitResourceInstance(), IDD_ACTION_SHORT, &block, "/libQuilletC.so", nullptr);
  QTimer::singleShot(0, &dialog, [&] {
    Click(dialog, IDHELP);
    Click(dialog, IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(shown, 0);
}

TEST_F(ActionDialogTest, ScreenshotsOfBothDialogs) {
  QDir().mkpath(QStringLiteral(QUILLET_BINARY_DIR "/screenshots"));
  block.creator = 0x44655275;
  std::strcpy(block.userName, "Ann Smith");
  block.defaultSyncType = 0;
  block.nextSyncType = 3;
  for (std::uint32_t dialogId : {IDD_ACTION_FULL, IDD_ACTION_SHORT}) {
    Run(dialogId, [&](CActionDialog& dialog) {
      QString file = QStringLiteral(QUILLET_BINARY_DIR "/screenshots/action-dialog-%1.png").arg(dialogId);
      EXPECT_TRUE(dialog.grab().save(file));
      if (dialogId == IDD_ACTION_SHORT) {
        // The four bitmaps, four times their size, to judge the drawings.
        QRect column = dialog.Control(IDC_BITMAP_SYNCHRONIZE)->geometry().united(
            dialog.Control(IDC_BITMAP_DO_NOTHING)->geometry());
        QPixmap bitmaps = dialog.grab(column);
        EXPECT_TRUE(bitmaps.scaled(bitmaps.size() * 4).save(
            QStringLiteral(QUILLET_BINARY_DIR "/screenshots/action-bitmaps-x4.png")));
      }
      Click(dialog, IDCANCEL);
    });
  }
  // The full dialog for a HotSync Manager that knows no user.
  block.creator = 0;
  Run(IDD_ACTION_FULL, [&](CActionDialog& dialog) {
    EXPECT_TRUE(dialog.grab().save(QStringLiteral(QUILLET_BINARY_DIR "/screenshots/action-dialog-101-no-user.png")));
    Click(dialog, IDCANCEL);
  });
}

TEST(ConduitModuleTest, AttachCountsAndTheLastDetachReleases) {
  const std::int32_t before = ConduitAttachCount();
  ConduitProcessAttach();
  ConduitProcessAttach();
  EXPECT_EQ(ConduitAttachCount(), before + 2);
  ASSERT_NE(ConduitResourceInstance(), nullptr);
  // No language library beside the module: its own English resources serve.
  EXPECT_EQ(ConduitResourceInstance(), ConduitModuleInstance());
  ConduitProcessDetach();
  EXPECT_NE(ConduitResourceInstance(), nullptr);
  ConduitProcessDetach();
  EXPECT_EQ(ConduitAttachCount(), before);
  if (before == 0) {
    EXPECT_EQ(ConduitResourceInstance(), nullptr);
  }
}

}  // namespace
