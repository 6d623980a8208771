// The resizable dialog: controls anchored through resizes, the split pushed
// by minimum sizes, dragging the bar within both minimums, and splits stored
// in and restored from the profile.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

#include "platform/registry/AppProfile.h"
#include "platform/ui/DragFeedback.h"
#include "platform/ui/ResizeDialog.h"

namespace {

constexpr int kCombo = 207, kList = 204, kPreview = 205, kButton = 202;

// A list and a preview side by side, a button below, a combo above.
const DialogItem kResizeItems[] = {
    {kCombo, DLG_ITEM_COMBOBOX, "", 152, 10, 80, 100, DLG_STYLE_TABSTOP},
    {kList, DLG_ITEM_LISTBOX, "", 9, 30, 124, 133, DLG_STYLE_TABSTOP},
    {kButton, DLG_ITEM_PUSHBUTTON, "New", 9, 169, 50, 14, DLG_STYLE_TABSTOP},
    {kPreview, DLG_ITEM_EDIT, "", 139, 30, 115, 133, DLG_STYLE_MULTILINE | DLG_STYLE_TABSTOP},
};
const DialogTemplate kResizeTemplate = {"", "MS UI Gothic", 10, 264, 209, kResizeItems, std::size(kResizeItems),
                                  DLG_TEMPLATE_CHILD};

using Rect = CResizeDialog::Rect;

class ResizeDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog.AddControl(kCombo, RD_LIMIT_RIGHT);
    dialog.AddControl(kList, RD_SIZE_X | RD_SIZE_Y);
    dialog.AddControl(kPreview, RD_MOVE_X | RD_SIZE_Y);
    dialog.AddControl(kButton, RD_MOVE_Y);
    dialog.SetMinSize(kList, 100, -1);
    dialog.SetMinSize(kPreview, 100, -1);
    dialog.AddSplitter(kPreview, kList, CResizeDialog::SPLIT_SIDE_BY_SIDE, 1);
    dialog.SetSideBySideCursor(202);  // no resource instance: the stock split cursor
    dialog.Create();
    QApplication::processEvents();
    list0 = Target(kList);
    preview0 = Target(kPreview);
    gap = preview0.left - list0.right;
  }

  Rect Target(int id) { return dialog.FindAnchored(id)->target; }
  QRect Shown(int id) { return dialog.Control(id)->geometry(); }
  static QRect Q(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

  void Resize(int width, int height) {
    dialog.resize(width, height);
    QApplication::processEvents();
  }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(x, y), dialog.mapToGlobal(QPointF(x, y)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, {});
    QApplication::sendEvent(&dialog, &event);
  }
  // Presses on the bar, moves by each offset in turn, releases; the posted
  // split is applied.  Returns the feedback's offsets after each move.
  std::vector<int> Drag(std::initializer_list<int> offsets) {
    const int x = (list0.right + preview0.left) / 2, y = list0.top + 20;
    Mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton);
    std::vector<int> shown;
    for (int offset : offsets) {
      Mouse(QEvent::MouseMove, x + offset, y, Qt::LeftButton);
      shown.push_back(dialog.FeedbackRect().left - list0.right);
    }
    Mouse(QEvent::MouseButtonRelease, x, y, Qt::NoButton);
    QApplication::processEvents();
    return shown;
  }

  CResizeDialog dialog{&kResizeTemplate, nullptr};
  Rect list0, preview0;
  int gap = 0;
};

TEST_F(ResizeDialogTest, SplitterPairIsOrderedLeftToRightWithItsGap) {
  ASSERT_EQ(dialog.Splitters().size(), 1u);
  EXPECT_EQ(dialog.Splitters()[0].firstId, kList);
  EXPECT_EQ(dialog.Splitters()[0].secondId, kPreview);
  EXPECT_GT(gap, 0);
  EXPECT_EQ(dialog.Splitters()[0].gap, gap);
  // Overlapping controls and controls never registered make no split.
  EXPECT_FALSE(dialog.AddSplitter(kList, kButton, CResizeDialog::SPLIT_SIDE_BY_SIDE, 1));
  EXPECT_FALSE(dialog.AddSplitter(kList, 999, CResizeDialog::SPLIT_STACKED, 1));
  EXPECT_FALSE(dialog.AddControl(999, RD_MOVE_X));
}

TEST_F(ResizeDialogTest, ControlsFollowTheEdgesAndKeepTheirMinimums) {
  const int w0 = dialog.width(), h0 = dialog.height();
  const Rect combo0 = Target(kCombo), button0 = Target(kButton);

  Resize(w0 + 60, h0 + 40);
  EXPECT_EQ(Target(kList), (Rect{list0.left, list0.top, list0.right + 60, list0.bottom + 40}));
  EXPECT_EQ(Target(kPreview),
            (Rect{preview0.left + 60, preview0.top, preview0.right + 60, preview0.bottom + 40}));
  EXPECT_EQ(Target(kButton), (Rect{button0.left, button0.top + 40, button0.right, button0.bottom + 40}));
  EXPECT_EQ(Target(kCombo), combo0);
  for (int id : {kList, kPreview, kButton}) EXPECT_EQ(Shown(id), Q(Target(id))) << id;

  // Too narrow for the list: it stays 100 wide and the preview starts the gap
  // after it, its right edge still anchored.
  const int narrow = w0 - (list0.right - list0.left - 100) - 30;
  Resize(narrow, h0);
  EXPECT_EQ(Target(kList).right - Target(kList).left, 100);
  EXPECT_EQ(Target(kPreview).left, Target(kList).right + gap);
  EXPECT_EQ(Target(kPreview).right, preview0.right - (w0 - narrow));
  EXPECT_EQ(Shown(kPreview), Q(Target(kPreview)));

  // The combo keeps its size until its right edge would come within 16
  // pixels of the client edge.
  Resize(combo0.right + 16, h0);
  EXPECT_EQ(Target(kCombo), combo0);
  Resize(combo0.right + 6, h0);
  EXPECT_EQ(Target(kCombo).right, combo0.right - 10);
  EXPECT_EQ(Shown(kCombo).width(), combo0.right - combo0.left - 10);

  // Growing back restores the template's layout.
  Resize(w0, h0);
  EXPECT_EQ(Target(kList), list0);
  EXPECT_EQ(Target(kPreview), preview0);
  EXPECT_EQ(Target(kCombo), combo0);
}

