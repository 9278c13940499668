#include "uninstall_registration.h"

#include <algorithm>
#include <limits>
#include <set>

#include "case_fold.h"
#include "install_mode.h"
#include "install_record.h"
#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

std::wstring RegistrationName(Profile& ini) { return LeafName(Read(ini, keys::kRootName)); }

std::wstring UninstallCommand(const std::wstring& installFolder, bool automatic) {
    return L"\"" + JoinPath(installFolder, L"Setup.exe") + L"\"" + (automatic ? L" uninstall" : L"");
}

std::wstring QuietUninstallCommand(const std::wstring& installFolder) {
    return UninstallCommand(installFolder, true) + L" /S";
}

uint32_t InstalledKiB(Profile& ini, FileSystem& files) {
    std::set<std::wstring> counted;
    uint64_t bytes = 0;
    for (const std::wstring& path : InstallRecord(ini).Files()) {
        if (!counted.insert(FoldedCase(path)).second) continue;
        if (const auto size = files.FileSize(path)) bytes += *size;
    }
    return static_cast<uint32_t>(std::min<uint64_t>((bytes + 1023) / 1024, std::numeric_limits<uint32_t>::max()));
}

void RegisterUninstall(Profile& ini, Registry& registry, FileSystem& files) {
    const RegRoot root = UninstallRoot(ReadInstallMode(ini));
    const std::wstring name = RegistrationName(ini);
    if (name.empty()) return;  // never into the list's own key
    const std::wstring key = JoinPath(kUninstallKey, name);
    if (!registry.CreateKey(root, key)) return;
    if (const std::wstring product = Read(ini, keys::kProductName); !product.empty())
        registry.WriteString(root, key, L"DisplayName", product);
    for (const auto& [value, setting] : {std::pair{L"DisplayVersion", keys::kVersion},
                                         std::pair{L"Publisher", keys::kPublisher}, std::pair{L"URLInfoAbout", keys::kUrl}}) {
        const std::wstring text = Read(ini, setting);
        if (text.empty()) {
            if (registry.ValueExists(root, key, value)) registry.DeleteValue(root, key, value);
        } else {
            registry.WriteString(root, key, value, text);
        }
    }
    registry.WriteDword(root, key, L"EstimatedSize", InstalledKiB(ini, files));
    registry.WriteDword(root, key, L"NoModify", 1);
    registry.WriteDword(root, key, L"NoRepair", 1);
    const std::wstring folder = Read(ini, keys::kRootNamed);
    if (folder.empty()) return;
    registry.WriteString(root, key, L"UninstallString", UninstallCommand(folder, Read(ini, keys::kDelAuto) != 0));
    registry.WriteString(root, key, L"QuietUninstallString", QuietUninstallCommand(folder));
    registry.WriteString(root, key, L"DisplayIcon", JoinPath(folder, L"Setup.exe"));
    registry.WriteString(root, key, L"InstallLocation", folder);
}

void UnregisterUninstall(Profile& ini, Registry& registry) {
    const std::wstring name = RegistrationName(ini);
    if (name.empty()) return;
    DeleteKeyTree(registry, UninstallRoot(ReadInstallMode(ini)), JoinPath(kUninstallKey, name));
    const std::wstring company = Read(ini, keys::kRegistryCompany);
    if (company.empty()) return;
    const std::wstring product = Read(ini, keys::kRegistryName);
    const std::wstring key = product.empty() ? JoinPath(L"SOFTWARE", company)
                                             : JoinPath(JoinPath(L"SOFTWARE", company), product);
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) {
        DeleteKeyTree(registry, root, key);
        DeleteKeyIfEmpty(registry, root, JoinPath(L"SOFTWARE", company));
    }
}

std::optional<std::wstring> RegisteredInstallFolder(Profile& ini, Registry& registry) {
    const auto command = registry.ReadString(UninstallRoot(ReadInstallMode(ini)),
                                             JoinPath(kUninstallKey, RegistrationName(ini)), L"UninstallString");
    if (!command) return std::nullopt;
    return PreviousInstallFolder(*command);
}

}  // namespace setup
