#include "install_record.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "case_fold.h"
#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

bool InstallRecord::Installed() const { return ini_.ReadInt(kFiles, keys::kRecordCount, 0) != 0; }

int InstallRecord::Count(const wchar_t* section) const {
    return std::clamp(ini_.ReadInt(section, keys::kRecordCount, 0), 0, kMaxRecordEntries);
}

std::vector<std::wstring> InstallRecord::Read(const wchar_t* section) const {
    const SectionValues values(ini_, section);
    std::vector<std::wstring> entries;
    const int count = Count(section);
    for (int i = 0; i < kMaxRecordEntries; ++i) {
        std::wstring entry = values.Get(std::to_wstring(i), kPathChars);
        if (entry.empty()) {
            if (i >= count) break;
            continue;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void InstallRecord::Write(const wchar_t* section, const std::vector<std::wstring>& entries, int leastCount) {
    const size_t count = std::min<size_t>(entries.size(), kMaxRecordEntries);
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    for (size_t i = 0; i < count; ++i) lines.emplace_back(std::to_wstring(i), entries[i]);
    lines.emplace_back(keys::kRecordCount, std::to_wstring(std::max<size_t>(count, leastCount)));
    ini_.WriteSection(section, lines);
    ini_.Flush();
}

void InstallRecord::MergeSection(const InstallRecord& earlier, const wchar_t* section, int leastCount) {
    std::vector<std::wstring> entries = Read(section);
    std::set<std::wstring> known;
    for (const std::wstring& entry : entries) known.insert(FoldedCase(entry));
    const size_t before = entries.size();
    for (const std::wstring& old : earlier.Read(section))
        if (known.insert(FoldedCase(old)).second) entries.push_back(old);
    if (entries.size() != before) Write(section, entries, leastCount);
}

void InstallRecord::Merge(const InstallRecord& earlier) {
    MergeSection(earlier, kFolders, 0);
    MergeSection(earlier, kFiles, 1);
}

void InstallRecord::Forget() {
    Write(kFolders, {}, 0);
    Write(kFiles, {}, 0);
}

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

CopiedFileRecord::CopiedFileRecord(InstallRecord& record, RecordJournal& journal) : record_(record), journal_(journal) {
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
    record_.WriteFiles(record);
    journal_.Remove();
}

bool SameProductRecord(Profile& ours, Profile& found) {
    return EqualNoCase(LeafName(Read(ours, keys::kRootName)), LeafName(Read(found, keys::kRootName))) &&
           Read(ours, keys::kProductName) == Read(found, keys::kProductName);
}

std::wstring ForeignSetupQuestion(Profile& found, const Texts& texts) {
    return texts.foreignSetupBefore + Read(found, keys::kProductName) + texts.foreignSetupAfter;
}

CopyRole RoleOf(const SetupCopy& copy) {
    // Without an install folder there is nothing to hand over to; a copy that was handed the run
    // keeps it, so two copies naming each other's folder cannot pass it back and forth.
    if (!copy.recorded || copy.installFolder.empty() || copy.isInstalledCopy || copy.handedOver)
        return CopyRole::RunHere;
    // This copy must not act on the record in its place: a removal from here would leave the
    // installed Setup.exe, its Setup.ini and its folder behind, registered nowhere.
    if (copy.handOverFailed) return CopyRole::Stop;
    return copy.installedCopyExists ? CopyRole::HandOver : CopyRole::ForgetRecord;
}

}  // namespace setup