TEST_F(ResizeDialogTest, DraggingStopsAtBothMinimumsAndTheSplitSurvivesResizes) {
  const int listWidth = list0.right - list0.left, previewWidth = preview0.right - preview0.left;
  std::vector<int> shown = Drag({-10, -1000, 1000, 25});
  EXPECT_EQ(shown, (std::vector<int>{-10, 100 - listWidth, previewWidth - 100, 25}));
  EXPECT_EQ(dialog.DragIndex(), -1);
  EXPECT_TRUE(dialog.findChild<CDragFeedback*>()->Shown().empty()) << "feedback erased";
  EXPECT_EQ(Target(kList).right, list0.right + 25);
  EXPECT_EQ(Target(kPreview).left, preview0.left + 25);
  EXPECT_EQ(Shown(kPreview), Q(Target(kPreview)));

  // The new split is kept by later resizes.
  Resize(dialog.width() + 40, dialog.height());
  EXPECT_EQ(Target(kList).right, list0.right + 25 + 40);
  EXPECT_EQ(Target(kPreview).left, preview0.left + 25 + 40);
}

TEST_F(ResizeDialogTest, FeedbackInvertsThePixelsUnderIt) {
  const int x = (list0.right + preview0.left) / 2, y = list0.top + 20;
  const QImage before = dialog.grab().toImage();
  Mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton);
  const QImage during = dialog.grab().toImage();
  Mouse(QEvent::MouseButtonRelease, x, y, Qt::NoButton);
  const QRgb under = before.pixel(x, y), shown = during.pixel(x, y);
  EXPECT_EQ(qRed(shown), 255 - qRed(under));
  EXPECT_EQ(qGreen(shown), 255 - qGreen(under));
  EXPECT_EQ(dialog.grab().toImage().pixel(x, y), under);
}

TEST_F(ResizeDialogTest, ReleaseWithoutMovingLeavesTheLayout) {
  Drag({});
  EXPECT_EQ(Target(kList), list0);
  EXPECT_EQ(Target(kPreview), preview0);
}

TEST_F(ResizeDialogTest, BarWithoutCursorIdCannotBeDragged) {
  dialog.SetSideBySideCursor(0);
  const int x = (list0.right + preview0.left) / 2, y = list0.top + 20;
  Mouse(QEvent::MouseMove, x, y, Qt::NoButton);
  EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
  Mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton);
  EXPECT_EQ(dialog.DragIndex(), -1);
  Mouse(QEvent::MouseButtonRelease, x, y, Qt::NoButton);

  dialog.SetSideBySideCursor(202);
  Mouse(QEvent::MouseMove, x, y, Qt::NoButton);
  EXPECT_EQ(dialog.cursor().shape(), Qt::SplitHCursor);
  QEvent enter(QEvent::Enter);  // straight from the bar into the list
  QApplication::sendEvent(dialog.Control(kList), &enter);
  EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
  Mouse(QEvent::MouseMove, x, y, Qt::NoButton);
  EXPECT_EQ(dialog.cursor().shape(), Qt::SplitHCursor);
  Mouse(QEvent::MouseMove, list0.left + 5, y, Qt::NoButton);
  EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ResizeDialogTest, SplitsAreSavedAndRestoredFromTheProfile) {
  QTemporaryDir folder;
  CAppProfile profile("Brindle Works", "ResizeTest", folder.filePath("registry.ini").toStdString());
  dialog.SetProfile(&profile);
  Resize(700, dialog.height());
  const struct {
    const char* card1;
    const char* card2;
    int previewLeft;  // -1: unchanged
  } cases[] = {
      {"204 205 300", nullptr, 300},
      {"204 205", "204 205 310", 310},    // not three numbers: skipped
      {"205 204 320", "204 205 330", 330},  // no such pair: skipped
      {"204 205 0x140", nullptr, 320},
      {"", "204 205 340", -1},  // an empty value ends the list
  };
  for (const auto& c : cases) {
    const int before = Target(kPreview).left;
    profile.WriteProfileString("", "Card 1", c.card1);
    profile.WriteProfileString("", "Card 2", c.card2 != nullptr ? c.card2 : "");
    dialog.LoadSplitters("", "Card ");
    QApplication::processEvents();
    EXPECT_EQ(Target(kPreview).left, c.previewLeft < 0 ? before : c.previewLeft) << c.card1;
    EXPECT_EQ(Target(kList).right, Target(kPreview).left - gap) << c.card1;
  }

  dialog.SaveSplitters("", "Card ");
  EXPECT_EQ(profile.GetProfileString("", "Card 1"), "204 205 320");
}

}  // namespace
