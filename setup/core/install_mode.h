// For whom a product is installed: the current user only (nothing elevated, the uninstall entry
// under HKEY_CURRENT_USER) or every user of the machine (elevated, HKEY_LOCAL_MACHINE).
#pragma once
#include "profile.h"
#include "registry.h"

namespace setup {

enum class InstallMode { PerMachine, PerUser };

// [Setup] PerUser non-zero: per-user. A Setup.ini without the key is per-machine, as before.
InstallMode ReadInstallMode(Profile& ini);

// Where the uninstall registration and the previous-installation lookup live in that mode.
RegRoot UninstallRoot(InstallMode mode);

}  // namespace setup
