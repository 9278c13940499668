// For whom a product is installed: the current user only (nothing elevated, the uninstall entry
// under HKEY_CURRENT_USER) or every user of the machine (elevated, HKEY_LOCAL_MACHINE).
#pragma once
#include <string>

#include "profile.h"
#include "registry.h"

namespace setup {

enum class InstallMode { PerMachine, PerUser };

// [Setup] PerUser non-zero: per-user. A Setup.ini without the key is per-machine, as before.
InstallMode ReadInstallMode(Profile& ini);

// Where the uninstall registration and the previous-installation lookup live in that mode: one
// place for the x86 and the x86-64 setup, so that installing one package over the other is a
// version-up and never a second entry in the list of installed programs.
RegRoot UninstallRoot(InstallMode mode);

// Whether a start with the command word `word` needs the Setup.ini beside the program: every start
// but the follow-ups of a run ("remove" runs after the removal has taken the Setup.ini away).
bool NeedsSettingsFile(const std::wstring& word);

// The rights this process holds, as its token tells: elevated (or an administrator without a split
// token), limited, or unknown where the system has no such notion.
enum class Elevation { Elevated, Limited, Unknown };

// Where setup keeps files of its own that it reads or runs while it works (the working copy of a
// Setup.ini on a read-only medium, the self-removal's batch): no program with fewer rights may
// change them meanwhile. Elevated, in a new folder under the system's temporary folder that only
// the system and the administrators may use: the account's own temporary folder is open to the
// same account's unelevated programs (which also choose where it lies, through the environment
// they give the account). Otherwise in the account's temporary folder.
struct PrivatePlace {
    std::wstring folder;              // empty: nowhere
    bool administratorsOnly = false;  // in a new folder under `folder` for the administrators only
};
PrivatePlace PrivatePlaceFor(Elevation elevation, const std::wstring& userTemp, const std::wstring& windowsFolder);

enum class StartAction {
    Run,               // go on in this process
    RelaunchElevated,  // start this program again with the same command line, as administrator
    RefuseUnelevated,  // an elevated start was asked for and came back without the rights: stop
};

// What a start of setup with the command word `word` does first. A per-machine run without its
// rights relaunches itself elevated, once: `relaunchWaiting` says that a starter of this program
// already waits for such a relaunch. A per-user run never elevates. The follow-up instances
// ("reboot", "remove") run with the rights of the run that started them, which was in its
// installation's mode.
StartAction StartActionFor(InstallMode mode, const std::wstring& word, Elevation elevation, bool relaunchWaiting);

}  // namespace setup
