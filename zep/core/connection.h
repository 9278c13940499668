// The connected and disconnected transitions: the connection's start, the panel, the autorun
// entries armed anew, the tray; and the exit that waits for the router to report the line down.
#pragma once

#include "controller_part.h"

namespace zep {

class TrayIcon;

// Clock time of day as hour * 100 + minute.
inline int HourMinute(int hour, int minute) { return hour * 100 + minute; }
// Whether `now` lies in the daily window from `start` to `end` (both inclusive), which may span
// midnight.
bool InDailyWindow(int start, int end, int now);

class Connection : ControllerPart {
public:
    Connection(const PartContext& context, TrayIcon& tray) : ControllerPart(context), tray_(tray) {}

    void DoConnected();
    void DoDisconnected();
    // The program exits at the next disconnected transition.
    void ExitWhenDisconnected() { exitWhenDisconnected_ = true; }

private:
    TrayIcon& tray_;
    bool exitWhenDisconnected_ = false;
};

}  // namespace zep
