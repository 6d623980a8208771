// Drawing calls: where lines end, how frames share corners, and that
// inverting drawings undo themselves.

#include "platform/ui/PaintDC.h"

#include <QImage>
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/FontMap.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

QImage White() {
  QImage image(20, 20, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

COLORREF At(const QImage& image, int x, int y) { return ToColorRef(image.pixelColor(x, y)); }

TEST(PaintDCTest, LinesStopBeforeTheirEndPoint) {
  struct Case {
    QPoint from, to, lastDrawn;
  } cases[] = {
      {{2, 5}, {9, 5}, {8, 5}}, {{9, 5}, {2, 5}, {3, 5}}, {{5, 2}, {5, 9}, {5, 8}},
      {{5, 9}, {5, 2}, {5, 3}}, {{2, 2}, {6, 6}, {5, 5}}, {{2, 8}, {5, 5}, {4, 6}},
  };
  for (const Case& c : cases) {
    QImage image = White();
    {
      CPaintDC dc(&image, QPalette());
      dc.SelectPen(kRed);
      dc.MoveTo(c.from.x(), c.from.y());
      dc.LineTo(c.to.x(), c.to.y());
    }
    EXPECT_EQ(At(image, c.from.x(), c.from.y()), kRed) << c.from.x() << "," << c.from.y();
    EXPECT_EQ(At(image, c.lastDrawn.x(), c.lastDrawn.y()), kRed) << c.to.x() << "," << c.to.y();
    EXPECT_EQ(At(image, c.to.x(), c.to.y()), kWhite) << c.to.x() << "," << c.to.y();
  }
}

TEST(PaintDCTest, FrameCornersBelongToTheBottomRightColour) {
  QImage image = White();
  {
    CPaintDC dc(&image, QPalette());
    dc.Draw3dRect(WinRect(2, 3, 12, 10), kRed, kBlue);
  }
  EXPECT_EQ(At(image, 2, 3), kRed);
  EXPECT_EQ(At(image, 10, 3), kRed);
  EXPECT_EQ(At(image, 11, 3), kBlue);  // top right
  EXPECT_EQ(At(image, 2, 8), kRed);
  EXPECT_EQ(At(image, 2, 9), kBlue);  // bottom left
  EXPECT_EQ(At(image, 11, 9), kBlue);
  EXPECT_EQ(At(image, 12, 10), kWhite);
  EXPECT_EQ(At(image, 5, 5), kWhite);
}

TEST(PaintDCTest, FocusRectAndInversionUndoThemselves) {
  QImage image = White();
  {
    CPaintDC dc(&image, QPalette());
    dc.FillSolidRect(WinRect(0, 0, 10, 20), RGB(10, 200, 30));
    const QImage before = image.copy();
    dc.InvertRect(WinRect(4, 4, 15, 15));
    EXPECT_EQ(At(image, 5, 5), RGB(245, 55, 225));
    dc.DrawFocusRect(WinRect(2, 2, 17, 17));
    EXPECT_NE(image, before);
    dc.DrawFocusRect(WinRect(2, 2, 17, 17));
    dc.InvertRect(WinRect(4, 4, 15, 15));
    EXPECT_EQ(image, before);
  }
}

TEST(PaintDCTest, AmpersandsMarkMnemonicsUnlessTurnedOff) {
  auto draw = [](const std::string& text, unsigned flags) {
    QImage image(80, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    CPaintDC dc(&image, QPalette());
    dc.SelectFont(MakeWindowsFont("MS UI Gothic", 12, FW_NORMAL));
    dc.DrawText(text, image.rect(), flags | DT_SINGLELINE);
    return image;
  };
  EXPECT_EQ(draw("a&&b", DT_LEFT), draw("a&b", DT_NOPREFIX));
  const QImage marked = draw("a&bc", DT_LEFT);
  EXPECT_NE(marked, draw("abc", DT_LEFT));  // underlined b
  EXPECT_EQ(marked.copy(0, 0, 80, 11), draw("abc", DT_LEFT).copy(0, 0, 80, 11));
}

}  // namespace
