// Log file names and the lines written to them, and the bit of calendar arithmetic the
// connection log needs.
#include "log_files.h"

#include "syslog_events.h"

namespace zep {
namespace {

std::string Padded(int value, size_t width) {
    std::string digits = std::to_string(value);
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

// Days since 1970-01-01 of a proleptic Gregorian date (years counted in 400-year eras).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, LocalDateTime& t) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    t.year = static_cast<int>(yoe + era * 400 + (m <= 2));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

std::string MonthlyLogPath(const std::string& folder, const std::string& kind, int year, int month) {
    return folder + "\\" + kind + "_" + Padded(year, 4) + Padded(month, 2) + ".txt";
}

std::string AccessLogPath(const std::string& folder) { return folder + "\\AI2000RR.log"; }

std::string MonthlyLogLine(const std::string& prefix, const std::string& nowC, const std::string& data) {
    return prefix.empty() ? nowC + "," + data : prefix + "," + nowC + "," + data;
}

std::string LineLabel(int lineNumber, const std::string& caption) {
    return "S0" + std::to_string(lineNumber) + (caption.empty() ? "" : ":" + caption);
}

std::string AccessLogLine(const LocalDateTime& start, const std::string& shortWeekday, const LocaleFormats& f,
                          uint32_t durationSeconds, int lineNumber, const std::string& caption) {
    const std::string& ds = f.dateSeparator;
    const std::string& ts = f.timeSeparator;
    return Padded(start.year, 4) + ds + Padded(start.month, 2) + ds + Padded(start.day, 2) + "(" + shortWeekday +
           ") " + Padded(start.hour, 2) + ts + Padded(start.minute, 2) + ts + Padded(start.second, 2) + " " +
           FormatElapsed(durationSeconds) + " > " + LineLabel(lineNumber, caption);
}

// `t` has whole seconds; the instant `ms` before it is cut down to its second, so 1500 ms before
// 12:00:00 is 11:59:58 (the fraction of 11:59:58.5 dropped), the same as reading a clock then.
int64_t SecondsSinceEpoch(const LocalDateTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

LocalDateTime DateTimeFromEpochSeconds(int64_t seconds) {
    const int64_t days = FloorDiv(seconds, 86400);
    const int64_t rest = seconds - days * 86400;
    LocalDateTime r;
    CivilFromDays(days, r);
    r.hour = static_cast<int>(rest / 3600);
    r.minute = static_cast<int>(rest % 3600 / 60);
    r.second = static_cast<int>(rest % 60);
    return r;
}

LocalDateTime TimeBefore(const LocalDateTime& t, uint32_t ms) {
    return DateTimeFromEpochSeconds(FloorDiv(SecondsSinceEpoch(t) * 1000 - ms, 1000));
}

int DayOfWeek(const LocalDateTime& t) {
    // 1970-01-01 was a Thursday.
    const int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);
}

}  // namespace zep
