#include "base/dates.h"

#include <array>
#include <cstdio>

#include "base/text.h"

namespace lirvo {
namespace {

bool ReadDigits(std::string_view s, size_t& pos, size_t min, size_t max, int& value) {
  size_t start = pos;
  value = 0;
  while (pos < s.size() && pos - start < max && s[pos] >= '0' && s[pos] <= '9') {
    value = value * 10 + (s[pos] - '0');
    ++pos;
  }
  return pos - start >= min;
}

bool Expect(std::string_view s, size_t& pos, char c) {
  if (pos < s.size() && s[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

std::string Pad(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = kDays[month - 1];
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) max = 29;
  return day <= max;
}

std::optional<Date> ParseDate(std::string_view text) {
  text = Trim(text);
  size_t pos = 0;
  Date d;
  if (!ReadDigits(text, pos, 1, 2, d.day) || !Expect(text, pos, '/') ||
      !ReadDigits(text, pos, 1, 2, d.month) || !Expect(text, pos, '/') ||
      !ReadDigits(text, pos, 4, 4, d.year) || pos != text.size()) {
    return std::nullopt;
  }
  if (!IsValidDate(d.year, d.month, d.day)) return std::nullopt;
  return d;
}

std::optional<DateTime> ParseDateTime(std::string_view text) {
  text = Trim(text);
  size_t space = text.find(' ');
  auto date = ParseDate(text.substr(0, space));
  if (!date) return std::nullopt;
  DateTime t{date->year, date->month, date->day, 0, 0, 0};
  if (space == std::string_view::npos) return t;
  std::string_view rest = Trim(text.substr(space));
  size_t pos = 0;
  if (!ReadDigits(rest, pos, 1, 2, t.hour) || !Expect(rest, pos, ':') ||
      !ReadDigits(rest, pos, 2, 2, t.minute)) {
    return std::nullopt;
  }
  if (Expect(rest, pos, ':') && !ReadDigits(rest, pos, 2, 2, t.second)) return std::nullopt;
  if (pos != rest.size() || t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  return t;
}

std::string FormatDate(const Date& d) {
  return Pad(d.day, 2) + "/" + Pad(d.month, 2) + "/" + Pad(d.year, 4);
}

std::string FormatDateTime(const DateTime& t) {
  return FormatDate(t.date()) + " " + Pad(t.hour, 2) + ":" + Pad(t.minute, 2) + ":" +
         Pad(t.second, 2);
}

std::string FormatStamp(const DateTime& t) {
  return Pad(t.year, 4) + Pad(t.month, 2) + Pad(t.day, 2) + Pad(t.hour, 2) + Pad(t.minute, 2) +
         Pad(t.second, 2);
}

std::string_view ItalianMonthName(int month) {
  static constexpr std::array<std::string_view, 12> kNames = {
      "gennaio", "febbraio", "marzo",     "aprile",  "maggio",   "giugno",
      "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};
  if (month < 1 || month > 12) return {};
  return kNames[month - 1];
}

std::string FormatLongItalian(const DateTime& t) {
  return Pad(t.day, 2) + " " + std::string(ItalianMonthName(t.month)) + " " + Pad(t.year, 4) + " " +
         Pad(t.hour, 2) + ":" + Pad(t.minute, 2);
}

// Days from a civil date by 400-year eras, and back.
int64_t DaysFromCivil(int year, int month, int day) {
  int64_t y = year - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Date CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int64_t ToEpochSeconds(const DateTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

DateTime FromEpochSeconds(int64_t seconds) {
  int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  int64_t rest = seconds - days * 86400;
  Date d = CivilFromDays(days);
  return {d.year,
          d.month,
          d.day,
          static_cast<int>(rest / 3600),
          static_cast<int>(rest % 3600 / 60),
          static_cast<int>(rest % 60)};
}

DateTime AddSeconds(const DateTime& t, int64_t seconds) {
  return FromEpochSeconds(ToEpochSeconds(t) + seconds);
}

}  // namespace lirvo
