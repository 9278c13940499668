#include "removal_run.h"

#include <algorithm>
#include <cwchar>

#include "associations.h"
#include "install_record.h"
#include "install_run.h"
#include "paths.h"
#include "reg_entries.h"
#include "removal.h"
#include "resource.h"
#include "run_report.h"
#include "uninstall_registration.h"
#include "win_system.h"
#include "windows_registry.h"
#include "windows_security.h"
#include "windows_shortcut_shell.h"
#include "setup_ini_keys.h"

namespace setup {

namespace {

// The folders made above the install folder, handed from the removal to the "remove" instance.
constexpr const wchar_t* kMadeFolders = L"SETUP_MADE_FOLDERS";
// The process id of the setup that ran the removal, handed to the "remove" instance it starts.
constexpr const wchar_t* kRemovingSetup = L"SETUP_REMOVING_PROCESS";
constexpr DWORD kRemoveWaitMs = 5000;

// Until the setup that ran the removal has ended (its executable can then be deleted), at most the
// 5 s the "remove" instance always waited. Its process is opened first thing, while it still runs
// (it waits for nothing once it has started this instance): a process that cannot be opened has
// ended already. Started otherwise than by a removal, the instance waits the 5 s.
void WaitForRemovingSetup() {
    wchar_t text[16];
    const DWORD n = GetEnvironmentVariableW(kRemovingSetup, text, 16);
    if (n == 0 || n >= 16) {
        Sleep(kRemoveWaitMs);
        return;
    }
    wchar_t* end = nullptr;
    const unsigned long id = std::wcstoul(text, &end, 10);
    HANDLE process = id != 0 && *end == L'\0' ? OpenProcess(SYNCHRONIZE, FALSE, id) : nullptr;
    if (!process) return;
    WaitForSingleObject(process, kRemoveWaitMs);
    CloseHandle(process);
}

// What could not be removed: listed (with Del ShowError), or, with Del Reboot, removed at restart.
void ReportLeftovers(SetupApp& app, RunProgress& progress) {
    const std::vector<std::wstring> installedSetup =
        app.installedCopy ? std::vector<std::wstring>{ProgramPath(), app.ini().path()} : std::vector<std::wstring>{};
    const LeftoverPlan plan = PlanLeftovers(app.ini(), app.files, app.system, *app.texts, installedSetup);
    app.pendingAtRestart = plan.pendingAtRestart;
    for (const std::wstring& path : plan.atRestart) app.files.ScheduleAtRestart(path, L"");
    if (plan.message.empty()) return;
    progress.Box(plan.message, app.texts->deleteCaption, MB_OK | MB_ICONWARNING);
    progress.RepaintBackground();
}

// A version-up's files in use wait for the restart in stand-ins: those replacements would bring
// removed files back, so they are cancelled and their stand-ins deleted.
void CancelReplacementsOfRemoved(SetupApp& app) {
    const std::vector<std::wstring> operations = PendingRenameOperations();
    const RestartRenames renames = WithoutReplacementsOfRemoved(operations, app.ini());
    if (renames.operations.size() == operations.size()) return;
    SetPendingRenameOperations(renames.operations);
    for (const std::wstring& standIn : renames.standIns) app.files.Remove(standIn);
}

// Writes the self-removal's batch into `folder` and starts cmd on it there; false when it could
// not (the batch is gone again then).
bool StartSelfRemoval(const std::wstring& folder, const std::wstring& program, const std::vector<std::wstring>& folders,
                      const std::wstring& batchFolder) {
    const std::wstring system = WindowsMachine().SystemFolder();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            "delus-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".bat";
        const std::wstring batch = JoinPath(folder, std::wstring(name.begin(), name.end()));
        HANDLE h = CreateFileW(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return false;
        }
        const SelfRemoval removal = SelfRemovalFor(program, folders, name, system, batchFolder);
        DWORD written = 0;
        const bool ok = WriteFile(h, removal.batch.data(), static_cast<DWORD>(removal.batch.size()), &written,
                                  nullptr) &&
                        written == removal.batch.size();
        CloseHandle(h);
        if (ok) {
            for (const auto& [variable, value] : removal.variables)
                SetEnvironmentVariableW(variable.c_str(), value.c_str());
            // cmd runs from the batch's folder or the system's (never a folder it removes), at normal
            // priority (this instance runs at idle priority), without a console window.
            const std::wstring cmd = JoinPath(system, L"cmd.exe");
            std::wstring line = Quoted(cmd) + L" " + removal.arguments;
            STARTUPINFOW startup{sizeof startup};
            PROCESS_INFORMATION process{};
            if (CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE,
                               NORMAL_PRIORITY_CLASS | CREATE_NO_WINDOW, nullptr,
                               (removal.currentFolder.empty() ? folder : removal.currentFolder).c_str(), &startup,
                               &process)) {
                CloseHandle(process.hThread);
                CloseHandle(process.hProcess);
                return true;
            }
        }
        DeleteFileW(batch.c_str());
        return false;
    }
    return false;
}

}  // namespace

