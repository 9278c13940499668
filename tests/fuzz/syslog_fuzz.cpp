// Fuzzes what is read out of a syslog datagram and the IP page made from a template. Nothing may
// crash, and the results must keep their few guaranteed properties.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "ansi_text.h"
#include "date_time.h"
#include "ip_page.h"
#include "syslog_events.h"
#include "wan_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string lowered = zep::LowerAnsi(bytes);
    if (lowered.size() != bytes.size() || zep::LowerAnsi(lowered) != lowered) std::abort();
    zep::RecogniseSyslog(lowered);
    // The address is a piece of the datagram that holds nothing but an address text.
    const std::string wan = zep::ExtractWanIP(lowered);
    if (lowered.find(wan) == std::string::npos || (!wan.empty() && !zep::IsWanAddressText(wan))) std::abort();
    const int line = zep::LineNumberOfConnect(lowered, 7);
    if (line != 1 && line != 2 && line != 7) std::abort();
    const int tag = zep::SwitchReportTag(lowered);
    if (tag < 0 || tag > 4) std::abort();

    uint32_t seconds = 0;
    std::memcpy(&seconds, data, size < sizeof seconds ? size : sizeof seconds);
    const std::string elapsed = zep::FormatElapsed(seconds);
    const size_t colon = elapsed.find(':');
    if (std::stoul(elapsed.substr(0, colon)) * 3600 + std::stoul(elapsed.substr(colon + 1, 2)) * 60 +
            std::stoul(elapsed.substr(colon + 4)) != seconds)
        std::abort();

    // The page from the whole input is marker-free and comes out again unchanged; an address taken
    // from the input itself must not make it loop.
    const std::string page = zep::MakeIPPageText(bytes, "192.0.2.1");
    if (zep::LowerAnsi(page).find(zep::kIpMarker) != std::string::npos) std::abort();
    if (zep::MakeIPPageText(page, "192.0.2.1") != page) std::abort();
    const size_t cut = size ? data[0] % (size + 1) : 0;
    zep::MakeIPPageText(bytes.substr(cut), bytes.substr(0, cut));
    // Whatever the address holds goes into the page as text: no markup of its own.
    if (zep::MakeIPPageText("<!--ip-->", bytes).find_first_of("<>\"'") != std::string::npos) std::abort();
    return 0;
}
