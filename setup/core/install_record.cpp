#include "install_record.h"

#include <algorithm>

#include "text.h"

namespace setup {

namespace {

void MergeList(Profile& record, Profile& earlier, const std::wstring& section) {
    std::vector<std::wstring> entries = ReadRecord(record, section);
    int next = record.ReadInt(section, L"Count", 0);
    // A count of 1 with nothing under "0" means nothing was recorded: the list starts there.
    if (next == 1 && entries.empty()) next = 0;
    for (const std::wstring& old : ReadRecord(earlier, section)) {
        const bool known = std::any_of(entries.begin(), entries.end(),
                                       [&](const std::wstring& e) { return EqualNoCase(e, old); });
        if (known) continue;
        record.Write(section, std::to_wstring(next), old);
        WriteInt(record, section, L"Count", ++next);
        record.Flush();
        entries.push_back(old);
    }
}

}  // namespace

void MergeInstallRecord(Profile& record, Profile& earlier) {
    MergeList(record, earlier, L"MakedDirectory");
    MergeList(record, earlier, L"CopiedFile");
}

}  // namespace setup
