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
    if (!shell_.SetTrayTip(text::kAppTitle)) BlinkTrayIcon();
    TrayPicture picture = state_.Connected ? (state_.SyslogHeard ? TrayPicture::ConnectData : TrayPicture::Connect)
                                           : (state_.SyslogHeard ? TrayPicture::DisconnectData : TrayPicture::Disconnect);
    shell_.SetTrayPicture(picture);
    shell_.SetTrayIconVisible(true);
}

void Controller::BlinkTrayIcon() {
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
    // The disconnect page goes up first; the upload returns when it is over. While another
    // upload runs (this request may come from inside its wait) it does not start, and the
    // disconnection is requested at once.
    if (state_.ConnectPageUploaded && settings_.FTPAutoDiscon) UploadDisconnectPage();
    if (settings_.UseMRLDll) shell_.LibraryDisconnect();
    else
        shell_.OpenProgram(settings_.SetupUtility, DisconnectParameters(settings_.IPAddress),
                           ToolFolder(settings_.SetupUtility));
}

void Controller::TrayDisconnectClick() {
    if (state_.DisconnectRequested) return;
    DisconnectAction();
    state_.DisconnectRequested = true;
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
    const uint32_t waits[] = {1000, 500, 500};
    for (size_t k = 0; k < 3; ++k) {
        WaitMs(waits[k]);
        if (closing_) return;
        std::vector<Shell::TopWindow> windows = shell_.TopLevelWindows();
        std::vector<std::u16string> titles;
        for (const auto& w : windows) titles.push_back(w.title);
        if (auto match = SetupDialogsToClose(titles)[k]) shell_.PostClose(windows[*match].handle);
    }
}

}  // namespace zep
