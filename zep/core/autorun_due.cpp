// The autorun entries that wait for the WAN address: which are due on a tick.
#include "autorun.h"
#include "controller.h"

namespace zep {

void Controller::RunDueAutorunEntries(uint32_t waitedSeconds) {
    for (int i = 0; i < kAutorunCount; ++i) {
        TAutorunType& e = settings_.Autorun[i];
        if (e.Name.empty()) break;
        if (e.Launched || !e.Use || int64_t{waitedSeconds} < e.Wait) continue;
        if (e.OnlyAuto && !state_.StartedInAutoWindow) continue;  // stays due
        LaunchAutorunEntry(i);
    }
}

void Controller::LaunchAutorunEntry(int index) {
    TAutorunType& e = settings_.Autorun[index];
    // Marked first: opening a document can run a message loop of its own (its association), and
    // a tick inside it must not start the entry a second time. Started or not, it counts as
    // started for this connection, so it is never tried again every second.
    e.Launched = true;
    if (e.FileName == kWindowCommand) {
        // A number that is not hexadecimal cannot be posted; the user was told when it was saved.
        if (std::optional<uint32_t> command = WindowCommandNumber(e.Work))
            shell_.PostWindowCommand(e.Parameter, *command);
    } else {
        shell_.OpenProgram(e.FileName, e.Parameter, e.Work);
    }
}

}  // namespace zep
