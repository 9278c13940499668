#include "file_copy.h"

#include <map>
#include <set>
#include <vector>

#include "paths.h"
#include "text.h"

namespace setup {

CopyEntry ParseCopyEntry(const std::wstring& text) {
    CopyEntry entry;
    size_t at = 0;
    const auto prefix = [&](wchar_t c, bool& flag) {
        if (at < text.size() && text[at] == c) {
            flag = true;
            ++at;
        }
    };
    prefix(L'!', entry.unrecorded);
    prefix(L'&', entry.keepNewer);
    prefix(L'?', entry.replaceNewer);
    prefix(L'*', entry.ignoreFailure);
    entry.path = text.substr(at);
    return entry;
}

int MakeFolder(Profile& ini, FileSystem& files, const std::wstring& path, int index) {
    if (!files.CreateFolder(path) && !files.Exists(path)) {
        const std::wstring parent = FolderOf(path);
        // Only a missing parent is made here; a folder refused for another reason stays unmade,
        // and no folder that was there before is recorded.
        if (parent.empty() || files.Exists(parent)) return index;
        index = MakeFolder(ini, files, parent, index);
        if (!files.CreateFolder(path)) return index;
    }
    ini.Write(L"MakedDirectory", std::to_wstring(index), path);
    return index + 1;
}

bool ReplaceAtRestart(FileSystem& files, const std::wstring& source, const std::wstring& target) {
    const auto temporary = files.MakeTempFile(FolderOf(target), L"RBT");
    if (!temporary) return false;
    // An empty or partial stand-in must never replace the target.
    if (files.CopyOver(source, *temporary) && files.ScheduleAtRestart(*temporary, target)) return true;
    files.Remove(*temporary);
    return false;
}

namespace {

enum class CopyState { Done, Ask, Failed };

struct PlannedCopy {
    CopyEntry entry;
    std::wstring source;
    std::optional<std::wstring> target;  // none: the path is too long to be used
    CopyState state = CopyState::Done;
};

class CopyRun {
public:
    CopyRun(CopiedFileRecord& record, FileSystem& files, bool reboot) : record_(record), files_(files), reboot_(reboot) {}

    // Copies one entry: Done (recorded unless "!") or, when it could not be copied, Failed (or
    // Done, unrecorded, for "*"). The target is on record before the copy can reach the folder.
    void Copy(PlannedCopy& copy) {
        const bool recorded = copy.target && !copy.entry.unrecorded;
        if (recorded) record_.Add(*copy.target);
        if (!CopyOnce(copy)) {
            if (recorded) record_.Withdraw(*copy.target);
            copy.state = copy.entry.ignoreFailure ? CopyState::Done : CopyState::Failed;
            return;
        }
        copy.state = CopyState::Done;
    }

    bool restartNeeded() const { return restartNeeded_; }

private:
    bool CopyOnce(const PlannedCopy& copy) {
        if (!copy.target) return false;
        if (files_.CopyOver(copy.source, *copy.target)) return true;
        if (!reboot_) return false;
        files_.SetNormalAttributes(*copy.target);
        if (files_.CopyOver(copy.source, *copy.target)) return true;
        if (!ReplaceAtRestart(files_, copy.source, *copy.target)) return false;
        restartNeeded_ = true;
        return true;
    }

    CopiedFileRecord& record_;
    FileSystem& files_;
    bool reboot_;
    bool restartNeeded_ = false;
};

// The last-write times of targets, with one listing of each target folder: asking the system for a
// file that is not there makes it search the whole folder (Wine compares every name without regard
// to case), so asking for each new file of an installation cost time that grew with the folder.
class TargetTimes {
public:
    explicit TargetTimes(FileSystem& files) : files_(files) {}

    // None when the target is not there.
    std::optional<uint64_t> Of(const std::wstring& target) {
        const std::wstring leaf = LeafName(target);
        // A short name ("LONGFI~1.TXT") is not in the listing: only the system knows it.
        if (leaf.find(L'~') == std::wstring::npos) {
            const std::set<std::wstring>& names = Listing(FolderOf(target));
            // An empty listing: the folder is not there, or could not be listed.
            if (!names.empty() && !names.count(FoldedCase(leaf))) return std::nullopt;
        }
        return files_.LastWriteTime(target);
    }
    void Copied(const std::wstring& target) {
        if (auto it = listings_.find(FoldedCase(FolderOf(target))); it != listings_.end())
            it->second.insert(FoldedCase(LeafName(target)));
    }

private:
    const std::set<std::wstring>& Listing(const std::wstring& folder) {
        auto [it, made] = listings_.try_emplace(FoldedCase(folder));
        if (made)
            for (const FoundFile& found : files_.Find(JoinPath(folder, L"*"))) it->second.insert(FoldedCase(found.name));
        return it->second;
    }

