// The copying step of an installation: folders made and recorded, files copied by the overwrite
// rules, files in use replaced at the next restart, the install record written.
#pragma once
#include <string>

#include "file_system.h"
#include "folder_security.h"
#include "install_record.h"
#include "profile.h"
#include "system.h"
#include "texts.h"

namespace setup {

// One CopyFile entry: prefix characters (in this order) and the path.
struct CopyEntry {
    bool unrecorded = false;      // "!": removal leaves the target
    bool keepNewer = false;       // "&": a target as new or newer is skipped silently
    bool replaceNewer = false;    // "?": a target as new or newer is replaced without asking
    bool ignoreFailure = false;   // "*": a failure is not listed
    std::wstring path;
};
CopyEntry ParseCopyEntry(const std::wstring& text);

// Creates `path` (and its missing parents) and adds to `made` what it made, parents first, and `path`
// itself when it was there already (a folder asked for is on record either way); true when `path`
// was made here.
bool MakeFolder(FileSystem& files, const std::wstring& path, std::vector<std::wstring>& made);

// The questions and reports of the copying step.
class CopyDialogs {
public:
    virtual ~CopyDialogs() = default;
    virtual bool AskOverwrite(const std::wstring& text, bool defaultNo) = 0;  // true: Yes
    virtual void ReportNotCopied(const std::wstring& text) = 0;
    // A target as new as its source, kept by "&".
    virtual void NoteSkipped(const std::wstring& target) = 0;
    virtual void RepaintBackground() = 0;
};

struct CopyJob {
    std::wstring installFolder;  // the folder field
    std::wstring sourceFolder;   // the current folder: the distribution
    bool copyChecked = false;    // the package boxes
    bool deleteAfterChecked = false;
    // A per-machine installation: the security of the install folder's place, judged again once
    // the folder is there.
    FolderSecurityReader* machineFolders = nullptr;
};

struct CopyResult {
    // Not Safe: the install folder was refused once it was there; nothing was copied or recorded,
    // and the folders this step made are gone again.
    FolderVerdict folder = FolderVerdict::Safe;
    bool restartNeeded = false;  // a file is to be replaced at the next restart
};

// Runs the whole step. The CopiedFile record is kept through `journal` while the files are copied
// (see CopiedFileRecord).
CopyResult CopyFiles(Profile& ini, FileSystem& files, System& system, CopyDialogs& dialogs, RecordJournal& journal,
               const Texts& texts, const CopyJob& job);

enum class SetupPlacement { AlreadyThere, Copied, Failed };

// setup itself (`self`) into the install folder as Setup.exe, where removal and the follow-up of
// the run start from. Failed: what lies there is not this setup, and nothing may be started from it.
SetupPlacement PlaceInstalledSetup(FileSystem& files, const std::wstring& self, const std::wstring& installFolder);

}  // namespace setup
