#include "autorun.h"

#include "ansi_text.h"
#include "paths.h"
#include "texts_ja.h"

namespace zep {

int AutorunCount(const AutorunTable& t) {
    int n = 0;
    while (n < kAutorunCount && !t[n].Name.empty()) ++n;
    return n;
}

bool AutorunFull(const AutorunTable& t) { return AutorunCount(t) >= kAutorunCount; }

std::u16string AutorunLine(const TAutorunType& e, const std::u16string& shownName) {
    return std::u16string(e.Use ? text::kAutorunUsed : text::kAutorunUnused) +
           (e.OnlyAuto ? text::kAutorunOnlyAuto : text::kAutorunEvery) + shownName;
}

std::u16string DefaultEntryName(int count) {
    std::u16string name = text::kAutorunDefaultName;
    for (char c : std::to_string(count)) name += static_cast<char16_t>(c);
    return name;
}

bool StoreAutorunEntry(AutorunTable& t, int slot, TAutorunType entry) {
    if (entry.Name.empty() || slot < 0 || slot >= kAutorunCount || slot > AutorunCount(t)) return false;
    entry.Launched = true;
    t[slot] = std::move(entry);
    return true;
}

void ToggleAutorunEntry(AutorunTable& t, int slot) {
    if (slot >= 0 && slot < AutorunCount(t)) t[slot].Use = !t[slot].Use;
}

void DeleteAutorunEntry(AutorunTable& t, int slot) {
    const int n = AutorunCount(t);
    if (slot < 0 || slot >= n) return;
    for (int i = slot; i + 1 < n; ++i) t[i] = t[i + 1];
    t[n - 1] = TAutorunType{};
}

std::optional<uint32_t> WindowCommandNumber(const std::string& work) {
    if (work.empty() || work.size() > 8) return std::nullopt;
    uint32_t v = 0;
    for (char c : work) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
}

bool IsUnpostableWindowCommand(const TAutorunType& e) {
    return e.FileName == kWindowCommand && !WindowCommandNumber(e.Work);
}

bool IsShortcutFile(const std::string& path) {
    const std::string name = LowerAnsi(LeafName(path));
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".lnk") == 0;
}

EditorFill FillFromDroppedFile(const std::string& path) { return {path, std::nullopt, FolderWithSlash(path)}; }

EditorFill FillFromShortcut(const std::string& shortcutPath, const std::string& targetPath,
                            const std::string& arguments) {
    if (LowerAnsi(LeafName(targetPath)) != "sendcmd.exe") return FillFromDroppedFile(shortcutPath);
    WindowCommandArgs a = SplitSendcmdArguments(arguments);
    return {kWindowCommand, a.className, a.command};
}

WindowCommandArgs SplitSendcmdArguments(const std::string& arguments) {
    WindowCommandArgs out;
    std::string rest;
    if (!arguments.empty() && arguments[0] == '"') {
        const size_t close = arguments.find('"', 1);
        if (close == std::string::npos) {
            out.className = Trimmed(arguments.substr(1));
            return out;
        }
        out.className = Trimmed(arguments.substr(1, close - 1));
        rest = arguments.substr(close + 1);
    } else {
        const size_t blank = arguments.find(' ');
        out.className = Trimmed(arguments.substr(0, blank));
        if (blank == std::string::npos) return out;
        rest = arguments.substr(blank + 1);
    }
    // The command number: the next word, whatever blanks come before it, up to a blank or the end.
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string::npos) return out;
    out.command = Trimmed(rest.substr(start, rest.find(' ', start) - start));
    return out;
}

}  // namespace zep
