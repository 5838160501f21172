#include "qt/qt_text.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <algorithm>
#include <array>
#include <cctype>

namespace lirvo::qt {

QString ToQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

QColor ToQColor(int32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

int TwipsToPixels(int32_t twips) { return (twips + 7) / 15; }

namespace {

bool IsMonospacedFamily(const std::string& name) {
  static constexpr std::array<std::string_view, 5> kFamilies = {
      "courier new", "courier", "consolas", "lucida console", "fixedsys"};
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::find(kFamilies.begin(), kFamilies.end(), lower) != kFamilies.end();
}

}  // namespace

QFont FontFor(const std::string& name, double points) {
  QFont font(ToQString(name));
  if (IsMonospacedFamily(name)) {
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
      const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
      font.setFamily(fixed.family());
    }
  }
  if (points > 0) font.setPointSizeF(points);
  return font;
}

}  // namespace lirvo::qt
