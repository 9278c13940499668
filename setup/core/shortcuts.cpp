#include "shortcuts.h"

#include <vector>

#include "case_fold.h"
#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

namespace {

constexpr uint16_t kCtrlAlt = 0x0600;  // HOTKEYF_CONTROL | HOTKEYF_ALT in the high byte

// The names of the "Menu%d" (or "Send%d") sections from 0 upward while they have one, as many as
// a list holds at most.
std::vector<std::wstring> NumberedNames(Profile& ini, const keys::NumberedSections& sections) {
    std::vector<std::wstring> names;
    for (int i = 0; i < kMaxListEntries; ++i) {
        std::wstring name = Read(ini, sections.Section(i), keys::kShortcutName);
        if (name.empty()) break;
        names.push_back(std::move(name));
    }
    return names;
}

// The folders a shortcut name places its link in, below `folder`: "A\B\link" gives A, A\B.
std::vector<std::wstring> FoldersOfName(const std::wstring& folder, const std::wstring& name) {
    std::vector<std::wstring> folders;
    for (size_t at = name.find(L'\\'); at != std::wstring::npos; at = name.find(L'\\', at + 1))
        if (at > 0) folders.push_back(JoinPath(folder, name.substr(0, at)));
    return folders;
}

void MakeFolders(FileSystem& files, const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders)
        if (!files.Exists(folder)) files.CreateFolder(folder);
}

void RemoveFoldersDeepestFirst(FileSystem& files, const std::vector<std::wstring>& folders) {
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) files.RemoveFolder(*it);
}

// The link of a menu shortcut: in the menu folder, or, for a name starting with "\", in the
// Programs folder itself.
std::wstring MenuLink(ShortcutShell& shell, const std::wstring& menu, const std::wstring& name) {
    if (name[0] == L'\\') return shell.ShellFolder(L"Programs") + name + L".lnk";
    return JoinPath(menu, name) + L".lnk";
}

// The menu folder and the folders above it, up to the Programs folder, that were made for it.
std::vector<std::wstring> MenuFolderChain(ShortcutShell& shell, const std::wstring& menu) {
    std::vector<std::wstring> chain{menu};
    const std::wstring programs = shell.ShellFolder(L"Programs");
    if (programs.empty() || !StartsWithNoCase(menu, JoinPath(programs, L""))) return chain;
    for (std::wstring up = FolderOf(menu); up.size() > programs.size() + 1; up = FolderOf(up)) chain.push_back(up);
    return chain;
}

// Removes the menu folder and the parents made for it, each only when empty.
void RemoveMenuFolder(FileSystem& files, ShortcutShell& shell, const std::wstring& menu) {
    for (const std::wstring& folder : MenuFolderChain(shell, menu))
        if (!files.RemoveFolder(folder)) return;
}

}  // namespace

int ShowCommand(int show) {
    switch (show) {
    case 1: return kShowMaximized;
    case 2: return kShowMinimizedNoActive;
    default: return kShowNormal;
    }
}

uint16_t HotKey(const std::wstring& text) {
    if (text.empty()) return 0;
    if (text[0] == L'\\') return static_cast<uint16_t>(LeadingInt(text.substr(1)) | kCtrlAlt);
    wchar_t key = text[0];
    if (key >= L'a' && key <= L'z') key = static_cast<wchar_t>(key - L'a' + L'A');  // the letter's key
    if (key < 0x20 || key > 0x7e) return 0;  // no key of its own
    return static_cast<uint16_t>(key | kCtrlAlt);
}

std::optional<Shortcut> ReadShortcut(ShellJob& job, const std::wstring& section, bool withHotKey) {
    Profile& ini = job.ini;
    const std::wstring root = Read(ini, keys::kRootNamed);
    const auto target = ResolvePath(Read(ini, section, keys::kShortcutPath), root, PathMode::Program, job.system);
    if (!target || target->empty()) return std::nullopt;
    Shortcut shortcut;
    shortcut.target = *target;
    shortcut.arguments = Read(ini, section, keys::kShortcutArg);
    if (const std::wstring icon = Read(ini, section, keys::kShortcutIcon); !icon.empty())
        shortcut.icon = ResolvePath(icon, root, PathMode::Program, job.system).value_or(L"");
    shortcut.iconIndex = Read(ini, section, keys::kShortcutIconNo);
    const std::wstring work = Read(ini, section, keys::kShortcutWork);
    shortcut.workFolder = work.empty() ? root : work[0] == L'!' ? work.substr(1) : JoinPath(root, work);
    shortcut.show = ShowCommand(Read(ini, section, keys::kShortcutShow));
    if (withHotKey) shortcut.hotKey = HotKey(Read(ini, section, keys::kShortcutHotKey));
    return shortcut;
}

std::wstring MenuFolder(Profile& ini, ShortcutShell& shell) {
    const std::wstring named = Read(ini, keys::kMenuNamed);
    if (!named.empty()) return named;
    const std::wstring programs = shell.ShellFolder(L"Programs");
    if (programs.empty()) return {};
    const std::wstring name = Read(ini, keys::kMenuName);
    return name.empty() ? programs : JoinPath(programs, name);
}

