#include "windows_shortcut_shell.h"

#include <shellapi.h>
#include <shlobj.h>

#include "run_report.h"
#include "win_system.h"
#include "windows_registry.h"

namespace setup {

std::wstring WindowsShortcutShell::ShellFolder(const std::wstring& name) {
    return WindowsRegistry()
        .ReadString(RegRoot::CurrentUser, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name)
        .value_or(L"");
}

bool WindowsShortcutShell::MakeShortcut(const std::wstring& link, const Shortcut& shortcut) {
    // One COM session per shortcut.
    if (FAILED(CoInitialize(nullptr))) return false;
    bool saved = false;
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))) {
        shellLink->SetShowCmd(shortcut.show);
        shellLink->SetArguments(shortcut.arguments.c_str());
        if (shortcut.hotKey) shellLink->SetHotkey(shortcut.hotKey);
        shellLink->SetPath(shortcut.target.c_str());
        shellLink->SetIconLocation(shortcut.icon.c_str(), shortcut.iconIndex);
        shellLink->SetWorkingDirectory(shortcut.workFolder.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(link.c_str(), TRUE));
            file->Release();
        }
        shellLink->Release();
    }
    CoUninitialize();
    report::Result(log_text::shortcutMade + link, saved, ERROR_SUCCESS);  // COM tells no system error
    return saved;
}

void WindowsShortcutShell::DeleteShortcut(const std::wstring& link) {
    SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool deleted = DeleteFileW(link.c_str());
    const DWORD error = GetLastError();
    report::Result(log_text::shortcutDeleted + link, deleted, error);
}

void WindowsShortcutShell::OpenFolder(const std::wstring& folder) {
    if (report::Silent()) return;  // a folder shown for a person to see
    ShellExecuteW(owner_, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void WindowsShortcutShell::Pause(unsigned ms) { report::PauseToRead(ms); }

void WindowsShortcutShell::ReportMenuNotMade(const std::wstring& folder) {
    report::Message(owner_, folder, texts_.menuNotMade, MB_OK | MB_ICONWARNING);
}

std::vector<uint8_t> WindowsFileReader::ReadBytes(const std::wstring& path) {
    const auto bytes = ReadWholeFile(path);
    return bytes ? std::vector<uint8_t>(bytes->begin(), bytes->end()) : std::vector<uint8_t>();
}

std::wstring WindowsFileReader::ReadText(const std::wstring& path) {
    const auto bytes = ReadWholeFile(path);
    return bytes ? WideFromAnsi(*bytes) : L"";
}

void NotifyAssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

}  // namespace setup
