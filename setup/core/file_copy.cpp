#include "file_copy.h"

#include <map>
#include <set>
#include <vector>

#include "case_fold.h"
#include "paths.h"
#include "setup_ini_keys.h"

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

bool MakeFolder(FileSystem& files, const std::wstring& path, std::vector<std::wstring>& made) {
    bool madeHere = files.CreateFolder(path);
    if (!madeHere && !files.Exists(path)) {
        const std::wstring parent = FolderOf(path);
        // Only a missing parent is made here; a folder refused for another reason stays unmade,
        // and no parent that was there before is recorded.
        if (parent.empty() || files.Exists(parent)) return false;
        MakeFolder(files, parent, made);
        if (!files.CreateFolder(path)) return false;
        madeHere = true;
    }
    made.push_back(path);
    return madeHere;
}

namespace {

enum class CopyState { Done, Ask, Failed };

struct PlannedCopy {
    CopyEntry entry;
    std::wstring source;
    std::optional<std::wstring> target;  // none: the path is too long to be used
    CopyState state = CopyState::Done;
    bool noRoom = false;  // failed for lack of room on the disk
};

class CopyRun {
public:
    CopyRun(CopiedFileRecord& record, FileSystem& files, bool reboot) : record_(record), files_(files), reboot_(reboot) {}

    // Copies one entry: Done (recorded unless "!") or, when it could not be copied, Failed (or
    // Done, unrecorded, for "*"). The target is on record before the copy can reach the folder.
    void Copy(PlannedCopy& copy) {
        const bool recorded = copy.target && !copy.entry.unrecorded;
        if (recorded) record_.Add(*copy.target);
        if (!copy.target || !CopyWhole(copy.source, *copy.target, copy.noRoom)) {
            if (recorded) record_.Withdraw(*copy.target);
            copy.state = copy.entry.ignoreFailure ? CopyState::Done : CopyState::Failed;
            return;
        }
        copy.state = CopyState::Done;
    }

    bool restartNeeded() const { return restartNeeded_; }

