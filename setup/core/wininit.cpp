#include "wininit.h"

namespace setup {

namespace {

bool IsRenameHeader(const std::string& piece) {
    static const char kHeader[] = "[rename]\r";
    if (piece.size() != sizeof kHeader - 1) return false;
    for (size_t i = 0; i < piece.size(); ++i) {
        char c = piece[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kHeader[i]) return false;
    }
    return true;
}

}  // namespace

std::string WinInitEntry(const std::string& replacement, const std::string& existing, bool existingIsFolder) {
    const std::string left = replacement.empty() ? (existingIsFolder ? "DIRNUL" : "NUL") : replacement;
    return left + "=" + existing + "\r\n";
}

std::string AddWinInitEntry(const std::string& oldText, const std::string& entryLine) {
    std::string out;
    bool sectionFound = false;
    bool written = false;
    size_t at = 0;
    while (at <= oldText.size()) {
        size_t end = oldText.find('\n', at);
        if (end == std::string::npos) end = oldText.size();
        const std::string piece = oldText.substr(at, end - at);
        if (IsRenameHeader(piece)) {
            sectionFound = true;
        } else if (sectionFound && !written && !piece.empty() && piece[0] == '[') {
            out += entryLine;
            written = true;
        }
        if (!piece.empty()) out += piece + "\n";
        at = end + 1;
    }
    if (!sectionFound) out += "[Rename]\r\n";
    if (!written) out += entryLine;
    return out;
}

}  // namespace setup
