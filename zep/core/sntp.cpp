#include "sntp.h"

#include "date_time.h"

namespace zep {
namespace {

uint64_t BigEndian(const std::string& bytes, size_t offset, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

constexpr size_t kOriginateOffset = 24;
constexpr size_t kTransmitOffset = 40;
constexpr int kServerMode = 4;
constexpr int kLeapUnsynchronised = 3;
// Seconds from 1900-01-01 (NTP era 0) to 1970-01-01.
constexpr int64_t kNtpToUnixSeconds = 2208988800;
constexpr int64_t kEraSeconds = int64_t{1} << 32;

}  // namespace

std::string SntpRequest(uint64_t transmit) {
    std::string request(kSntpPacketSize, '\0');
    request[0] = 0x0B;  // leap indicator 0, version 1, mode 3
    for (size_t i = 0; i < 8; ++i) request[kTransmitOffset + i] = static_cast<char>(transmit >> (56 - 8 * i));
    return request;
}

bool SntpReplyAnswers(const std::string& reply, uint64_t transmit) {
    if (reply.size() < kSntpPacketSize) return false;
    const unsigned char first = static_cast<unsigned char>(reply[0]);
    const unsigned stratum = static_cast<unsigned char>(reply[1]);
    return (first & 7) == kServerMode && first >> 6 != kLeapUnsynchronised && stratum >= 1 && stratum <= 15 &&
           BigEndian(reply, kTransmitOffset, 8) != 0 && BigEndian(reply, kOriginateOffset, 8) == transmit;
}

std::optional<UtcTime> SntpTransmitTime(const std::string& reply) {
    if (reply.size() < kSntpPacketSize) return std::nullopt;
    int64_t seconds = static_cast<int64_t>(BigEndian(reply, kTransmitOffset, 4));
    if (seconds < kEraSeconds / 2) seconds += kEraSeconds;
    const uint64_t fraction = BigEndian(reply, kTransmitOffset + 4, 4);
    const int64_t ms = (seconds - kNtpToUnixSeconds) * 1000 + static_cast<int64_t>((fraction * 1000 + (1u << 31)) >> 32);
    const int64_t wholeSeconds = ms / 1000 - (ms % 1000 < 0);  // 1968 and 1969 lie before the Unix epoch
    const LocalDateTime t = DateTimeFromEpochSeconds(wholeSeconds);
    return UtcTime{t.year, t.month, DayOfWeek(t), t.day, t.hour, t.minute, t.second,
                   static_cast<int>(ms - wholeSeconds * 1000)};
}

}  // namespace zep
