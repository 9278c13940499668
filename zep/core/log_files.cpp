// Log file names and the lines written to them.
#include "log_files.h"

#include "ansi_text.h"
#include "date_time.h"

namespace zep {

std::string MonthlyLogPath(const std::string& folder, const std::string& kind, int year, int month) {
    return folder + "\\" + kind + "_" + ZeroPadded(year, 4) + ZeroPadded(month, 2) + ".txt";
}

std::string AccessLogPath(const std::string& folder) { return folder + "\\AI2000RR.log"; }

std::string OldAccessLogPath(const std::string& folder) { return folder + "\\AI98RR.log"; }

std::string MonthlyLogLine(const std::string& prefix, const std::string& nowC, const std::string& data) {
    return prefix.empty() ? nowC + "," + data : prefix + "," + nowC + "," + data;
}

std::string SyslogLineData(std::string_view datagram) {
    std::string line;
    line.reserve(datagram.size());
    for (char c : datagram) {
        switch (c) {
            case '\r': line += "\\r"; break;
            case '\n': line += "\\n"; break;
            case '\0': line += "\\0"; break;
            default: line += c;
        }
    }
    return line;
}

std::string LineLabel(int lineNumber, const std::string& caption) {
    return "S0" + std::to_string(lineNumber) + (caption.empty() ? "" : ":" + caption);
}

std::string AccessLogLine(const LocalDateTime& start, const std::string& shortWeekday, const LocaleFormats& f,
                          uint32_t durationSeconds, int lineNumber, const std::string& caption) {
    const std::string& ds = f.dateSeparator;
    const std::string& ts = f.timeSeparator;
    return ZeroPadded(start.year, 4) + ds + ZeroPadded(start.month, 2) + ds + ZeroPadded(start.day, 2) + "(" +
           shortWeekday + ") " + ZeroPadded(start.hour, 2) + ts + ZeroPadded(start.minute, 2) + ts +
           ZeroPadded(start.second, 2) + " " + FormatElapsed(durationSeconds) + " > " + LineLabel(lineNumber, caption);
}

}  // namespace zep
