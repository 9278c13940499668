#include "removal.h"

#include <algorithm>

#include "case_fold.h"
#include "install_record.h"
#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

namespace {

std::vector<std::wstring> LatestFirst(std::vector<std::wstring> entries) {
    std::reverse(entries.begin(), entries.end());
    return entries;
}

// The recorded files, the latest first. An entry that names a folder (one ending in "\", as a
// package name without a file name leaves, or a path that is a folder now) is no file that was
// copied: removing it would take the folder and whatever the user keeps there with it.
std::vector<std::wstring> RecordedFiles(Profile& ini, FileSystem& files) {
    std::vector<std::wstring> paths = LatestFirst(InstallRecord(ini).Files());
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [&](const std::wstring& path) {
                                   if (path.back() == L'\\') return true;
                                   const std::vector<FoundFile> found = files.Find(path);
                                   return found.size() == 1 && found[0].folder;
                               }),
                paths.end());
    return paths;
}

std::wstring InstallFolder(Profile& ini) {
    std::wstring root = Read(ini, keys::kRootNamed);
    if (!root.empty()) return root;
    const std::vector<std::wstring> made = InstallRecord(ini).Folders();
    return made.empty() ? L"" : made.front();
}

bool IsInstallFolderOrAbove(const std::wstring& folder, const std::wstring& installFolder) {
    return EqualNoCase(folder, installFolder) || StartsWithNoCase(installFolder, JoinPath(folder, L""));
}

// The folders made, the deepest first, but for the install folder and the folders made for it.
std::vector<std::wstring> MadeFolders(Profile& ini) {
    std::vector<std::wstring> folders = LatestFirst(InstallRecord(ini).Folders());
    const std::wstring installFolder = InstallFolder(ini);
    folders.erase(std::remove_if(folders.begin(), folders.end(),
                                 [&](const std::wstring& f) { return IsInstallFolderOrAbove(f, installFolder); }),
                  folders.end());
    return folders;
}

// Del and DirRemove entries resolved against the install folder; none without one (they would
// name files wherever removal happens to run).
std::vector<std::wstring> ResolvedList(Profile& ini, System& system, const keys::List& list) {
    std::vector<std::wstring> paths;
    const std::wstring root = Read(ini, keys::kRootNamed);
    if (root.empty()) return paths;
    for (const std::wstring& entry : Read(ini, list))
        if (const auto path = ResolvePath(entry, root, PathMode::Plain, system)) paths.push_back(*path);
    return paths;
}

// The files that match the Del patterns.
std::vector<std::wstring> DelMatches(Profile& ini, FileSystem& files, System& system) {
    std::vector<std::wstring> matches;
    for (const std::wstring& pattern : ResolvedList(ini, system, keys::kDelPatterns))
        for (const FoundFile& found : files.Find(pattern))
            if (!found.folder) matches.push_back(JoinPath(FolderOf(pattern), found.name));
    return matches;
}

bool HoldsMoreThanSetup(FileSystem& files, const std::wstring& folder) {
    for (const FoundFile& found : files.Find(JoinPath(folder, L"*"))) {
        if (found.name.empty() || found.name[0] == L'.') continue;
        if (EqualNoCase(found.name, L"setup.exe") || EqualNoCase(found.name, L"setup.ini")) continue;
        return true;
    }
    return false;
}

}  // namespace

void DeleteInstalledFiles(Profile& ini, FileSystem& files, System& system) {
    const bool force = Read(ini, keys::kDelForce) != 0;
    auto remove = [&](const std::wstring& path) {
        if (force) files.SetNormalAttributes(path);
        files.Recycle(path);
    };
    for (const std::wstring& path : DelMatches(ini, files, system)) remove(path);
    for (const std::wstring& path : RecordedFiles(ini, files)) remove(path);
    for (const std::wstring& folder : ResolvedList(ini, system, keys::kDirRemove)) files.RemoveFolder(folder);
    for (const std::wstring& folder : MadeFolders(ini)) files.RemoveFolder(folder);
}

std::vector<std::wstring> Leftovers(Profile& ini, FileSystem& files, System& system) {
    std::vector<std::wstring> left;
    for (const std::wstring& path : DelMatches(ini, files, system)) left.push_back(path);
    for (const std::wstring& path : RecordedFiles(ini, files))
        if (files.Exists(path)) left.push_back(path);
    for (const std::wstring& folder : ResolvedList(ini, system, keys::kDirRemove))
        if (files.Exists(folder)) left.push_back(folder);
    for (const std::wstring& folder : MadeFolders(ini))
        if (files.Exists(folder)) left.push_back(folder);
    const std::wstring installFolder = InstallFolder(ini);
    if (!installFolder.empty() && HoldsMoreThanSetup(files, installFolder)) left.push_back(installFolder);
    return left;
}

LeftoverPlan PlanLeftovers(Profile& ini, FileSystem& files, System& system, const Texts& texts,
                           const std::vector<std::wstring>& installedSetup) {
    LeftoverPlan plan;
    const std::vector<std::wstring> left = Leftovers(ini, files, system);
    plan.pendingAtRestart = !left.empty() && Read(ini, keys::kDelReboot) != 0;
    if (left.empty() || (Read(ini, keys::kDelShowError) == 0 && !plan.pendingAtRestart)) return plan;
    plan.message = plan.pendingAtRestart ? texts.deleteAfterRestart : texts.notDeleted;
    for (const std::wstring& path : left) plan.message += path + L"\n";
    if (!plan.pendingAtRestart) return plan;
    plan.atRestart = installedSetup;
    plan.atRestart.insert(plan.atRestart.end(), left.begin(), left.end());
    const std::wstring root = Read(ini, keys::kRootNamed);
    if (!root.empty() && std::find(left.begin(), left.end(), root) == left.end()) plan.atRestart.push_back(root);
    for (const std::wstring& parent : ParentsToRemove(MadeParentsOfInstallFolder(ini), root))
        plan.atRestart.push_back(parent);
    return plan;
}

