// The Windows faces the extension names, on this desktop's fonts.

#include "platform/ui/FontMap.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/ui/DialogUnits.h"
#include "platform/ui/UiText.h"

namespace {

TEST(FontMapTest, JapaneseFacesInEitherEncodingMapToAJapaneseFont) {
  const std::string pGothic = "ＭＳ Ｐゴシック";  // UTF-8
  const std::string gothic = "ＭＳ ゴシック";
  struct Case {
    std::string face;
    bool mapped;
  } cases[] = {
      {"MS UI Gothic", true},
      {pGothic, true},
      {QStringToAnsi(QString::fromStdString(pGothic)), true},
      {gothic, true},
      {"ms gothic", true},
      {"MS PGothic", true},
      {"MS Sans Serif", false},
      {"", false},
  };
  for (const Case& c : cases) {
    QString family = MapFontFace(c.face);
    EXPECT_EQ(!family.isEmpty(), c.mapped) << c.face;
    if (!c.mapped) continue;
    QRawFont raw = QRawFont::fromFont(QFont(family));
    for (char32_t ch : std::u32string_view(U"未分類リスト"))
      EXPECT_TRUE(raw.supportsCharacter(ch)) << c.face;
  }
  // A face that is not Japanese keeps the font dialogs had before.
  EXPECT_EQ(QFontInfo(DialogFont("MS Sans Serif", 8)).family(),
            QFontInfo(QFont(QStringLiteral("Sans Serif"), 8)).family());
}

TEST(FontMapTest, PositiveHeightIsTheWholeCell) {
  for (int weight : {FW_NORMAL, FW_BOLD}) {
    QFontMetrics metrics(MakeWindowsFont("MS UI Gothic", 12, weight));
    EXPECT_LE(metrics.ascent() + metrics.descent(), 12);
    EXPECT_GE(metrics.ascent() + metrics.descent(), 11);
  }
  EXPECT_EQ(MakeWindowsFont("MS UI Gothic", -12, FW_NORMAL).pixelSize(), 12);
  EXPECT_TRUE(MakeWindowsFont("MS UI Gothic", 12, FW_BOLD).bold());
}

}  // namespace
