#include "ini_file.h"

#include <windows.h>

#include <vector>

#include "paths.h"
#include "win_system.h"
#include "windows_machine.h"
#include "windows_security.h"

namespace setup {

std::wstring PrivateProfileFile::Read(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                           size_t bufferChars) {
    std::vector<wchar_t> buffer(bufferChars);
    const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path_.c_str());
    return std::wstring(buffer.data(), n);
}

int PrivateProfileFile::ReadInt(const std::wstring& section, const std::wstring& key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), fallback, path_.c_str()));
}

std::vector<std::wstring> PrivateProfileFile::ReadSectionLines(const std::wstring& section) {
    // The system fills the buffer as far as it goes and says so by a length of its size less 2.
    for (DWORD size = 32768;; size *= 2) {
        std::vector<wchar_t> buffer(size);
        const DWORD n = GetPrivateProfileSectionW(section.c_str(), buffer.data(), size, path_.c_str());
        if (n + 2 >= size && size < (64u << 20)) continue;
        std::vector<std::wstring> lines;
        for (const wchar_t* line = buffer.data(); line < buffer.data() + n && *line; line += wcslen(line) + 1)
            lines.emplace_back(line);
        return lines;
    }
}

void PrivateProfileFile::Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
}

void PrivateProfileFile::WriteSection(const std::wstring& section,
                           const std::vector<std::pair<std::wstring, std::wstring>>& entries) {
    std::wstring block;  // key=value lines, each ended by a zero, and a zero after the last
    for (const auto& [key, value] : entries) block += key + L"=" + value + L'\0';
    block += L'\0';
    WritePrivateProfileSectionW(section.c_str(), block.c_str(), path_.c_str());
}

void PrivateProfileFile::Flush() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str()); }

namespace {

bool CanWrite(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        // No file yet: the first write would create it in its folder.
        h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// A new folder for the working copy that only this account may use, or, elevated, only the
// administrators (see PrivatePlaceFor): a folder someone else made there first is never taken over.
std::wstring MakePrivateFolder() {
    const PrivatePlace place = PrivatePlaceFor(CurrentElevation(), TempFolder(), SharedWindowsFolder());
    if (place.folder.empty()) return {};
    return MakeUnforeseeableFolder(place.folder,
                                   place.administratorsOnly ? FolderUsers::Administrators : FolderUsers::ThisAccount);
}

}  // namespace

WorkingIni::WorkingIni(const std::wstring& besideProgram) : file_(besideProgram) {
    if (CanWrite(besideProgram)) return;
    privateFolder_ = MakePrivateFolder();
    if (privateFolder_.empty()) return;  // carry on with what can be read
    const std::wstring copy = JoinPath(privateFolder_, L"Setup.ini");
    // Never onto a file that is already there.
    if (!CopyFileW(besideProgram.c_str(), copy.c_str(), TRUE)) {
        RemoveDirectoryW(privateFolder_.c_str());
        privateFolder_.clear();
        return;
    }
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);  // a CD's copy comes read-only
    file_ = PrivateProfileFile(copy);
}

WorkingIni::~WorkingIni() {
    if (privateFolder_.empty()) return;
    DeleteFileW(file_.path().c_str());
    RemoveDirectoryW(privateFolder_.c_str());
}

}  // namespace setup
