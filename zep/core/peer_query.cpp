// The status query between program copies: datagrams, the answer rule and the adoption of an
// answer, and the paced sending.
#include "peer_query.h"

#include "controller.h"
#include "instance.h"
#include "wan_address.h"

namespace zep {
namespace {

std::optional<uint32_t> DecimalUInt32(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace

std::string StatusAnswerText(const PeerAnswer& answer) {
    return "Answer," + answer.wanIP + ":" + std::to_string(answer.connectedMs) + "@" +
           std::to_string(answer.ipAssignedMs);
}

std::optional<PeerAnswer> ParseStatusAnswer(const std::string& payload) {
    if (payload.rfind("Answer", 0) != 0) return std::nullopt;
    const size_t comma = payload.find(',');
    const size_t colon = payload.find(':');
    const size_t firstAt = payload.find('@');
    if (comma == std::string::npos || colon == std::string::npos || firstAt == std::string::npos)
        return std::nullopt;
    const size_t atAfterColon = payload.find('@', colon + 1);
    const size_t colonAfterComma = payload.find(':', comma + 1);
    if (atAfterColon == std::string::npos || colonAfterComma == std::string::npos) return std::nullopt;

    auto connected = DecimalUInt32(payload.substr(colon + 1, atAfterColon - colon - 1));
    auto sinceIP = DecimalUInt32(payload.substr(firstAt + 1));
    std::string wanIP = payload.substr(comma + 1, colonAfterComma - comma - 1);
    if (!connected || !sinceIP || !IsWanAddressText(wanIP)) return std::nullopt;
    return PeerAnswer{std::move(wanIP), *connected, *sinceIP};
}

void Controller::StatusQuery() { QueuePeerSend(kPeerBroadcastAddress); }

void Controller::StatusAnswer(const std::string& asker) { QueuePeerSend(asker); }

void Controller::OnPeerDatagram(const std::string& sender, const std::string& payload) {
    if (payload == kStatusQueryText && !state_.WanIP.empty()) StatusAnswer(sender);
    if (!state_.WanIP.empty()) return;
    // An answer that cannot be read leaves everything as it was.
    auto answer = ParseStatusAnswer(payload);
    if (!answer) return;
    const uint32_t now = shell_.TickCount();
    state_.ConnectStartTick = now - answer->connectedMs;
    state_.IPAssignedTick = now - answer->ipAssignedMs;
    state_.WanIP = answer->wanIP;
    menus_.Item(kTrayIP).enabled = true;
    shell_.SetTimePanelCopyEnabled(true);
    if (settings_.HTMLAutoCreate) MakeIPPage();
}

// One datagram a second at most, in the order asked; an asker already waiting is not queued
// twice, and a flood beyond the queue is dropped, so queries from the LAN cannot pile up work.
void Controller::QueuePeerSend(const std::string& address) {
    for (const std::string& queued : peerSendQueue_)
        if (queued == address) return;
    if (peerSendQueue_.size() >= kPeerSendQueueLimit) return;
    peerSendQueue_.push_back(address);
    if (!state_.QueryBusy) SendNextPeerDatagram();
}

void Controller::PeerPauseOver() {
    state_.QueryBusy = false;
    SendNextPeerDatagram();
}

void Controller::SendNextPeerDatagram() {
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