    FileSystem& files_;
    std::map<std::wstring, std::set<std::wstring>> listings_;  // by folded folder: folded names
};

std::wstring ListOf(const std::vector<PlannedCopy>& copies, CopyState state) {
    std::wstring list;
    for (const PlannedCopy& copy : copies) {
        if (copy.state != state) continue;
        list += copy.target ? *copy.target : copy.entry.path;  // too long to resolve: as written
        list += L"\r\n";
    }
    return list;
}

}  // namespace

bool CopyFiles(Profile& ini, FileSystem& files, System& system, CopyDialogs& dialogs, RecordJournal& journal,
               const Texts& texts, const CopyJob& job) {
    ini.Write(L"Check", L"Copy", job.copyChecked ? L"2" : L"0");
    ini.Write(L"Check", L"Del", job.deleteAfterChecked ? L"2" : L"0");
    ini.Write(L"Root", L"Named", job.installFolder);

    int folders = MakeFolder(ini, files, job.installFolder, 0);
    for (const std::wstring& sub : ReadList(ini, L"MakeDirectory", 1))
        folders = MakeFolder(ini, files, JoinPath(job.installFolder, sub), folders);
    WriteInt(ini, L"MakedDirectory", L"Count", folders);

    CopiedFileRecord record(ini, journal);
    CopyRun run(record, files, ini.ReadInt(L"CopyFile", L"Reboot", 0) != 0);
    TargetTimes targetTimes(files);
    std::vector<PlannedCopy> copies;
    // Read whole: an entry cut to a path's length would name another file.
    for (const std::wstring& text : ReadList(ini, L"CopyFile", 0, L"", kLongValueChars)) {
        PlannedCopy& copy = copies.emplace_back();
        copy.entry = ParseCopyEntry(text);
        copy.source = JoinPath(job.sourceFolder, copy.entry.path);
        copy.target = ResolvePath(copy.entry.path, job.installFolder, PathMode::Plain, system);
        if (copy.target) {
            // A new file (the usual case) needs no look at its source.
            const auto targetTime = targetTimes.Of(*copy.target);
            const auto sourceTime = targetTime ? files.LastWriteTime(copy.source) : std::nullopt;
            if (sourceTime && targetTime && *sourceTime <= *targetTime) {
                if (copy.entry.keepNewer) continue;  // done, neither copied nor recorded
                if (!copy.entry.replaceNewer) {
                    copy.state = CopyState::Ask;
                    continue;
                }
            }
        }
        run.Copy(copy);
        if (copy.target && copy.state == CopyState::Done) targetTimes.Copied(*copy.target);
    }

    if (const std::wstring asked = ListOf(copies, CopyState::Ask); !asked.empty()) {
        const bool yes = dialogs.AskOverwrite(texts.newerExist + asked + texts.overwrite,
                                              ini.ReadInt(L"CopyFile", L"DefaultNo", 0) != 0);
        for (PlannedCopy& copy : copies) {
            if (copy.state != CopyState::Ask) continue;
            if (yes) run.Copy(copy);
            else copy.state = CopyState::Done;
        }
        dialogs.RepaintBackground();
    }
    if (const std::wstring failed = ListOf(copies, CopyState::Failed); !failed.empty()) {
        dialogs.ReportNotCopied(texts.notCopied + failed + L"\r\n" + texts.continuing);
        dialogs.RepaintBackground();
    }

    const std::wstring self = ReadString(ini, L"CopyFile", L"Self");
    if (ini.ReadInt(L"Check", L"Copy", 0) == 2 && !self.empty()) {
        const std::wstring target = JoinPath(job.installFolder, LeafName(self));
        record.Add(target);
        files.CopyOver(JoinPath(job.sourceFolder, self), target);
    }
    record.Write(files);
    return run.restartNeeded();
}

SetupPlacement PlaceInstalledSetup(FileSystem& files, const std::wstring& self, const std::wstring& installFolder) {
    const std::wstring installed = JoinPath(installFolder, L"Setup.exe");
    if (EqualNoCase(self, installed)) return SetupPlacement::AlreadyThere;
    return files.CopyOver(self, installed) ? SetupPlacement::Copied : SetupPlacement::Failed;
}

}  // namespace setup
