// File associations ("Ext%d" sections): the extension's class, its icon and its verb; an extension
// that another program owns is respected unless Force takes it over (and gives it back at removal),
// and a class that another program made only gains Verb2 (and loses it again).
#pragma once
#include <string>

#include "profile.h"
#include "registry.h"
#include "system.h"

namespace setup {

// A Command as the program (resolved in program mode) and the rest, put together again.
std::wstring AssociationCommand(const std::wstring& command, const std::wstring& installFolder, System& system);

// Both true when the Setup.ini names an association: the shell is then to be told that the classes
// changed, or Explorer keeps showing the old icons and verbs.
bool MakeAssociations(Profile& ini, Registry& registry, System& system);
bool RemoveAssociations(Profile& ini, Registry& registry, System& system);

}  // namespace setup
