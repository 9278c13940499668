#include "install_run.h"

#include <shellapi.h>

#include "associations.h"
#include "dll_search.h"
#include "file_copy.h"
#include "folder_security.h"
#include "go2.h"
#include "install_mode.h"
#include "install_record.h"
#include "paths.h"
#include "record_journal.h"
#include "reg_entries.h"
#include "resource.h"
#include "text.h"
#include "uninstall_registration.h"
#include "win_util.h"
#include "windows_launcher.h"
#include "windows_registry.h"
#include "windows_security.h"
#include "windows_shell.h"

namespace setup {

namespace {

class CopyQuestions : public CopyDialogs {
public:
    explicit CopyQuestions(MainWindow& window) : window_(window) {}
    bool AskOverwrite(const std::wstring& text, bool defaultNo) override {
        return window_.Box(text, MB_YESNO | MB_ICONQUESTION | (defaultNo ? MB_DEFBUTTON2 : 0)) == IDYES;
    }
    void ReportNotCopied(const std::wstring& text) override { window_.Box(text, MB_OK | MB_ICONWARNING); }
    void RepaintBackground() override { window_.RepaintBackground(); }

private:
    MainWindow& window_;
};

class WindowsGo2Host : public Go2Host {
public:
    // With `asUser`, commands start as the desktop's user would start them; others are kept to be
    // waited for.
    WindowsGo2Host(MainWindow& window, UserLaunches* asUser) : window_(window), asUser_(asUser) {}
    ~WindowsGo2Host() override {
        for (HANDLE process : started_) CloseHandle(process);
    }
    WindowsGo2Host(const WindowsGo2Host&) = delete;
    WindowsGo2Host& operator=(const WindowsGo2Host&) = delete;

    Library Load(const std::wstring& path, LibraryUse use) override {
        const HMODULE module =
            use == LibraryUse::Inspect
                ? LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)
                : dll_search::LoadByFullPath(path.c_str());
        return reinterpret_cast<Library>(module);
    }
    bool CallEntry(Library library, const std::wstring& name) override {
        const FARPROC entry = GetProcAddress(reinterpret_cast<HMODULE>(library), AnsiFromWide(name).c_str());
        if (!entry) return false;
        reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(entry))();
        return true;
    }
    void Release(Library library) override { ::FreeLibrary(reinterpret_cast<HMODULE>(library)); }
    bool Execute(const std::wstring& file, const std::wstring& parameters, ShowState show) override {
        const LaunchRequest request{file, parameters, show};
        if (asUser_) return asUser_->Start(request) != LaunchOutcome::Failed;  // a deferred one is told at the end
        HANDLE process = nullptr;
        if (!ShellStart(window_.hwnd(), request, &process)) return false;
        if (process) started_.push_back(process);  // none when an open went to a running program
        return true;
    }
    void WaitForStarted(uint32_t timeoutMs) override {
        if (!started_.empty()) PumpUntilSignalled(started_, timeoutMs);
    }
    void ReportLaunchFailure(const std::wstring& file) override {
        MessageBoxW(window_.hwnd(), window_.app().texts->executeFailed, file.c_str(), MB_OK | MB_ICONWARNING);
    }
    void ReportList(const std::wstring& text) override { window_.Box(text, MB_OK | MB_ICONWARNING); }

private:
    MainWindow& window_;
    UserLaunches* asUser_;
    std::vector<HANDLE> started_;
};

// The shortcuts named in LastGo, opened as the user would open them; "$" ones only once.
void OpenLastGo(SetupApp& app, UserLaunches& launches) {
    const auto OpenShortcut = [&launches](const std::wstring& link) { launches.Start({link, L"", ShowState::Normal}); };
    IniFile& ini = app.ini();
    std::wstring menu = ReadString(ini, L"Menu", L"Named");
    if (menu.empty()) {
        const std::wstring programs = ShellFolder(L"Programs");
        const std::wstring name = ReadString(ini, L"Menu", L"Name");
        if (!programs.empty() && !name.empty()) menu = JoinPath(programs, name);
    }
    if (!menu.empty()) {
        const std::vector<std::wstring> entries = ReadList(ini, L"LastGo");
        bool allOneShot = !entries.empty();
        for (const std::wstring& entry : entries) {
            const std::wstring link = JoinPath(menu, entry) + L".lnk";
            OpenShortcut(link);
            if (entry[0] == L'$') RecycleFile(link);
            else allOneShot = false;
        }
        if (allOneShot) RemoveDirectoryW(menu.c_str());
    }
    for (const wchar_t* place : {L"Startup", L"Desktop"}) {
        const std::wstring link = ReadString(ini, L"LastGo", place);
        if (ini.ReadInt(L"LastGo", std::wstring(place) + L"AndGo", 0) == 0 || link.empty()) continue;
        OpenShortcut(link);
        if (LeafName(link)[0] == L'$') RecycleFile(link);
    }
}

// Setup.exe and the record into the install folder: removal starts from there.
void LeaveSetupBehind(MainWindow& window, const std::wstring& root) {
    SetupApp& app = window.app();
    if (PlaceInstalledSetup(app.files, ModulePath(), root) == SetupPlacement::Failed) {
        // What lies there is not this setup: nothing is started from it.
        window.Box(app.texts->setupNotCopied + root, MB_OK | MB_ICONWARNING);
    } else if (app.restartNeeded) {
        StartFollowUp(Quoted(JoinPath(root, L"Setup.exe")) + L" reboot", SW_SHOW);
    }

    IniFile& ini = app.ini();
    const std::wstring installedIni = JoinPath(root, L"Setup.ini");
    if (EqualNoCase(ini.path(), installedIni)) return;  // the installed copy renewing itself
    IniFile earlier(installedIni);
    MergeInstallRecord(ini, earlier);
    ini.Flush();
    CopyFileW(ini.path().c_str(), installedIni.c_str(), FALSE);
}

}  // namespace

