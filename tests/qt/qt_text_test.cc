#include "qt/qt_text.h"

#include <gtest/gtest.h>

#include <QFontInfo>

#include "controls/control.h"

namespace lirvo::qt {
namespace {

TEST(QtText, ColoursKeepRedInTheLowByte) {
  EXPECT_EQ(ToQColor(255), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(controls::Rgb(212, 208, 200)), QColor(212, 208, 200));
  EXPECT_EQ(ToQColor(controls::Rgb(0, 0, 255)), QColor(0, 0, 255));
}

TEST(QtText, TextsRoundTripWithAccents) {
  const std::string text = "Città – più “virgolette” 😀";
  EXPECT_EQ(ToUtf8(ToQString(text)), text);
  EXPECT_EQ(ToQString("è").size(), 1);
}

TEST(QtText, MonospacedFamiliesStayMonospaced) {
  for (const char* name : {"Courier New", "courier new", "Consolas"}) {
    const QFont font = FontFor(name, 9);
    EXPECT_TRUE(QFontInfo(font).fixedPitch())
        << name << " -> " << QFontInfo(font).family().toStdString();
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 9) << name;
  }
}

}  // namespace
}  // namespace lirvo::qt
