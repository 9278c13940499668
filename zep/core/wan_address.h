// The router's WAN address as the program holds it (WanIP): what the IP page embeds, the
// clipboard takes and the copies on the LAN exchange. Both sources of it come from the LAN (the
// router's syslog, which any host can forge, and another copy's answer), so only an IPv4 literal
// is taken from them: a host name would turn the published page's link to another host.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zep {

// Blanks (the router writes one after the "=" at times; they are kept, as the page and the
// clipboard always had them), then four decimal numbers 0 to 255 joined by dots, each without
// leading zeros ("010" is 8 to some readers of a link and 10 to others), the whole at most
// kWanAddressLimit characters.
inline constexpr size_t kWanAddressLimit = 64;
bool IsWanAddressText(std::string_view text);

// The address at the beginning of `text`: its blanks and the digits and dots that follow them,
// cut at the first other character ("1.2.3.4 peer" gives "1.2.3.4"); empty when those are not
// an address as above ("1.2.3.4.5", "evil.example", "1.2.3.400").
std::string WanAddressPrefix(std::string_view text);

}  // namespace zep
