#include "peers.h"

#include "controller_state.h"
#include "page_upload.h"
#include "settings.h"
#include "shell.h"
#include "tray_icon.h"
#include "peer_datagrams.h"
#include "tick_count.h"

namespace zep {

void Peers::StatusQuery() { QueuePeerSend(kPeerBroadcastAddress); }

void Peers::StatusAnswer(const std::string& asker) { QueuePeerSend(asker); }

void Peers::OnPeerDatagram(const std::string& sender, const std::string& payload) {
    if (payload == kStatusQueryText && !state_.WanIP.empty()) StatusAnswer(sender);
    if (!state_.WanIP.empty()) return;
    // An answer that cannot be read leaves everything as it was.
    auto answer = ParseStatusAnswer(payload);
    if (!answer) return;
    const uint32_t now = shell_.TickCount();
    state_.ConnectStartTick = now - answer->connectedMs;
    state_.IPAssignedTick = now - answer->ipAssignedMs;
    state_.WanIP = answer->wanIP;
    tray_.EnableAddressCopy(true);
    if (settings_.HTMLAutoCreate) pageUpload_.MakeIPPage();
}

// One datagram a second at most, in the order asked; an asker already waiting is not queued
// twice, and a flood beyond the queue is dropped, so queries from the LAN cannot pile up work.
void Peers::QueuePeerSend(const std::string& address) {
    for (const std::string& queued : peerSendQueue_)
        if (queued == address) return;
    if (peerSendQueue_.size() >= kPeerSendQueueLimit) return;
    peerSendQueue_.push_back(address);
    if (!state_.QueryBusy) SendNextPeerDatagram();
}

void Peers::PeerPauseOver() {
    state_.QueryBusy = false;
    SendNextPeerDatagram();
}

void Peers::SendNextPeerDatagram() {
    while (!peerSendQueue_.empty()) {
        const std::string address = peerSendQueue_.front();
        peerSendQueue_.pop_front();
        std::string payload;
        if (address == kPeerBroadcastAddress) {
            payload = kStatusQueryText;
        } else if (!state_.WanIP.empty()) {
            // The times as they are at the moment of sending.
            const uint32_t now = shell_.TickCount();
            payload = StatusAnswerText({state_.WanIP, ElapsedMs(now, state_.ConnectStartTick),
                                        ElapsedMs(now, state_.IPAssignedTick)});
        } else {
            continue;  // the line went down while the answer waited
        }
        state_.QueryBusy = true;
        shell_.SendPeerDatagram(address, payload);
        shell_.StartPeerPause(kPeerSendPauseMs);
        return;
    }
}

}  // namespace zep
