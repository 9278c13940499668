// The controller: the connection state, the tray icon and menus, the transitions and the actions
// that the tray, a second copy and the router's reports trigger.
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "line_commands.h"
#include "settings.h"
#include "shell.h"
#include "tray_menus.h"

namespace zep {

struct MessageRecord {  // message, wParam, lParam, result
    uint32_t Msg = 0, WParam = 0, LParam = 0, Result = 0;
};

struct ControllerState {
    bool FirstShowPending = true;
    bool Connected = false;
    bool DisconnectRequested = false;
    bool SyslogHeard = false;
    bool StartedInAutoWindow = false;
    bool AutoConnectFired = false;
    uint32_t AutoConnectFiredTick = 0;
    bool ElapsedDisconnectArmed = false;
    int ElapsedDisconnectRound = 1;
    uint32_t ConnectStartTick = 0;
    uint32_t IPAssignedTick = 0;
    std::string WanIP;
    int LineNumber = 0;
    std::string DefaultLineCaption;
    bool DestinationListKnown = false;
    MessageRecord LastStatusReply;
    bool QueryBusy = false;
    bool ConnectPageUploaded = false;
    bool FtpAbortRequested = false;
    std::string SntpReply;
};

// The settings window's FTP log list keeps this many results.
inline constexpr size_t kFtpLogLines = 3;

// Datagrams are handled up to this many bytes; the rest of a longer one is dropped.
inline constexpr size_t kSyslogDatagramLimit = 2048;

// Clock time of day as hour * 100 + minute.
inline int HourMinute(int hour, int minute) { return hour * 100 + minute; }
// Whether `now` lies in the daily window from `start` to `end` (both inclusive), which may span
// midnight.
bool InDailyWindow(int start, int end, int now);

// The tray cuts every tip to this many characters.
inline constexpr size_t kTrayTipLimit = 62;
std::u16string CutTrayTip(const std::u16string& tip);

// Tool command lines: "-i" and the router address, then the request's switches.
std::string ConnectParameters(const std::string& address);
std::string DisconnectParameters(const std::string& address);
// The tool's folder: its path up to and including the last backslash.
std::string ToolFolder(const std::string& toolPath);

// For each of the setup utility's title patterns, in order, the first window whose lower-cased
// title contains the lower-cased pattern (titles taken as read, at most 254 characters).
std::vector<std::optional<size_t>> SetupDialogsToClose(const std::vector<std::u16string>& titles);
std::u16string LowerTitle(std::u16string text);

// Marks a wait as running while it lives. Whatever arrives inside a wait may reach the same wait
// again: the handler asks the flag first and merges such a request into the running wait (or
// notes it for after it) instead of nesting a second wait inside the first.
class RunningWait {
public:
    explicit RunningWait(bool& running) : running_(running) { running_ = true; }
    ~RunningWait() { running_ = false; }
    RunningWait(const RunningWait&) = delete;
    RunningWait& operator=(const RunningWait&) = delete;

private:
    bool& running_;
};

class Controller {
public:
    Controller(Shell& shell, Settings& settings) : shell_(shell), settings_(settings) {}

    ControllerState& state() { return state_; }
    const ControllerState& state() const { return state_; }
    TrayMenus& menus() { return menus_; }
    Settings& settings() { return settings_; }

    // Creation of the controller window.
    void Create();
    bool closing() const { return closing_; }

    void UpdateTrayIcon();
    void BlinkTrayIcon();
    void WaitMs(uint32_t ms);

    void DoConnected();
    void DoDisconnected();

    void ResetDestinationMenus();

    void ConnectAction();
    void DisconnectAction();
    void TrayDisconnectClick();

    // A second copy's message. A quit request exits once the router has reported the line down.
    void OnInstanceCommand(uint32_t command);

    // Closes the setup utility's dialogs after the router reported a connect or disconnect.
    void CloseSetupDialogs();

    // A datagram on the syslog port, with its sender's address as dotted text.
    void OnSyslogDatagram(const std::string& sender, std::string bytes);
    // Follows the router's report that its default destination is now `tag` (1 to 4).
    void ApplySwitchReport(int tag);
    // Writes the IP page from the connect template; false when it could not.
    bool MakeIPPage();
    // Uploads by FTP (the settings window's buttons, the automatic uploads): the IP page, and the
    // disconnect page (false when it did not start: settings incomplete or another upload
    // running). The abort ends a running upload; the log keeps the last three results.
    void UploadConnectPage();
    bool UploadDisconnectPage();
    void AbortUpload();
    bool ftpUploading() const { return ftpUploading_; }
    const std::vector<std::u16string>& ftpLog() const { return ftpLog_; }

