#include "windows_security.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace setup {

namespace {

// The account of this process's token, kept in a buffer of its own.
class TokenAccount {
public:
    explicit TokenAccount(HANDLE process) {
        HANDLE token;
        if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        buffer_.resize(size);
        if (size == 0 || !GetTokenInformation(token, TokenUser, buffer_.data(), size, &size)) buffer_.clear();
        TOKEN_ELEVATION elevation{};
        // Before the consent prompt existed there was no elevation to ask about: not elevated.
        elevated_ = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                    elevation.TokenIsElevated != 0;
        CloseHandle(token);
    }
    PSID sid() const { return buffer_.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(buffer_.data())->User.Sid; }
    bool elevated() const { return elevated_; }

private:
    std::vector<BYTE> buffer_;
    bool elevated_ = false;
};

std::wstring SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"";
    std::wstring result = text;
    LocalFree(text);
    return result;
}

// The service account that owns the system's own files.
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

Trustee TrusteeOf(PSID sid, PSID installer) {
    const std::pair<WELL_KNOWN_SID_TYPE, Trustee> known[] = {
        {WinLocalSystemSid, Trustee::System},       {WinBuiltinAdministratorsSid, Trustee::Administrators},
        {WinCreatorOwnerSid, Trustee::CreatorOwner}, {WinBuiltinUsersSid, Trustee::Users},
        {WinAuthenticatedUserSid, Trustee::AuthenticatedUsers}, {WinWorldSid, Trustee::Everyone},
    };
    for (const auto& [type, trustee] : known)
        if (IsWellKnownSid(sid, type)) return trustee;
    if (installer && EqualSid(sid, installer)) return Trustee::Installer;
    if (SidText(sid) == kTrustedInstaller) return Trustee::TrustedInstaller;
    return Trustee::Other;
}

// Rights that change the folder, what it holds or who may use it.
constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                     WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;

bool CreateFolderWith(const std::wstring& path, const std::wstring& descriptor) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor.c_str(), SDDL_REVISION_1, &sd, nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, sd, FALSE};
    const bool made = CreateDirectoryW(path.c_str(), &attributes);
    LocalFree(sd);
    return made;
}

}  // namespace

std::optional<FolderSecurity> ReadFolderSecurity(const std::wstring& path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return std::nullopt;
    const TokenAccount self(GetCurrentProcess());
    FolderSecurity security;
    security.owner = owner ? TrusteeOf(owner, self.sid()) : Trustee::Other;
    security.hasAccessList = dacl != nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) {
            security.entries.push_back({Trustee::Other, true, true});  // unreadable: taken at its worst
            continue;
        }
        if (header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE) {
            security.entries.push_back({Trustee::Other, false, true});
        } else if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
            security.entries.push_back({TrusteeOf(&ace->SidStart, self.sid()), true, (ace->Mask & kWriteRights) != 0});
        } else {
            security.entries.push_back({Trustee::Other, true, true});  // a kind not read here
        }
    }
    LocalFree(sd);
    return security;
}

bool CreateProtectedFolder(const std::wstring& path) {
    // Protected ("P"): nothing of the parent's list is inherited. Users: read, list and run.
    return CreateFolderWith(path, L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
}

bool CreatePrivateFolder(const std::wstring& path) {
    const TokenAccount self(GetCurrentProcess());
    if (!self.sid()) return false;
    return CreateFolderWith(path, L"D:P(A;OICI;FA;;;" + SidText(self.sid()) + L")");
}

std::optional<ProcessRights> ReadProcessRights(HANDLE process) {
    const TokenAccount account(process);
    if (!account.sid()) return std::nullopt;
    return ProcessRights{SidText(account.sid()), account.elevated(), IsWellKnownSid(account.sid(), WinLocalSystemSid) != 0};
}

}  // namespace setup
