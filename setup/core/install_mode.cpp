#include "install_mode.h"
#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

InstallMode ReadInstallMode(Profile& ini) {
    return Read(ini, keys::kPerUser) != 0 ? InstallMode::PerUser : InstallMode::PerMachine;
}

RegRoot UninstallRoot(InstallMode mode) {
    return mode == InstallMode::PerUser ? RegRoot::CurrentUser : RegRoot::LocalMachine64;
}

bool NeedsSettingsFile(const std::wstring& word) { return word != L"reboot" && word != L"remove"; }

PrivatePlace PrivatePlaceFor(Elevation elevation, const std::wstring& userTemp, const std::wstring& windowsFolder) {
    // Elevated, never the account's temporary folder, not even when the system's is unknown.
    if (elevation == Elevation::Elevated) return {windowsFolder.empty() ? L"" : JoinPath(windowsFolder, L"Temp"), true};
    return {userTemp, false};
}

StartAction StartActionFor(InstallMode mode, const std::wstring& word, Elevation elevation, bool relaunchWaiting) {
    if (word == L"reboot" || word == L"remove") return StartAction::Run;
    if (mode == InstallMode::PerUser || elevation != Elevation::Limited) return StartAction::Run;
    return relaunchWaiting ? StartAction::RefuseUnelevated : StartAction::RelaunchElevated;
}

}  // namespace setup
