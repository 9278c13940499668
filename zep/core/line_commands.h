// The line commands: the requests to the router maker's tools (the setup utility or VELK, started
// with command-line switches) or to its library, the router's state read at start-up and after a
// resume, the destination menus that the answers fill, and the closing of the setup utility's
// dialogs after the router's reports.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "controller_part.h"
#include "destinations.h"
#include "tray_menus.h"

namespace zep {

// Tool command lines: "-i" and the router address, then the request's switches.
std::string ConnectParameters(const std::string& address);
std::string DisconnectParameters(const std::string& address);
std::string DefaultDestinationParameters(const std::string& address, int destination);
std::string StatusParameters(const std::string& address);
std::string FindParameters();
// The router's LAN address of a find answer or the library's record, first octet in bits 31-24.
std::string DottedAddress(uint32_t address);

// Replies of the tool (message WM_STATUSREPLY): wParam of a status answer, and of a find answer.
inline constexpr uint32_t kStatusLineUp = 5;
inline constexpr uint32_t kStatusLineDown = 3;
inline constexpr uint32_t kFindReply = 256;

// Bounds of the waits for the tool.
inline constexpr uint32_t kStatusReplyWaitMs = 10000;
inline constexpr uint32_t kFindReplyWaitMs = 5000;
inline constexpr uint32_t kDestinationChangeWaitMs = 5000;
// The tool's own window delays a status request; a window that stays open longer than this
// abandons the request, as an unanswered one is.
inline constexpr uint32_t kToolWindowWaitMs = 30000;

// For each of the setup utility's title patterns, in order, the first window whose lower-cased
// title contains the lower-cased pattern (titles taken as read, at most 254 characters).
std::vector<std::optional<size_t>> SetupDialogsToClose(const std::vector<std::u16string>& titles);
std::u16string LowerTitle(std::u16string text);

class Connection;
class PageUpload;
class Peers;

class LineCommands : ControllerPart {
public:
    // The tool's and the library's answers move the connection; a line found up asks the peers,
    // a disconnect uploads the disconnect page first.
    LineCommands(const PartContext& context, Connection& connection, Peers& peers, PageUpload& pageUpload)
        : ControllerPart(context), connection_(connection), peers_(peers), pageUpload_(pageUpload) {}

    // The settings window's connect button and the tray's connect items (after their checks),
    // and the daily connect of the schedule, which starts the tool in its own folder.
    void ConnectAction();
    void ScheduledConnect();
    // The settings window's disconnect button; the tray, the schedule and a second copy's quit
    // come through TrayDisconnectClick, which notes the request while it runs.
    void DisconnectAction();
    void TrayDisconnectClick();
    void TrayConnectClick(int tag);

    // Whether the tool is VELK: nullopt (after the error box) when its version cannot be read.
    std::optional<bool> CheckVelkTool(const std::string& path);
    // The same, false when the version cannot be read.
    bool IsVelkTool(const std::string& path);
    void RequestStatus();
    // First show and resume from suspend: the status request when the tool or library can answer.
    void FirstShowStatus();
    void ResumedFromSuspend();
    // The settings window chose a new tool: VELK is asked for the router's address and state.
    void FindRouter(const std::string& chosenTool);
    // The find request waits for the tool's answer; the settings window offers no other tool then.
    bool findingRouter() const { return findingRouter_; }

    // The settings window switched the router maker's library on: the router search, its notice
    // and the router's information. True when the library is in use now; false after the error
    // box (UseMRLDll is off again); nullopt while an earlier switch still waits for its notice.
    std::optional<bool> SwitchOnLibrary();
    // The firmware version the library reported (the about box shows it).
    uint32_t firmwareVersion() const { return firmwareVersion_; }

    void SetDefaultDestination(int destination);
    void ResetDestinationMenus();
    void BuildDestinationMenus(int current);
    // Follows the router's report that its default destination is now `tag` (1 to 4).
    void ApplySwitchReport(int tag);
    // The settings window's destination panel and popup: the four destinations (captions and
    // usable flags as the last list gave them) and the panel's tag (-1 while the list is unknown).
    const DestinationList& destinations() const { return destinations_; }
    int destinationPanelTag() const { return destinationPanelTag_; }
    // The popup's items: the four destinations as one radio group, an unusable one disabled, the
    // current one checked (item ids are the tags 1 to 4); and an item's click.
    std::vector<TrayMenuItem> DestinationPopup() const;
    void DestinationPopupClick(int tag);

    // Closes the setup utility's dialogs after the router reported a connect or disconnect.
    void CloseSetupDialogs();

private:
    void StartConnect(const std::string& workingFolder);

    Connection& connection_;
    Peers& peers_;
    PageUpload& pageUpload_;

    DestinationList destinations_{};
    int destinationPanelTag_ = -1;
    uint32_t firmwareVersion_ = 0;
    // Waits that are running (see RunningWait).
    bool statusBusy_ = false;
    bool findingRouter_ = false;
    bool switchingOnLibrary_ = false;
    bool closingDialogs_ = false;
    bool closeDialogsAgain_ = false;  // asked for again while they were being closed
    bool disconnecting_ = false;
};

}  // namespace zep
