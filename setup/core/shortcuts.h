// The shortcuts setup places in the user's shell: the Start-menu folder with its shortcuts, Send To,
// the Desktop and the Startup folder.
#pragma once
#include <cstdint>
#include <string>

#include "file_system.h"
#include "profile.h"
#include "setup_ini_keys.h"
#include "system.h"
#include "user_launch.h"

namespace setup {

// Window states of a shortcut, as the system numbers them.
constexpr int kShowNormal = 1, kShowMaximized = 3, kShowMinimizedNoActive = 7;

struct Shortcut {
    std::wstring target, arguments, icon, workFolder;
    int iconIndex = 0;
    int show = kShowNormal;
    uint16_t hotKey = 0;  // low byte the key, high byte the modifiers; 0: none
};

// Show 0 normal, 1 maximised, 2 minimised without activation, anything else normal.
int ShowCommand(int show);
// Short: "\" + a decimal number, or the key of the first character; always with Ctrl and Alt.
uint16_t HotKey(const std::wstring& text);

// What the shortcut operations need of the shell, beyond files and folders.
class ShortcutShell {
public:
    virtual ~ShortcutShell() = default;
    // "Programs", "SendTo", "Desktop", "Startup" of the user's shell folders; empty when unknown.
    virtual std::wstring ShellFolder(const std::wstring& name) = 0;
    virtual bool MakeShortcut(const std::wstring& link, const Shortcut& shortcut) = 0;
    virtual void DeleteShortcut(const std::wstring& link) = 0;
    virtual void OpenFolder(const std::wstring& folder) = 0;
    virtual void Pause(unsigned ms) = 0;
    virtual void ReportMenuNotMade(const std::wstring& folder) = 0;
};

// The settings file, the machine and its shell: what every operation below reads and acts on.
struct ShellJob {
    Profile& ini;
    System& system;
    FileSystem& files;
    ShortcutShell& shell;
};

// The shortcut of a "Menu%d", "Send%d", Desktop or Startup section (none without Name or Path).
std::optional<Shortcut> ReadShortcut(ShellJob& job, const std::wstring& section, bool withHotKey);

// The Start-menu folder of a Setup.ini: Menu Named, else the Programs folder joined with Menu Name.
std::wstring MenuFolder(Profile& ini, ShortcutShell& shell);

void MakeMenuShortcuts(ShellJob& job);
void RemoveMenuShortcuts(ShellJob& job);
// The shortcuts another Setup.ini (an earlier version's) listed, and its menu folder when empty.
void CleanUpMenu(Profile& other, FileSystem& files, ShortcutShell& shell);

void MakeSendToShortcuts(ShellJob& job);
void RemoveSendToShortcuts(ShellJob& job);

// keys::kDesktop or keys::kStartup.
void MakePlaceShortcut(ShellJob& job, const keys::Place& place);
void RemovePlaceShortcut(ShellJob& job, const keys::Place& place);

// At the end of an installation: the menu shortcuts named in LastGo, then the Startup and Desktop
// shortcuts when StartupAndGo / DesktopAndGo ask for them. A one-shot ("$") shortcut goes to the
// recycle bin once opened, and when all were one-shots the menu folder goes too if it is left empty.
void OpenLastGo(ShellJob& job, UserLaunches& launches);

}  // namespace setup
