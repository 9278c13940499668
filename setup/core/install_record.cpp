#include "install_record.h"

#include <algorithm>
#include <iterator>
#include <set>

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

std::vector<std::wstring> JournalledFiles(const std::wstring& journal) {
    std::vector<std::wstring> files;
    for (size_t at = 0, end; (end = journal.find(L'\n', at)) != std::wstring::npos; at = end + 1) {
        std::wstring line = journal.substr(at, end - at);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        // Only a whole line counts: one cut short, and ended by the next run's first, lacks its "|".
        if (line.size() < 3 || line.back() != kJournalLineEnd) continue;
        const std::wstring path = line.substr(1, line.size() - 2);
        if (line[0] == L'+') {
            files.push_back(path);
        } else if (line[0] == L'-') {
            const auto last = std::find(files.rbegin(), files.rend(), path);
            if (last != files.rend()) files.erase(std::next(last).base());
        }
    }
    return files;
}

CopiedFileRecord::CopiedFileRecord(Profile& ini, RecordJournal& journal) : ini_(ini), journal_(journal) {
    const std::wstring left = journal.Read();
    earlier_ = JournalledFiles(left);
    // A line cut short by the end of a run is ended before this run's lines follow it, or it
    // would swallow the first of them; ended, it still lacks its "|" and counts for nothing.
    cutLine_ = !left.empty() && left.back() != L'\n';
}

void CopiedFileRecord::Journal(wchar_t mark, const std::wstring& target) {
    journal_.Append((cutLine_ ? L"\r\n" : L"") + (mark + target) + kJournalLineEnd + L"\r\n");
    cutLine_ = false;
    if (++unsynced_ < kSyncBatch) return;
    journal_.Sync();
    unsynced_ = 0;
}

void CopiedFileRecord::Add(const std::wstring& target) {
    Journal(L'+', target);
    entries_.push_back(target);
}

void CopiedFileRecord::Withdraw(const std::wstring& target) {
    const auto last = std::find(entries_.rbegin(), entries_.rend(), target);
    if (last == entries_.rend()) return;
    entries_.erase(std::next(last).base());
    Journal(L'-', target);
}

void CopiedFileRecord::Write(FileSystem& files) {
    std::vector<std::wstring> record = entries_;
    std::set<std::wstring> recorded;
    for (const std::wstring& path : record) recorded.insert(FoldedCase(path));
    for (const std::wstring& file : earlier_)
        if (files.FileSize(file) && recorded.insert(FoldedCase(file)).second) record.push_back(file);
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    for (size_t i = 0; i < record.size(); ++i) keys.emplace_back(std::to_wstring(i), record[i]);
    keys.emplace_back(L"Count", std::to_wstring(record.empty() ? 1 : record.size()));
    ini_.WriteSection(L"CopiedFile", keys);
    ini_.Flush();
    journal_.Remove();
}

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