std::wstring MadeParentsOfInstallFolder(Profile& ini) {
    const std::wstring installFolder = InstallFolder(ini);
    std::wstring text;
    for (const std::wstring& folder : LatestFirst(InstallRecord(ini).Folders())) {
        if (EqualNoCase(folder, installFolder) || !IsInstallFolderOrAbove(folder, installFolder)) continue;
        text += (text.empty() ? L"" : L"|") + folder;
    }
    return text;
}

std::vector<std::wstring> ParentsToRemove(const std::wstring& text, const std::wstring& folder) {
    std::vector<std::wstring> parents;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(L'|', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring parent = text.substr(at, end - at);
        if (!parent.empty() && !EqualNoCase(parent, folder) && IsInstallFolderOrAbove(parent, folder))
            parents.push_back(std::move(parent));
        at = end + 1;
    }
    std::stable_sort(parents.begin(), parents.end(),
                     [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    return parents;
}

namespace {

std::wstring PlainPath(std::wstring_view name) {
    if (!name.empty() && name[0] == L'!') name.remove_prefix(1);
    if (name.substr(0, 4) == L"\\??\\") name.remove_prefix(4);
    return std::wstring(name);
}

}  // namespace

RestartRenames WithoutReplacementsOfRemoved(const std::vector<std::wstring>& operations, Profile& ini) {
    const std::wstring installFolder = InstallFolder(ini);
    const std::vector<std::wstring> recorded = InstallRecord(ini).Files();
    const auto removed = [&](const std::wstring& path) {
        if (!installFolder.empty() && IsInstallFolderOrAbove(installFolder, path)) return true;
        return std::any_of(recorded.begin(), recorded.end(), [&](const std::wstring& r) { return EqualNoCase(r, path); });
    };
    RestartRenames out;
    size_t i = 0;
    for (; i + 1 < operations.size(); i += 2) {
        const std::wstring source = PlainPath(operations[i]), target = PlainPath(operations[i + 1]);
        if (target.empty() || !removed(target)) {
            out.operations.insert(out.operations.end(), {operations[i], operations[i + 1]});
            continue;
        }
        // Setup makes its stand-ins beside their targets; another program's file is not ours to delete.
        if (EqualNoCase(FolderOf(source), FolderOf(target))) out.standIns.push_back(source);
    }
    out.operations.insert(out.operations.end(), operations.begin() + static_cast<std::ptrdiff_t>(i), operations.end());
    return out;
}

SelfRemoval SelfRemovalFor(const std::wstring& program, const std::vector<std::wstring>& folders,
                           const std::string& batchName, const std::wstring& systemFolder,
                           const std::wstring& batchFolder) {
    SelfRemoval removal;
    removal.variables.emplace_back(L"SETUP_REMOVE_PROGRAM", program);
    removal.variables.emplace_back(L"SETUP_REMOVE_PING", JoinPath(systemFolder, L"ping.exe"));
    std::string text =
        "@echo off\r\n"
        "set SETUP_REMOVE_TRIES=0\r\n"
        ":Repeat\r\n"
        "del /f /q \"%SETUP_REMOVE_PROGRAM%\" >nul 2>&1\r\n"
        "if not exist \"%SETUP_REMOVE_PROGRAM%\" goto Removed\r\n"
        "set /a SETUP_REMOVE_TRIES+=1\r\n"
        "if %SETUP_REMOVE_TRIES% GEQ " + std::to_string(kSelfRemovalAttempts) + " goto Removed\r\n"
        // The one pause cmd has everywhere: about a second.
        "\"%SETUP_REMOVE_PING%\" -n 2 127.0.0.1 >nul 2>&1\r\n"
        "goto Repeat\r\n"
        ":Removed\r\n";
    for (size_t i = 0; i < folders.size(); ++i) {
        const std::string name = "SETUP_REMOVE_FOLDER" + std::to_string(i + 1);
        removal.variables.emplace_back(std::wstring(name.begin(), name.end()), folders[i]);
        text += "rmdir \"%" + name + "%\" >nul 2>&1\r\n";
    }
    const std::wstring batch = L".\\" + std::wstring(batchName.begin(), batchName.end());
    if (batchFolder.empty()) {
        removal.batch = text + "del " + batchName + "\r\n";
        removal.arguments = L"/D /V:OFF /C " + batch;
        return removal;
    }
    // Once the batch has ended (cmd may hold it open until then), cmd removes its folder with it:
    // from cmd's own command line, which nobody else can change. cmd runs from the system folder: a
    // folder that is a process's current one cannot be removed, and cmd may keep the one it started in.
    removal.variables.emplace_back(L"SETUP_REMOVE_BATCH_FOLDER", batchFolder);
    removal.batch = text;
    removal.arguments = L"/D /V:OFF /C call \"%SETUP_REMOVE_BATCH_FOLDER%\\" + batch.substr(2) +
                        L"\" & rmdir /s /q \"%SETUP_REMOVE_BATCH_FOLDER%\"";
    removal.currentFolder = systemFolder;
    return removal;
}

}  // namespace setup
