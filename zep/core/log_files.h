// Names and line layouts of the log files: the monthly syslog and connection logs and the
// access log of the outside viewer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "date_time.h"

namespace zep {

inline constexpr char kSyslogKind[] = "syslog";
inline constexpr char kConlogKind[] = "conlog";

// folder + "\" + kind + "_" + yyyymm + ".txt"
std::string MonthlyLogPath(const std::string& folder, const std::string& kind, int year, int month);
// folder + "\AI2000RR.log", and the name of the viewer's older version, folder + "\AI98RR.log"
std::string AccessLogPath(const std::string& folder);
std::string OldAccessLogPath(const std::string& folder);

// The line of the monthly writer: prefix "," now "," data, or now "," data without a prefix
// (`now` is already in the "c" format).
std::string MonthlyLogLine(const std::string& prefix, const std::string& nowC, const std::string& data);

// A datagram as the syslog file keeps it, one line whatever it holds: CR, LF and NUL are written
// as \r, \n and \0. Everything else stays as received, a backslash too (a second byte of a
// Shift-JIS character can be one; those bytes are never CR, LF or NUL), so lines without those
// three are the datagram byte for byte.
std::string SyslogLineData(std::string_view datagram);

// "S0" + line number, and ":" + caption when there is one.
std::string LineLabel(int lineNumber, const std::string& caption);

// The access-log line: the connect time as yyyy/mm/dd(aaa) hh:mm:ss with the system's separators,
// a blank, the duration, " > " and the line label.
std::string AccessLogLine(const LocalDateTime& start, const std::string& shortWeekday, const LocaleFormats& f,
                          uint32_t durationSeconds, int lineNumber, const std::string& caption);

}  // namespace zep
