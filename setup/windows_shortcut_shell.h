// The user's shell for the shortcut rules: shell folders, shell links, and the menu's one message.
#pragma once
#include <windows.h>

#include "reg_entries.h"
#include "shortcuts.h"
#include "texts.h"

namespace setup {

class WindowsShortcutShell : public ShortcutShell {
public:
    WindowsShortcutShell(HWND owner, const Texts& texts) : owner_(owner), texts_(texts) {}
    std::wstring ShellFolder(const std::wstring& name) override;
    bool MakeShortcut(const std::wstring& link, const Shortcut& shortcut) override;
    void DeleteShortcut(const std::wstring& link) override;
    void OpenFolder(const std::wstring& folder) override;
    void Pause(unsigned ms) override;
    void ReportMenuNotMade(const std::wstring& folder) override;

private:
    HWND owner_;
    const Texts& texts_;
};

// Tells Explorer that file classes changed, so it shows their new icons and verbs.
void NotifyAssociationsChanged();

// Files of the "#F" and "#T" registry data, as written (relative to the current folder).
class WindowsFileReader : public FileReader {
public:
    std::vector<uint8_t> ReadBytes(const std::wstring& path) override;
    std::wstring ReadText(const std::wstring& path) override;
};

}  // namespace setup
