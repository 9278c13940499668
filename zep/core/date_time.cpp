// Local dates and times: the "c" text of the system's locale (the short date, a blank and the long
// time, the time left out at exactly midnight; format pictures use the platform's letters y, M, d,
// H, h, m, s, t and quoted literals), and the bit of calendar arithmetic the logs and the stored
// connection start need.
#include "date_time.h"

#include <cctype>
#include <vector>

#include "ansi_text.h"

namespace zep {
namespace {

std::string FormatPicture(const std::string& picture, const LocalDateTime& t, const LocaleFormats& f) {
    std::string out;
    for (size_t i = 0; i < picture.size();) {
        char c = picture[i];
        if (c == '\'') {  // quoted literal; '' inside stands for one quote
            size_t end = picture.find('\'', i + 1);
            if (end == std::string::npos) end = picture.size();
            out += picture.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        switch (c) {
            case 'y': out += run <= 2 ? ZeroPadded(t.year % 100, run) : ZeroPadded(t.year, 4); break;
            case 'M': out += ZeroPadded(t.month, run >= 2 ? 2 : 1); break;
            case 'd': out += ZeroPadded(t.day, run >= 2 ? 2 : 1); break;
            case 'H': out += ZeroPadded(t.hour, run >= 2 ? 2 : 1); break;
            case 'h': out += ZeroPadded(t.hour % 12 == 0 ? 12 : t.hour % 12, run >= 2 ? 2 : 1); break;
            case 'm': out += ZeroPadded(t.minute, run >= 2 ? 2 : 1); break;
            case 's': out += ZeroPadded(t.second, run >= 2 ? 2 : 1); break;
            case 't': out += t.hour < 12 ? f.amDesignator : f.pmDesignator; break;
            case 'g': break;  // era: not used by the Gregorian calendar
            default: out.append(run, c); break;
        }
        i += run;
    }
    return out;
}

// The order in which year, month and day stand in the short date picture, as "ymd", "mdy", ...
std::string DateOrder(const std::string& picture) {
    std::string order;
    for (char c : picture) {
        char k = c == 'y' ? 'y' : c == 'M' ? 'm' : c == 'd' ? 'd' : 0;
        if (k && order.find(k) == std::string::npos) order += k;
    }
    return order.size() == 3 ? order : "ymd";
}

std::vector<int> NumbersIn(const std::string& text) {
    std::vector<int> numbers;
    for (size_t i = 0; i < text.size();) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) { ++i; continue; }
        int v = 0;
        size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - start < 6) v = v * 10 + (text[i++] - '0');
        numbers.push_back(v);
    }
    return numbers;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
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

std::string FormatDateTimeC(const LocalDateTime& t, const LocaleFormats& f) {
    std::string text = FormatPicture(f.shortDate, t, f);
    if (t.hour != 0 || t.minute != 0 || t.second != 0) {
        text += ' ';
        text += FormatPicture(f.longTime, t, f);
    }
    return text;
}

std::optional<LocalDateTime> ParseDateTimeC(const std::string& text, const LocaleFormats& f) {
    size_t blank = text.find(' ');
    std::vector<int> date = NumbersIn(text.substr(0, blank));
    std::string timeText = blank == std::string::npos ? "" : text.substr(blank + 1);
    std::vector<int> time = NumbersIn(timeText);
    if (date.size() != 3 || time.size() > 3) return std::nullopt;

    LocalDateTime t;
    const std::string order = DateOrder(f.shortDate);
    for (size_t k = 0; k < 3; ++k) {
        (order[k] == 'y' ? t.year : order[k] == 'm' ? t.month : t.day) = date[k];
    }
    if (t.year < 100) t.year += t.year < 50 ? 2000 : 1900;
    if (time.size() > 0) t.hour = time[0];
    if (time.size() > 1) t.minute = time[1];
    if (time.size() > 2) t.second = time[2];
    bool pm = !f.pmDesignator.empty() && timeText.find(f.pmDesignator) != std::string::npos;
    bool am = !f.amDesignator.empty() && timeText.find(f.amDesignator) != std::string::npos;
    if ((pm || am) && (t.hour < 1 || t.hour > 12)) return std::nullopt;
    if (pm && t.hour < 12) t.hour += 12;
    if (am && t.hour == 12) t.hour = 0;

    if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12) return std::nullopt;
    if (t.day < 1 || t.day > DaysInMonth(t.year, t.month)) return std::nullopt;
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

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

// The instant `ms` before `t` (milliseconds included), cut down to its second, so 1500 ms before
// 12:00:00.000 is 11:59:58 (the fraction of 11:59:58.5 dropped), the same as reading a clock then.
LocalDateTime TimeBefore(const LocalDateTime& t, uint32_t ms) {
    return DateTimeFromEpochSeconds(FloorDiv(SecondsSinceEpoch(t) * 1000 + t.millisecond - ms, 1000));
}

int DayOfWeek(const LocalDateTime& t) {
    // 1970-01-01 was a Thursday.
    const int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);
}

int64_t MillisecondsBetween(const LocalDateTime& earlier, const LocalDateTime& later) {
    return (SecondsSinceEpoch(later) - SecondsSinceEpoch(earlier)) * 1000 + later.millisecond - earlier.millisecond;
}

std::string FormatElapsed(uint32_t seconds) {
    return ZeroPadded(seconds / 3600, 2) + ":" + ZeroPadded(seconds % 3600 / 60, 2) + ":" + ZeroPadded(seconds % 60, 2);
}

}  // namespace zep