    // The target gets the whole copy or stays as it was: the copy is written under a temporary
    // name beside it (an "RBT" one) and then renamed over it, so a full disk or a lost drive never
    // leaves a short file that no record names. A target that cannot be replaced now (in use) is,
    // with Reboot, made writable and then replaced at the next restart by that same stand-in.
    bool CopyWhole(const std::wstring& source, const std::wstring& target, bool& noRoom) {
        const bool copied = CopyThroughStandIn(source, target, noRoom);
        files_.NoteCopy(source, target, copied);
        return copied;
    }

private:
    bool CopyThroughStandIn(const std::wstring& source, const std::wstring& target, bool& noRoom) {
        const auto temporary = files_.MakeTempFile(FolderOf(target), L"RBT");
        if (!temporary) {
            noRoom = files_.OutOfRoom();
            return false;
        }
        if (!files_.CopyOver(source, *temporary)) {
            noRoom = files_.OutOfRoom();
        } else if (files_.Rename(*temporary, target)) {
            return true;
        } else if (reboot_) {
            files_.SetNormalAttributes(target);
            if (files_.Rename(*temporary, target)) return true;
            if (files_.ScheduleAtRestart(*temporary, target)) {
                restartNeeded_ = true;
                return true;
            }
        }
        files_.Remove(*temporary);
        return false;
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

std::wstring ListOf(const std::vector<PlannedCopy>& copies, CopyState state, const Texts& texts) {
    std::wstring list;
    for (const PlannedCopy& copy : copies) {
        if (copy.state != state) continue;
        list += copy.target ? *copy.target : copy.entry.path;  // too long to resolve: as written
        if (copy.noRoom) list += std::wstring(L"  (") + texts.noRoom + L")";
        list += L"\r\n";
    }
    return list;
}

}  // namespace

CopyResult CopyFiles(Profile& ini, FileSystem& files, System& system, CopyDialogs& dialogs, RecordJournal& journal,
                     const Texts& texts, const CopyJob& job) {
    std::vector<std::wstring> folders;
    const bool installFolderMade = MakeFolder(files, job.installFolder, folders);
    if (job.machineFolders) {
        // A folder missing when the run was asked for was safe to make, but another user may have
        // made it (or a folder above it) since, and own it now: what is there, made by this step
        // or not, is judged again before anything goes into it.
        const FolderVerdict verdict = JudgeInstallPlace(job.installFolder, files, *job.machineFolders);
        if (verdict != FolderVerdict::Safe) {
            // What this step made goes again; a folder that was there is not setup's to remove.
            if (!installFolderMade) std::erase(folders, job.installFolder);
            for (auto made = folders.rbegin(); made != folders.rend(); ++made) files.RemoveFolder(*made);
            return {verdict, false};
        }
    }
    Write(ini, keys::kCheckCopy, job.copyChecked ? 2 : 0);
    Write(ini, keys::kCheckDel, job.deleteAfterChecked ? 2 : 0);
    Write(ini, keys::kRootNamed, job.installFolder);

    InstallRecord installRecord(ini);
    for (const std::wstring& sub : Read(ini, keys::kMakeDirectories))
        MakeFolder(files, JoinPath(job.installFolder, sub), folders);
    installRecord.WriteFolders(folders);

    CopiedFileRecord record(installRecord, journal);
    CopyRun run(record, files, Read(ini, keys::kCopyReboot) != 0);
    TargetTimes targetTimes(files);
    std::vector<PlannedCopy> copies;
    bool cut = false;
    // Read whole: an entry cut to a path's length would name another file.
    for (const std::wstring& text : Read(ini, keys::kCopyFiles, &cut)) {
        PlannedCopy& copy = copies.emplace_back();
        copy.entry = ParseCopyEntry(text);
        copy.source = JoinPath(job.sourceFolder, copy.entry.path);
        copy.target = ResolvePath(copy.entry.path, job.installFolder, PathMode::Plain, system);
        if (copy.target) {
            // A new file (the usual case) needs no look at its source.
            const auto targetTime = targetTimes.Of(*copy.target);
            const auto sourceTime = targetTime ? files.LastWriteTime(copy.source) : std::nullopt;
            if (sourceTime && targetTime && *sourceTime <= *targetTime) {
                if (copy.entry.keepNewer) {  // done, neither copied nor recorded
                    dialogs.NoteSkipped(*copy.target);
                    continue;
                }
                if (!copy.entry.replaceNewer) {
                    copy.state = CopyState::Ask;
                    continue;
                }
            }
        }
        run.Copy(copy);
        if (copy.target && copy.state == CopyState::Done) targetTimes.Copied(*copy.target);
    }

    if (const std::wstring asked = ListOf(copies, CopyState::Ask, texts); !asked.empty()) {
        const bool yes = dialogs.AskOverwrite(texts.newerExist + asked + texts.overwrite,
                                              Read(ini, keys::kCopyDefaultNo) != 0);
        for (PlannedCopy& copy : copies) {
            if (copy.state != CopyState::Ask) continue;
            if (yes) run.Copy(copy);
            else copy.state = CopyState::Done;
        }
        dialogs.RepaintBackground();
    }
    // A package named without a file name ("dist\") names no file: nothing to copy or record. The
    // package is on record whatever becomes of its copy; one that could not be copied is listed.
    const std::wstring self = Read(ini, keys::kCopySelf);
    if (Read(ini, keys::kCheckCopy) == 2 && !LeafName(self).empty()) {
        PlannedCopy& copy = copies.emplace_back();
        copy.target = JoinPath(job.installFolder, LeafName(self));
        record.Add(*copy.target);
        if (!run.CopyWhole(JoinPath(job.sourceFolder, self), *copy.target, copy.noRoom)) copy.state = CopyState::Failed;
    }
    // Entries past the list's bound are not copied either: named by their first key.
    const std::wstring unread = cut ? L"[CopyFile] " + std::to_wstring(kMaxListEntries) + L" ~\r\n" : L"";
    if (const std::wstring failed = ListOf(copies, CopyState::Failed, texts) + unread; !failed.empty()) {
        dialogs.ReportNotCopied(texts.notCopied + failed + L"\r\n" + texts.continuing);
        dialogs.RepaintBackground();
    }
    record.Write(files);
    return {FolderVerdict::Safe, run.restartNeeded()};
}

SetupPlacement PlaceInstalledSetup(FileSystem& files, const std::wstring& self, const std::wstring& installFolder) {
    const std::wstring installed = JoinPath(installFolder, L"Setup.exe");
    if (EqualNoCase(self, installed)) return SetupPlacement::AlreadyThere;
    const bool copied = files.CopyOver(self, installed);
    files.NoteCopy(self, installed, copied);
    return copied ? SetupPlacement::Copied : SetupPlacement::Failed;
}

}  // namespace setup
