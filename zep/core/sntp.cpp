#include "sntp.h"

#include <cmath>

#include "log_files.h"

namespace zep {
namespace {

uint32_t BigEndian32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// Day 0 of the day count below is 1899-12-30; 1970-01-01 is its day 25569.
constexpr int64_t kUnixEpochDay = 25569;
constexpr double kMsPerDay = 86400000.0;

}  // namespace

std::string SntpRequest() {
    std::string request(kSntpPacketSize, '\0');
    request[0] = 0x0B;  // leap indicator 0, version 1, mode 3
    return request;
}

std::optional<UtcTime> SntpTransmitTime(const std::string& reply) {
    if (reply.size() < kSntpPacketSize) return std::nullopt;
    const double seconds = BigEndian32(reply, 40);
    const double fraction = BigEndian32(reply, 44);
    // Days since 1899-12-30: day 2 is 1900-01-01, where the seconds count from.
    const double days = seconds / 86400 + 2 + fraction / 86400 / 4294967296.0;
    const int64_t msSinceUnixEpoch = std::llround(days * kMsPerDay) - kUnixEpochDay * 86400000LL;
    const int64_t wholeSeconds = msSinceUnixEpoch / 1000 - (msSinceUnixEpoch % 1000 < 0);
    const LocalDateTime t = DateTimeFromEpochSeconds(wholeSeconds);
    return UtcTime{t.year,   t.month,  DayOfWeek(t), t.day, t.hour, t.minute, t.second,
                   static_cast<int>(msSinceUnixEpoch - wholeSeconds * 1000)};
}

}  // namespace zep
