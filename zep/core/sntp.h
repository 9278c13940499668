// The router's clock by SNTP: the request, the checks a reply must pass to count as the answer to
// it, and the reply's transmit time as a UTC calendar time.
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

// 48 bytes: version 1, client mode, `transmit` as the transmit timestamp (a random number that
// the reply must return as its originate timestamp, so that no other host can answer for the
// router without seeing the request), every other field zero.
std::string SntpRequest(uint64_t transmit);
// Whether `reply` answers the request that carried `transmit`: at least 48 bytes, server mode,
// a leap indicator other than 3 (the server's clock is not synchronised), stratum 1 to 15, a
// transmit timestamp that is not zero and the originate timestamp equal to `transmit`.
bool SntpReplyAnswers(const std::string& reply, uint64_t transmit);
// The transmit time of a reply (seconds since 1900 and a fraction, to the nearest millisecond);
// nothing for a reply shorter than 48 bytes. The 32-bit seconds wrap on 2036-02-07 06:28:16:
// seconds with the top bit clear count from there (up to 2104), those with it set from 1900
// (1968 on).
std::optional<UtcTime> SntpTransmitTime(const std::string& reply);

}  // namespace zep
