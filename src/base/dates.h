// Dates and times as the plug-in reads and writes them: "dd/mm/yyyy", the
// stamp "yyyymmddHHNNSS" and the long form "dd MMMM yyyy HH:NN" with Italian
// month names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lirvo {

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

struct DateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  Date date() const { return {year, month, day}; }
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A real day of the Gregorian calendar, years 100 to 9999.
bool IsValidDate(int year, int month, int day);

// Reads "dd/mm/yyyy" (day and month of one or two digits, blanks around
// allowed). Nothing for anything else or an impossible date.
std::optional<Date> ParseDate(std::string_view text);

// Reads "dd/mm/yyyy HH:NN:SS" (seconds optional).
std::optional<DateTime> ParseDateTime(std::string_view text);

std::string FormatDate(const Date& d);             // dd/mm/yyyy
std::string FormatDateTime(const DateTime& t);     // dd/mm/yyyy HH:NN:SS
std::string FormatStamp(const DateTime& t);        // yyyymmddHHNNSS
std::string FormatLongItalian(const DateTime& t);  // dd MMMM yyyy HH:NN
std::string_view ItalianMonthName(int month);      // "gennaio" .. "dicembre"

// Days since 1 January 1970 (negative before) and back.
int64_t DaysFromCivil(int year, int month, int day);
Date CivilFromDays(int64_t days);

// Seconds since 1 January 1970 of a local date and time, and back.
int64_t ToEpochSeconds(const DateTime& t);
DateTime FromEpochSeconds(int64_t seconds);

DateTime AddSeconds(const DateTime& t, int64_t seconds);

}  // namespace lirvo
