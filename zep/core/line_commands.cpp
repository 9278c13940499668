// The line commands: the tool's command lines and the library's calls, the router's state read at
// start-up and after a resume, and the destination menus that the answers fill.
#include "line_commands.h"

#include <algorithm>

#include "controller.h"
#include "instance.h"
#include "log_files.h"
#include "texts_ja.h"

namespace zep {
namespace {

constexpr char16_t kToolBusyWindowClass[] = u"VELKForm";
constexpr char16_t kToolChangeWindowClass[] = u"TVELKForm";
constexpr char kToolName[] = "VELK";

uint32_t ReadLittle(std::string_view bytes, size_t offset, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        if (offset + i < bytes.size()) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string DefaultDestinationParameters(const std::string& address, int destination) {
    return "-i" + address + " -def1 " + std::to_string(destination - 1);
}

std::string StatusParameters(const std::string& address) { return "-i" + address + " -sts1 -w TZEPHiddenForm"; }

std::string FindParameters() { return "-find -w TZEPHiddenForm"; }

std::string DottedAddress(uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." + std::to_string((a >> 8) & 0xFF) +
           "." + std::to_string(a & 0xFF);
}

std::string DestinationFilePath(const std::string& toolPath) {
    const size_t dot = toolPath.rfind('.');
    const size_t slash = toolPath.find_last_of("\\:");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return toolPath + ".txt";
    return toolPath.substr(0, dot) + ".txt";
}

DestinationList DestinationsFromFile(std::string_view bytes) {
    DestinationList list{};
    size_t at = 0;
    for (Destination& d : list) {
        if (at >= bytes.size()) break;  // no more lines: unusable and unnamed
        size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(at, end - at);
        d.usable = !line.empty() && line[0] == '1';
        d.caption = line.size() > 2 ? std::string(line.substr(2)) : std::string();
        at = end;
        if (at < bytes.size() && bytes[at] == '\r') ++at;
        if (at < bytes.size() && bytes[at] == '\n') ++at;
    }
    return list;
}

int BufferCurrentDestination(std::string_view buffer) {
    return static_cast<int>(ReadLittle(buffer, kBufferCurrentDestination, 2));
}

DestinationList DestinationsFromBuffer(std::string_view buffer) {
    DestinationList list{};
    for (size_t i = 0; i < list.size(); ++i) {
        list[i].usable = ReadLittle(buffer, kBufferUsable + 2 * i, 2) != 0;
        const size_t offset = kBufferNames + kBufferNameSize * i;
        if (offset >= buffer.size()) continue;
        const std::string_view field = buffer.substr(offset, kBufferNameSize);  // 40 bytes, 0 when shorter
        list[i].caption = std::string(field.substr(0, std::min(field.find('\0'), field.size())));
    }
    return list;
}

CountdownTick CountdownAt(uint32_t elapsedMs) {
    const int64_t t = elapsedMs / 100;  // tenths of a second
    CountdownTick tick;
    tick.gauge = static_cast<int>(std::min<int64_t>(t, 100));
    tick.remaining = static_cast<int>(std::max<int64_t>((109 - t) / 10, 0));
    tick.attention = t % 5 == 0;
    tick.accept = t >= 100;
    return tick;
}

int64_t MillisecondsBetween(const LocalDateTime& earlier, const LocalDateTime& later) {
    return (SecondsSinceEpoch(later) - SecondsSinceEpoch(earlier)) * 1000;
}

std::optional<bool> Controller::CheckVelkTool(const std::string& path) {
    if (!shell_.FileExists(path)) return false;
    const std::optional<std::string> name = shell_.VersionInternalName(path);
    if (!name) {
        shell_.ShowBox(BoxKind::Error, text::kNoVersionInfo);
        return std::nullopt;
    }
    return Trimmed(*name) == kToolName;
}

bool Controller::IsVelkTool(const std::string& path) { return CheckVelkTool(path).value_or(false); }

void Controller::FirstShowStatus() {
    if (IsVelkTool(settings_.SetupUtility)) RequestStatus();
}

void Controller::ResumedFromSuspend() {
    const std::optional<bool> velk = CheckVelkTool(settings_.SetupUtility);
    if (!velk) return;  // the version could not be read: the step stops with the error box
    if (*velk || settings_.UseMRLDll) RequestStatus();
}

void Controller::RequestStatus() {
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
        if (closing_) return;
        status = reply.WParam;
        destination = static_cast<int>(reply.LParam);
    }
    if (ElapsedMs(shell_.TickCount(), noted) > kStatusReplyWaitMs) return;

    if (status == kStatusLineUp) {
        DoConnected();
        state_.LineNumber = 1;
        if (settings_.UseBeforeCon) {
            const LocalDateTime now = shell_.LocalNow();
            const LocalDateTime since = shell_.ReadBeforeConTime(now);
            // A stored start in the future (the clock was set back) counts from now; the tick
            // count cannot reach back further than half its range.
            const int64_t m = std::clamp<int64_t>(MillisecondsBetween(since, now), 0, INT32_MAX);
            state_.ConnectStartTick = state_.IPAssignedTick = shell_.TickCount() - static_cast<uint32_t>(m);
        }
        if (settings_.ZEPConRequest) StatusQuery();
    }
    if (status == kStatusLineDown) DoDisconnected();
    if (destination >= 1) BuildDestinationMenus(destination);
}

void Controller::FindRouter(const std::string& chosenTool) {
    if (findingRouter_) return;  // the settings window offers no other tool meanwhile
    RunningWait running(findingRouter_);
    if (!IsVelkTool(chosenTool)) {
        ResetDestinationMenus();
        return;
    }
    MessageRecord& reply = state_.LastStatusReply;
    reply.WParam = reply.LParam = 0;
    shell_.OpenProgram(chosenTool, FindParameters(), "");
    const uint32_t noted = shell_.TickCount();
    shell_.PumpMessages([&reply] { return reply.WParam != 0; }, kFindReplyWaitMs);
    if (closing_) return;
    if (ElapsedMs(shell_.TickCount(), noted) <= kFindReplyWaitMs && reply.WParam == kFindReply)
        settings_.IPAddress = DottedAddress(reply.LParam);
    RequestStatus();
}

void Controller::SetDefaultDestination(int destination) {
    if (destination < 1 || destination > 4) return;
    if (settings_.UseMRLDll) shell_.LibraryChangeSite(destination - 1);
    else
        shell_.OpenProgram(settings_.SetupUtility, DefaultDestinationParameters(settings_.IPAddress, destination), "");
}

void Controller::BuildDestinationMenus(int current) {
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

std::vector<TrayMenuItem> Controller::DestinationPopup() const {
    std::vector<TrayMenuItem> items;
    for (int n = 1; n <= 4; ++n) {
        const Destination& d = destinations_[n - 1];
        items.push_back({n, shell_.FromAnsi(d.caption), true, d.usable, n == destinationPanelTag_, true});
    }
    return items;
}

void Controller::DestinationPopupClick(int tag) {
    if (state_.Connected) {
        shell_.ShowBox(BoxKind::Error, text::kDestinationLockedWhileConnected);
        return;
    }
    SetDefaultDestination(tag);
}

void Controller::TrayConnectClick(int tag) {
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

}  // namespace zep
