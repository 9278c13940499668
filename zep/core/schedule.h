// The controller's one-second tick and what it does by the clock: the tray and the elapsed time,
// the daily connect and disconnect, the autorun entries that wait for the WAN address, and the
// disconnect offer after the set connected time with its ten-second countdown.
#pragma once
#include <cstdint>

#include "controller_part.h"

namespace zep {

// One tick of the countdown dialog, `elapsedMs` after it was shown.
struct CountdownTick {
    int gauge = 0;          // 0 to 100
    int remaining = 10;     // seconds shown, never below 0
    bool attention = false; // bring the dialog forward and flash the task-bar button
    bool accept = false;    // the time is up: closes as accepted
};
CountdownTick CountdownAt(uint32_t elapsedMs);

class LineCommands;
class TrayIcon;

class Schedule : ControllerPart {
public:
    // The tick refreshes the tray and asks the line commands for the daily connect and the
    // disconnects.
    Schedule(const PartContext& context, TrayIcon& tray, LineCommands& lineCommands)
        : ControllerPart(context), tray_(tray), lineCommands_(lineCommands) {}

    // The one-second tick.
    void TimerTimer();
    // Autorun entries due `waitedSeconds` after the WAN address arrived.
    void RunDueAutorunEntries(uint32_t waitedSeconds);
    void LaunchAutorunEntry(int index);

private:
    void OfferDisconnect();

    TrayIcon& tray_;
    LineCommands& lineCommands_;
};

}  // namespace zep
