#include "install_run.h"

#include <shellapi.h>

#include "associations.h"
#include "case_fold.h"
#include "dll_search.h"
#include "file_copy.h"
#include "folder_field.h"
#include "folder_security.h"
#include "go2.h"
#include "install_mode.h"
#include "install_record.h"
#include "paths.h"
#include "record_journal.h"
#include "reg_entries.h"
#include "resource.h"
#include "room_check.h"
#include "run_report.h"
#include "uninstall_registration.h"
#include "win_system.h"
#include "windows_launcher.h"
#include "windows_registry.h"
#include "windows_security.h"
#include "windows_shortcut_shell.h"
#include "setup_ini_keys.h"

namespace setup {

namespace {

class CopyQuestions : public CopyDialogs {
public:
    CopyQuestions(SetupApp& app, RunProgress& progress) : app_(app), progress_(progress) {}
    bool AskOverwrite(const std::wstring& text, bool defaultNo) override {
        return progress_.Box(text, MB_YESNO | MB_ICONQUESTION | (defaultNo ? MB_DEFBUTTON2 : 0)) == IDYES;
    }
    void ReportNotCopied(const std::wstring& text) override {
        app_.outcome.filesNotCopied = true;
        progress_.Box(text, MB_OK | MB_ICONWARNING);
    }
    void NoteSkipped(const std::wstring& target) override { report::Note(log_text::skipped + target); }
    void RepaintBackground() override { progress_.RepaintBackground(); }

private:
    SetupApp& app_;
    RunProgress& progress_;
};

class WindowsGo2Host : public Go2Host {
public:
    // With `asUser`, commands start as the desktop's user would start them; others are kept to be
    // waited for.
    WindowsGo2Host(SetupApp& app, RunProgress& progress, UserLaunches* asUser)
        : app_(app), progress_(progress), asUser_(asUser) {}
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
        const DWORD error = GetLastError();
        report::Result(log_text::go2Loaded + path, module != nullptr, error);
        return reinterpret_cast<Library>(module);
    }
    bool CallEntry(Library library, const std::wstring& name) override {
        const FARPROC entry = GetProcAddress(reinterpret_cast<HMODULE>(library), AnsiFromWide(name).c_str());
        const DWORD error = GetLastError();
        report::Result(log_text::go2Called + name, entry != nullptr, error);
        if (!entry) return false;
        reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(entry))();
        return true;
    }
    void Release(Library library) override { ::FreeLibrary(reinterpret_cast<HMODULE>(library)); }
    bool Execute(const std::wstring& file, const std::wstring& parameters, ShowState show) override {
        const bool started = Start({file, parameters, show});
        report::Result(log_text::go2Started + file + L" " + parameters, started, ERROR_SUCCESS);
        return started;
    }
    void WaitForStarted(uint32_t timeoutMs) override {
        if (!started_.empty()) PumpUntilSignalled(started_, timeoutMs);
    }
    void ReportLaunchFailure(const std::wstring& file) override {
        progress_.Box(app_.texts->executeFailed, file, MB_OK | MB_ICONWARNING);
    }
    void ReportList(const std::wstring& text) override { progress_.Box(text, MB_OK | MB_ICONWARNING); }

private:
    bool Start(const LaunchRequest& request) {
        if (asUser_) return asUser_->Start(request) != LaunchOutcome::Failed;  // a deferred one is told at the end
        HANDLE process = nullptr;
        if (!ShellStart(progress_.Owner(), request, &process)) return false;
        if (process) started_.push_back(process);  // none when an open went to a running program
        return true;
    }

    SetupApp& app_;
    RunProgress& progress_;
    UserLaunches* asUser_;
    std::vector<HANDLE> started_;
};

// Setup.exe and the record into the install folder: removal starts from there.
void LeaveSetupBehind(SetupApp& app, RunProgress& progress, const std::wstring& root) {
    if (PlaceInstalledSetup(app.files, ProgramPath(), root) == SetupPlacement::Failed) {
        // What lies there is not this setup: nothing is started from it.
        app.outcome.filesNotCopied = true;
        progress.Box(app.texts->setupNotCopied + root, MB_OK | MB_ICONWARNING);
    } else if (app.restartNeeded) {
        // A silent run asks nothing: its exit code tells that a restart is needed.
        report::Note(log_text::restartFollowUp);
        if (!report::Silent()) StartFollowUp(Quoted(JoinPath(root, L"Setup.exe")) + L" reboot", SW_SHOW);
    }

    PrivateProfileFile& ini = app.ini();
    const std::wstring installedIni = JoinPath(root, L"Setup.ini");
    if (EqualNoCase(ini.path(), installedIni)) return;  // the installed copy renewing itself
    PrivateProfileFile earlier(installedIni);
    if (SameProductRecord(ini, earlier)) InstallRecord(ini).Merge(InstallRecord(earlier));  // another's was agreed to go
    ini.Flush();
    CopyFileW(ini.path().c_str(), installedIni.c_str(), FALSE);
}

