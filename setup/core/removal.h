// Removal of what an installation recorded: the files to the recycle bin, the folders, and what is
// left afterwards.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "file_system.h"
#include "profile.h"
#include "system.h"
#include "texts.h"

namespace setup {

// Del patterns and CopiedFile entries to the recycle bin (the latest copied first), then the
// DirRemove folders and the folders made (the deepest first). The install folder and the folders
// made for it stay for the self-removal, which runs after setup has ended.
void DeleteInstalledFiles(Profile& ini, FileSystem& files, System& system);

// What removal should have removed and is still there, files before folders. The install folder is
// one only while it holds more than setup's own Setup.exe and Setup.ini.
std::vector<std::wstring> Leftovers(Profile& ini, FileSystem& files, System& system);

// What is done about the leftovers: with Del Reboot they are deleted at the next restart (and with
// them the install folder and the folders made for it, and the installed copy of setup, which no
// "remove" instance follows then); they are listed in a message with Del ShowError or when they
// wait for the restart.
struct LeftoverPlan {
    bool pendingAtRestart = false;
    std::vector<std::wstring> atRestart;  // to delete at the next start, in this order
    std::wstring message;                 // empty: nothing to say
};
// `installedSetup` names the installed copy's Setup.exe and Setup.ini when this is that copy (a
// distribution's setup never deletes its own files); empty otherwise.
LeftoverPlan PlanLeftovers(Profile& ini, FileSystem& files, System& system, const Texts& texts,
                           const std::vector<std::wstring>& installedSetup);

// The folders made for the install folder (its parents that were not there), the deepest first:
// they go with it once setup.exe has ended, each only when empty. Handed to the self-removal as
// one text ("|" between folders, a character no path holds).
std::wstring MadeParentsOfInstallFolder(Profile& ini);
// The folders of such a text that are above `folder`, the deepest first; nothing else is taken.
std::vector<std::wstring> ParentsToRemove(const std::wstring& text, const std::wstring& folder);

// The renames the system carries out at its next start (PendingFileRenameOperations): pairs of a
// file and its new name ("" deletes it; "!" before the new name lets it replace a file; paths in
// the "\??\" form). Removal cancels the replacements that would bring back what it removes, those
// whose new name is in the install folder or a recorded file (a version-up's file in use), and
// deletes their stand-ins (the files waiting beside their targets).
struct RestartRenames {
    std::vector<std::wstring> operations;  // what stays
    std::vector<std::wstring> standIns;    // to delete now
};
RestartRenames WithoutReplacementsOfRemoved(const std::vector<std::wstring>& operations, Profile& ini);

// The self-removal: a batch file that cmd runs once setup has ended (where it is written: PrivatePlaceFor;
// cmd reads it a line at a time while it runs). It deletes `program` (read-only
// too: a Setup.exe copied from a CD), trying about once a second (ping's pause, ping taken from
// `systemFolder`) for a minute at most, then removes `folders` (each only when empty) and itself,
// or, given one, cmd removes the batch's own `batchFolder` with everything in it once the batch
// has ended. The batch holds no path: cmd finds it by its ASCII `batchName` in its current folder
// (or in its own folder), and the paths come in environment variables, which cmd takes as they are,
// whatever the console's code page and whatever "%", "&", "^" or "!" they hold.
inline constexpr unsigned kSelfRemovalAttempts = 60;
struct SelfRemoval {
    std::string batch;  // ASCII
    std::vector<std::pair<std::wstring, std::wstring>> variables;
    std::wstring arguments;  // cmd's: no AutoRun commands, no delayed expansion
    std::wstring currentFolder;  // where cmd runs; empty: the batch's folder
};
SelfRemoval SelfRemovalFor(const std::wstring& program, const std::vector<std::wstring>& folders,
                           const std::string& batchName, const std::wstring& systemFolder,
                           const std::wstring& batchFolder);

}  // namespace setup
