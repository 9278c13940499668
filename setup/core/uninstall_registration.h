// The entry in the system's list of installed programs, and the product's own registry keys.
#pragma once
#include <optional>
#include <string>

#include "file_system.h"
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

// The command that removes the installation without a window or a question: the removal's command
// word and the silent switch, whether or not the entry's own command carries the word.
std::wstring QuietUninstallCommand(const std::wstring& installFolder);

// The room the recorded files take, in KiB (rounded up, each file once), as the installed-programs
// list shows it.
uint32_t InstalledKiB(Profile& ini, FileSystem& files);

// The entry lives under the root of the install mode (HKEY_CURRENT_USER for a per-user product).
// Beside its name and commands it carries what the Setup.ini says of the product (Setup Version,
// Publisher, URL; a value the Setup.ini no longer names goes, so a version-up leaves nothing
// stale), the size of the recorded files, and that it can only be removed (no change, no repair).
void RegisterUninstall(Profile& ini, Registry& registry, FileSystem& files);
// The registration, and the product's keys under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
void UnregisterUninstall(Profile& ini, Registry& registry);

// The folder of an earlier installation of this product, from the registration named by the leaf
// of Root Name under the root of the install mode; none without one.
std::optional<std::wstring> RegisteredInstallFolder(Profile& ini, Registry& registry);

}  // namespace setup
