#include "schedule.h"

#include <algorithm>

#include "autorun.h"
#include "controller_state.h"
#include "date_time.h"
#include "line_commands.h"
#include "settings.h"
#include "shell.h"
#include "texts_ja.h"
#include "tick_count.h"
#include "tray_icon.h"

namespace zep {
namespace {

std::u16string Ascii16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

CountdownTick CountdownAt(uint32_t elapsedMs) {
    const int64_t t = elapsedMs / 100;  // tenths of a second
    CountdownTick tick;
    tick.gauge = static_cast<int>(std::min<int64_t>(t, 100));
    tick.remaining = static_cast<int>(std::max<int64_t>((109 - t) / 10, 0));
    tick.attention = t % 5 == 0;
    tick.accept = t >= 100;
    return tick;
}

void Schedule::TimerTimer() {
    if (state_.SyslogHeard) {
        state_.SyslogHeard = false;
        tray_.UpdateTrayIcon();
    }
    const Settings& s = settings_;
    if (state_.Connected) {
        const std::string elapsed = FormatElapsed(ElapsedMs(shell_.TickCount(), state_.ConnectStartTick) / 1000);
        shell_.SetTimePanelText(elapsed);
        tray_.ShowTrayTip(text::kTipConnectedPrefix + Ascii16(elapsed));

        if (s.AutoDisconnect && !state_.DisconnectRequested) {
            const LocalDateTime now = shell_.LocalNow();
            if (now.hour == s.AutoDisconnectHour && now.minute == s.AutoDisconnectMinute)
                lineCommands_.TrayDisconnectClick();
        }
        if (!state_.WanIP.empty()) {
            RunDueAutorunEntries(ElapsedMs(shell_.TickCount(), state_.IPAssignedTick) / 1000);
            const int64_t c = ElapsedMs(shell_.TickCount(), state_.ConnectStartTick) / 1000;
            if (!state_.StartedInAutoWindow && state_.ElapsedDisconnectArmed && s.AutoTimeDisconnect &&
                c >= int64_t{s.AutoTimeDisconnectSecond} * state_.ElapsedDisconnectRound - 10)
                OfferDisconnect();
        }
    } else {
        if (s.AutoConnect && !state_.AutoConnectFired) {
            const LocalDateTime now = shell_.LocalNow();
            if (now.hour == s.AutoConnectHour && now.minute == s.AutoConnectMinute) {
                state_.AutoConnectFired = true;
                state_.AutoConnectFiredTick = shell_.TickCount();
                lineCommands_.ScheduledConnect();
            }
        }
        if (state_.AutoConnectFired && ElapsedMs(shell_.TickCount(), state_.AutoConnectFiredTick) > 60000)
            state_.AutoConnectFired = false;
    }
}

// The connected time is nearly up: the countdown dialog asks whether to disconnect.
void Schedule::OfferDisconnect() {
    const Settings& s = settings_;
    state_.ElapsedDisconnectArmed = false;
    const std::u16string message = text::kCountdownMessageHead + Ascii16(std::to_string(s.AutoTimeDisconnectSecond)) +
                                   text::kCountdownMessageTail + u"\r\n" + text::kCountdownQuestion;
    const uint32_t connection = state_.ConnectStartTick;
    shell_.InformationBeep();
    const bool accepted = shell_.ShowCountdown(text::kCountdownCaption, message, text::kCountdownAccept);
    // The dialog's answer is for the connection it was shown for: one that ended, or was replaced,
    // while it counted is left alone.
    const bool sameConnection = state_.Connected && state_.ConnectStartTick == connection;
    if (accepted) {
        if (sameConnection) lineCommands_.TrayDisconnectClick();
    } else if (s.AutoTimeAgainCheck && sameConnection) {
        state_.ElapsedDisconnectArmed = true;
        state_.ElapsedDisconnectRound += 1;
    }
}

void Schedule::RunDueAutorunEntries(uint32_t waitedSeconds) {
    for (int i = 0; i < kAutorunCount; ++i) {
        TAutorunType& e = settings_.Autorun[i];
        if (e.Name.empty()) break;
        if (e.Launched || !e.Use || int64_t{waitedSeconds} < e.Wait) continue;
        if (e.OnlyAuto && !state_.StartedInAutoWindow) continue;  // stays due
        LaunchAutorunEntry(i);
    }
}

void Schedule::LaunchAutorunEntry(int index) {
    TAutorunType& e = settings_.Autorun[index];
    // Marked first: opening a document can run a message loop of its own (its association), and
    // a tick inside it must not start the entry a second time. Started or not, it counts as
    // started for this connection, so it is never tried again every second.
    e.Launched = true;
    if (e.FileName == kWindowCommand) {
        // A number that is not hexadecimal cannot be posted; the user was told when it was saved.
        if (std::optional<uint32_t> command = WindowCommandNumber(e.Work))
            shell_.PostWindowCommand(e.Parameter, *command);
    } else {
        shell_.OpenProgram(e.FileName, e.Parameter, e.Work);
    }
}

}  // namespace zep
