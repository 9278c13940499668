// The exit code of a silent run: what deployment tools read to learn how it went.
#pragma once

namespace setup {

// The codes are the ones these tools already know from other installers.
enum ExitCode : int {
    kExitDone = 0,
    kExitRestartNeeded = 3010,      // done; a restart completes it
    kExitCancelled = 1602,          // cancelled, or the agreement was not accepted
    kExitFailed = 1603,             // files were not copied, setup not left behind, or the installed
                                    // setup that was to take over could not be started (nothing done)
    kExitAlreadyRunning = 1618,     // another setup of the product is running
    kExitElevationRefused = 1223,   // a per-machine run did not get administrator rights
    kExitFolderRefused = 267,       // the install folder was refused; nothing was done
    kExitNoRoom = 112,              // too little room on the install folder's drive; nothing was copied
    kExitBadCommandLine = 1639,     // a switch setup does not know
};

// What happened in a run, as its steps found it.
struct RunOutcome {
    bool badCommandLine = false;
    bool alreadyRunning = false;
    bool cancelled = false;  // includes an agreement not accepted
    bool folderRefused = false;
    bool noRoom = false;
    bool filesNotCopied = false;
    bool installedSetupNotStarted = false;
    bool restartNeeded = false;  // files wait for the restart to be replaced or deleted
};

// The one code for the outcome: what stopped the run before it did anything comes first, then a
// run that did not do everything, then the restart it needs.
int ExitCodeFor(const RunOutcome& outcome);

}  // namespace setup
