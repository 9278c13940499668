#include "windows_security.h"

#include <aclapi.h>
#include <ntsecapi.h>
#include <sddl.h>

#include <vector>

#include "paths.h"

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

// The rights of an access mask as the verdicts weigh them.
unsigned RightsOf(ACCESS_MASK mask) {
    unsigned rights = 0;
    if (mask & (GENERIC_ALL | MAXIMUM_ALLOWED)) return kWriteRight | kDeleteRight | kDeleteChildRight | kChangeSecurityRight;
    if (mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_WRITE)) rights |= kWriteRight;
    if (mask & DELETE) rights |= kDeleteRight;
    if (mask & FILE_DELETE_CHILD) rights |= kDeleteChildRight;
    if (mask & (WRITE_DAC | WRITE_OWNER)) rights |= kChangeSecurityRight;
    return rights;
}

constexpr unsigned kAllRights = kWriteRight | kDeleteRight | kDeleteChildRight | kChangeSecurityRight;

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
    // "C:" alone is the current folder of drive C; the drive's root is "C:\\".
    const std::wstring folder = path.size() == 2 && path[1] == L':' ? path + L'\\' : path;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return std::nullopt;
    const TokenAccount self(GetCurrentProcess());
    FolderSecurity security;
    security.owner = owner ? TrusteeOf(owner, self.sid()) : Trustee::Other;
    security.hasAccessList = dacl != nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) {
            security.entries.push_back({Trustee::Other, true, kAllRights, true});  // unreadable: at its worst
            continue;
        }
        const bool here = (header->AceFlags & INHERIT_ONLY_ACE) == 0;
        if (header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE) {
            security.entries.push_back({Trustee::Other, false, kAllRights, here});
        } else if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
            security.entries.push_back({TrusteeOf(&ace->SidStart, self.sid()), true, RightsOf(ace->Mask), here});
        } else {
            security.entries.push_back({Trustee::Other, true, kAllRights, true});  // a kind not read here
        }
    }
    LocalFree(sd);
    return security;
}

bool CreateProtectedFolder(const std::wstring& path) {
    // Protected ("P"): nothing of the parent's list is inherited. Users: read, list and run.
    return CreateFolderWith(path, L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
}

std::wstring MakeUnforeseeableFolder(const std::wstring& parent, FolderUsers users) {
    std::wstring descriptor = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    if (users == FolderUsers::ThisAccount) {
        const TokenAccount self(GetCurrentProcess());
        if (!self.sid()) return {};
        descriptor = L"D:P(A;OICI;FA;;;" + SidText(self.sid()) + L")";
    }
    for (unsigned attempt = 0; attempt < 10; ++attempt) {
        unsigned char random[16];
        if (!RtlGenRandom(random, sizeof random)) return {};
        std::wstring name = L"setup-";
        for (unsigned char byte : random) {
            name += L"0123456789abcdef"[byte >> 4];
            name += L"0123456789abcdef"[byte & 15];
        }
        const std::wstring folder = JoinPath(parent, name);
        if (CreateFolderWith(folder, descriptor)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

std::optional<ProcessRights> ReadProcessRights(HANDLE process) {
    const TokenAccount account(process);
    if (!account.sid()) return std::nullopt;
    return ProcessRights{SidText(account.sid()), account.elevated(), IsWellKnownSid(account.sid(), WinLocalSystemSid) != 0};
}

}  // namespace setup
