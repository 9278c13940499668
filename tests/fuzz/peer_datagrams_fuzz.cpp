// Fuzzes the datagrams other hosts of the LAN send: a peer's status answer and the router's SNTP
// reply. Nothing may crash; what is taken must be what was sent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "peer_datagrams.h"
#include "sntp.h"
#include "wan_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    if (auto answer = zep::ParseStatusAnswer(bytes)) {
        if (!zep::IsWanAddressText(answer->wanIP)) std::abort();
        if (answer->wanIP.find_first_of("<>&\"\r\n") != std::string::npos) std::abort();
        // What we would answer with those values reads back the same.
        auto again = zep::ParseStatusAnswer(zep::StatusAnswerText(*answer));
        if (!again || again->wanIP != answer->wanIP || again->connectedMs != answer->connectedMs ||
            again->ipAssignedMs != answer->ipAssignedMs)
            std::abort();
    }

    if (auto t = zep::SntpTransmitTime(bytes)) {
        if (size < zep::kSntpPacketSize) std::abort();
        // Era 0 from 1968, era 1 to 2104.
        if (t->year < 1968 || t->year > 2104 || t->month < 1 || t->month > 12 || t->day < 1 || t->day > 31 ||
            t->hour > 23 || t->minute > 59 || t->second > 59 || t->millisecond > 999 || t->dayOfWeek > 6)
            std::abort();
    } else if (size >= zep::kSntpPacketSize) {
        std::abort();
    }
    // A reply answers only the request whose transmit time it carries as its originate time.
    if (size >= zep::kSntpPacketSize) {
        uint64_t originate = 0;
        for (size_t i = 24; i < 32; ++i) originate = originate << 8 | data[i];
        if (zep::SntpReplyAnswers(bytes, originate ^ 1)) std::abort();
    }
    return 0;
}
