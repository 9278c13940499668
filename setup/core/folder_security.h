// Whether a folder of a per-machine installation is safe for an elevated setup: no account other
// than the machine's administrators and the installing account may own it or write into it. The
// window layer reads the folder's owner and access list into a FolderSecurity; the verdicts are
// made here.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "texts.h"

namespace setup {

// The accounts and groups an access list names, as far as the verdict tells them apart.
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

struct AccessEntry {
    Trustee trustee = Trustee::Other;
    bool allows = true;     // an allow entry; deny entries only ever take rights away
    bool writes = false;    // grants a right to change the folder, its contents or its security
};

struct FolderSecurity {
    Trustee owner = Trustee::Other;
    bool hasAccessList = true;  // no access list at all: everyone has every right
    std::vector<AccessEntry> entries;
};

// Whether anyone but the administrators and the installing account may write into the folder or
// what it will hold, by any allow entry, inherited or not. Deny entries are not weighed: a folder
// whose safety hangs on the order of its entries is not taken as safe.
bool OthersMayWrite(const FolderSecurity& security);

enum class FolderVerdict { Safe, OwnedByOther, WritableByOthers, Unreadable };

// An existing install folder; none: its security could not be read.
FolderVerdict JudgeInstallFolder(const std::optional<FolderSecurity>& security);

// The message refusing `folder` for `verdict`; empty when it is safe.
std::wstring FolderRefusal(FolderVerdict verdict, const std::wstring& folder, const Texts& texts);

// Whether a folder made under `parent` needs an access list of its own (protected from what the
// parent passes on) because the parent lets others write or cannot be read.
bool NewFolderNeedsOwnAccessList(const std::optional<FolderSecurity>& parent);

}  // namespace setup
