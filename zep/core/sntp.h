// The router's clock by SNTP: the request, and the reply's transmit time as a UTC calendar time.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zep {

inline constexpr uint16_t kSntpPort = 123;
inline constexpr size_t kSntpPacketSize = 48;
inline constexpr uint32_t kSntpReplyWaitMs = 3000;

struct UtcTime {
    int year = 0, month = 0, dayOfWeek = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    friend bool operator==(const UtcTime&, const UtcTime&) = default;
};

// 48 bytes: version 1, client mode, every timestamp zero.
std::string SntpRequest();
// The transmit time of a reply (seconds since 1900 and a fraction); nothing for a reply shorter
// than 48 bytes.
std::optional<UtcTime> SntpTransmitTime(const std::string& reply);

}  // namespace zep
