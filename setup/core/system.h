// What the installer's path rules need to know of the machine. The window layer asks Windows;
// tests give fixed answers.
#pragma once
#include <optional>
#include <string>

namespace setup {

class System {
public:
    virtual ~System() = default;
    virtual std::wstring SystemFolder() = 0;   // C:\Windows\system32
    virtual std::wstring WindowsFolder() = 0;  // C:\Windows
    virtual std::wstring DesktopFolder() = 0;  // as the shell gives it (a trailing "\" possible)
    // ProgramFilesDir of HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion; empty when missing.
    virtual std::wstring ProgramFilesDir() = 0;
    // The current user's own program folder (normally %LOCALAPPDATA%\Programs), made when missing;
    // empty when the system knows neither it nor the local application-data folder.
    virtual std::wstring UserProgramsFolder() = 0;
    // The program that opens `file`, looked up in `folder`; empty when there is none.
    virtual std::wstring FindProgram(const std::wstring& file, const std::wstring& folder) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // HKEY_CLASSES_ROOT: whether the key exists, and its default value (none when the key or the
    // value is missing).
    virtual bool ClassKeyExists(const std::wstring& subkey) = 0;
    virtual std::optional<std::wstring> ClassDefaultValue(const std::wstring& subkey) = 0;
};

}  // namespace setup
