#include "router_events.h"

#include "ansi_text.h"
#include "connection.h"
#include "controller_state.h"
#include "line_commands.h"
#include "log_writer.h"
#include "page_upload.h"
#include "settings.h"
#include "shell.h"
#include "tray_icon.h"
#include "sntp.h"
#include "syslog_events.h"
#include "texts_ja.h"
#include "tick_count.h"

namespace zep {

void RouterEvents::OnSyslogDatagram(const std::string& sender, std::string raw) {
    if (sender != settings_.IPAddress) return;
    if (raw.size() > kSyslogDatagramLimit) raw.resize(kSyslogDatagramLimit);
    state_.SyslogHeard = true;
    tray_.UpdateTrayIcon();

    const std::string lowered = LowerAnsi(raw);
    const SyslogEvents events = RecogniseSyslog(lowered);
    if (events.ntpAdjusted) AdjustClockFromRouter();
    if (events.lineSwitched) lineCommands_.ApplySwitchReport(SwitchReportTag(lowered));
    // A log line that cannot be written is reported, but the router's events still move the
    // state: the tray must not show a line that the router has taken down.
    if (settings_.Syslog) logs_.AppendSyslogLine(raw);

    if (events.connected) {
        shell_.SaveBeforeConTime(shell_.LocalNow());
        connection_.DoConnected();
        state_.LineNumber = LineNumberOfConnect(lowered, state_.LineNumber);
    }
    // An IP line whose address is not one (a host on the LAN can forge the router's lines) is
    // only logged: the page, the clipboard and the peers' answers keep what they had.
    std::string wanIP = events.ipAssigned ? ExtractWanIP(lowered) : std::string();
    if (!wanIP.empty()) {
        state_.IPAssignedTick = shell_.TickCount();
        state_.WanIP = std::move(wanIP);
        tray_.EnableAddressCopy(true);
        if (settings_.WaveConnect) shell_.PlaySoundFile(settings_.WaveConnectFile);
        if (settings_.HTMLAutoCreate && pageUpload_.MakeIPPage() && settings_.FTPAutoConnect &&
            (!settings_.FTPAutoConnectOnly || state_.StartedInAutoWindow))
            pageUpload_.UploadConnectPage();
    }
    if (events.requestAccepted && settings_.DialogClose) lineCommands_.CloseSetupDialogs();
    if (events.disconnected) {
        if (state_.Connected) logs_.AppendConnectionLines();
        if (settings_.DialogClose) lineCommands_.CloseSetupDialogs();
        shell_.SaveBeforeConTime(LocalDateTime{});
        if (settings_.WaveDisconnect) shell_.PlaySoundFile(settings_.WaveDisconnectFile);
        connection_.DoDisconnected();
    }
}

void RouterEvents::AdjustClockFromRouter() {
    if (!settings_.UseSNTP) return;
    // Another NTP line during the wait below is merged into it: the reply it waits for serves both.
    if (adjustingClock_) return;
    RunningWait running(adjustingClock_);
    state_.SntpReply.clear();
    sntpTransmit_ = shell_.RandomNumber();
    if (sntpTransmit_ == 0) sntpTransmit_ = 1;  // a zero originate is what a careless server sends
    shell_.SendTimeRequest(settings_.IPAddress, SntpRequest(sntpTransmit_));
    const uint32_t sent = shell_.TickCount();
    shell_.PumpMessages([this] { return !state_.SntpReply.empty(); }, kSntpReplyWaitMs);
    if (state_.Closing || ElapsedMs(shell_.TickCount(), sent) >= kSntpReplyWaitMs) return;
    const std::optional<UtcTime> utc = SntpTransmitTime(state_.SntpReply);
    if (!utc || shell_.SetSystemClock(*utc) || clockRefusalShown_) return;
    // Said once a run, in a balloon: the router's NTP lines come again and again.
    clockRefusalShown_ = true;
    shell_.ShowTrayNotice(text::kClockNotSetTitle, text::kClockNotSet);
}

// Only the router's port 123 answers, and only with a reply to the request awaited now; anything
// else (a host on the LAN that forges the router's address, a reply after the wait) is dropped
// and the wait goes on.
void RouterEvents::OnTimeDatagram(const std::string& sender, uint16_t port, const std::string& payload) {
    if (adjustingClock_ && sender == settings_.IPAddress && port == kSntpPort &&
        SntpReplyAnswers(payload, sntpTransmit_))
        state_.SntpReply = payload;
}

}  // namespace zep
