// Names and line layouts of the log files: the monthly syslog and connection logs and the
// access log of the outside viewer.
#pragma once
#include <cstdint>
#include <string>

#include "settings.h"

namespace zep {

inline constexpr char kSyslogKind[] = "syslog";
inline constexpr char kConlogKind[] = "conlog";

// folder + "\" + kind + "_" + yyyymm + ".txt"
std::string MonthlyLogPath(const std::string& folder, const std::string& kind, int year, int month);
// folder + "\AI2000RR.log"
std::string AccessLogPath(const std::string& folder);

// The line of the monthly writer: prefix "," now "," data, or now "," data without a prefix
// (`now` is already in the "c" format).
std::string MonthlyLogLine(const std::string& prefix, const std::string& nowC, const std::string& data);

// "S0" + line number, and ":" + caption when there is one.
std::string LineLabel(int lineNumber, const std::string& caption);

// The access-log line: the connect time as yyyy/mm/dd(aaa) hh:mm:ss with the system's separators,
// a blank, the duration, " > " and the line label.
std::string AccessLogLine(const LocalDateTime& start, const std::string& shortWeekday, const LocaleFormats& f,
                          uint32_t durationSeconds, int lineNumber, const std::string& caption);

// The local time `ms` milliseconds before `t`.
LocalDateTime TimeBefore(const LocalDateTime& t, uint32_t ms);
// Seconds of the calendar from 1970-01-01 00:00:00 to `t` (both taken as local time).
int64_t SecondsSinceEpoch(const LocalDateTime& t);
// The calendar time `seconds` after 1970-01-01 00:00:00 (before it when negative).
LocalDateTime DateTimeFromEpochSeconds(int64_t seconds);
// Day of the week, 0 = Sunday.
int DayOfWeek(const LocalDateTime& t);

}  // namespace zep
