// The security of folders and processes as the installer core judges it: read from the system,
// and the access lists setup gives the folders it makes.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "folder_security.h"
#include "user_launch.h"

namespace setup {

// The owner and access list of a folder, the accounts named as the core tells them apart; none when
// they cannot be read.
std::optional<FolderSecurity> ReadFolderSecurity(const std::wstring& path);

class WindowsFolderSecurity : public FolderSecurityReader {
public:
    std::optional<FolderSecurity> Read(const std::wstring& folder) override { return ReadFolderSecurity(folder); }
};

// A new folder whose access list ignores its parent's: the system and the administrators may do
// anything, users may read and run; what is made inside inherits that. False when it fails or exists.
bool CreateProtectedFolder(const std::wstring& path);

// Who may use a folder made by MakeUnforeseeableFolder.
enum class FolderUsers {
    ThisAccount,     // this process's account only
    Administrators,  // the system and the administrators only, owned by the administrators: not the
                     // account of an elevated process, whose unelevated programs hold it too
};

// A new folder under `parent` that only `users` may use, under a name nobody can foresee: a folder
// that someone made there first is never taken. Its path; empty when none could be made.
std::wstring MakeUnforeseeableFolder(const std::wstring& parent, FolderUsers users);

// The rights of a process; none when its token cannot be read.
std::optional<ProcessRights> ReadProcessRights(HANDLE process);

}  // namespace setup
