#include "install_mode.h"

namespace setup {

InstallMode ReadInstallMode(Profile& ini) {
    return ini.ReadInt(L"Setup", L"PerUser", 0) != 0 ? InstallMode::PerUser : InstallMode::PerMachine;
}

RegRoot UninstallRoot(InstallMode mode) {
    return mode == InstallMode::PerUser ? RegRoot::CurrentUser : RegRoot::LocalMachine;
}

}  // namespace setup
