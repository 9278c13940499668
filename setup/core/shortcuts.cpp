#include "shortcuts.h"

#include <vector>

#include "case_fold.h"
#include "paths.h"

namespace setup {

namespace {

constexpr uint16_t kCtrlAlt = 0x0600;  // HOTKEYF_CONTROL | HOTKEYF_ALT in the high byte

// The "Menu%d" (or "Send%d") sections from 0 upward while they have a Name.
std::vector<std::wstring> NumberedNames(Profile& ini, const std::wstring& prefix) {
    std::vector<std::wstring> names;
    for (int i = 0;; ++i) {
        std::wstring name = ReadString(ini, prefix + std::to_wstring(i), L"Name");
        if (name.empty()) return names;
        names.push_back(std::move(name));
    }
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

void RaiseCheck(Profile& ini, const std::wstring& key) {
    if (ini.ReadInt(L"Check", key, 3) < 2) ini.Write(L"Check", key, L"2");
}

void LowerCheck(Profile& ini, const std::wstring& key) {
    if (ini.ReadInt(L"Check", key, 0) != 0) ini.Write(L"Check", key, L"1");
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
    const std::wstring root = ReadString(ini, L"Root", L"Named");
    const auto target = ResolvePath(ReadString(ini, section, L"Path"), root, PathMode::Program, job.system);
    if (!target || target->empty()) return std::nullopt;
    Shortcut shortcut;
    shortcut.target = *target;
    shortcut.arguments = ReadString(ini, section, L"Arg");
    if (const std::wstring icon = ReadString(ini, section, L"Icon"); !icon.empty())
        shortcut.icon = ResolvePath(icon, root, PathMode::Program, job.system).value_or(L"");
    shortcut.iconIndex = ini.ReadInt(section, L"IconNo", 0);
    const std::wstring work = ReadString(ini, section, L"Work");
    shortcut.workFolder = work.empty() ? root : work[0] == L'!' ? work.substr(1) : JoinPath(root, work);
    shortcut.show = ShowCommand(ini.ReadInt(section, L"Show", 0));
    if (withHotKey) shortcut.hotKey = HotKey(ReadString(ini, section, L"Short"));
    return shortcut;
}

std::wstring MenuFolder(Profile& ini, ShortcutShell& shell) {
    const std::wstring named = ReadString(ini, L"Menu", L"Named");
    if (!named.empty()) return named;
    const std::wstring programs = shell.ShellFolder(L"Programs");
    if (programs.empty()) return {};
    const std::wstring name = ReadString(ini, L"Menu", L"Name");
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
    RaiseCheck(job.ini, L"Menu");
    const std::vector<std::wstring> names = NumberedNames(job.ini, L"Menu");
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i][0] != L'\\') MakeFolders(job.files, FoldersOfName(menu, names[i]));
        if (const auto shortcut = ReadShortcut(job, L"Menu" + std::to_wstring(i), false))
            job.shell.MakeShortcut(MenuLink(job.shell, menu, names[i]), *shortcut);
    }
    if (!job.files.RemoveFolder(menu) && job.ini.ReadInt(L"Menu", L"Open", 0) != 0) job.shell.OpenFolder(menu);
}

void RemoveMenuShortcuts(ShellJob& job) {
    CleanUpMenu(job.ini, job.files, job.shell);
    LowerCheck(job.ini, L"Menu");
}

void CleanUpMenu(Profile& other, FileSystem& files, ShortcutShell& shell) {
    const std::wstring menu = MenuFolder(other, shell);
    if (menu.empty()) return;
    for (const std::wstring& name : NumberedNames(other, L"Menu")) {
        shell.DeleteShortcut(MenuLink(shell, menu, name));
        if (name[0] != L'\\') RemoveFoldersDeepestFirst(files, FoldersOfName(menu, name));
    }
    RemoveMenuFolder(files, shell, menu);
}

void MakeSendToShortcuts(ShellJob& job) {
    const std::wstring sendTo = job.shell.ShellFolder(L"SendTo");
    if (sendTo.empty() || (!job.files.Exists(sendTo) && !job.files.CreateFolder(sendTo))) return;
    RaiseCheck(job.ini, L"Send");
    const std::vector<std::wstring> names = NumberedNames(job.ini, L"Send");
    for (size_t i = 0; i < names.size(); ++i) {
        MakeFolders(job.files, FoldersOfName(sendTo, names[i]));
        if (const auto shortcut = ReadShortcut(job, L"Send" + std::to_wstring(i), false))
            job.shell.MakeShortcut(JoinPath(sendTo, names[i]) + L".lnk", *shortcut);
    }
}

void RemoveSendToShortcuts(ShellJob& job) {
    const std::wstring sendTo = job.shell.ShellFolder(L"SendTo");
    if (sendTo.empty()) return;
    for (const std::wstring& name : NumberedNames(job.ini, L"Send")) {
        job.shell.DeleteShortcut(JoinPath(sendTo, name) + L".lnk");
        RemoveFoldersDeepestFirst(job.files, FoldersOfName(sendTo, name));
    }
    LowerCheck(job.ini, L"Send");
}

void MakePlaceShortcut(ShellJob& job, const std::wstring& place) {
    const std::wstring folder = job.shell.ShellFolder(place);
    const std::wstring name = ReadString(job.ini, place, L"Name");
    if (folder.empty() || name.empty()) return;
    const std::wstring link = JoinPath(folder, name) + L".lnk";
    job.ini.Write(L"LastGo", place, link);
    RaiseCheck(job.ini, place);
    if (const auto shortcut = ReadShortcut(job, place, true)) job.shell.MakeShortcut(link, *shortcut);
}

void RemovePlaceShortcut(ShellJob& job, const std::wstring& place) {
    const std::wstring folder = job.shell.ShellFolder(place);
    const std::wstring name = ReadString(job.ini, place, L"Name");
    if (folder.empty() || name.empty()) return;
    job.ini.Write(L"LastGo", place, L"");
    LowerCheck(job.ini, place);
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
    const bool ownMenu =
        !ReadString(job.ini, L"Menu", L"Named").empty() || !ReadString(job.ini, L"Menu", L"Name").empty();
    const std::wstring menu = ownMenu ? MenuFolder(job.ini, job.shell) : L"";
    const std::vector<std::wstring> entries = menu.empty() ? std::vector<std::wstring>{} : ReadList(job.ini, L"LastGo");
    bool allOneShot = !entries.empty();
    for (const std::wstring& entry : entries) {
        Open(JoinPath(menu, entry) + L".lnk", entry[0] == L'$');
        allOneShot = allOneShot && entry[0] == L'$';
    }
    if (allOneShot) job.files.RemoveFolder(menu);  // only when the last of them has gone
    for (const wchar_t* place : {L"Startup", L"Desktop"}) {
        const std::wstring link = ReadString(job.ini, L"LastGo", place);
        if (link.empty() || job.ini.ReadInt(L"LastGo", std::wstring(place) + L"AndGo", 0) == 0) continue;
        Open(link, LeafName(link)[0] == L'$');
    }
}

}  // namespace setup
