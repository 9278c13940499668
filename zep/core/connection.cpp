#include "connection.h"

#include "controller_state.h"
#include "settings.h"
#include "shell.h"
#include "tray_icon.h"

namespace zep {

bool InDailyWindow(int start, int end, int now) {
    if (end >= start) return start <= now && now <= end;
    return now >= start || now <= end;  // the window spans midnight
}

void Connection::DoConnected() {
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
    tray_.UpdateTrayIcon();
}

void Connection::DoDisconnected() {
    shell_.CloseTimePanel();
    state_.Connected = false;
    state_.DisconnectRequested = false;
    state_.WanIP.clear();
    for (TAutorunType& e : settings_.Autorun) e.Launched = false;
    tray_.UpdateTrayIcon();
    state_.StartedInAutoWindow = false;
    tray_.EnableAddressCopy(false);
    if (exitWhenDisconnected_) shell_.PostExitRequest();
}

}  // namespace zep
