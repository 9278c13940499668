// What setup finds at its start: a fresh installation, a version-up of an earlier one, or the
// installed copy (which offers removal), and the folder it proposes for each.
#pragma once
#include <string>

#include "profile.h"
#include "registry.h"
#include "system.h"

namespace setup {

enum class SetupState { Fresh, VersionUp, Installed };

struct StartingPoint {
    SetupState state = SetupState::Fresh;
    std::wstring folder;         // for the folder field
    std::wstring earlierFolder;  // where the registered earlier installation is; empty when none
    std::wstring readmePage;     // the first painted readme page
};

// The record of the Setup.ini decides Installed; otherwise the uninstall registration under the
// product's folder name (the one look into the registry at setup's start) decides VersionUp and
// proposes its folder. Without one, the default folder is proposed and its name becomes the
// product's folder name (written back to Root Name: the name of the registration to come).
// `commandLineFolder` (/D=) stands for a folder typed into the field, but an installed copy keeps
// its own.
StartingPoint FindStartingPoint(Profile& ini, Registry& registry, System& system, const std::wstring& commandLineFolder);

}  // namespace setup
