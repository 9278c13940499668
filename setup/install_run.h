// The installation run started by OK.
#pragma once
#include <string>

#include "go2.h"
#include "run_progress.h"
#include "setup_app.h"
#include "user_launch.h"

namespace setup {

// Whether the install folder in the window may be used, asked before anything is done: a text
// that names no usable folder is refused with a message; per-machine, so is an existing folder
// that others own or may write; another product's setup in it is replaced only when the user says so.
bool InstallFolderAccepted(SetupApp& app, const RunChoices& choices, RunProgress& progress);
// Whether the install folder's drive has room for the files to copy; a message says when not.
bool RoomForFiles(SetupApp& app, const RunChoices& choices, RunProgress& progress);
// False when, per machine, the install folder was refused once it was there (another user made it
// after it was accepted): the message has been shown and nothing was done.
bool RunInstallation(SetupApp& app, const RunChoices& choices, RunProgress& progress);
// The Go2 entries "Make" (after installation) or "Erase" (at the start of removal); with `asUser`,
// their commands start as the desktop's user would start them.
void RunGo2Entries(SetupApp& app, RunProgress& progress, Go2Kind kind, UserLaunches* asUser = nullptr);

}  // namespace setup
