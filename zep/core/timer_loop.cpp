// The controller's one-second tick: the tray, the elapsed time, the daily connect and disconnect,
// the autorun entries and the disconnect offer after the set connected time.
#include "controller.h"
#include "instance.h"
#include "syslog_events.h"
#include "texts_ja.h"

namespace zep {
namespace {

std::u16string Ascii16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

void Controller::TimerTimer() {
    if (state_.SyslogHeard) {
        state_.SyslogHeard = false;
        UpdateTrayIcon();
    }
    const Settings& s = settings_;
    if (state_.Connected) {
        const std::string elapsed = FormatElapsed(ElapsedMs(shell_.TickCount(), state_.ConnectStartTick) / 1000);
        shell_.SetTimePanelText(elapsed);
        ShowTrayTip(text::kTipConnectedPrefix + Ascii16(elapsed));

        if (s.AutoDisconnect && !state_.DisconnectRequested) {
            const LocalDateTime now = shell_.LocalNow();
            if (now.hour == s.AutoDisconnectHour && now.minute == s.AutoDisconnectMinute) TrayDisconnectClick();
        }
        if (!state_.WanIP.empty()) {
            RunDueAutorunEntries(ElapsedMs(shell_.TickCount(), state_.IPAssignedTick) / 1000);
            const int64_t c = ElapsedMs(shell_.TickCount(), state_.ConnectStartTick) / 1000;
            if (!state_.StartedInAutoWindow && state_.ElapsedDisconnectArmed && s.AutoTimeDisconnect &&
                c >= int64_t{s.AutoTimeDisconnectSecond} * state_.ElapsedDisconnectRound - 10) {
                state_.ElapsedDisconnectArmed = false;
                const std::u16string message = text::kCountdownMessageHead +
                                                Ascii16(std::to_string(s.AutoTimeDisconnectSecond)) +
                                                text::kCountdownMessageTail + u"\r\n" + text::kCountdownQuestion;
                const uint32_t connection = state_.ConnectStartTick;
                shell_.InformationBeep();
                const bool accepted = shell_.ShowCountdown(text::kCountdownCaption, message, text::kCountdownAccept);
                // The dialog's answer is for the connection it was shown for: one that ended, or
                // was replaced, while it counted is left alone.
                const bool sameConnection = state_.Connected && state_.ConnectStartTick == connection;
                if (accepted) {
                    if (sameConnection) TrayDisconnectClick();
                } else if (settings_.AutoTimeAgainCheck && sameConnection) {
                    state_.ElapsedDisconnectArmed = true;
                    state_.ElapsedDisconnectRound += 1;
                }
            }
        }
    } else {
        if (s.AutoConnect && !state_.AutoConnectFired) {
            const LocalDateTime now = shell_.LocalNow();
            if (now.hour == s.AutoConnectHour && now.minute == s.AutoConnectMinute) {
                state_.AutoConnectFired = true;
                state_.AutoConnectFiredTick = shell_.TickCount();
                if (s.UseMRLDll) shell_.LibraryConnect();
                else shell_.OpenProgram(s.SetupUtility, ConnectParameters(s.IPAddress), ToolFolder(s.SetupUtility));
                state_.ConnectPageUploaded = false;
            }
        }
        if (state_.AutoConnectFired && ElapsedMs(shell_.TickCount(), state_.AutoConnectFiredTick) > 60000)
            state_.AutoConnectFired = false;
    }
}

}  // namespace zep
