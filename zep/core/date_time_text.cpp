// The "c" date-time text of the system's locale: the short date, a blank and the long time, the
// time left out at exactly midnight. Format pictures use the platform's letters (y, M, d, H, h, m,
// s, t and quoted literals).
#include <cctype>
#include <string>
#include <vector>

#include "settings.h"

namespace zep {
namespace {

std::string Padded(int value, size_t width) {
    std::string digits = std::to_string(value);
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

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
            case 'y': out += run <= 2 ? Padded(t.year % 100, run) : Padded(t.year, 4); break;
            case 'M': out += Padded(t.month, run >= 2 ? 2 : 1); break;
            case 'd': out += Padded(t.day, run >= 2 ? 2 : 1); break;
            case 'H': out += Padded(t.hour, run >= 2 ? 2 : 1); break;
            case 'h': out += Padded(t.hour % 12 == 0 ? 12 : t.hour % 12, run >= 2 ? 2 : 1); break;
            case 'm': out += Padded(t.minute, run >= 2 ? 2 : 1); break;
            case 's': out += Padded(t.second, run >= 2 ? 2 : 1); break;
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

}  // namespace zep
