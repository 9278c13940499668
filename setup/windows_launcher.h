// Starting programs for the desktop's user: directly, or through the desktop shell's own process.
#pragma once
#include <windows.h>

#include "user_launch.h"

namespace setup {

// Starts a program or opens a document as the shell does, with this process's rights. With `process`,
// the started process's handle (null when the open went to a running program) is the caller's to
// wait for and close.
bool ShellStart(HWND owner, const LaunchRequest& request, HANDLE* process = nullptr);

class WindowsLauncher : public Launcher {
public:
    explicit WindowsLauncher(HWND owner) : owner_(owner) {}
    LaunchFacts Facts() override;
    bool StartDirect(const LaunchRequest& request) override { return ShellStart(owner_, request); }
    bool StartThroughShell(const LaunchRequest& request) override;

private:
    HWND owner_;
};

}  // namespace setup
