// Whether the folders of a per-machine installation are safe for an elevated setup: no account
// other than the machine's administrators and the installing account may own the install folder,
// write into it, or take it away (rename or delete it or a folder above it, and put another in its
// place). The window layer reads owners and access lists into FolderSecurity; the verdicts are
// made here.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "file_system.h"
#include "texts.h"

namespace setup {

// The accounts and groups an access list names, as far as the verdicts tell them apart.
enum class Trustee {
    System,
    Administrators,
    TrustedInstaller,
    Installer,      // the account setup runs as
    CreatorOwner,   // stands for whoever creates an object below; never applies to the folder itself
    Users,
    AuthenticatedUsers,
    Everyone,
    Other,          // any other account or group
};

// Rights of an entry, as far as the verdicts weigh them.
enum AccessRight : unsigned {
    kWriteRight = 1,           // change the contents
    kDeleteRight = 2,          // delete or rename the folder itself
    kDeleteChildRight = 4,     // delete or rename anything in it, whatever that allows
    kChangeSecurityRight = 8,  // change its access list or owner
};

struct AccessEntry {
    Trustee trustee = Trustee::Other;
    bool allows = true;       // an allow entry; deny entries only ever take rights away
    unsigned rights = 0;      // AccessRight bits
    bool appliesHere = true;  // false: only inherited by what is made inside
};

struct FolderSecurity {
    Trustee owner = Trustee::Other;
    bool hasAccessList = true;  // no access list at all: everyone has every right
    std::vector<AccessEntry> entries;
};

// Whether anyone but the administrators and the installing account may change the folder or what
// it will hold, by any allow entry, inherited or not. Deny entries are not weighed: a folder whose
// safety hangs on the order of its entries is not taken as safe.
bool OthersMayWrite(const FolderSecurity& security);

enum class FolderVerdict { Safe, OwnedByOther, WritableByOthers, MovableByOthers, Unreadable };

// An existing install folder; none: its security could not be read.
FolderVerdict JudgeInstallFolder(const std::optional<FolderSecurity>& security);

// The existing folders above the install folder, nearest first, the root last: none of them may
// let others rename or replace what lies below it (a root cannot be renamed itself).
FolderVerdict JudgeFoldersAbove(const std::vector<std::optional<FolderSecurity>>& above);

// Reads the owners and access lists of folders: the system's, or a test's.
class FolderSecurityReader {
public:
    virtual ~FolderSecurityReader() = default;
    // None when they cannot be read.
    virtual std::optional<FolderSecurity> Read(const std::wstring& folder) = 0;
};

// The place of an install folder: the folder itself when it is there, then the folders above it
// that are there (a missing one is made by setup, with an access list of its own where needed).
FolderVerdict JudgeInstallPlace(const std::wstring& folder, FileSystem& files, FolderSecurityReader& reader);

// The message refusing `folder` for `verdict`; empty when it is safe.
std::wstring FolderRefusal(FolderVerdict verdict, const std::wstring& folder, const Texts& texts);

// Whether a folder made under `parent` needs an access list of its own (protected from what the
// parent passes on) because the parent lets others write or cannot be read.
bool NewFolderNeedsOwnAccessList(const std::optional<FolderSecurity>& parent);

}  // namespace setup
