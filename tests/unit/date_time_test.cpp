#include <gtest/gtest.h>

#include "date_time.h"
#include "tick_count.h"

namespace zep {
namespace {

TEST(DateTimeText, JapaneseAndUsPatternsRoundTrip) {
    LocaleFormats jp;  // yyyy/MM/dd H:mm:ss
    LocaleFormats us{"M/d/yyyy", "h:mm:ss tt", "/", ":", "AM", "PM"};
    const LocalDateTime times[] = {{2026, 1, 2, 3, 4, 5}, {1999, 12, 31, 23, 59, 59}, {2024, 2, 29, 12, 0, 1}};
    for (const auto& t : times) {
        EXPECT_EQ(ParseDateTimeC(FormatDateTimeC(t, jp), jp), t);
        EXPECT_EQ(ParseDateTimeC(FormatDateTimeC(t, us), us), t);
    }
    EXPECT_EQ(FormatDateTimeC({2026, 1, 2, 15, 4, 5}, us), "1/2/2026 3:04:05 PM");
}

TEST(DateTimeText, MidnightLeavesTheTimeOut) {
    EXPECT_EQ(FormatDateTimeC({2026, 3, 4, 0, 0, 0}, LocaleFormats{}), "2026/03/04");
    EXPECT_EQ(ParseDateTimeC("2026/03/04", LocaleFormats{}), (LocalDateTime{2026, 3, 4, 0, 0, 0}));
}

TEST(DateTimeText, ImpossibleDatesAreUnreadable) {
    LocaleFormats f;
    for (const char* bad : {"", "garbage", "2026/02/30 1:00:00", "2026/13/01", "2026/01/01 24:00:00", "2026/01"})
        EXPECT_EQ(ParseDateTimeC(bad, f), std::nullopt) << bad;
}

TEST(FormatElapsed, HoursAreNotLimited) {
    EXPECT_EQ(FormatElapsed(0), "00:00:00");
    EXPECT_EQ(FormatElapsed(3 * 3600 + 4 * 60 + 5), "03:04:05");
    EXPECT_EQ(FormatElapsed(360000), "100:00:00");
    EXPECT_EQ(FormatElapsed(4294967295u), "1193046:28:15");
}

TEST(ElapsedMs, SurvivesTheTickCounterWrap) {
    EXPECT_EQ(ElapsedMs(1500, 1000), 500u);
    EXPECT_EQ(ElapsedMs(200, 0xFFFFFF00u), 456u);
    EXPECT_EQ(ElapsedMs(0, 0xFFFFFFFFu), 1u);
}

}  // namespace
}  // namespace zep
