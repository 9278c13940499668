#include "user_launch.h"

#include "case_fold.h"
#include "paths.h"

namespace setup {

namespace {

bool SameRights(const ProcessRights& a, const ProcessRights& b) {
    return a.account == b.account && a.elevated == b.elevated && a.localSystem == b.localSystem;
}

}  // namespace

LaunchWay ChooseLaunchWay(const LaunchFacts& facts) {
    // The system's account is never the desktop's user, even when it is the only one there.
    const bool userShell = facts.shell && !facts.shell->localSystem;
    if (!facts.setup.elevated && !facts.setup.localSystem) return LaunchWay::Direct;
    if (userShell && SameRights(facts.setup, *facts.shell)) return LaunchWay::Direct;
    if (userShell) return LaunchWay::ThroughShell;
    return LaunchWay::NotStarted;
}

LaunchOutcome UserLaunches::Start(const LaunchRequest& request) {
    switch (way_) {
    case LaunchWay::Direct:
        return launcher_.StartDirect(request) ? LaunchOutcome::Started : LaunchOutcome::Failed;
    case LaunchWay::ThroughShell:
        // A shell that does not take it leaves the program unstarted: never fall back to setup's rights.
        if (launcher_.StartThroughShell(request)) return LaunchOutcome::Started;
        break;
    case LaunchWay::NotStarted:
        break;
    }
    deferred_.push_back(request.file);
    return LaunchOutcome::Deferred;
}

std::wstring UserLaunches::DeferredMessage(const Texts& texts) const {
    if (deferred_.empty()) return L"";
    std::wstring message = texts.notStartedAsUser;
    for (const std::wstring& file : deferred_) {
        std::wstring name = LeafName(file);
        if (!name.empty() && name.back() == L'"') name.pop_back();  // a quoted Go2 command
        if (name.size() > 4 && EqualNoCase(std::wstring_view(name).substr(name.size() - 4), L".lnk"))
            name.resize(name.size() - 4);  // a LastGo shortcut by its name
        message += name + L"\n";
    }
    return message + texts.startsAtNextLogon;
}

}  // namespace setup
