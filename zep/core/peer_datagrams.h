// The datagrams of the status query between copies of the program on one LAN: the query that a
// copy without the line's details broadcasts, and the answer of a copy that knows the WAN address.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zep {

inline constexpr uint16_t kPeerPort = 4448;
inline constexpr char kPeerBroadcastAddress[] = "255.255.255.255";
// The whole payload of a query; nothing before or after it.
inline constexpr char kStatusQueryText[] = "RequestNWGCondition";
// Sends are one second apart; answers that cannot go out yet wait in a queue of this many askers.
inline constexpr uint32_t kPeerSendPauseMs = 1000;
inline constexpr size_t kPeerSendQueueLimit = 8;

struct PeerAnswer {
    std::string wanIP;
    uint32_t connectedMs = 0;   // since the connect
    uint32_t ipAssignedMs = 0;  // since the address was assigned
};

// "Answer," address ":" connected ms "@" ms since the address.
std::string StatusAnswerText(const PeerAnswer& answer);
// The answer in a datagram; nothing when the payload is not an answer, its address is not an
// address text (IsWanAddressText), or one of its times is not an unsigned 32-bit decimal number.
std::optional<PeerAnswer> ParseStatusAnswer(const std::string& payload);

}  // namespace zep
