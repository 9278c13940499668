// The record of what an installation made (MakedDirectory, CopiedFile), kept so that removal can
// undo exactly that.
#pragma once
#include <string>
#include <vector>

#include "file_system.h"
#include "profile.h"
#include "setup_ini_keys.h"
#include "texts.h"

namespace setup {

// The record of what an installation made, in two sections of Setup.ini: MakedDirectory (the
// folders made, parents first) and CopiedFile (the files copied), each a "Count" and entries "0",
// "1", ... . Everything that reads or writes them goes through here, with one reading rule: the
// entries 0 ... Count - 1 (empty ones skipped: a Count of 1 with nothing under "0" is an
// installation that copied nothing) and on past Count while entries follow. An entry past Count
// names something a run made and recorded before it could count it (a run that ended between the
// two, an earlier writer that counted short): a version-up keeps it, so removal must reach it too.
// Every write replaces a whole section, so no entry of a longer, earlier record stays behind its
// new Count. At most kMaxRecordEntries entries are read (a larger Count is damage, not entries).
class InstallRecord {
public:
    explicit InstallRecord(Profile& ini) : ini_(ini) {}

    // The Setup.ini records an installation (CopiedFile Count is not zero).
    bool Installed() const;
    std::vector<std::wstring> Folders() const { return Read(kFolders); }
    std::vector<std::wstring> Files() const { return Read(kFiles); }

    void WriteFolders(const std::vector<std::wstring>& folders) { Write(kFolders, folders, 0); }
    // Count at least 1: the installed state, even when nothing was copied.
    void WriteFiles(const std::vector<std::wstring>& files) { Write(kFiles, files, 1); }
    // Adds every entry of `earlier` (the record an earlier version left in the install folder) that
    // this record does not hold yet (paths compare without regard to case), so a version-up keeps
    // the earlier files on record.
    void Merge(const InstallRecord& earlier);
    // Nothing made, nothing copied: the Setup.ini shows no installation.
    void Forget();

private:
    static constexpr const wchar_t* kFolders = keys::kRecordFolders;
    static constexpr const wchar_t* kFiles = keys::kRecordFiles;

    int Count(const wchar_t* section) const;
    std::vector<std::wstring> Read(const wchar_t* section) const;
    // Replaces the section; its Count is the number of entries, `leastCount` at least.
    void Write(const wchar_t* section, const std::vector<std::wstring>& entries, int leastCount);
    void MergeSection(const InstallRecord& earlier, const wchar_t* section, int leastCount);

    Profile& ini_;
};

// Ends each line of the journal: no file name holds it.
inline constexpr wchar_t kJournalLineEnd = L'|';

// An append-only file beside Setup.ini that holds the record of the files being copied while the
// copying step runs (see CopiedFileRecord).
class RecordJournal {
public:
    virtual ~RecordJournal() = default;
    // What is in it: lines that runs which ended before writing their record left; empty when
    // there is no journal.
    virtual std::wstring Read() = 0;
    // `lines` after what is there, in one write.
    virtual bool Append(const std::wstring& lines) = 0;
    // What was appended, onto the disk.
    virtual void Sync() = 0;
    virtual void Remove() = 0;
};

// The files that runs which ended before writing their record (the program was killed, the
// machine went down) had copied or were copying: the "+" lines of a journal less the "-" lines
// that withdrew them. A line is "+" or "-", the path and "|"; a line without its "|" was cut
// short by the end of its run and counts as absent.
std::vector<std::wstring> JournalledFiles(const std::wstring& journal);

// The CopiedFile record of one copying step. Rewriting Setup.ini once per file (which a write of
// a key does) makes the step's cost grow with the square of the number of files; instead:
//  - before a file is copied, a "+" line with its target is appended to the journal, and a "-"
//    line when its copy failed: a file can reach the folder only after its line was written, so
//    the end of the program at any moment leaves every file that reached the folder in the
//    journal (a file whose copy was cut short is in it too: removing it is what its removal wants);
//  - the journal goes to the disk every kSyncBatch lines: a crash of the machine (not only of
//    the program) loses at most that many lines;
//  - Write() puts the whole record into Setup.ini at once, flushes it, and only then removes the
//    journal;
//  - a journal found at the start of a copying step was left by a run that ended before Write():
//    the files it names that are there are added to the record after this run's own (this run
//    may install elsewhere: setup writes the leaf of the folder back to Root Name at every start),
//    and the journal is kept until this run's record is written. The journal is trusted as far as
//    the Setup.ini beside it, which names every file and folder setup touches anyway; a path that
//    names a folder or nothing is never taken.
class CopiedFileRecord {
public:
    static constexpr int kSyncBatch = 256;

    CopiedFileRecord(InstallRecord& record, RecordJournal& journal);
    // Before `target` is copied: it is on record from now on.
    void Add(const std::wstring& target);
    // Its copy failed: not on record.
    void Withdraw(const std::wstring& target);
    int count() const { return static_cast<int>(entries_.size()); }
    // The record into Setup.ini, with the files of an unfinished earlier run that are there.
    void Write(FileSystem& files);

private:
    void Journal(wchar_t mark, const std::wstring& target);

    InstallRecord& record_;
    RecordJournal& journal_;
    std::vector<std::wstring> earlier_;  // of an unfinished run
    std::vector<std::wstring> entries_;
    int unsynced_ = 0;
    bool cutLine_ = false;  // the journal ends in a line cut short
};

// Whether `found`, the Setup.ini in the chosen install folder, is a record of this product (an
// earlier version, or this run's own file): the same folder name (the leaf of Root Name) and the
// same product name (Setup Name). Only such a record is merged, has its menu cleaned up, and is
// replaced without a question; another product's record belongs to that product's removal.
bool SameProductRecord(Profile& ours, Profile& found);

// The question before another product's setup in the install folder is replaced.
std::wstring ForeignSetupQuestion(Profile& found, const Texts& texts);

// The record stands in two Setup.ini files: the one in the install folder and the one of the
// distribution it was installed from. Only the copy of setup in the install folder acts on it: its
// Setup.ini holds the whole record (a version-up merges the earlier ones into it), and it is the
// copy that removes itself and its folder at the end of a removal.
struct SetupCopy {
    bool recorded = false;               // CopiedFile Count is non-zero
    std::wstring installFolder;          // Root Named
    bool isInstalledCopy = false;        // this program is the install folder's Setup.exe
    bool installedCopyExists = false;    // that Setup.exe is there
    bool handedOver = false;             // started by another copy's hand-over
    bool handOverFailed = false;         // the installed copy was to take over and could not be started
};
enum class CopyRole {
    RunHere,       // not installed, or the installed copy itself
    HandOver,      // start the installed copy instead (same command word) and end
    ForgetRecord,  // the product's setup is gone (removed): the record is stale, install afresh
    Stop,          // the installed copy is there but could not be started: say so and change nothing
};
CopyRole RoleOf(const SetupCopy& copy);

}  // namespace setup
