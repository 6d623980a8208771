// The link tab strip: colour shading, what it paints, and what clicks do.

#include "viewer/TabLinkCtrl.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/ShellOpen.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionIds.h"

namespace {

constexpr COLORREF kBack = 0x87B8DE;

// Records the window messages posted to it.
class MessageSink : public QWidget {
 public:
  struct Message {
    unsigned id;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Message> messages;

 protected:
  void customEvent(QEvent* event) override {
    if (const CWindowMessageEvent* message = AsWindowMessage(event)) {
      messages.push_back({message->Message(), message->WParam(), message->LParam()});
    }
  }
};

COLORREF PixelAt(const QImage& image, int x, int y) { return ToColorRef(image.pixelColor(x, y)); }

bool HasColour(const QImage& image, const QRect& area, COLORREF colour) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (PixelAt(image, x, y) == colour) return true;
    }
  }
  return false;
}

class TabLinkCtrlTest : public ::testing::Test {
 protected:
  void Build(int width) {
    parent.resize(width, 60);
    other = new QLineEdit(&parent);  // takes the focus first
    strip = new CTabLinkCtrl;
    ASSERT_TRUE(strip->Create(IDC_TAB_STRIP, QRect(0, 30, width, 26), &parent));
    strip->SetBackColor(kBack);
    strip->SetLink("Brindle Works", "https://brindle.example/");
    for (const char* caption : {"リスト(&L)", "大きいアイコン(&R)", "小さいアイコン(&C)"}) {
      strip->AddTab(QStringToAnsi(QString::fromUtf8(caption)));
    }
    image = strip->grab().toImage();
  }

  // Click at `point` of the strip and deliver what was posted.
  void Click(QPoint point) {
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, point);
    QCoreApplication::sendPostedEvents();
  }

  // Moves the pointer over the strip without a button.
  void Move(QPoint point) {
    QMouseEvent move(QEvent::MouseMove, point, strip->mapToGlobal(point), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
  }

  MessageSink parent;
  QPointer<QLineEdit> other;
  QPointer<CTabLinkCtrl> strip;
  QImage image;
};

TEST(TabLinkShadeTest, ShadesKeepTheHueWithinLimits) {
  struct Case {
    COLORREF colour;
    int delta;
    COLORREF expected;
  } cases[] = {
      {kBack, -128, RGB(67, 56, 41)},
      {kBack, -64, RGB(144, 120, 88)},                // 222*120/184, 120*135/184
      {RGB(200, 250, 100), 16, RGB(204, 255, 102)},   // green stops at 255
      {RGB(100, 20, 60), -40, RGB(0, 0, 0)},          // green stops at 0
      {RGB(255, 100, 255), 100, RGB(255, 200, 255)},  // red and blue stop at 255
      {RGB(10, 0, 250), 16, RGB(26, 16, 255)},        // no green: delta added to each
      {RGB(10, 0, 20), -16, RGB(0, 0, 4)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CTabLinkCtrl::ShadeColor(c.colour, c.delta), c.expected)
        << std::hex << c.colour << " by " << std::dec << c.delta;
  }
}

