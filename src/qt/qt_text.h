// What every Qt view needs to turn the models' values into Qt's: UTF-8 texts
// into QStrings and back, the RGB longs of the models into QColors, twips
// into pixels, and a font name into a font this machine has.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>

namespace lirvo::qt {

QString ToQString(std::string_view utf8);
std::string ToUtf8(const QString& text);

// An RGB long (red + 256 green + 65536 blue; 255 is red) as a QColor.
QColor ToQColor(int32_t rgb);

// 15 twips are one pixel at 96 dots per inch.
int TwipsToPixels(int32_t twips);

// The font `name` in `points`. A monospaced family that this machine lacks
// ("Courier New" on Linux) becomes the system's own monospaced font, so
// columns of text still line up; any other missing family is left to Qt's
// substitution.
QFont FontFor(const std::string& name, double points = 0);
// The windows' own font, which their twip layout was made for: "MS Sans
// Serif" 8.25 points (or what this machine substitutes).
QFont FormFont();

// The families FontFor asks for, in order: `name`, then for a monospaced
// family this machine lacks the system's monospaced one.
QStringList FamiliesFor(const std::string& name);

}  // namespace lirvo::qt
