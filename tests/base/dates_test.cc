#include "base/dates.h"

#include <gtest/gtest.h>

namespace lirvo {
namespace {

TEST(DatesTest, ValidDatesFollowTheGregorianCalendar) {
  const struct {
    int year, month, day;
    bool valid;
  } cases[] = {{2024, 2, 29, true}, {2023, 2, 29, false}, {1900, 2, 29, false},
               {2000, 2, 29, true}, {2024, 4, 31, false}, {2024, 13, 1, false},
               {2024, 0, 1, false}, {2024, 1, 0, false},  {0, 1, 1, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidDate(c.year, c.month, c.day), c.valid)
        << c.day << "/" << c.month << "/" << c.year;
  }
}

TEST(DatesTest, ParseDateReadsDayMonthYear) {
  EXPECT_EQ(ParseDate("15/03/2024"), (Date{2024, 3, 15}));
  EXPECT_EQ(ParseDate(" 1/3/2024 "), (Date{2024, 3, 1}));
  for (const char* bad : {"", "2024/03/15", "31/02/2024", "15-03-2024", "15/03/24", "15/03/2024x",
                          "aa/bb/cccc", "15/03/20245"}) {
    EXPECT_FALSE(ParseDate(bad).has_value()) << bad;
  }
}

TEST(DatesTest, ParseDateTimeTakesOptionalSeconds) {
  EXPECT_EQ(ParseDateTime("06/12/2026 14:03:09"), (DateTime{2026, 12, 6, 14, 3, 9}));
  EXPECT_EQ(ParseDateTime("06/12/2026 14:03"), (DateTime{2026, 12, 6, 14, 3, 0}));
  EXPECT_EQ(ParseDateTime("06/12/2026"), (DateTime{2026, 12, 6, 0, 0, 0}));
  EXPECT_FALSE(ParseDateTime("06/12/2026 24:00:00").has_value());
  EXPECT_FALSE(ParseDateTime("06/12/2026 10:60").has_value());
}

TEST(DatesTest, FormatsUsedInFileNamesAndSummaries) {
  const DateTime t{2026, 1, 5, 9, 7, 3};
  EXPECT_EQ(FormatDate(t.date()), "05/01/2026");
  EXPECT_EQ(FormatDateTime(t), "05/01/2026 09:07:03");
  EXPECT_EQ(FormatStamp(t), "20260105090703");
  EXPECT_EQ(FormatLongItalian(t), "05 gennaio 2026 09:07");
  EXPECT_EQ(FormatLongItalian({2026, 12, 31, 23, 59, 0}), "31 dicembre 2026 23:59");
  EXPECT_EQ(ItalianMonthName(13), "");
}

TEST(DatesTest, AddSecondsCrossesDaysMonthsAndLeapYears) {
  EXPECT_EQ(AddSeconds({2024, 2, 28, 23, 59, 59}, 1), (DateTime{2024, 2, 29, 0, 0, 0}));
  EXPECT_EQ(AddSeconds({2023, 12, 31, 23, 0, 0}, 3600), (DateTime{2024, 1, 1, 0, 0, 0}));
  EXPECT_EQ(AddSeconds({2024, 3, 1, 0, 0, 0}, -1), (DateTime{2024, 2, 29, 23, 59, 59}));
  EXPECT_EQ(AddSeconds({1969, 12, 31, 23, 59, 59}, 1), (DateTime{1970, 1, 1, 0, 0, 0}));
  for (int64_t days : {-800000, -1, 0, 1, 19000, 2932896}) {
    const Date d = CivilFromDays(days);
    EXPECT_EQ(DaysFromCivil(d.year, d.month, d.day), days);
  }
}

}  // namespace
}  // namespace lirvo
