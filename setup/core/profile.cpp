#include "profile.h"

#include <algorithm>

namespace setup {

void WriteInt(Profile& ini, const std::wstring& section, const std::wstring& key, int value) {
    ini.Write(section, key, std::to_wstring(value));
}

std::vector<std::wstring> ReadList(Profile& ini, const std::wstring& section, int first, const std::wstring& prefix,
                                   size_t bufferChars, bool* cut) {
    std::vector<std::wstring> items;
    for (int i = first;; ++i) {
        std::wstring value = ini.Read(section, prefix + std::to_wstring(i), L"", bufferChars);
        const bool more = !value.empty();
        if (!more || items.size() == kMaxListEntries) {
            if (cut) *cut = more;
            return items;
        }
        items.push_back(std::move(value));
    }
}

int RecordCount(Profile& ini, const std::wstring& section) {
    return std::clamp(ini.ReadInt(section, L"Count", 0), 0, kMaxRecordEntries);
}

std::vector<std::wstring> ReadRecord(Profile& ini, const std::wstring& section) {
    std::vector<std::wstring> items;
    const int count = RecordCount(ini, section);
    for (int i = 0; i < kMaxRecordEntries; ++i) {
        std::wstring value = ReadString(ini, section, std::to_wstring(i));
        if (value.empty()) {
            if (i >= count) return items;
            continue;
        }
        items.push_back(std::move(value));
    }
    return items;
}

}  // namespace setup
