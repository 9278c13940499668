// Removal: the run started by OK in the installed state with the removal box checked, what follows
// once the window has closed, and the instance that removes setup itself.
#pragma once
#include "run_progress.h"
#include "setup_app.h"

namespace setup {

void RunRemoval(SetupApp& app, const RunChoices& choices, RunProgress& progress);
// After the message loop of a completed removal: hands over to the "remove" instance, or asks to
// restart when deletions wait for it.
void FinishRemoval(SetupApp& app);
// The "remove" instance: deletes this executable and its folder once setup has ended.
void RemoveSelf();

}  // namespace setup
