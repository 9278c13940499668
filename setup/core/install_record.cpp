#include "install_record.h"

#include <algorithm>

#include "paths.h"
#include "text.h"

namespace setup {

namespace {

void MergeList(Profile& record, Profile& earlier, const std::wstring& section) {
    std::vector<std::wstring> entries = ReadRecord(record, section);
    int next = RecordCount(record, section);
    // A count of 1 with nothing under "0" means nothing was recorded: the list starts there.
    if (next == 1 && entries.empty()) next = 0;
    for (const std::wstring& old : ReadRecord(earlier, section)) {
        const bool known = std::any_of(entries.begin(), entries.end(),
                                       [&](const std::wstring& e) { return EqualNoCase(e, old); });
        if (known) continue;
        if (next == kMaxRecordEntries) return;  // no index a reader would reach
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

bool SameProductRecord(Profile& ours, Profile& found) {
    return EqualNoCase(LeafName(ReadString(ours, L"Root", L"Name")), LeafName(ReadString(found, L"Root", L"Name"))) &&
           ReadString(ours, L"Setup", L"Name") == ReadString(found, L"Setup", L"Name");
}

std::wstring ForeignSetupQuestion(Profile& found, const Texts& texts) {
    return texts.foreignSetupBefore + ReadString(found, L"Setup", L"Name") + texts.foreignSetupAfter;
}

void ForgetInstallRecord(Profile& record) {
    for (const wchar_t* section : {L"MakedDirectory", L"CopiedFile"}) {
        // The entries too: a record is read on past its count while entries follow.
        const int count = RecordCount(record, section);
        for (int i = 0; i < kMaxRecordEntries && (i < count || !ReadString(record, section, std::to_wstring(i)).empty());
             ++i)
            record.Write(section, std::to_wstring(i), L"");
        WriteInt(record, section, L"Count", 0);
    }
    record.Flush();
}

CopyRole RoleOf(const SetupCopy& copy) {
    // Without an install folder there is nothing to hand over to; a copy that was handed the run
    // keeps it, so two copies naming each other's folder cannot pass it back and forth.
    if (!copy.recorded || copy.installFolder.empty() || copy.isInstalledCopy || copy.handedOver)
        return CopyRole::RunHere;
    return copy.installedCopyExists ? CopyRole::HandOver : CopyRole::ForgetRecord;
}

}  // namespace setup
