#include "peer_datagrams.h"

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

}  // namespace zep
