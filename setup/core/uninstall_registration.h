// The entry in the system's list of installed programs, and the product's own registry keys.
#pragma once
#include <optional>
#include <string>

#include "profile.h"
#include "registry.h"

namespace setup {

inline constexpr const wchar_t* kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The product's folder name, which names its uninstall entry too: the leaf of Root Name. A version-up
// keeps Root Name as its Setup.ini gives it, folder macro and all ("%userprograms%\ZEP!": "ZEP!").
std::wstring RegistrationName(Profile& ini);

// The uninstall command of an installation in `installFolder`: its Setup.exe, quoted (a path with
// blanks must not be taken for a shorter one), with " uninstall" for an automatic removal.
std::wstring UninstallCommand(const std::wstring& installFolder, bool automatic);

// The entry lives under the root of the install mode (HKEY_CURRENT_USER for a per-user product).
void RegisterUninstall(Profile& ini, Registry& registry);
// The registration, and the product's keys under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
void UnregisterUninstall(Profile& ini, Registry& registry);

// The folder of an earlier installation of this product, from the registration named by the leaf
// of Root Name under the root of the install mode; none without one.
std::optional<std::wstring> RegisteredInstallFolder(Profile& ini, Registry& registry);

}  // namespace setup
