#include "line_commands.h"

#include <algorithm>

#include "ansi_text.h"
#include "connection.h"
#include "controller_state.h"
#include "library_record.h"
#include "page_upload.h"
#include "paths.h"
#include "peers.h"
#include "settings.h"
#include "shell.h"
#include "texts_ja.h"
#include "tick_count.h"
#include "window_messages.h"

namespace zep {
namespace {

constexpr char16_t kToolBusyWindowClass[] = u"VELKForm";
constexpr char16_t kToolChangeWindowClass[] = u"TVELKForm";
constexpr char kToolName[] = "VELK";

}  // namespace

std::string ConnectParameters(const std::string& address) { return "-i" + address + " -con1"; }

std::string DisconnectParameters(const std::string& address) { return "-i" + address + " -cut1"; }

std::string DefaultDestinationParameters(const std::string& address, int destination) {
    return "-i" + address + " -def1 " + std::to_string(destination - 1);
}

std::string StatusParameters(const std::string& address) {
    return "-i" + address + " -sts1 -w " + kControllerClassName;
}

std::string FindParameters() { return std::string("-find -w ") + kControllerClassName; }

std::string DottedAddress(uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." + std::to_string((a >> 8) & 0xFF) +
           "." + std::to_string(a & 0xFF);
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

// The connect request, by the library or by the tool started in `workingFolder`.
void LineCommands::StartConnect(const std::string& workingFolder) {
    if (settings_.UseMRLDll) shell_.LibraryConnect();
    else shell_.OpenProgram(settings_.SetupUtility, ConnectParameters(settings_.IPAddress), workingFolder);
}

void LineCommands::ConnectAction() {
    StartConnect("");
    state_.StartedInAutoWindow = false;
    state_.ElapsedDisconnectArmed = true;
    state_.ConnectPageUploaded = false;
}

void LineCommands::ScheduledConnect() {
    StartConnect(FolderWithSlash(settings_.SetupUtility));
    state_.ConnectPageUploaded = false;
}

void LineCommands::DisconnectAction() {
    // Asked again while this action uploads the disconnect page: its own request covers that.
    if (disconnecting_) return;
    RunningWait running(disconnecting_);
    // The disconnect page goes up first; the upload returns when it is over. While the connect
    // page's upload runs (this request may come from inside its wait) it does not start, and the
    // disconnection is requested at once.
    if (state_.ConnectPageUploaded && settings_.FTPAutoDiscon) pageUpload_.UploadDisconnectPage();
    if (settings_.UseMRLDll) shell_.LibraryDisconnect();
    else
        shell_.OpenProgram(settings_.SetupUtility, DisconnectParameters(settings_.IPAddress),
                           FolderWithSlash(settings_.SetupUtility));
}

void LineCommands::TrayDisconnectClick() {
    if (state_.DisconnectRequested) return;
    // Set before the action, whose upload waits: a tick of the daily disconnect or a second click
    // inside it finds the request made. It stays only while the line is still up afterwards; the
    // router's report of the disconnection, even one that came during the upload, ends it.
    state_.DisconnectRequested = true;
    DisconnectAction();
    if (!state_.Connected) state_.DisconnectRequested = false;
}

void LineCommands::TrayConnectClick(int tag) {
    if (tag < 1 || tag > 4) return;
    if (state_.DestinationListKnown && !menus_.ConnectItem(tag).checked) {
        if (state_.Connected) {
            shell_.ShowBox(BoxKind::Error, text::kDestinationLockedWhileConnected);
            return;
        }
        if (!shell_.AskYesNo(text::kCaptionConnect, text::kDefaultDestinationQuestion)) return;
        SetDefaultDestination(tag);
        if (!settings_.UseMRLDll) {
            // The tool's change window; this wait does not process messages.
            const uint32_t start = shell_.TickCount();
            while (shell_.TopWindowOfClassExists(kToolChangeWindowClass) &&
                   ElapsedMs(shell_.TickCount(), start) <= kDestinationChangeWaitMs)
                shell_.SleepMs(50);
        }
    }
    ConnectAction();
}

std::optional<bool> LineCommands::CheckVelkTool(const std::string& path) {
    if (!shell_.FileExists(path)) return false;
    const std::optional<std::string> name = shell_.VersionInternalName(path);
    if (!name) {
        shell_.ShowBox(BoxKind::Error, text::kNoVersionInfo);
        return std::nullopt;
    }
    return Trimmed(*name, " \t\r\n") == kToolName;
}

bool LineCommands::IsVelkTool(const std::string& path) { return CheckVelkTool(path).value_or(false); }

void LineCommands::FirstShowStatus() {
    if (IsVelkTool(settings_.SetupUtility)) RequestStatus();
}

void LineCommands::ResumedFromSuspend() {
    const std::optional<bool> velk = CheckVelkTool(settings_.SetupUtility);
    if (!velk) return;  // the version could not be read: the step stops with the error box
    if (*velk || settings_.UseMRLDll) RequestStatus();
}

void LineCommands::RequestStatus() {
    // One request at a time: a resume or a click inside the waits below must not clear the reply
    // that this request is waiting for.
    if (statusBusy_) return;
    RunningWait running(statusBusy_);

    uint32_t status = 0;
    int destination = 0;
    uint32_t noted = 0;
    if (settings_.UseMRLDll) {
        noted = shell_.TickCount();
        status = static_cast<uint32_t>(shell_.LibraryGetCondition());
        destination = BufferCurrentDestination(shell_.LibraryBuffer()) + 1;
    } else {
        MessageRecord& reply = state_.LastStatusReply;
        reply.WParam = reply.LParam = 0;
        // The tool's window is busy with a request of its own; a window that never closes gives
        // up the request instead of waiting for ever.
        if (!shell_.PumpMessages([this] { return !shell_.TopWindowOfClassExists(kToolBusyWindowClass); },
                                 kToolWindowWaitMs))
            return;
        shell_.OpenProgram(settings_.SetupUtility, StatusParameters(settings_.IPAddress), "");
        noted = shell_.TickCount();
        shell_.PumpMessages([&reply] { return reply.WParam != 0; }, kStatusReplyWaitMs);
        if (state_.Closing) return;
        status = reply.WParam;
        destination = static_cast<int>(reply.LParam);
    }
    if (ElapsedMs(shell_.TickCount(), noted) > kStatusReplyWaitMs) return;

    if (status == kStatusLineUp) {
        connection_.DoConnected();
        state_.LineNumber = 1;
        if (settings_.UseBeforeCon) {
            const LocalDateTime now = shell_.LocalNow();
            const LocalDateTime since = shell_.ReadBeforeConTime(now);
            // A stored start in the future (the clock was set back) counts from now; durations
            // are unsigned 32-bit tick differences, so the line's time reaches back 49.7 days at
            // most (a connection that long wraps as every tick difference does).
            const int64_t m = std::clamp<int64_t>(MillisecondsBetween(since, now), 0, UINT32_MAX);
            state_.ConnectStartTick = state_.IPAssignedTick = shell_.TickCount() - static_cast<uint32_t>(m);
        }
        if (settings_.ZEPConRequest) peers_.StatusQuery();
    }
    if (status == kStatusLineDown) connection_.DoDisconnected();
    if (destination >= 1) BuildDestinationMenus(destination);
}

void LineCommands::FindRouter(const std::string& chosenTool) {
    if (findingRouter_) return;  // the settings window offers no other tool meanwhile
    RunningWait running(findingRouter_);
    const std::optional<bool> velk = CheckVelkTool(chosenTool);
    if (!velk) return;  // the version could not be read: the step stops with the error box
    if (!*velk) {
        ResetDestinationMenus();
        return;
    }
    MessageRecord& reply = state_.LastStatusReply;
    reply.WParam = reply.LParam = 0;
    shell_.OpenProgram(chosenTool, FindParameters(), "");
    const uint32_t noted = shell_.TickCount();
    shell_.PumpMessages([&reply] { return reply.WParam != 0; }, kFindReplyWaitMs);
    if (state_.Closing) return;
    if (ElapsedMs(shell_.TickCount(), noted) <= kFindReplyWaitMs && reply.WParam == kFindReply)
        settings_.IPAddress = DottedAddress(reply.LParam);
    RequestStatus();
}

std::optional<bool> LineCommands::SwitchOnLibrary() {
    // The wait for the library's notice below handles messages: nothing starts a second switch
    // inside it.
    if (switchingOnLibrary_) return std::nullopt;
    RunningWait running(switchingOnLibrary_);
    auto refuse = [this](const std::u16string& message) {
        if (!message.empty()) shell_.ShowBox(BoxKind::Error, message);
        settings_.UseMRLDll = false;
        return false;
    };
    if (!shell_.LibraryBound()) return refuse(u"");
    state_.LastDllNotify = MessageRecord{};
    if (shell_.LibraryFind() < 0) return refuse(u"");
    const MessageRecord& notice = state_.LastDllNotify;
    const bool answered = shell_.PumpMessages([&notice] { return notice.Msg == WM_DLLNOTIFY; }, kLibraryNoticeWaitMs);
    // No notice within the bound counts as a router that was not found.
    if (!answered || static_cast<int32_t>(notice.WParam) < 0)
        return refuse(state_.Closing ? u"" : text::kMrlNotFound);
    const int32_t result = shell_.LibraryGetInformation();
    if (result < 0) {
        std::u16string message = text::kMrlInfoFailedPrefix;
        for (char c : std::to_string(result)) message += static_cast<char16_t>(c);
        return refuse(message + u")");
    }
    const RouterInformation router = ReadRouterInformation(shell_.LibraryBuffer());
    firmwareVersion_ = router.firmware;
    settings_.IPAddress = DottedAddress(router.address);
    shell_.RouterAddressChanged();
    if (router.firmware < kMinimumFirmware) return refuse(text::kMrlFirmwareTooOld);
    settings_.SetupUtility.clear();
    RequestStatus();
    return true;
}

void LineCommands::SetDefaultDestination(int destination) {
    if (destination < 1 || destination > 4) return;
    if (settings_.UseMRLDll) shell_.LibraryChangeSite(destination - 1);
    else
        shell_.OpenProgram(settings_.SetupUtility, DefaultDestinationParameters(settings_.IPAddress, destination), "");
}

void LineCommands::ResetDestinationMenus() {
    state_.DestinationListKnown = false;
    TrayMenuItem& first = menus_.ConnectItem(1);
    first.caption = text::kTrayConnect;
    first.visible = true;
    for (int tag = 2; tag <= 4; ++tag) menus_.ConnectItem(tag).visible = false;
    destinationPanelTag_ = -1;
    shell_.DestinationMenusChanged();
}

void LineCommands::BuildDestinationMenus(int current) {
    state_.DestinationListKnown = true;
    destinationPanelTag_ = current;
    if (settings_.UseMRLDll) {
        destinations_ = DestinationsFromBuffer(shell_.LibraryBuffer());
    } else {
        // A missing or short file leaves the destinations it does not name unusable and unnamed.
        const FileRead file = shell_.ReadWholeFile(DestinationFilePath(settings_.SetupUtility));
        destinations_ = DestinationsFromFile(file.bytes.value_or(std::string()));
    }
    for (int n = 1; n <= 4; ++n) {
        const Destination& d = destinations_[n - 1];
        if (n == current) state_.DefaultLineCaption = d.caption;
        TrayMenuItem& item = menus_.ConnectItem(n);
        item.caption = text::kTrayConnectPrefix + shell_.FromAnsi(d.caption);
        item.visible = d.usable;
        item.checked = n == current;
        item.radio = true;
    }
    shell_.DestinationMenusChanged();
}

void LineCommands::ApplySwitchReport(int tag) {
    if (tag < 1 || tag > 4) return;
    for (int t = 1; t <= 4; ++t) menus_.ConnectItem(t).checked = t == tag;  // one radio group
    // The settings window's destination menu has items only once the list is known; its check,
    // the panel's caption and the caption of the connection log follow the report then.
    if (!state_.DestinationListKnown) return;
    destinationPanelTag_ = tag;
    state_.DefaultLineCaption = destinations_[tag - 1].caption;
    shell_.DestinationMenusChanged();
}

std::vector<TrayMenuItem> LineCommands::DestinationPopup() const {
    std::vector<TrayMenuItem> items;
    for (int n = 1; n <= 4; ++n) {
        const Destination& d = destinations_[n - 1];
        items.push_back({n, shell_.FromAnsi(d.caption), true, d.usable, n == destinationPanelTag_, true});
    }
    return items;
}

void LineCommands::DestinationPopupClick(int tag) {
    if (state_.Connected) {
        shell_.ShowBox(BoxKind::Error, text::kDestinationLockedWhileConnected);
        return;
    }
    SetDefaultDestination(tag);
}

void LineCommands::CloseSetupDialogs() {
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
            shell_.WaitMs(waits[k]);
            if (state_.Closing) return;
            std::vector<Shell::TopWindow> windows = shell_.TopLevelWindows();
            std::vector<std::u16string> titles;
            for (const auto& w : windows) titles.push_back(w.title);
            if (auto match = SetupDialogsToClose(titles)[k]) shell_.PostClose(windows[*match].handle);
        }
    } while (closeDialogsAgain_);
}

}  // namespace zep
