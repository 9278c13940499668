#include "controller.h"

#include "instance.h"
#include "texts_ja.h"
#include "window_messages.h"

namespace zep {

Controller::Controller(Shell& shell, Settings& settings) : shell_(shell), settings_(settings) {}

void Controller::Create() {
    state_ = ControllerState{};
    state_.ConnectStartTick = shell_.TickCount();
    tray_.UpdateTrayIcon();
    state_.QueryBusy = false;
}

void Controller::FirstShow() {
    if (!state_.FirstShowPending) return;
    lineCommands_.ResetDestinationMenus();
    state_.FirstShowPending = false;
    shell_.LoadSettings();
    logs_.CheckAccessLogViewer();
    shell_.SettingsLoaded();
    logs_.RenameOldAccessLog();
    if (!shell_.FileExists(settings_.SetupUtility) && !settings_.UseMRLDll) {
        shell_.ShowBox(BoxKind::Information, text::kFirstShowInfo);
        shell_.ShowSettingsWindow();
    }
    lineCommands_.FirstShowStatus();
}

void Controller::OnInstanceCommand(uint32_t command) {
    tray_.BlinkTrayIcon();
    if (command != kInstanceQuit) return;
    lineCommands_.DisconnectAction();
    // The wait for the router's report is not a nested message loop: a report that is still being
    // handled further down the stack (its dialog-closing waits) could then never finish. The exit
    // follows the disconnected transition instead, and closing the program otherwise ends it too.
    connection_.ExitWhenDisconnected();
    if (!state_.Connected) shell_.PostExitRequest();
}

void Controller::OnStatusReply(uint32_t wParam, uint32_t lParam) {
    state_.LastStatusReply = {WM_STATUSREPLY, wParam, lParam, 0};
}

void Controller::OnLibraryNotify(uint32_t wParam, uint32_t lParam) {
    state_.LastDllNotify = {WM_DLLNOTIFY, wParam, lParam, 0};
}

void Controller::TimeShowCheckChanged() {
    if (!state_.Connected) return;  // the next connection shows it
    if (settings_.ShowTimePanel) shell_.ShowTimePanel(shell_.TimePanelStaysOnTop());
    else shell_.CloseTimePanel();
}

}  // namespace zep
