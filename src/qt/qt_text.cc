#include "qt/qt_text.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <algorithm>
#include <array>
#include <cctype>

#include "controls/control.h"

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

// A letter of the windows' design font ("MS Sans Serif") at 8.25 points
// (11 pixels on a 96-dpi screen) averages 5.5 to 6.5 pixels: its dialog base
// unit, 6, is that average rounded, and the forms' twip layout was made with
// it. The narrow end keeps every label whole.
constexpr double kDesignLetterWidth = 5.5 / 11.0;

// Narrows a font that stands in for a missing proportional family so that
// its letters average the design font's width: the labels laid out for the
// design font then show their whole text. A font already as narrow stays.
void FitDesignWidth(QFont& font) {
  static const QString kLetters =
      QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const double average = QFontMetricsF(font).horizontalAdvance(kLetters) / kLetters.size();
  const double target = kDesignLetterWidth * QFontInfo(font).pixelSize();
  if (average <= target || average <= 0) return;
  font.setStretch(std::clamp(static_cast<int>(100.0 * target / average), 50, 100));
}

}  // namespace

QStringList FamiliesFor(const std::string& name) {
  QStringList families{ToQString(name)};
  if (IsMonospacedFamily(name)) {
    QFont font(families.front());
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
      families.append(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    }
  }
  return families;
}

QFont FormFont() { return FontFor(controls::kFormFontName, controls::kFormFontPoints); }

QFont FontFor(const std::string& name, double points) {
  QFont font;
  font.setFamilies(FamiliesFor(name));
  if (IsMonospacedFamily(name)) {
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
  }
  if (points > 0) font.setPointSizeF(points);
  if (!IsMonospacedFamily(name) && !QFontInfo(font).exactMatch()) FitDesignWidth(font);
  return font;
}

}  // namespace lirvo::qt
