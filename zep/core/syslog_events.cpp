// The router's syslog lines: keyword tests on the lower-cased datagram, and the few values read
// out of them.
#include "syslog_events.h"

#include "wan_address.h"

namespace zep {
namespace {

bool Has(std::string_view text, std::string_view word) { return text.find(word) != std::string_view::npos; }

// The text from the first `word` on, or all of it when `word` is not there.
std::string_view FromFirst(std::string_view text, std::string_view word) {
    size_t at = text.find(word);
    return at == std::string_view::npos ? text : text.substr(at);
}

}  // namespace

SyslogEvents RecogniseSyslog(std::string_view lowered) {
    SyslogEvents e;
    e.ntpAdjusted = Has(lowered, ":ntp:") && Has(lowered, "adjust");
    e.lineSwitched = Has(lowered, "connection") && Has(lowered, "switched");
    e.connected = Has(lowered, "connect") && Has(lowered, "<--");
    e.ipAssigned = Has(lowered, "ipcp up") && Has(lowered, "ppp");
    e.requestAccepted = Has(lowered, "connect successfully");  // also true for a disconnect line
    e.disconnected = Has(lowered, "disconnect successfully");
    return e;
}

std::string ExtractWanIP(std::string_view lowered) {
    const std::string_view rest = FromFirst(lowered, "my ip");
    const size_t equals = rest.find('=');
    if (equals == std::string_view::npos) return {};
    const size_t comma = rest.find(',');
    // A comma ahead of the "=" leaves nothing between them. Without a comma the text runs to the
    // end of the datagram; either way only the address it begins with is taken.
    if (comma != std::string_view::npos && comma < equals) return {};
    return WanAddressPrefix(rest.substr(equals + 1, comma == std::string_view::npos ? comma : comma - equals - 1));
}

int LineNumberOfConnect(std::string_view lowered, int previous) {
    int line = previous;
    if (Has(lowered, "s01")) line = 1;
    if (Has(lowered, "s02")) line = 2;
    return line;
}

int SwitchReportTag(std::string_view lowered) {
    std::string_view p = FromFirst(lowered, "switch");
    if (size_t open = p.find('('); open != std::string_view::npos) p = p.substr(open + 1);
    const size_t close = p.find(')');
    p = close == std::string_view::npos ? std::string_view{} : p.substr(0, close);

    int tag = 0;
    if (Has(p, "ras")) tag = 4;
    if (Has(p, "isp")) {
        if (Has(p, "1")) tag = 1;
        if (Has(p, "2")) tag = 2;
        if (Has(p, "3")) tag = 3;
    }
    return tag;
}

}  // namespace zep
