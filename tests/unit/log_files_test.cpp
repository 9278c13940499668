#include "log_files.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(LogFiles, PathsAndLines) {
    EXPECT_EQ(MonthlyLogPath("C:\\zep", kConlogKind, 2026, 12), "C:\\zep\\conlog_202612.txt");
    EXPECT_EQ(MonthlyLogPath("D:\\log", kSyslogKind, 2027, 3), "D:\\log\\syslog_202703.txt");
    EXPECT_EQ(AccessLogPath("C:\\ai"), "C:\\ai\\AI2000RR.log");

    EXPECT_EQ(LineLabel(0, ""), "S00");
    EXPECT_EQ(LineLabel(2, "Home"), "S02:Home");
    EXPECT_EQ(MonthlyLogLine("", "2026/12/08 9:05:07", "raw"), "2026/12/08 9:05:07,raw");
    EXPECT_EQ(MonthlyLogLine("S01:Office", "2026/12/08 9:05:07", "2026/12/08 9:00:00,00:05:07"),
              "S01:Office,2026/12/08 9:05:07,2026/12/08 9:00:00,00:05:07");
}

TEST(LogFiles, AccessLogLineUsesSeparatorsAndPadding) {
    EXPECT_EQ(AccessLogLine({2026, 12, 8, 9, 5, 7}, "\x89\xce", LocaleFormats{}, 90, 1, "Office"),
              "2026/12/08(\x89\xce) 09:05:07 00:01:30 > S01:Office");
    LocaleFormats f;
    f.dateSeparator = "-";
    f.timeSeparator = ".";
    EXPECT_EQ(AccessLogLine({987, 1, 2, 23, 59, 0}, "Sat", f, 360000, 0, ""),
              "0987-01-02(Sat) 23.59.00 100:00:00 > S00");
}

TEST(LogFiles, TimeBeforeCrossesCalendarBoundaries) {
    EXPECT_EQ(TimeBefore({2026, 12, 8, 9, 5, 7}, 0), (LocalDateTime{2026, 12, 8, 9, 5, 7}));
    EXPECT_EQ(TimeBefore({2026, 12, 8, 0, 0, 30}, 60000), (LocalDateTime{2026, 12, 7, 23, 59, 30}));
    EXPECT_EQ(TimeBefore({2027, 1, 1, 0, 0, 0}, 1000), (LocalDateTime{2026, 12, 31, 23, 59, 59}));
    EXPECT_EQ(TimeBefore({2024, 3, 1, 0, 30, 0}, 3600000), (LocalDateTime{2024, 2, 29, 23, 30, 0}));
    EXPECT_EQ(TimeBefore({2100, 3, 1, 0, 0, 0}, 1000), (LocalDateTime{2100, 2, 28, 23, 59, 59}));
    EXPECT_EQ(TimeBefore({2026, 5, 1, 12, 0, 0}, 1500), (LocalDateTime{2026, 5, 1, 11, 59, 58}));  // fraction dropped
    EXPECT_EQ(TimeBefore({2026, 5, 1, 12, 0, 0, 900}, 1500), (LocalDateTime{2026, 5, 1, 11, 59, 59}));  // the clock's ms count
    // The longest wait, about 49.7 days.
    EXPECT_EQ(TimeBefore({2026, 3, 1, 0, 0, 0}, 4294967295u), (LocalDateTime{2026, 1, 10, 6, 57, 12}));
}

TEST(LogFiles, DayOfWeek) {
    EXPECT_EQ(DayOfWeek({2026, 12, 8}), 2);
    EXPECT_EQ(DayOfWeek({2026, 12, 6}), 0);
    EXPECT_EQ(DayOfWeek({2000, 2, 29}), 2);
    EXPECT_EQ(DayOfWeek({1969, 12, 27}), 6);
}

}  // namespace
}  // namespace zep
