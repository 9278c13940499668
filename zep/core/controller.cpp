#include "controller.h"

#include "instance.h"
#include "texts_ja.h"
#include "window_messages.h"

namespace zep {

ControllerPart::ControllerPart(Controller& controller)
    : controller_(controller),
      shell_(controller.shell_),
      settings_(controller.settings_),
      state_(controller.state_),
      menus_(controller.menus_) {}

Controller::Controller(Shell& shell, Settings& settings) : shell_(shell), settings_(settings) {}

void Controller::Create() {
    state_ = ControllerState{};
    state_.ConnectStartTick = shell_.TickCount();
    UpdateTrayIcon();
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

void Controller::UpdateTrayIcon() {
    ShowTrayTip(text::kAppTitle);
    ShowTrayPicture(state_.Connected ? (state_.SyslogHeard ? TrayPicture::ConnectData : TrayPicture::Connect)
                                     : (state_.SyslogHeard ? TrayPicture::DisconnectData : TrayPicture::Disconnect));
    shell_.SetTrayIconVisible(true);
}

// The tray is touched only when what it shows changes: every router line runs UpdateTrayIcon, and
// each change is a round trip to the notification area.
void Controller::ShowTrayTip(const std::u16string& tip) {
    if (shownTip_ == tip) return;
    shownTip_ = tip;  // a refused tip comes with the icon that the blink adds anew
    if (!shell_.SetTrayTip(tip)) BlinkTrayIcon();
}

void Controller::ShowTrayPicture(TrayPicture picture) {
    if (shownPicture_ == picture) return;
    shownPicture_ = picture;
    shell_.SetTrayPicture(picture);
}

void Controller::BlinkTrayIcon() {
    if (blinking_) return;  // the icon is being added anew already
    RunningWait running(blinking_);
    shell_.SetTrayIconVisible(false);
    WaitMs(500);
    shell_.SetTrayIconVisible(true);
}

void Controller::EnableAddressCopy(bool enabled) {
    menus_.Item(kTrayIP).enabled = enabled;
    shell_.SetTimePanelCopyEnabled(enabled);
}

void Controller::TrayIPClick() {
    if (!state_.WanIP.empty()) shell_.CopyToClipboard(state_.WanIP);
}

void Controller::WaitMs(uint32_t ms) {
    shell_.PumpMessages([] { return false; }, ms);
}

void Controller::DoConnected() {
    const LocalDateTime now = shell_.LocalNow();
    const Settings& s = settings_;
    state_.StartedInAutoWindow = InDailyWindow(HourMinute(s.AutoConnectHour, s.AutoConnectMinute),
                                               HourMinute(s.AutoDisconnectHour, s.AutoDisconnectMinute),
                                               HourMinute(now.hour, now.minute));
    state_.ConnectStartTick = state_.IPAssignedTick = shell_.TickCount();
    if (s.ShowTimePanel) shell_.ShowTimePanel(true);
    state_.Connected = true;
    state_.WanIP.clear();
    state_.ElapsedDisconnectRound = 1;
    for (TAutorunType& e : settings_.Autorun) e.Launched = false;
    UpdateTrayIcon();
}

void Controller::DoDisconnected() {
    shell_.CloseTimePanel();
    state_.Connected = false;
    state_.DisconnectRequested = false;
    state_.WanIP.clear();
    for (TAutorunType& e : settings_.Autorun) e.Launched = false;
    UpdateTrayIcon();
    state_.StartedInAutoWindow = false;
    EnableAddressCopy(false);
    if (exitWhenDisconnected_) shell_.PostExitRequest();
}

void Controller::OnInstanceCommand(uint32_t command) {
    BlinkTrayIcon();
    if (command != kInstanceQuit) return;
    lineCommands_.DisconnectAction();
    // The wait for the router's report is not a nested message loop: a report that is still being
    // handled further down the stack (its dialog-closing waits) could then never finish. The exit
    // follows the disconnected transition instead, and closing the program otherwise ends it too.
    exitWhenDisconnected_ = true;
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

void Controller::ReportFileError(const std::string& path, const std::u16string& error) {
    shell_.ShowBox(BoxKind::Error, shell_.FromAnsi(path) + u"\r\n" + error);
}

}  // namespace zep
