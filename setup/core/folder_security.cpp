#include "folder_security.h"

namespace setup {

namespace {

bool Trusted(Trustee trustee) {
    return trustee == Trustee::System || trustee == Trustee::Administrators || trustee == Trustee::TrustedInstaller ||
           trustee == Trustee::Installer;
}

}  // namespace

bool OthersMayWrite(const FolderSecurity& security) {
    if (!security.hasAccessList) return true;
    for (const AccessEntry& entry : security.entries) {
        // What an object's creator gets goes to whoever may create there, and that is judged by
        // the other entries.
        if (entry.allows && entry.writes && !Trusted(entry.trustee) && entry.trustee != Trustee::CreatorOwner)
            return true;
    }
    return false;
}

FolderVerdict JudgeInstallFolder(const std::optional<FolderSecurity>& security) {
    if (!security) return FolderVerdict::Unreadable;
    if (!Trusted(security->owner)) return FolderVerdict::OwnedByOther;
    if (OthersMayWrite(*security)) return FolderVerdict::WritableByOthers;
    return FolderVerdict::Safe;
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
