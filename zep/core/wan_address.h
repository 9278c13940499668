// The router's WAN address as the program holds it (WanIP): what the IP page embeds, the
// clipboard takes and the copies on the LAN exchange. Both sources of it come from the LAN (the
// router's syslog, which any host can forge, and another copy's answer), so it holds only what an
// address text holds: no markup, no line ends.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zep {

inline constexpr size_t kWanAddressLimit = 64;

// Digits, letters, ".", ":", "-" and blanks (the router writes one after the "=" at times),
// at least one and at most kWanAddressLimit characters.
bool IsWanAddressText(std::string_view text);
// The beginning of `text` up to the first character that an address text cannot hold, at most
// kWanAddressLimit characters.
std::string WanAddressPrefix(std::string_view text);

}  // namespace zep
