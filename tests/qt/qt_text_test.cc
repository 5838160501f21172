#include "qt/qt_text.h"

#include <gtest/gtest.h>

#include <QFontInfo>

namespace lirvo::qt {
namespace {

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
