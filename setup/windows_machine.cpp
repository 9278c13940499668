#include "windows_machine.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "paths.h"
#include "run_report.h"
#include "win_system.h"
#include "windows_registry.h"
#include "windows_security.h"
#include "wininit.h"

namespace setup {

std::wstring WindowsMachine::SystemFolder() {
    wchar_t buffer[MAX_PATH];
    return std::wstring(buffer, GetSystemDirectoryW(buffer, MAX_PATH));
}

std::wstring WindowsMachine::WindowsFolder() {
    wchar_t buffer[MAX_PATH];
    return std::wstring(buffer, GetWindowsDirectoryW(buffer, MAX_PATH));
}

std::wstring WindowsMachine::DesktopFolder() {
    PIDLIST_ABSOLUTE list = nullptr;
    wchar_t buffer[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &list))) {
        SHGetPathFromIDListW(list, buffer);
        CoTaskMemFree(list);
    }
    return buffer;
}

std::wstring WindowsMachine::ProgramFilesDir() {
    return WindowsRegistry()
        .ReadString(RegRoot::LocalMachine, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir")
        .value_or(L"");
}

namespace {

// The user's own program folder (FOLDERID_UserProgramFiles), known from Windows 7 on.
constexpr GUID kUserProgramFiles = {0x5cd7aee2, 0x2219, 0x4a67, {0xb8, 0x5d, 0x6c, 0x9c, 0xe1, 0x56, 0x60, 0xcb}};

// A known folder, made when missing; empty where the system lacks the function or the folder.
std::wstring KnownFolder(const GUID& id) {
    const HMODULE shell = GetModuleHandleW(L"shell32.dll");
    const auto get = shell ? reinterpret_cast<decltype(&SHGetKnownFolderPath)>(
                                 reinterpret_cast<void*>(GetProcAddress(shell, "SHGetKnownFolderPath")))
                           : nullptr;
    if (!get) return L"";
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(get(id, KF_FLAG_CREATE, nullptr, &path)) && path) folder = path;
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

std::wstring WindowsMachine::UserProgramsFolder() {
    if (std::wstring folder = KnownFolder(kUserProgramFiles); !folder.empty()) return folder;
    // Where the system does not know it: its documented place, in the local application data.
    wchar_t local[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, local)))
        return L"";
    const std::wstring folder = JoinPath(local, L"Programs");
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring WindowsMachine::FindProgram(const std::wstring& file, const std::wstring& folder) {
    wchar_t result[MAX_PATH] = L"";
    const auto code = reinterpret_cast<INT_PTR>(
        FindExecutableW(file.c_str(), folder.empty() ? nullptr : folder.c_str(), result));
    return code > 32 ? result : L"";
}

bool WindowsMachine::FileExists(const std::wstring& path) { return !path.empty() && PathExists(path); }

bool WindowsMachine::ClassKeyExists(const std::wstring& subkey) {
    return WindowsRegistry().KeyExists(RegRoot::ClassesRoot, subkey);
}

std::optional<std::wstring> WindowsMachine::ClassDefaultValue(const std::wstring& subkey) {
    return WindowsRegistry().ReadString(RegRoot::ClassesRoot, subkey, L"");
}

bool WindowsFiles::CreateFolder(const std::wstring& path) {
    const bool made = protectNewFolders && NewFolderNeedsOwnAccessList(ReadFolderSecurity(FolderOf(path)))
                          ? CreateProtectedFolder(path)
                          : CreateDirectoryW(path.c_str(), nullptr);
    const DWORD error = GetLastError();
    // One that is there already is no failure: the copy goes on into it.
    if (made || error != ERROR_ALREADY_EXISTS) report::Result(log_text::folderMade + path, made, error);
    return made;
}

bool WindowsFiles::Exists(const std::wstring& path) { return PathExists(path); }

std::optional<uint64_t> WindowsFiles::LastWriteTime(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    FILETIME written;
    const BOOL ok = GetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    if (!ok) return std::nullopt;
    return (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

bool WindowsFiles::Failed() {
    const DWORD error = GetLastError();
    lastError_ = error;
    outOfRoom_ = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
    return false;
}

bool WindowsFiles::CopyOver(const std::wstring& source, const std::wstring& target) {
    return CopyFileW(source.c_str(), target.c_str(), FALSE) || Failed();
}

bool WindowsFiles::Rename(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) || Failed();
}

void WindowsFiles::NoteCopy(const std::wstring& source, const std::wstring& target, bool copied) {
    report::Result(log_text::copied + source + L" -> " + target, copied, copied ? ERROR_SUCCESS : lastError_);
}

std::optional<uint64_t> WindowsFiles::FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void WindowsFiles::SetNormalAttributes(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

std::optional<std::wstring> WindowsFiles::MakeTempFile(const std::wstring& folder, const std::wstring& prefix) {
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, name)) {
        Failed();
        return std::nullopt;
    }
    return std::wstring(name);
}

bool WindowsFiles::Remove(const std::wstring& path) {
    const bool deleted = DeleteFileW(path.c_str());
    const DWORD error = GetLastError();
    report::Result(log_text::deleted + path, deleted, error);
    return deleted;
}

bool WindowsFiles::RemoveFolder(const std::wstring& path) {
    const bool removed = RemoveDirectoryW(path.c_str());
    const DWORD error = GetLastError();
    // Only an empty folder goes: one that still holds something is kept, as asked.
    if (!removed && error == ERROR_DIR_NOT_EMPTY) report::Note(log_text::folderKept + path);
    else report::Result(log_text::folderRemoved + path, removed, error);
    return removed;
}

bool WindowsFiles::Recycle(const std::wstring& path) {
    const bool recycled = RecycleFile(path);
    report::Result(log_text::recycled + path, recycled, ERROR_SUCCESS);  // the shell tells no reason
    return recycled;
}

std::vector<FoundFile> WindowsFiles::Find(const std::wstring& pattern) {
    std::vector<FoundFile> found;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        found.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
}

namespace {

std::string ShortAnsiPath(const std::wstring& path) {
    wchar_t shortPath[MAX_PATH];
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return AnsiFromWide(n > 0 && n < MAX_PATH ? std::wstring(shortPath, n) : path);
}

// The 9x family reads its rename list from WinInit.Ini at its next start.
bool AddToWinInit(const std::wstring& existing, const std::wstring& replacement) {
    const std::string entry =
        WinInitEntry(replacement.empty() ? "" : ShortAnsiPath(replacement), ShortAnsiPath(existing), IsFolder(existing));
    const std::wstring path = JoinPath(WindowsMachine().WindowsFolder(), L"WinInit.Ini");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string old(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    bool ok = ReadFile(h, old.data(), static_cast<DWORD>(old.size()), &got, nullptr) && got == old.size();
    if (ok) {
        const std::string text = AddWinInitEntry(old, entry);
        DWORD put = 0;
        ok = SetFilePointer(h, 0, nullptr, FILE_BEGIN) == 0 &&
             WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) && put == text.size() &&
             SetEndOfFile(h);
    }
    CloseHandle(h);
    return ok;
}

}  // namespace

bool WindowsFiles::ScheduleAtRestart(const std::wstring& existing, const std::wstring& replacement) {
    bool noted = MoveFileExW(existing.c_str(), replacement.empty() ? nullptr : replacement.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
    const DWORD error = GetLastError();
    // The NT family never reads WinInit.Ini: there a refusal is a failure.
    if (!noted && !IsNtPlatform()) noted = AddToWinInit(existing, replacement);
    report::Result(replacement.empty() ? log_text::deleteAtRestart + existing
                                       : log_text::atRestart + replacement + L" <- " + existing,
                   noted, error);
    return noted;
}

bool RecycleFile(const std::wstring& path) {
    std::wstring from = path;
    from.push_back(L'\0');  // a double-zero-terminated list of one
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

void StartFollowUp(const std::wstring& commandLine, int show) {
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;  // CreateProcessW may write into it
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS,
                        nullptr, L"\\", &startup, &process))
        return;
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
}

Elevation CurrentElevation() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return Elevation::Unknown;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    // A system before elevation does not know the query.
    const BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    if (!known) return Elevation::Unknown;
    return elevation.TokenIsElevated ? Elevation::Elevated : Elevation::Limited;
}

void RestartComputer() {
    if (IsNtPlatform()) {
        HANDLE token;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            TOKEN_PRIVILEGES privileges{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
            if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
                AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
            CloseHandle(token);
        }
    }
    ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace setup
