// The router's syslog drives the controller: connection state, logs, sounds, the IP page.
#include "controller.h"
#include "instance.h"
#include "ip_page.h"
#include "log_files.h"
#include "syslog_events.h"
#include "texts_ja.h"

namespace zep {

void Controller::OnSyslogDatagram(const std::string& sender, std::string raw) {
    if (sender != settings_.IPAddress) return;
    if (raw.size() > kSyslogDatagramLimit) raw.resize(kSyslogDatagramLimit);
    state_.SyslogHeard = true;
    UpdateTrayIcon();

    const std::string lowered = LowerAnsi(raw);
    const SyslogEvents events = RecogniseSyslog(lowered);
    if (events.ntpAdjusted) AdjustClockFromRouter();
    if (events.lineSwitched) ApplySwitchReport(SwitchReportTag(lowered));
    // A log line that cannot be written is reported, but the router's events still move the
    // state: the tray must not show a line that the router has taken down.
    if (settings_.Syslog) AppendMonthlyLog(kSyslogKind, raw, "");

    if (events.connected) {
        shell_.SaveBeforeConTime(shell_.LocalNow());
        DoConnected();
        state_.LineNumber = LineNumberOfConnect(lowered, state_.LineNumber);
    }
    if (events.ipAssigned) {
        state_.IPAssignedTick = shell_.TickCount();
        state_.WanIP = ExtractWanIP(lowered);
        menus_.Item(kTrayIP).enabled = true;
        shell_.SetTimePanelCopyEnabled(true);
        if (settings_.WaveConnect) shell_.PlaySoundFile(settings_.WaveConnectFile);
        if (settings_.HTMLAutoCreate && MakeIPPage() && settings_.FTPAutoConnect &&
            (!settings_.FTPAutoConnectOnly || state_.StartedInAutoWindow))
            UploadConnectPage();
    }
    if (events.requestAccepted && settings_.DialogClose) CloseSetupDialogs();
    if (events.disconnected) {
        if (state_.Connected && (settings_.Easylog || settings_.AIlog)) {
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
                              AccessLogLine(start, shell_.ShortWeekdayName(DayOfWeek(start)), locale,
                                            elapsed / 1000, state_.LineNumber, state_.DefaultLineCaption));
        }
        if (settings_.DialogClose) CloseSetupDialogs();
        shell_.SaveBeforeConTime(LocalDateTime{});
        if (settings_.WaveDisconnect) shell_.PlaySoundFile(settings_.WaveDisconnectFile);
        DoDisconnected();
    }
}

void Controller::ApplySwitchReport(int tag) {
    if (tag < 1 || tag > 4) return;
    for (int t = 1; t <= 4; ++t) menus_.ConnectItem(t).checked = t == tag;  // one radio group
    // The settings window's destination menu has items only once the list is known; its check,
    // the panel's caption and the caption of the connection log follow the report then.
    if (!state_.DestinationListKnown) return;
    destinationPanelTag_ = tag;
    state_.DefaultLineCaption = destinations_[tag - 1].caption;
    shell_.DestinationMenusChanged();
}

bool Controller::MakeIPPage() {
    const std::string templatePath = shell_.ProgramFolder() + "\\connect.htm";
    if (!shell_.FileExists(templatePath)) {
        shell_.ShowBox(BoxKind::Error, text::kConnectTemplateMissing);
        return false;
    }
    // A template that is there but cannot be read (another program holds it) is a file error.
    const FileRead page = shell_.ReadWholeFile(templatePath);
    if (!page.bytes) {
        ReportFileError(templatePath, page.error);
        return false;
    }
    if (auto error = shell_.WriteWholeFile(settings_.HTMLFile, MakeIPPageText(*page.bytes, state_.WanIP))) {
        ReportFileError(settings_.HTMLFile, *error);
        return false;
    }
    return true;
}

// The general error report of a file that could not be read or written: its name and the
// system's text.
void Controller::ReportFileError(const std::string& path, const std::u16string& error) {
    shell_.ShowBox(BoxKind::Error, shell_.FromAnsi(path) + u"\r\n" + error);
}

void Controller::AppendMonthlyLog(const char* kind, const std::string& data, const std::string& prefix) {
    const LocalDateTime now = shell_.LocalNow();
    AppendLogLine(MonthlyLogPath(settings_.LogFolder, kind, now.year, now.month),
                  MonthlyLogLine(prefix, FormatDateTimeC(now, shell_.Locale()), data));
}

void Controller::AppendLogLine(const std::string& path, const std::string& line) {
    auto error = shell_.AppendLine(path, line);
    if (!error) {
        failingLogs_.erase(path);
        return;
    }
    // Reported once until the file can be written again: the router's chatter must not pile up
    // message boxes.
    if (failingLogs_.insert(path).second) ReportFileError(path, *error);
}

void Controller::OpenMonthlyLog(const char* kind, const char16_t* missingText) {
    const LocalDateTime now = shell_.LocalNow();
    const std::string path = MonthlyLogPath(settings_.LogFolder, kind, now.year, now.month);
    if (shell_.FileExists(path)) shell_.OpenProgram(path, "", "");
    else shell_.ShowBox(BoxKind::Information, missingText);
}

void Controller::TraySyslogClick() { OpenMonthlyLog(kSyslogKind, text::kNoSyslogThisMonth); }

void Controller::TrayEasylogClick() { OpenMonthlyLog(kConlogKind, text::kNoConlogThisMonth); }

void Controller::TrayAILogClick() {
    const std::string path = AccessLogPath(settings_.LogFolder);
    if (shell_.FileExists(path)) shell_.OpenProgram(settings_.AIExeFile, path, "");
    else shell_.ShowBox(BoxKind::Information, text::kNoAccessLog);
}

void Controller::TrayIPClick() {
    if (!state_.WanIP.empty()) shell_.CopyToClipboard(state_.WanIP);
}

}  // namespace zep
