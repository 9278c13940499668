#include "exit_codes.h"

namespace setup {

int ExitCodeFor(const RunOutcome& outcome) {
    if (outcome.badCommandLine) return kExitBadCommandLine;
    if (outcome.alreadyRunning) return kExitAlreadyRunning;
    if (outcome.cancelled) return kExitCancelled;
    if (outcome.folderRefused) return kExitFolderRefused;
    if (outcome.noRoom) return kExitNoRoom;
    if (outcome.filesNotCopied || outcome.installedSetupNotStarted) return kExitFailed;
    if (outcome.restartNeeded) return kExitRestartNeeded;
    return kExitDone;
}

}  // namespace setup