    // Tray commands of the logs and the address.
    void TraySyslogClick();
    void TrayEasylogClick();
    void TrayAILogClick();
    void TrayIPClick();

    // Line commands. IsVelkTool shows the error box when the file has no version resource.
    bool IsVelkTool(const std::string& path);
    // Whether the tool is VELK: nullopt (after the error box) when its version cannot be read.
    std::optional<bool> CheckVelkTool(const std::string& path);
    void RequestStatus();
    void FindRouter(const std::string& chosenTool);
    // The find request waits for the tool's answer; the settings window offers no other tool then.
    bool findingRouter() const { return findingRouter_; }
    void SetDefaultDestination(int destination);
    void BuildDestinationMenus(int current);
    void TrayConnectClick(int tag);
    // The settings window's destination popup: an item's click.
    void DestinationPopupClick(int tag);
    // First show and resume from suspend: the status request when the tool or library can answer.
    void FirstShowStatus();
    void ResumedFromSuspend();
    // The settings window's destination panel and popup: the four destinations (captions and
    // usable flags as the last list gave them) and the panel's tag (-1 while the list is unknown).
    const DestinationList& destinations() const { return destinations_; }
    int destinationPanelTag() const { return destinationPanelTag_; }
    // The settings window's destination popup: the four destinations as one radio group, an
    // unusable one disabled, the current one checked (item ids are the tags 1 to 4).
    std::vector<TrayMenuItem> DestinationPopup() const;

    // The settings window's "show the panel" box changed: while connected the panel follows, on
    // top when the panel's own "always on top" item is ticked now.
    void TimeShowCheckChanged();

    // The one-second tick.
    void TimerTimer();
    // Autorun entries due `waitedSeconds` after the WAN address arrived.
    void RunDueAutorunEntries(uint32_t waitedSeconds);
    void LaunchAutorunEntry(int index);
    // Copies on the LAN: the broadcast query, the answer to an asker, a datagram on the peer
    // port, and the end of the pause after each datagram sent.
    void StatusQuery();
    void StatusAnswer(const std::string& asker);
    void OnPeerDatagram(const std::string& sender, const std::string& payload);
    void PeerPauseOver();
    // A datagram on the time socket: the router's SNTP reply.
    void OnTimeDatagram(const std::string& sender, const std::string& payload);

    // The program is going down: waits that the user started must end.
    void MarkClosing() { closing_ = true; }

private:
    Shell& shell_;
    Settings& settings_;
    ControllerState state_;
    TrayMenus menus_;
    std::set<std::string> failingLogs_;
    bool closing_ = false;
    bool exitWhenDisconnected_ = false;
    DestinationList destinations_{};
    int destinationPanelTag_ = -1;
    // What the tray shows now, so that it is touched only when that changes.
    std::optional<TrayPicture> shownPicture_;
    std::optional<std::u16string> shownTip_;

    // Waits that are running (see RunningWait).
    bool statusBusy_ = false;
    bool findingRouter_ = false;
    bool closingDialogs_ = false;
    bool closeDialogsAgain_ = false;  // asked for again while they were being closed
    bool blinking_ = false;
    bool adjustingClock_ = false;
    bool disconnecting_ = false;

    std::deque<std::string> peerSendQueue_;  // addresses waiting for a query or an answer

    bool ftpUploading_ = false;
    std::vector<std::u16string> ftpLog_;

    void ShowTrayTip(const std::u16string& tip);
    void ShowTrayPicture(TrayPicture picture);
    void ReportFileError(const std::string& path, const std::u16string& error);
    void AdjustClockFromRouter();
    bool FtpSettingsComplete() const;
    bool BeginUpload();
    void EndUpload();
    int UploadFile(const std::string& localPath);
    void QueuePeerSend(const std::string& address);
    void SendNextPeerDatagram();
    void AppendMonthlyLog(const char* kind, const std::string& data, const std::string& prefix);
    void AppendLogLine(const std::string& path, const std::string& line);
    void OpenMonthlyLog(const char* kind, const char16_t* missingText);
};

}  // namespace zep
