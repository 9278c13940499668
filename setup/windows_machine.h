// The machine as the installer core sees it, and the system operations of a run.
#pragma once
#include <windows.h>

#include <string>

#include "file_system.h"
#include "install_mode.h"
#include "system.h"

namespace setup {

class WindowsMachine : public System {
public:
    std::wstring SystemFolder() override;
    std::wstring WindowsFolder() override;
    std::wstring DesktopFolder() override;
    std::wstring ProgramFilesDir() override;
    std::wstring UserProgramsFolder() override;
    std::wstring FindProgram(const std::wstring& file, const std::wstring& folder) override;
    bool FileExists(const std::wstring& path) override;
    bool ClassKeyExists(const std::wstring& subkey) override;
    std::optional<std::wstring> ClassDefaultValue(const std::wstring& subkey) override;
};

class WindowsFiles : public FileSystem {
public:
    // A per-machine installation: a folder made under one that others may write gets an access list
    // of its own.
    bool protectNewFolders = false;

    bool CreateFolder(const std::wstring& path) override;
    bool Exists(const std::wstring& path) override;
    std::optional<uint64_t> LastWriteTime(const std::wstring& path) override;
    bool CopyOver(const std::wstring& source, const std::wstring& target) override;
    bool Rename(const std::wstring& from, const std::wstring& to) override;
    bool OutOfRoom() override { return outOfRoom_; }
    void NoteCopy(const std::wstring& source, const std::wstring& target, bool copied) override;
    void SetNormalAttributes(const std::wstring& path) override;
    std::optional<std::wstring> MakeTempFile(const std::wstring& folder, const std::wstring& prefix) override;
    bool Remove(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    bool Recycle(const std::wstring& path) override;
    std::vector<FoundFile> Find(const std::wstring& pattern) override;
    bool ScheduleAtRestart(const std::wstring& existing, const std::wstring& replacement) override;
    std::optional<uint64_t> FileSize(const std::wstring& path) override;

private:
    bool Failed();  // false, noting whether the disk was full
    bool outOfRoom_ = false;
    unsigned long lastError_ = 0;  // of the last failed copy, rename or temporary file
};

// Moves a file to the recycle bin, silently.
bool RecycleFile(const std::wstring& path);

// Starts `commandLine` to run after this process has gone: suspended at idle priority from the root
// of the current drive, while this process runs at high priority until it exits.
void StartFollowUp(const std::wstring& commandLine, int show);

// The rights of this process's token.
Elevation CurrentElevation();

// Restarts the computer (with the shutdown privilege on the NT family).
void RestartComputer();

// `path` quoted for a command line.
std::wstring Quoted(const std::wstring& path);

}  // namespace setup
