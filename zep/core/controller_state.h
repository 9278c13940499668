// The controller's state record: the fields of the controller window that its parts share, and
// the guard of the waits that process messages.
#pragma once
#include <cstdint>
#include <string>

namespace zep {

struct MessageRecord {  // message, wParam, lParam, result
    uint32_t Msg = 0, WParam = 0, LParam = 0, Result = 0;
};

struct ControllerState {
    bool FirstShowPending = true;
    bool Closing = false;  // the program is going down: waits that the user started must end
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
    MessageRecord LastStatusReply;  // the tool's last WM_STATUSREPLY
    MessageRecord LastDllNotify;    // the library's last WM_DLLNOTIFY
    bool QueryBusy = false;
    bool ConnectPageUploaded = false;
    bool FtpAbortRequested = false;
    std::string SntpReply;
};

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

}  // namespace zep
