#include "paths.h"

#include "ansi_text.h"

namespace zep {
namespace {

// Index of the last single-byte `c` in `path` from `from` on, walking whole characters.
size_t LastChar(const std::string& path, char c, size_t from = 0) {
    size_t found = std::string::npos;
    for (size_t i = from; i < path.size(); ++i) {
        if (path[i] == c) found = i;
        else if (IsLeadByte932(static_cast<unsigned char>(path[i]))) ++i;
    }
    return found;
}

}  // namespace

std::string FolderWithSlash(const std::string& path) {
    const size_t slash = LastChar(path, '\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string LeafName(const std::string& path) { return path.substr(FolderWithSlash(path).size()); }

std::string WithExtension(const std::string& path, const std::string& extension) {
    const size_t slash = LastChar(path, '\\');
    const size_t dot = LastChar(path, '.', slash == std::string::npos ? 0 : slash + 1);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

std::string FolderOf(const std::string& path) {
    const std::string folder = FolderWithSlash(path);
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

std::vector<std::string> RouterLibraryCandidates(const std::string& programFolder, const std::string& systemFolder) {
    std::vector<std::string> candidates;
    for (const std::string* folder : {&programFolder, &systemFolder}) {
        if (folder->empty()) continue;
        const bool slash = LastChar(*folder, '\\') == folder->size() - 1;
        candidates.push_back(*folder + (slash ? "" : "\\") + "MRLExhibits.dll");
    }
    return candidates;
}

OwnFilesPlace PlaceOwnFiles(const std::string& programFolder, bool programFolderWritable,
                            const std::string& appDataFolder, const std::string& settingsFileName,
                            const std::function<bool(const std::string&)>& fileExists) {
    if (programFolderWritable || appDataFolder.empty()) return {programFolder, false};
    std::string folder = appDataFolder + "\\ZEP!";  // the system gives it without a trailing "\"
    const bool takeOver =
        !fileExists(folder + "\\" + settingsFileName) && fileExists(programFolder + "\\" + settingsFileName);
    return {std::move(folder), takeOver};
}

}  // namespace zep
