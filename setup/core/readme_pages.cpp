#include "readme_pages.h"

#include <algorithm>

#include "case_fold.h"
#include "paint_script.h"
#include "setup_ini_keys.h"

namespace setup {

std::vector<std::wstring> ReadReadmeLines(Profile& ini) {
    const int count = std::clamp(Read(ini, keys::kReadmeNo), 0, kMaxReadmeLines);
    std::vector<std::wstring> lines;
    lines.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) lines.push_back(ReadEntry(ini, keys::kReadmeLines, i));
    return lines;
}

std::string ReadmeShown(std::string head, bool& cut) {
    cut = head.size() > kMaxReadmeBytes;
    if (!cut) return head;
    head.resize(kMaxReadmeBytes);
    // A whole line last: no half of a two-byte character, no half of a word.
    const size_t lineEnd = head.rfind('\n');
    if (lineEnd != std::string::npos) head.resize(lineEnd + 1);
    return head;
}

size_t PageStart(const std::vector<std::wstring>& lines, std::wstring_view id) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!IsPageMarker(lines[i])) continue;
        if (EqualNoCase(SplitKeyword(lines[i])->rest, id)) return i + 1;
    }
    return 1;
}

std::wstring PageTarget(std::wstring_view text) {
    for (const wchar_t* word : {L"install", L"versionup", L"uninstall", L"none"})
        if (StartsWithNoCase(text, word)) return word;
    return std::to_wstring(LeadingInt(text));
}

void SetPageButtons(const std::vector<std::wstring>& lines, size_t start, PageButtons& buttons) {
    for (PageButton& button : buttons) button.target = L"none";
    for (size_t i = start; i < lines.size() && !IsPageMarker(lines[i]); ++i) {
        const auto split = SplitKeyword(lines[i]);
        if (!split) continue;
        for (size_t b = 0; b < buttons.size(); ++b) {
            if (!EqualNoCase(split->keyword, L"button" + std::to_wstring(b + 1))) continue;
            const auto fields = Fields(split->rest, 2);
            buttons[b].target = PageTarget(fields[0]);
            if (fields.size() > 1) buttons[b].caption = std::wstring(fields[1]);
        }
    }
}

}  // namespace setup
