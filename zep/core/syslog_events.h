// What the router's syslog lines mean: the keyword tests, the WAN address, the line number and the
// destination switch. Everything here works on the lower-cased copy of a datagram
// (LowerAnsi).
#pragma once
#include <string>
#include <string_view>

namespace zep {

// The events one datagram carries; the tests are independent, so several may hold at once.
struct SyslogEvents {
    bool ntpAdjusted = false;        // ":ntp:" and "adjust"
    bool lineSwitched = false;       // "connection" and "switched"
    bool connected = false;          // "connect" and "<--"
    bool ipAssigned = false;         // "ipcp up" and "ppp"
    bool requestAccepted = false;    // "connect successfully"
    bool disconnected = false;       // "disconnect successfully"
};
SyslogEvents RecogniseSyslog(std::string_view lowered);

// The WAN address of an IP line: from the first "my ip" on (the whole text without it), the
// characters after the first "=" up to the first ",", as far as they are an address
// (WanAddressPrefix); empty when they do not begin with one. Blanks ahead of it are kept.
std::string ExtractWanIP(std::string_view lowered);

// The router line a connect line names: 1 for "s01", then 2 for "s02"; else `previous`.
int LineNumberOfConnect(std::string_view lowered, int previous);

// The destination tag (1 to 4) of a "switched" line, or 0 when it names none.
int SwitchReportTag(std::string_view lowered);

}  // namespace zep
