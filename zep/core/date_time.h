// Local dates and times of the PC's clock, their text in the system's locale and the calendar
// arithmetic on them; the text of a connected time.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zep {

// A date and time of the local clock, whole seconds (as stored in BeforeConTime).
struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int millisecond = 0;  // the clock's; stored and written times have whole seconds
    bool IsZero() const { return year == 0; }
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The system's date and time formats ("c": short date, a blank, long time).
struct LocaleFormats {
    std::string shortDate = "yyyy/MM/dd";
    std::string longTime = "H:mm:ss";
    std::string dateSeparator = "/";
    std::string timeSeparator = ":";
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
};

std::string FormatDateTimeC(const LocalDateTime& t, const LocaleFormats& f);
std::optional<LocalDateTime> ParseDateTimeC(const std::string& text, const LocaleFormats& f);

// The local time `ms` milliseconds before `t`.
LocalDateTime TimeBefore(const LocalDateTime& t, uint32_t ms);
// Seconds of the calendar from 1970-01-01 00:00:00 to `t` (both taken as local time).
int64_t SecondsSinceEpoch(const LocalDateTime& t);
// The calendar time `seconds` after 1970-01-01 00:00:00 (before it when negative).
LocalDateTime DateTimeFromEpochSeconds(int64_t seconds);
// Day of the week, 0 = Sunday.
int DayOfWeek(const LocalDateTime& t);
// Milliseconds from `earlier` to `later` (negative when `earlier` is later).
int64_t MillisecondsBetween(const LocalDateTime& earlier, const LocalDateTime& later);

// A connected time in seconds as "%2.2d:%2.2d:%2.2d", hours unbounded.
std::string FormatElapsed(uint32_t seconds);

}  // namespace zep