void RunRemoval(SetupApp& app, const RunChoices& choices, RunProgress& progress) {
    PrivateProfileFile& ini = app.ini();
    const Texts& t = *app.texts;
    WindowsShortcutShell shell(progress.Owner(), t);
    WindowsRegistry registry;
    ShellJob job{ini, app.system, app.files, shell};

    progress.SetLabel(t.unsetupSystem);
    RunGo2Entries(app, progress, Go2Kind::Erase);
    PrivateProfileFile folderIni(JoinPath(choices.folder, L"Setup.ini"));
    CleanUpMenu(folderIni, app.files, shell);
    progress.Hide(IDC_MENU);
    progress.Pause(500);
    RemovePlaceShortcut(job, keys::kDesktop);
    progress.Hide(IDC_STARTUP);
    progress.Pause(500);
    RemovePlaceShortcut(job, keys::kStartup);
    progress.Hide(IDC_SHORTCUT);
    if (RemoveAssociations(ini, registry, app.system)) NotifyAssociationsChanged();
    UnregisterUninstall(ini, registry);
    progress.Hide(IDC_ASSOCIATE);
    progress.Pause(500);
    RemoveSendToShortcuts(job);
    progress.Hide(IDC_SENDTO);
    progress.Pause(500);
    for (const std::wstring& line : Read(ini, keys::kRegErase)) EraseRegEntry(registry, line);

    progress.SetLabel(t.deletingFiles);
    CancelReplacementsOfRemoved(app);
    DeleteInstalledFiles(ini, app.files, app.system);
    progress.Hide(IDC_FOLDER);
    progress.Pause(500);
    ReportLeftovers(app, progress);

    ini.Flush();
    progress.SetLabel(t.uninstallCompleted);
    progress.Pause(1000);
    app.removalCompleted = true;
    ini.Flush();
    progress.Finish();
}

void FinishRemoval(SetupApp& app) {
    if (app.pendingAtRestart) {
        // A silent run asks nothing: its exit code tells that a restart is needed.
        report::Note(log_text::restartFollowUp);
        if (!report::Silent() &&
            MessageBoxW(GetDesktopWindow(), app.texts->restartAfterRemoval, app.ProductName().c_str(),
                        MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDYES)
            RestartComputer();
        return;
    }
    if (!app.installedCopy) {
        // A distribution's setup keeps its files; its record now names nothing installed.
        InstallRecord(app.ini()).Forget();
        return;
    }
    SetEnvironmentVariableW(kMadeFolders, MadeParentsOfInstallFolder(app.ini()).c_str());
    SetEnvironmentVariableW(kRemovingSetup, std::to_wstring(GetCurrentProcessId()).c_str());
    RecycleFile(app.ini().path());
    report::Note(log_text::selfRemoval);
    StartFollowUp(Quoted(ProgramPath()) + L" remove", SW_SHOWNORMAL);
}

void RemoveSelf() {
    WaitForRemovingSetup();
    const std::wstring program = ProgramPath();
    const std::wstring folder = FolderOf(program);
    std::vector<std::wstring> folders{folder};
    wchar_t made[4096] = L"";
    const DWORD n = GetEnvironmentVariableW(kMadeFolders, made, 4096);
    if (n > 0 && n < 4096)
        for (const std::wstring& parent : ParentsToRemove(made, folder)) folders.push_back(parent);

    const PrivatePlace place = PrivatePlaceFor(CurrentElevation(), TempFolder(), SharedWindowsFolder());
    if (place.folder.empty()) return;
    if (!place.administratorsOnly) {
        StartSelfRemoval(place.folder, program, folders, L"");
        return;
    }
    const std::wstring own = MakeUnforeseeableFolder(place.folder, FolderUsers::Administrators);
    if (!own.empty() && !StartSelfRemoval(own, program, folders, own)) RemoveDirectoryW(own.c_str());
}

}  // namespace setup
