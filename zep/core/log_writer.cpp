#include "log_writer.h"

#include "controller_state.h"
#include "date_time.h"
#include "settings.h"
#include "shell.h"
#include "log_files.h"
#include "texts_ja.h"
#include "tick_count.h"
#include "tray_menus.h"

namespace zep {

void LogWriter::AppendSyslogLine(const std::string& raw) { AppendMonthlyLog(kSyslogKind, SyslogLineData(raw), ""); }

void LogWriter::AppendConnectionLines() {
    if (!settings_.Easylog && !settings_.AIlog) return;
    const LocalDateTime now = shell_.LocalNow();
    const uint32_t elapsed = ElapsedMs(shell_.TickCount(), state_.ConnectStartTick);
    const LocalDateTime start = TimeBefore(now, elapsed);
    const std::string duration = FormatElapsed(elapsed / 1000);
    const LocaleFormats locale = shell_.Locale();
    if (settings_.Easylog)
        AppendMonthlyLog(kConlogKind, FormatDateTimeC(start, locale) + "," + duration,
                         LineLabel(state_.LineNumber, state_.DefaultLineCaption));
    // The access log only while its viewer is there (its check box is enabled then).
    if (settings_.AIlog && shell_.FileExists(settings_.AIExeFile))
        AppendLogLine(AccessLogPath(settings_.LogFolder),
                      AccessLogLine(start, shell_.ShortWeekdayName(DayOfWeek(start)), locale, elapsed / 1000,
                                    state_.LineNumber, state_.DefaultLineCaption));
}

void LogWriter::AppendMonthlyLog(const char* kind, const std::string& data, const std::string& prefix) {
    const LocalDateTime now = shell_.LocalNow();
    AppendLogLine(MonthlyLogPath(settings_.LogFolder, kind, now.year, now.month),
                  MonthlyLogLine(prefix, FormatDateTimeC(now, shell_.Locale()), data));
}

void LogWriter::AppendLogLine(const std::string& path, const std::string& line) {
    auto error = shell_.AppendLine(path, line);
    if (!error) {
        failingLogs_.erase(path);
        return;
    }
    // Reported once until the file can be written again: the router's chatter must not pile up
    // message boxes.
    if (failingLogs_.insert(path).second) shell_.ReportFileError(path, *error);
}

void LogWriter::OpenMonthlyLog(const char* kind, const char16_t* missingText) {
    const LocalDateTime now = shell_.LocalNow();
    const std::string path = MonthlyLogPath(settings_.LogFolder, kind, now.year, now.month);
    if (shell_.FileExists(path)) shell_.OpenProgram(path, "", "");
    else shell_.ShowBox(BoxKind::Information, missingText);
}

void LogWriter::TraySyslogClick() { OpenMonthlyLog(kSyslogKind, text::kNoSyslogThisMonth); }

void LogWriter::TrayEasylogClick() { OpenMonthlyLog(kConlogKind, text::kNoConlogThisMonth); }

void LogWriter::TrayAILogClick() {
    const std::string path = AccessLogPath(settings_.LogFolder);
    if (shell_.FileExists(path)) shell_.OpenProgram(settings_.AIExeFile, path, "");
    else shell_.ShowBox(BoxKind::Information, text::kNoAccessLog);
}

void LogWriter::CheckAccessLogViewer() {
    accessLogViewerFound_ = !settings_.AIExeFile.empty() && shell_.FileExists(settings_.AIExeFile);
    menus_.Item(kTrayAILog).enabled = accessLogViewerFound_;
}

void LogWriter::RenameOldAccessLog() {
    const std::string old = OldAccessLogPath(settings_.LogFolder);
    if (shell_.FileExists(old)) shell_.RenameFile(old, AccessLogPath(settings_.LogFolder));
}

}  // namespace zep
