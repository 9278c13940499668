// The PC's clock from the router's, after the router reported that it set its own by NTP.
#include "controller.h"
#include "instance.h"
#include "sntp.h"

namespace zep {

void Controller::AdjustClockFromRouter() {
    if (!settings_.UseSNTP) return;
    // Another NTP line during the wait below is merged into it: the reply it waits for serves both.
    if (adjustingClock_) return;
    RunningWait running(adjustingClock_);
    state_.SntpReply.clear();
    shell_.SendTimeRequest(settings_.IPAddress, SntpRequest());
    const uint32_t sent = shell_.TickCount();
    shell_.PumpMessages([this] { return !state_.SntpReply.empty(); }, kSntpReplyWaitMs);
    if (closing_ || ElapsedMs(shell_.TickCount(), sent) >= kSntpReplyWaitMs) return;
    if (auto utc = SntpTransmitTime(state_.SntpReply)) shell_.SetSystemClock(*utc);
}

void Controller::OnTimeDatagram(const std::string& sender, const std::string& payload) {
    if (sender == settings_.IPAddress) state_.SntpReply = payload;
}

}  // namespace zep
