// The IP page made from the connect template.
#include "ip_page.h"

#include "ansi_text.h"

namespace zep {
namespace {

std::string HtmlText(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

// One line with its markers replaced. The markers are looked for in the lower-cased template line
// (same positions, double-byte characters left whole) and the address goes into the original
// bytes. Searching goes on after each inserted address, never inside it: an address that itself
// holds a marker would otherwise be replaced over and over without end.
void AppendLine(std::string& out, std::string_view line, std::string_view wanIP) {
    const std::string lowered = LowerAnsi(line);
    const std::string_view marker = kIpMarker;
    size_t from = 0;
    for (size_t at; (at = lowered.find(marker, from)) != std::string::npos; from = at + marker.size()) {
        out.append(line.substr(from, at - from));
        out.append(wanIP);
    }
    out.append(line.substr(from));
    out.append("\r\n");
}

}  // namespace

std::string MakeIPPageText(std::string_view templateBytes, std::string_view wanIP) {
    const std::string address = HtmlText(wanIP);
    std::string out;
    size_t start = 0;
    while (start < templateBytes.size()) {
        size_t end = templateBytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = templateBytes.size();
        AppendLine(out, templateBytes.substr(start, end - start), address);
        start = end;
        if (start == templateBytes.size()) break;
        // CR LF, LF or a lone CR
        if (templateBytes[start++] == '\r' && start < templateBytes.size() && templateBytes[start] == '\n') ++start;
    }
    return out;
}

}  // namespace zep
