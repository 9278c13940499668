// Paths as the system gives them (ANSI bytes, "\" between folders). The searches walk whole
// characters of code page 932, so the trail byte of a double-byte character, which may be the
// byte of "\", never splits a path.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace zep {

// The folder of a path: up to and including its last "\" (empty when it has none).
std::string FolderWithSlash(const std::string& path);
// The file name: what follows the folder.
std::string LeafName(const std::string& path);
// The path with its extension (from the last "." of the file name) replaced by `extension`, or
// `extension` appended when the name has none.
std::string WithExtension(const std::string& path, const std::string& extension);
// The folder without its trailing "\" (the program's folder as the settings hold it).
std::string FolderOf(const std::string& path);

// Where the router maker's library is looked for, in this order: the program's folder, then the
// system folder (both without a trailing "\"; an empty one is left out). Never the current
// folder or PATH, which anyone who hands the user a folder or sets the environment controls.
std::vector<std::string> RouterLibraryCandidates(const std::string& programFolder, const std::string& systemFolder);
// Where zep keeps its own files (the settings file, the logs, the IP page).
struct OwnFilesPlace {
    std::string folder;             // no trailing "\"
    bool takeOverSettings = false;  // copy the settings file from beside the program first
};
// Beside the program where the user may write there (an installation for one user); else, under
// Program Files, in "ZEP!" of the user's application-data folder, which takes over the settings
// file found beside the program once, when it has none of its own. Without an application-data
// folder, beside the program all the same. `fileExists` looks at a full path.
OwnFilesPlace PlaceOwnFiles(const std::string& programFolder, bool programFolderWritable,
                            const std::string& appDataFolder, const std::string& settingsFileName,
                            const std::function<bool(const std::string&)>& fileExists);

}  // namespace zep
