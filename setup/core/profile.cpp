#include "profile.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "case_fold.h"

namespace setup {

namespace {

std::wstring_view Trimmed(std::wstring_view text) {
    const size_t begin = text.find_first_not_of(L" \t");
    if (begin == std::wstring_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(L" \t") - begin + 1);
}

}  // namespace

SectionValues::SectionValues(Profile& ini, const std::wstring& section) {
    for (const std::wstring& line : ini.ReadSectionLines(section)) {
        if (line.empty() || line[0] == L';') continue;
        const size_t equals = line.find(L'=');
        const std::wstring_view key = Trimmed(std::wstring_view(line).substr(0, equals));
        std::wstring_view value = equals == std::wstring::npos ? L"" : Trimmed(std::wstring_view(line).substr(equals + 1));
        if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        values_.try_emplace(FoldedCase(key), value);
    }
}

std::wstring SectionValues::Get(const std::wstring& key, size_t bufferChars) const {
    const auto it = values_.find(FoldedCase(key));
    return it == values_.end() ? L"" : it->second.substr(0, bufferChars - 1);
}

std::vector<std::wstring> ReadList(Profile& ini, const std::wstring& section, int first, const std::wstring& prefix,
                                   size_t bufferChars, bool* cut) {
    const SectionValues values(ini, section);
    std::vector<std::wstring> items;
    for (int i = first;; ++i) {
        std::wstring value = values.Get(prefix + std::to_wstring(i), bufferChars);
        const bool more = !value.empty();
        if (!more || items.size() == kMaxListEntries) {
            if (cut) *cut = more;
            return items;
        }
        items.push_back(std::move(value));
    }
}

}  // namespace setup
