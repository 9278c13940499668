#include "setup_state.h"

#include "install_record.h"
#include "paths.h"
#include "uninstall_registration.h"
#include "setup_ini_keys.h"

namespace setup {

StartingPoint FindStartingPoint(Profile& ini, Registry& registry, System& system, const std::wstring& commandLineFolder) {
    StartingPoint start;
    start.earlierFolder = RegisteredInstallFolder(ini, registry).value_or(L"");
    start.folder = start.earlierFolder;
    if (start.folder.empty()) {
        start.folder = DefaultInstallFolder(Read(ini, keys::kRootName), system);
        Write(ini, keys::kRootName, LeafName(start.folder));
    }
    if (InstallRecord(ini).Installed()) {
        start.state = SetupState::Installed;
        start.readmePage = L"uninstall";
        return start;
    }
    if (!commandLineFolder.empty()) start.folder = commandLineFolder;
    start.state = start.earlierFolder.empty() ? SetupState::Fresh : SetupState::VersionUp;
    start.readmePage = start.earlierFolder.empty() ? L"install" : L"versionup";
    return start;
}

}  // namespace setup