// The copying step of the window's run.
CopyJob CopyJobOf(const RunChoices& choices) {
    return {choices.folder, CurrentFolder(), choices.Ticked(IDC_COPY), choices.Ticked(IDC_DELETE_AFTER)};
}

std::optional<uint64_t> FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The free bytes of the drive that holds `folder`, or would hold it once made.
std::optional<uint64_t> FreeBytes(std::wstring folder) {
    while (!folder.empty() && !IsFolder(folder)) folder = FolderOf(folder);
    ULARGE_INTEGER available;
    if (folder.empty() || !GetDiskFreeSpaceExW(JoinPath(folder, L"").c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

}  // namespace

bool RoomForFiles(SetupApp& app, const RunChoices& choices, RunProgress& progress) {
    if (InstallRecord(app.ini()).Installed()) return true;  // nothing is copied
    const CopyJob job = CopyJobOf(choices);
    const std::optional<uint64_t> available = FreeBytes(job.installFolder);
    if (!available) return true;  // the copying step reports what cannot be written
    std::vector<FileSizes> sizes;
    for (const PlannedFile& file : PlannedFiles(app.ini(), app.system, job))
        sizes.push_back({FileSize(file.source), FileSize(file.target)});
    const uint64_t needed = RoomNeeded(sizes);
    if (needed <= *available) return true;
    progress.Box(NoRoomMessage(*app.texts, job.installFolder, needed, *available), MB_OK | MB_ICONERROR);
    return false;
}

void RunGo2Entries(SetupApp& app, RunProgress& progress, Go2Kind kind, UserLaunches* asUser) {
    WindowsGo2Host host(app, progress, asUser);
    RunGo2(app.ini(), app.system, host, *app.texts, kind);
}

namespace {

// A folder field that names no folder Windows keeps as written, or that the record cannot hold.
bool FolderFieldAccepted(SetupApp& app, RunProgress& progress, const std::wstring& folder) {
    // The installed state's folder is the registered one; nothing is copied there again.
    if (app.state == SetupState::Installed) return true;
    const std::wstring refusal =
        FolderFieldRefusal(JudgeFolderField(folder, FitsAnsiCodePage(folder)), folder, *app.texts);
    if (refusal.empty()) return true;
    progress.Box(refusal, MB_OK | MB_ICONERROR);
    return false;
}

// Another product's setup in the folder is replaced only when the user says so.
bool ForeignSetupAccepted(SetupApp& app, RunProgress& progress, const std::wstring& folder) {
    PrivateProfileFile found(JoinPath(folder, L"Setup.ini"));
    if (!PathExists(found.path()) || SameProductRecord(app.ini(), found)) return true;
    return progress.Box(ForeignSetupQuestion(found, *app.texts), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

bool FolderSecurityAccepted(SetupApp& app, RunProgress& progress, const std::wstring& folder) {
    // A per-user installation runs with the user's own rights: nothing there is worth taking over.
    if (ReadInstallMode(app.ini()) != InstallMode::PerMachine) return true;
    WindowsFolderSecurity security;
    const std::wstring refusal = FolderRefusal(JudgeInstallPlace(folder, app.files, security), folder, *app.texts);
    if (refusal.empty()) return true;
    progress.Box(refusal, MB_OK | MB_ICONERROR);
    return false;
}

}  // namespace

bool InstallFolderAccepted(SetupApp& app, const RunChoices& choices, RunProgress& progress) {
    return FolderFieldAccepted(app, progress, choices.folder) && FolderSecurityAccepted(app, progress, choices.folder) &&
           ForeignSetupAccepted(app, progress, choices.folder);
}

bool RunInstallation(SetupApp& app, const RunChoices& choices, RunProgress& progress) {
    PrivateProfileFile& ini = app.ini();
    const Texts& t = *app.texts;
    WindowsShortcutShell shell(progress.Owner(), t);
    WindowsRegistry registry;
    const bool perMachine = ReadInstallMode(ini) == InstallMode::PerMachine;
    app.files.protectNewFolders = perMachine;
    for (int id : {IDC_MENU, IDC_SHORTCUT, IDC_STARTUP, IDC_ASSOCIATE, IDC_SENDTO, IDC_COPY, IDC_DELETE_AFTER,
                   IDC_FOLDER, IDC_PACKAGE})
        progress.Disable(id);

    // The copying step comes first: it makes the install folder and, per machine, judges it again
    // before anything in it (an earlier version's Setup.ini) is read.
    if (!InstallRecord(ini).Installed()) {
        progress.SetLabel(t.copying);
        CopyQuestions questions(app, progress);
        JournalFile journal(ini.path());
        WindowsFolderSecurity security;
        CopyJob copyJob = CopyJobOf(choices);
        if (perMachine) copyJob.machineFolders = &security;
        const CopyResult copied = CopyFiles(ini, app.files, app.system, questions, journal, t, copyJob);
        if (copied.folder != FolderVerdict::Safe) {
            progress.Box(FolderRefusal(copied.folder, choices.folder, t), MB_OK | MB_ICONERROR);
            return false;
        }
        if (copied.restartNeeded) app.restartNeeded = true;
        progress.Repaint();
    }

    // An earlier version's menu goes; the menu is made anew below.
    PrivateProfileFile earlier(JoinPath(choices.folder, L"Setup.ini"));
    if (PathExists(earlier.path()) && SameProductRecord(ini, earlier)) CleanUpMenu(earlier, app.files, shell);
    Write(ini, keys::kMenuNamed, Read(ini, keys::kMenuChange));
    Write(ini, keys::kMenuChange, L"");
    progress.Hide(IDC_FOLDER);
    progress.Pause(500);
    progress.SetLabel(t.systemSetup);

    ShellJob job{ini, app.system, app.files, shell};
    const std::pair<int, void (*)(ShellJob&, bool, Registry&)> options[] = {
        {IDC_MENU, [](ShellJob& j, bool on, Registry&) { on ? MakeMenuShortcuts(j) : RemoveMenuShortcuts(j); }},
        {IDC_SHORTCUT, [](ShellJob& j, bool on, Registry&) {
             on ? MakePlaceShortcut(j, keys::kDesktop) : RemovePlaceShortcut(j, keys::kDesktop);
         }},
        {IDC_STARTUP, [](ShellJob& j, bool on, Registry&) {
             on ? MakePlaceShortcut(j, keys::kStartup) : RemovePlaceShortcut(j, keys::kStartup);
         }},
        {IDC_ASSOCIATE, [](ShellJob& j, bool on, Registry& r) {
             if (on ? MakeAssociations(j.ini, r, j.system) : RemoveAssociations(j.ini, r, j.system))
                 NotifyAssociationsChanged();
         }},
        {IDC_SENDTO, [](ShellJob& j, bool on, Registry&) { on ? MakeSendToShortcuts(j) : RemoveSendToShortcuts(j); }},
    };
    for (const auto& [box, carryOut] : options) {
        carryOut(job, choices.Ticked(box), registry);
        progress.Hide(box);
        progress.Pause(500);
    }

    RegisterUninstall(ini, registry, app.files);
    WindowsFileReader reader;
    for (const std::wstring& line : Read(ini, keys::kRegMake))
        MakeRegEntry(registry, app.system, reader, line, Read(ini, keys::kRootNamed));

    LeaveSetupBehind(app, progress, Read(ini, keys::kRootNamed));
    for (int id : {IDC_COPY, IDC_DELETE_AFTER, IDC_PACKAGE}) progress.Hide(id);
    progress.Pause(500);

    WindowsLauncher launcher(progress.Owner());
    UserLaunches launches(launcher);
    OpenLastGo(job, launches);
    RunGo2Entries(app, progress, Go2Kind::Make, &launches);

    progress.SetLabel(t.completed);
    progress.Pause(1000);
    if (const std::wstring notStarted = launches.DeferredMessage(t); !notStarted.empty())
        progress.Box(notStarted, MB_OK | MB_ICONINFORMATION);
    ini.Flush();
    progress.Finish();
    return true;
}

}  // namespace setup
