// The path and macro rules every part of the installer uses.
#pragma once
#include <optional>
#include <string>

#include "system.h"

namespace setup {

// The longest path the system's file functions take (260 with the terminating zero).
constexpr size_t kMaxPathLength = 259;

// folder + "\" + name; no second "\" when folder ends with one; name alone when folder is empty.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The text after the last "\" (all of it without one), and the text before it (empty without one).
std::wstring LeafName(const std::wstring& path);
std::wstring FolderOf(const std::wstring& path);

enum class PathMode { Plain, Program };

// A path value of the settings made into a path: folder macros, "%root%", "!" for a literal, the
// install folder `base` for the rest; in program mode the program that opens the value. None when
// the result would be longer than a path can be (a cut path would name another file).
std::optional<std::wstring> ResolvePath(const std::wstring& value, const std::wstring& base, PathMode mode,
                                        System& system);

// "%system%", "%desktop%", "%windows%", "%programs%", "%userprograms%", "%root%" anywhere in `text`;
// other names stay.
std::wstring ExpandMacros(const std::wstring& text, const std::wstring& rootNamed, System& system);

// The install folder proposed for Root Name when no earlier installation is registered.
std::wstring DefaultInstallFolder(const std::wstring& rootName, System& system);

// A folder picked by the user with the product's folder `name` appended, unless the picked folder
// already ends with it.
std::wstring WithFolderName(const std::wstring& picked, const std::wstring& name);

// The folder of an earlier installation from its uninstall command ("C:\App\Setup.exe uninstall"
// or the same with the path in double quotes); none when the command names no folder.
std::optional<std::wstring> PreviousInstallFolder(const std::wstring& uninstallString);

}  // namespace setup
