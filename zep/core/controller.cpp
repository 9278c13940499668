#include "controller.h"

#include "instance.h"
#include "texts_ja.h"

namespace zep {

bool InDailyWindow(int start, int end, int now) {
    if (end >= start) return start <= now && now <= end;
    return now >= start || now <= end;  // the window spans midnight
}

std::u16string CutTrayTip(const std::u16string& tip) { return tip.substr(0, kTrayTipLimit); }

std::string ConnectParameters(const std::string& address) { return "-i" + address + " -con1"; }
std::string DisconnectParameters(const std::string& address) { return "-i" + address + " -cut1"; }

std::string ToolFolder(const std::string& toolPath) {
    size_t slash = toolPath.rfind('\\');
    return slash == std::string::npos ? std::string() : toolPath.substr(0, slash + 1);
}

std::u16string LowerTitle(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
        else if (c >= u'\xFF21' && c <= u'\xFF3A') c = static_cast<char16_t>(c + 0x20);  // full-width A-Z
    }
    return text;
}

std::vector<std::optional<size_t>> SetupDialogsToClose(const std::vector<std::u16string>& titles) {
    static const char16_t* const kPatterns[] = {text::kSetupDialogPattern1, text::kSetupDialogPattern2,
                                                text::kSetupDialogPattern3};
    std::vector<std::optional<size_t>> chosen;
    for (const char16_t* pattern : kPatterns) {
        const std::u16string lowered = LowerTitle(pattern);
        std::optional<size_t> match;
        for (size_t i = 0; i < titles.size() && !match; ++i)
            if (LowerTitle(titles[i].substr(0, 254)).find(lowered) != std::u16string::npos) match = i;
        chosen.push_back(match);
    }
    return chosen;
}

void Controller::Create() {
    state_ = ControllerState{};
    state_.ConnectStartTick = shell_.TickCount();
    UpdateTrayIcon();
    state_.QueryBusy = false;
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
    menus_.Item(kTrayIP).enabled = false;
    shell_.SetTimePanelCopyEnabled(false);
    if (exitWhenDisconnected_) shell_.PostExitRequest();
}

void Controller::ResetDestinationMenus() {
    state_.DestinationListKnown = false;
    TrayMenuItem& first = menus_.ConnectItem(1);
    first.caption = text::kTrayConnect;
    first.visible = true;
    for (int tag = 2; tag <= 4; ++tag) menus_.ConnectItem(tag).visible = false;
    destinationPanelTag_ = -1;
    shell_.DestinationMenusChanged();
}

void Controller::ConnectAction() {
    if (settings_.UseMRLDll) shell_.LibraryConnect();
    else shell_.OpenProgram(settings_.SetupUtility, ConnectParameters(settings_.IPAddress), "");
    state_.StartedInAutoWindow = false;
    state_.ElapsedDisconnectArmed = true;
    state_.ConnectPageUploaded = false;
}

void Controller::DisconnectAction() {
    // Asked again while this action uploads the disconnect page: its own request covers that.
    if (disconnecting_) return;
    RunningWait running(disconnecting_);
    // The disconnect page goes up first; the upload returns when it is over. While the connect
    // page's upload runs (this request may come from inside its wait) it does not start, and the
    // disconnection is requested at once.
    if (state_.ConnectPageUploaded && settings_.FTPAutoDiscon) UploadDisconnectPage();
    if (settings_.UseMRLDll) shell_.LibraryDisconnect();
    else
        shell_.OpenProgram(settings_.SetupUtility, DisconnectParameters(settings_.IPAddress),
                           ToolFolder(settings_.SetupUtility));
}

void Controller::TrayDisconnectClick() {
    if (state_.DisconnectRequested) return;
    // Set before the action, whose upload waits: a tick of the daily disconnect or a second click
    // inside it finds the request made. It stays only while the line is still up afterwards; the
    // router's report of the disconnection, even one that came during the upload, ends it.
    state_.DisconnectRequested = true;
    DisconnectAction();
    if (!state_.Connected) state_.DisconnectRequested = false;
}

void Controller::OnInstanceCommand(uint32_t command) {
    BlinkTrayIcon();
    if (command != kInstanceQuit) return;
    DisconnectAction();
    // The wait for the router's report is not a nested message loop: a report that is still being
    // handled further down the stack (its dialog-closing waits) could then never finish. The exit
    // follows the disconnected transition instead, and closing the program otherwise ends it too.
    exitWhenDisconnected_ = true;
    if (!state_.Connected) shell_.PostExitRequest();
}

void Controller::CloseSetupDialogs() {
    // A router line that asks for this while the dialogs are being closed (it arrived during the
    // waits below) is merged into the running close: the dialogs are closed once more at its end.
    if (closingDialogs_) {
        closeDialogsAgain_ = true;
        return;
    }
    RunningWait running(closingDialogs_);
    const uint32_t waits[] = {1000, 500, 500};
    do {
        closeDialogsAgain_ = false;
        for (size_t k = 0; k < 3; ++k) {
            WaitMs(waits[k]);
            if (closing_) return;
            std::vector<Shell::TopWindow> windows = shell_.TopLevelWindows();
            std::vector<std::u16string> titles;
            for (const auto& w : windows) titles.push_back(w.title);
            if (auto match = SetupDialogsToClose(titles)[k]) shell_.PostClose(windows[*match].handle);
        }
    } while (closeDialogsAgain_);
}

void Controller::TimeShowCheckChanged() {
    if (!state_.Connected) return;  // the next connection shows it
    if (settings_.ShowTimePanel) shell_.ShowTimePanel(shell_.TimePanelStaysOnTop());
    else shell_.CloseTimePanel();
}

}  // namespace zep
