#include "folder_security.h"

#include "paths.h"

namespace setup {

namespace {

bool Trusted(Trustee trustee) {
    return trustee == Trustee::System || trustee == Trustee::Administrators || trustee == Trustee::TrustedInstaller ||
           trustee == Trustee::Installer;
}

// An allow entry that gives someone untrusted one of `rights`. What an object's creator gets goes to
// whoever may create there, and that is judged by the other entries.
bool OthersHold(const FolderSecurity& security, unsigned rights, bool onlyWhereItApplies) {
    if (!security.hasAccessList) return true;
    for (const AccessEntry& entry : security.entries) {
        if (entry.allows && (entry.rights & rights) != 0 && !Trusted(entry.trustee) &&
            entry.trustee != Trustee::CreatorOwner && (entry.appliesHere || !onlyWhereItApplies))
            return true;
    }
    return false;
}

}  // namespace

bool OthersMayWrite(const FolderSecurity& security) {
    return OthersHold(security, kWriteRight | kDeleteRight | kDeleteChildRight | kChangeSecurityRight, false);
}

FolderVerdict JudgeInstallFolder(const std::optional<FolderSecurity>& security) {
    if (!security) return FolderVerdict::Unreadable;
    if (!Trusted(security->owner)) return FolderVerdict::OwnedByOther;
    if (OthersMayWrite(*security)) return FolderVerdict::WritableByOthers;
    return FolderVerdict::Safe;
}

FolderVerdict JudgeFoldersAbove(const std::vector<std::optional<FolderSecurity>>& above) {
    for (size_t i = 0; i < above.size(); ++i) {
        if (!above[i]) return FolderVerdict::Unreadable;
        // Entries that only pass on to what is made inside show in the lists of the folders below.
        const bool root = i + 1 == above.size();
        const unsigned rights = kDeleteChildRight | kChangeSecurityRight | (root ? 0u : unsigned{kDeleteRight});
        if (!Trusted(above[i]->owner) || OthersHold(*above[i], rights, true)) return FolderVerdict::MovableByOthers;
    }
    return FolderVerdict::Safe;
}

FolderVerdict JudgeInstallPlace(const std::wstring& folder, FileSystem& files, FolderSecurityReader& reader) {
    if (files.Exists(folder))
        if (const FolderVerdict verdict = JudgeInstallFolder(reader.Read(folder)); verdict != FolderVerdict::Safe)
            return verdict;
    std::vector<std::optional<FolderSecurity>> above;
    for (std::wstring up = FolderOf(folder); !up.empty(); up = FolderOf(up))
        if (files.Exists(up)) above.push_back(reader.Read(up));
    return JudgeFoldersAbove(above);
}

std::wstring FolderRefusal(FolderVerdict verdict, const std::wstring& folder, const Texts& texts) {
    const wchar_t* reason = nullptr;
    switch (verdict) {
    case FolderVerdict::Safe:
        return L"";
    case FolderVerdict::OwnedByOther:
        reason = texts.folderOwnedByOther;
        break;
    case FolderVerdict::WritableByOthers:
        reason = texts.folderWritableByOthers;
        break;
    case FolderVerdict::MovableByOthers:
        reason = texts.folderMovableByOthers;
        break;
    case FolderVerdict::Unreadable:
        reason = texts.folderUnreadable;
        break;
    }
    return reason + folder + texts.folderRefusedAdvice;
}

bool NewFolderNeedsOwnAccessList(const std::optional<FolderSecurity>& parent) {
    return !parent || OthersMayWrite(*parent);
}

}  // namespace setup