void MakeMenuShortcuts(ShellJob& job) {
    const std::wstring menu = MenuFolder(job.ini, job.shell);
    if (menu.empty()) return;
    // A nested menu name makes its parents too.
    std::vector<std::wstring> chain = MenuFolderChain(job.shell, menu);
    for (auto it = chain.rbegin(); it + 1 != chain.rend(); ++it)
        if (!job.files.Exists(*it)) job.files.CreateFolder(*it);
    for (int attempt = 1; !job.files.CreateFolder(menu) && !job.files.Exists(menu); ++attempt) {
        if (attempt == 7) {
            job.shell.ReportMenuNotMade(menu);
            return;
        }
        job.shell.Pause(500);
    }
    RaiseCheck(job.ini, keys::kCheckMenu);
    const std::vector<std::wstring> names = NumberedNames(job.ini, keys::kMenuShortcuts);
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i][0] != L'\\') MakeFolders(job.files, FoldersOfName(menu, names[i]));
        if (const auto shortcut = ReadShortcut(job, keys::kMenuShortcuts.Section(i), false))
            job.shell.MakeShortcut(MenuLink(job.shell, menu, names[i]), *shortcut);
    }
    if (!job.files.RemoveFolder(menu) && Read(job.ini, keys::kMenuOpen) != 0) job.shell.OpenFolder(menu);
}

void RemoveMenuShortcuts(ShellJob& job) {
    CleanUpMenu(job.ini, job.files, job.shell);
    LowerCheck(job.ini, keys::kCheckMenu);
}

void CleanUpMenu(Profile& other, FileSystem& files, ShortcutShell& shell) {
    const std::wstring menu = MenuFolder(other, shell);
    if (menu.empty()) return;
    for (const std::wstring& name : NumberedNames(other, keys::kMenuShortcuts)) {
        shell.DeleteShortcut(MenuLink(shell, menu, name));
        if (name[0] != L'\\') RemoveFoldersDeepestFirst(files, FoldersOfName(menu, name));
    }
    RemoveMenuFolder(files, shell, menu);
}

void MakeSendToShortcuts(ShellJob& job) {
    const std::wstring sendTo = job.shell.ShellFolder(L"SendTo");
    if (sendTo.empty() || (!job.files.Exists(sendTo) && !job.files.CreateFolder(sendTo))) return;
    RaiseCheck(job.ini, keys::kCheckSend);
    const std::vector<std::wstring> names = NumberedNames(job.ini, keys::kSendToShortcuts);
    for (size_t i = 0; i < names.size(); ++i) {
        MakeFolders(job.files, FoldersOfName(sendTo, names[i]));
        if (const auto shortcut = ReadShortcut(job, keys::kSendToShortcuts.Section(i), false))
            job.shell.MakeShortcut(JoinPath(sendTo, names[i]) + L".lnk", *shortcut);
    }
}

void RemoveSendToShortcuts(ShellJob& job) {
    const std::wstring sendTo = job.shell.ShellFolder(L"SendTo");
    if (sendTo.empty()) return;
    for (const std::wstring& name : NumberedNames(job.ini, keys::kSendToShortcuts)) {
        job.shell.DeleteShortcut(JoinPath(sendTo, name) + L".lnk");
        RemoveFoldersDeepestFirst(job.files, FoldersOfName(sendTo, name));
    }
    LowerCheck(job.ini, keys::kCheckSend);
}

void MakePlaceShortcut(ShellJob& job, const keys::Place& place) {
    const std::wstring folder = job.shell.ShellFolder(place.section);
    const std::wstring name = Read(job.ini, place.section, keys::kShortcutName);
    if (folder.empty() || name.empty()) return;
    const std::wstring link = JoinPath(folder, name) + L".lnk";
    Write(job.ini, place.made, link);
    RaiseCheck(job.ini, place.check);
    if (const auto shortcut = ReadShortcut(job, place.section, true)) job.shell.MakeShortcut(link, *shortcut);
}

void RemovePlaceShortcut(ShellJob& job, const keys::Place& place) {
    const std::wstring folder = job.shell.ShellFolder(place.section);
    const std::wstring name = Read(job.ini, place.section, keys::kShortcutName);
    if (folder.empty() || name.empty()) return;
    Write(job.ini, place.made, L"");
    LowerCheck(job.ini, place.check);
    job.shell.DeleteShortcut(JoinPath(folder, name) + L".lnk");
}

void OpenLastGo(ShellJob& job, UserLaunches& launches) {
    // A one-shot shortcut goes once its program has started; one that did not start stays for the
    // user to start from where it is.
    const auto Open = [&](const std::wstring& link, bool oneShot) {
        const bool started = launches.Start({link, L"", ShowState::Normal}) == LaunchOutcome::Started;
        if (oneShot && started) job.files.Recycle(link);
    };
    // Without a menu of its own the product names nothing in the Programs folder itself.
    const bool ownMenu = !Read(job.ini, keys::kMenuNamed).empty() || !Read(job.ini, keys::kMenuName).empty();
    const std::wstring menu = ownMenu ? MenuFolder(job.ini, job.shell) : L"";
    const std::vector<std::wstring> entries = menu.empty() ? std::vector<std::wstring>{} : Read(job.ini, keys::kLastGo);
    bool allOneShot = !entries.empty();
    for (const std::wstring& entry : entries) {
        Open(JoinPath(menu, entry) + L".lnk", entry[0] == L'$');
        allOneShot = allOneShot && entry[0] == L'$';
    }
    if (allOneShot) job.files.RemoveFolder(menu);  // only when the last of them has gone
    for (const keys::Place& place : {keys::kStartup, keys::kDesktop}) {
        const std::wstring link = Read(job.ini, place.made);
        if (link.empty() || Read(job.ini, place.openAfter) == 0) continue;
        Open(link, LeafName(link)[0] == L'$');
    }
}

}  // namespace setup
