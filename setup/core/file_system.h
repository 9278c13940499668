// The file operations of installation and removal. The window layer does them with the system's
// file functions; tests keep a file tree in memory.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setup {

struct FoundFile {
    std::wstring name;  // without its folder
    bool folder = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool CreateFolder(const std::wstring& path) = 0;  // false when it fails or already exists
    virtual bool Exists(const std::wstring& path) = 0;        // a file or a folder
    // The last-write time of a file opened for (shared) reading; none when it cannot be opened.
    virtual std::optional<uint64_t> LastWriteTime(const std::wstring& path) = 0;
    virtual bool CopyOver(const std::wstring& source, const std::wstring& target) = 0;  // overwriting
    // A file renamed within its folder, replacing the file there (not one in use or read-only).
    virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
    // Whether the last failed CopyOver or MakeTempFile failed for lack of room on the disk.
    virtual bool OutOfRoom() = 0;
    // What became of a whole copy (for the run's log).
    virtual void NoteCopy(const std::wstring& /*source*/, const std::wstring& /*target*/, bool /*copied*/) {}
    virtual void SetNormalAttributes(const std::wstring& path) = 0;
    // A new empty file with a unique name in `folder` whose name starts with `prefix`.
    virtual std::optional<std::wstring> MakeTempFile(const std::wstring& folder, const std::wstring& prefix) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
    virtual bool RemoveFolder(const std::wstring& path) = 0;  // only an empty one goes
    // Moves a file or folder to the recycle bin, silently.
    virtual bool Recycle(const std::wstring& path) = 0;
    // The matches of a pattern with wildcards ("C:\App\*.log"), "." and ".." included for "*".
    virtual std::vector<FoundFile> Find(const std::wstring& pattern) = 0;
    // Rename `existing` to `replacement` at the next restart, or delete it when `replacement` is
    // empty. False when the system could not note it.
    virtual bool ScheduleAtRestart(const std::wstring& existing, const std::wstring& replacement) = 0;
    // The size of a file in bytes; none when it is not there.
    virtual std::optional<uint64_t> FileSize(const std::wstring& path) = 0;
};

}  // namespace setup