TEST_F(TabLinkCtrlTest, PaintsEdgeTabsAndLink) {
  Build(420);
  const COLORREF face = GetSysColor(COLOR_BTNFACE, strip);
  const int right = 419;
  const int free = strip->TabRect(2).x() + strip->TabRect(2).width() + 4;
  ASSERT_LT(free, strip->LinkRect().x());

  EXPECT_EQ(PixelAt(image, 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT, strip));
  EXPECT_EQ(PixelAt(image, free, 0), GetSysColor(COLOR_BTNSHADOW, strip));
  EXPECT_EQ(PixelAt(image, right, 0), RGB(0, 0, 0));
  EXPECT_EQ(PixelAt(image, free, 1), RGB(0, 0, 0));
  EXPECT_EQ(PixelAt(image, free, 2), CTabLinkCtrl::ShadeColor(kBack, -64));
  EXPECT_EQ(PixelAt(image, free, 3), CTabLinkCtrl::ShadeColor(kBack, -16));
  EXPECT_EQ(PixelAt(image, free, 20), kBack);

  // The current tab reaches the top in the button face; the others are
  // lighter, lower, and carry the strip's shading over their top.
  const QRect current = strip->TabRect(0), next = strip->TabRect(1);
  EXPECT_EQ(current.top(), 0);
  EXPECT_EQ(next.top(), 2);
  EXPECT_EQ(next.x(), current.x() + current.width() + 1);
  EXPECT_EQ(PixelAt(image, current.x() + 4, 12), face);
  EXPECT_EQ(PixelAt(image, next.x() + 4, 12), CTabLinkCtrl::ShadeColor(face, 16));
  EXPECT_EQ(PixelAt(image, next.x() + 4, 2), CTabLinkCtrl::ShadeColor(face, -16));

  // The link sits at the right end in the dark shade, with its light copy.
  const QRect link = strip->LinkRect();
  EXPECT_EQ(link.x() + link.width(), right - 10 + 2);
  EXPECT_TRUE(HasColour(image, link, CTabLinkCtrl::ShadeColor(kBack, -128)));
  EXPECT_TRUE(HasColour(image, link, GetSysColor(COLOR_BTNHIGHLIGHT, strip)));
}

TEST_F(TabLinkCtrlTest, NarrowStripCutsTheTabsAndDropsTheLink) {
  Build(120);
  const QRect first = strip->TabRect(0);
  const QRect second = strip->TabRect(1);
  EXPECT_GT(first.width(), 0);
  EXPECT_EQ(second.x() + second.width(), 120);
  EXPECT_EQ(strip->TabRect(2).width(), 0);
  EXPECT_TRUE(strip->LinkRect().isEmpty());
  EXPECT_FALSE(HasColour(image, image.rect(), CTabLinkCtrl::ShadeColor(kBack, -128)));
}

TEST_F(TabLinkCtrlTest, ClicksSelectTabsAndOpenTheLink) {
  Build(420);
  parent.show();
  parent.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
  other->setFocus();
  std::vector<QUrl> opened;
  ShellOpenHandler previous = SetShellOpenHandler([&](const QUrl& url) {
    opened.push_back(url);
    return true;
  });

  // Between the tabs and on empty space: nothing happens, no focus.
  const QRect first = strip->TabRect(0);
  Click(QPoint(first.x() + first.width(), 12));
  Click(QPoint(strip->LinkRect().x() - 5, 12));
  EXPECT_TRUE(parent.messages.empty());
  EXPECT_FALSE(strip->hasFocus());
  EXPECT_EQ(strip->GetCurSel(), 0);

  // Another tab: it becomes current, the parent hears of it, focus moves.
  Click(strip->TabRect(2).center());
  ASSERT_EQ(parent.messages.size(), 1u);
  EXPECT_EQ(parent.messages[0].id, 0x844u);
  EXPECT_EQ(parent.messages[0].wParam, 2);
  EXPECT_EQ(parent.messages[0].lParam, 0);
  EXPECT_EQ(strip->GetCurSel(), 2);
  EXPECT_TRUE(strip->hasFocus());

  // The current tab again: no message.
  Click(strip->TabRect(2).center());
  EXPECT_EQ(parent.messages.size(), 1u);

  Click(strip->LinkRect().center());
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl("https://brindle.example/"));
  EXPECT_EQ(strip->GetCurSel(), 2);
  SetShellOpenHandler(previous);
}

TEST_F(TabLinkCtrlTest, LinkCursorOnlyWhenOneIsSet) {
  Build(420);
  Move(strip->LinkRect().center());
  EXPECT_FALSE(strip->testAttribute(Qt::WA_SetCursor));
  strip->SetLinkCursor(static_cast<int>(IDCUR_LINK));
  Move(strip->LinkRect().center());
  EXPECT_TRUE(strip->testAttribute(Qt::WA_SetCursor));
  EXPECT_EQ(strip->cursor().shape(), Qt::BitmapCursor);  // the module's hand
  Move(strip->TabRect(0).center());
  EXPECT_FALSE(strip->testAttribute(Qt::WA_SetCursor));
}

}  // namespace
