// The logs the controller keeps: the monthly syslog and connection logs and the access log of
// the outside viewer (AI2000); the tray's items that open them.
#pragma once
#include <set>
#include <string>

#include "controller_part.h"

namespace zep {

class LogWriter : ControllerPart {
public:
    using ControllerPart::ControllerPart;

    // A router datagram, as received, into this month's syslog: one line (SyslogLineData).
    void AppendSyslogLine(const std::string& raw);
    // The connection that the router has just taken down: its line in this month's connection log
    // and in the access log, as far as they are switched on.
    void AppendConnectionLines();

    // Tray commands (and the settings window's buttons) that open the logs.
    void TraySyslogClick();
    void TrayEasylogClick();
    void TrayAILogClick();

    // Whether the access log's viewer is there: the tray's item and the settings window's access
    // log controls follow. Looked at after the settings are loaded and after choosing the viewer.
    void CheckAccessLogViewer();
    bool accessLogViewerFound() const { return accessLogViewerFound_; }
    // An access log of the viewer's older name takes the new one.
    void RenameOldAccessLog();

private:
    void AppendMonthlyLog(const char* kind, const std::string& data, const std::string& prefix);
    void AppendLogLine(const std::string& path, const std::string& line);
    void OpenMonthlyLog(const char* kind, const char16_t* missingText);

    std::set<std::string> failingLogs_;  // reported once until they can be written again
    bool accessLogViewerFound_ = false;
};

}  // namespace zep
