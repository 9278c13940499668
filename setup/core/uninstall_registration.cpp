#include "uninstall_registration.h"

#include "paths.h"

namespace setup {

std::wstring UninstallCommand(const std::wstring& installFolder, bool automatic) {
    return L"\"" + JoinPath(installFolder, L"Setup.exe") + L"\"" + (automatic ? L" uninstall" : L"");
}

void RegisterUninstall(Profile& ini, Registry& registry) {
    const RegRoot machine = RegRoot::LocalMachine;
    const std::wstring name = ReadString(ini, L"Root", L"Name");
    if (name.empty()) return;  // never into the list's own key
    const std::wstring key = JoinPath(kUninstallKey, name);
    if (!registry.CreateKey(machine, key)) return;
    if (const std::wstring product = ReadString(ini, L"Setup", L"Name"); !product.empty())
        registry.WriteString(machine, key, L"DisplayName", product);
    const std::wstring root = ReadString(ini, L"Root", L"Named");
    if (root.empty()) return;
    registry.WriteString(machine, key, L"UninstallString", UninstallCommand(root, ini.ReadInt(L"Del", L"Auto", 0) != 0));
    registry.WriteString(machine, key, L"DisplayIcon", JoinPath(root, L"Setup.exe"));
    registry.WriteString(machine, key, L"InstallLocation", root);
}

void UnregisterUninstall(Profile& ini, Registry& registry) {
    const std::wstring name = ReadString(ini, L"Root", L"Name");
    if (name.empty()) return;
    DeleteKeyTree(registry, RegRoot::LocalMachine, JoinPath(kUninstallKey, name));
    const std::wstring company = ReadString(ini, L"Registry", L"Company");
    if (company.empty()) return;
    const std::wstring product = ReadString(ini, L"Registry", L"Name");
    const std::wstring key = product.empty() ? JoinPath(L"SOFTWARE", company)
                                             : JoinPath(JoinPath(L"SOFTWARE", company), product);
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) {
        DeleteKeyTree(registry, root, key);
        DeleteKeyIfEmpty(registry, root, JoinPath(L"SOFTWARE", company));
    }
}

}  // namespace setup
