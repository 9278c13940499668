#include "ini_file.h"

#include <windows.h>

#include <vector>

#include "paths.h"
#include "win_util.h"

namespace setup {

std::wstring IniFile::Read(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                           size_t bufferChars) {
    std::vector<wchar_t> buffer(bufferChars);
    const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path_.c_str());
    return std::wstring(buffer.data(), n);
}

int IniFile::ReadInt(const std::wstring& section, const std::wstring& key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), fallback, path_.c_str()));
}

void IniFile::Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
}

void IniFile::Flush() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str()); }

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

// A new folder of this user's own under the temporary folder.
std::wstring MakePrivateFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return {};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder =
            JoinPath(temp, L"setup-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt));
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    }
    return {};
}

}  // namespace

WorkingIni::WorkingIni(const std::wstring& besideProgram) : file_(besideProgram) {
    if (CanWrite(besideProgram)) return;
    privateFolder_ = MakePrivateFolder();
    if (privateFolder_.empty()) return;  // carry on with what can be read
    const std::wstring copy = JoinPath(privateFolder_, L"Setup.ini");
    CopyFileW(besideProgram.c_str(), copy.c_str(), FALSE);
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);  // a CD's copy comes read-only
    file_ = IniFile(copy);
}

WorkingIni::~WorkingIni() {
    if (privateFolder_.empty()) return;
    DeleteFileW(file_.path().c_str());
    RemoveDirectoryW(privateFolder_.c_str());
}

}  // namespace setup