void RunGo2Entries(MainWindow& window, const std::wstring& kind, UserLaunches* asUser) {
    WindowsGo2Host host(window, asUser);
    RunGo2(window.app().ini(), window.app().system, host, *window.app().texts, kind);
}

bool InstallFolderAccepted(MainWindow& window) {
    SetupApp& app = window.app();
    // A per-user installation runs with the user's own rights: nothing there is worth taking over.
    if (ReadInstallMode(app.ini()) != InstallMode::PerMachine) return true;
    const std::wstring folder = ControlText(window.hwnd(), IDC_FOLDER);
    // A missing folder is made with an access list of its own where needed.
    FolderVerdict verdict = PathExists(folder) ? JudgeInstallFolder(ReadFolderSecurity(folder)) : FolderVerdict::Safe;
    if (verdict == FolderVerdict::Safe) {
        std::vector<std::optional<FolderSecurity>> above;
        for (std::wstring up = FolderOf(folder); !up.empty(); up = FolderOf(up))
            if (PathExists(up)) above.push_back(ReadFolderSecurity(up));
        verdict = JudgeFoldersAbove(above);
    }
    const std::wstring refusal = FolderRefusal(verdict, folder, *app.texts);
    if (refusal.empty()) return true;
    window.Box(refusal, MB_OK | MB_ICONERROR);
    return false;
}

void RunInstallation(MainWindow& window) {
    SetupApp& app = window.app();
    IniFile& ini = app.ini();
    const Texts& t = *app.texts;
    WindowsShell shell(window.hwnd(), t);
    WindowsRegistry registry;
    app.files.protectNewFolders = ReadInstallMode(ini) == InstallMode::PerMachine;

    // An earlier version's menu goes; the menu is made anew below.
    IniFile earlier(JoinPath(ControlText(window.hwnd(), IDC_FOLDER), L"Setup.ini"));
    if (PathExists(earlier.path())) CleanUpMenu(earlier, app.files, shell);
    ini.Write(L"Menu", L"Named", ReadString(ini, L"Menu", L"Change"));
    ini.Write(L"Menu", L"Change", L"");
    for (int id : {IDC_MENU, IDC_SHORTCUT, IDC_STARTUP, IDC_ASSOCIATE, IDC_SENDTO, IDC_COPY, IDC_DELETE_AFTER,
                   IDC_FOLDER, IDC_PACKAGE})
        window.Disable(id);

    if (ini.ReadInt(L"CopiedFile", L"Count", 0) == 0) {
        window.SetLabel(t.copying);
        CopyQuestions questions(window);
        const CopyJob job{ControlText(window.hwnd(), IDC_FOLDER), CurrentFolder(), window.Checked(IDC_COPY),
                          window.Checked(IDC_DELETE_AFTER)};
        JournalFile journal(ini.path());
        if (CopyFiles(ini, app.files, app.system, questions, journal, t, job)) app.restartNeeded = true;
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    window.Hide(IDC_FOLDER);
    Pause(500);
    window.SetLabel(t.systemSetup);

    ShellJob job{ini, app.system, app.files, shell};
    const std::pair<int, void (*)(ShellJob&, bool, Registry&)> options[] = {
        {IDC_MENU, [](ShellJob& j, bool on, Registry&) { on ? MakeMenuShortcuts(j) : RemoveMenuShortcuts(j); }},
        {IDC_SHORTCUT, [](ShellJob& j, bool on, Registry&) {
             on ? MakePlaceShortcut(j, L"Desktop") : RemovePlaceShortcut(j, L"Desktop");
         }},
        {IDC_STARTUP, [](ShellJob& j, bool on, Registry&) {
             on ? MakePlaceShortcut(j, L"Startup") : RemovePlaceShortcut(j, L"Startup");
         }},
        {IDC_ASSOCIATE, [](ShellJob& j, bool on, Registry& r) {
             on ? MakeAssociations(j.ini, r, j.system) : RemoveAssociations(j.ini, r, j.system);
         }},
        {IDC_SENDTO, [](ShellJob& j, bool on, Registry&) { on ? MakeSendToShortcuts(j) : RemoveSendToShortcuts(j); }},
    };
    for (const auto& [box, carryOut] : options) {
        carryOut(job, window.Checked(box), registry);
        window.Hide(box);
        Pause(500);
    }

    RegisterUninstall(ini, registry, app.files);
    WindowsFileReader reader;
    for (const std::wstring& line : ReadList(ini, L"Reg", 0, L"Make", 4096))
        MakeRegEntry(registry, app.system, reader, line, ReadString(ini, L"Root", L"Named"));

    LeaveSetupBehind(window, ReadString(ini, L"Root", L"Named"));
    for (int id : {IDC_COPY, IDC_DELETE_AFTER, IDC_PACKAGE}) window.Hide(id);
    Pause(500);

    WindowsLauncher launcher(window.hwnd());
    UserLaunches launches(launcher);
    OpenLastGo(app, launches);
    RunGo2Entries(window, L"Make", &launches);

    window.SetLabel(t.completed);
    Pause(1000);
    if (const std::wstring notStarted = launches.DeferredMessage(t); !notStarted.empty())
        window.Box(notStarted, MB_OK | MB_ICONINFORMATION);
    ini.Flush();
    window.Close();
}

}  // namespace setup
