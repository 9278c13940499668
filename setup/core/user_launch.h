// The programs an installation opens at its end run as the desktop's user would start them, never
// with an elevated setup's rights: started directly when setup holds no more rights than the
// desktop's shell, through the shell's own process when it does, and not at all when neither can
// be done (they start at the next logon from their Startup shortcut).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "go2.h"
#include "texts.h"

namespace setup {

// The rights a process runs with.
struct ProcessRights {
    std::wstring account;     // the account's SID as text
    bool elevated = false;    // an elevated administrator's token
    bool localSystem = false; // the system's own account
};

struct LaunchFacts {
    ProcessRights setup;
    std::optional<ProcessRights> shell;  // the desktop shell's process; none: none found or unreadable
};

enum class LaunchWay { Direct, ThroughShell, NotStarted };

LaunchWay ChooseLaunchWay(const LaunchFacts& facts);

struct LaunchRequest {
    std::wstring file, parameters;
    ShowState show = ShowState::Normal;
};

// What starting a program needs of the system.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual LaunchFacts Facts() = 0;
    virtual bool StartDirect(const LaunchRequest& request) = 0;
    // Hands the request to the desktop shell's process, which starts it with its own rights.
    virtual bool StartThroughShell(const LaunchRequest& request) = 0;
};

enum class LaunchOutcome { Started, Failed, Deferred };

// Starts the programs of one run as the desktop's user; the facts are asked once.
class UserLaunches {
public:
    explicit UserLaunches(Launcher& launcher) : launcher_(launcher), way_(ChooseLaunchWay(launcher.Facts())) {}

    // Deferred: not started because it would have run with setup's rights; noted for the message.
    LaunchOutcome Start(const LaunchRequest& request);

    // The closing message about what was not started; empty when everything was.
    std::wstring DeferredMessage(const Texts& texts) const;

private:
    Launcher& launcher_;
    LaunchWay way_;
    std::vector<std::wstring> deferred_;
};

}  // namespace setup
