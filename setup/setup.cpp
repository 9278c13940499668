// setup.exe: the installer driven by the Setup.ini beside it.
#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "arguments.h"
#include "background_window.h"
#include "dll_search.h"
#include "exit_codes.h"
#include "install_mode.h"
#include "install_record.h"
#include "main_window.h"
#include "paths.h"
#include "removal_run.h"
#include "run_report.h"
#include "setup_app.h"
#include "win_system.h"
#include "setup_ini_keys.h"

using namespace setup;

namespace {

// The command line after the program's name.
std::wstring ArgumentText() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

const Texts& UserTexts() { return TextsFor(LanguageForOemCodePage(GetOEMCP())); }

// The follow-up of an installation that replaced files in use: offers the restart.
void AskRestartAfterInstallation(const std::wstring& iniPath) {
    Sleep(5000);
    PrivateProfileFile ini(iniPath);
    if (MessageBoxW(GetDesktopWindow(), UserTexts().restartAfterInstall, Read(ini, keys::kProductName).c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDYES)
        RestartComputer();
}

// Held by a start that waits for its elevated relaunch. A relaunch that comes back without the
// rights (an account that cannot be elevated) finds it and stops instead of starting a third copy.
std::wstring RelaunchMarker(const std::wstring& program) {
    std::wstring folded = program;
    CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return L"Local\\setup-elevation-" + std::to_wstring(std::hash<std::wstring>{}(folded));
}

bool RelaunchWaiting(const std::wstring& program) {
    HANDLE marker = OpenEventW(SYNCHRONIZE, FALSE, RelaunchMarker(program).c_str());
    if (!marker) return false;
    CloseHandle(marker);
    return true;
}

void SayNotElevated(const std::wstring& iniPath) {
    report::Note(log_text::elevationRefused);
    if (report::Silent()) return;
    PrivateProfileFile ini(iniPath);
    const std::wstring name = Read(ini, keys::kProductName);
    MessageBoxW(nullptr, UserTexts().notElevated, name.empty() ? L"Install" : name.c_str(),
                MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

// This program started again as administrator, with the same command line and working folder; the
// elevated copy's exit code once it has ended.
int RelaunchElevated(const std::wstring& program, const std::wstring& word, const std::wstring& folder,
                     const std::wstring& iniPath) {
    report::Note(log_text::relaunching);
    HANDLE marker = CreateEventW(nullptr, TRUE, FALSE, RelaunchMarker(program).c_str());
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = word.empty() ? nullptr : word.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    DWORD code = 1;
    if (ShellExecuteExW(&info)) {
        code = 0;
        if (info.hProcess) {
            WaitForSingleObject(info.hProcess, INFINITE);
            GetExitCodeProcess(info.hProcess, &code);
            CloseHandle(info.hProcess);
        }
    } else {
        SayNotElevated(iniPath);  // refused (ERROR_CANCELLED) or not possible here
        if (report::Silent()) code = kExitElevationRefused;
    }
    if (marker) CloseHandle(marker);
    return static_cast<int>(code);
}

// Set for the copy of setup that another copy handed its run to.
constexpr const wchar_t* kHandedOver = L"SETUP_HANDED_OVER";

// The installed copy started in this one's place, with the same command line, from its folder. A
// silent run waits for it, so that its exit code is the run's: `code` receives it.
bool HandOver(const std::wstring& installedSetup, const std::wstring& word, int& code) {
    SetEnvironmentVariableW(kHandedOver, L"1");
    const std::wstring folder = FolderOf(installedSetup);
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | (report::Silent() ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.lpFile = installedSetup.c_str();
    info.lpParameters = word.empty() ? nullptr : word.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool started = ShellExecuteExW(&info);
    SetEnvironmentVariableW(kHandedOver, nullptr);
    if (started && info.hProcess) {
        DWORD exitCode = kExitDone;
        WaitForSingleObject(info.hProcess, INFINITE);
        GetExitCodeProcess(info.hProcess, &exitCode);
        CloseHandle(info.hProcess);
        code = static_cast<int>(exitCode);
    }
    return started;
}

// Which copy of setup acts on an installed product (see RoleOf); false when this one ends: with the
// code of the copy it handed over to in `code`, or, when that copy could not be started, with nothing
// done and the outcome saying so.
bool TakeRole(SetupApp& app, const std::wstring& program, const std::wstring& word, int& code) {
    PrivateProfileFile& ini = app.ini();
    SetupCopy copy;
    copy.recorded = InstallRecord(ini).Installed();
    copy.installFolder = Read(ini, keys::kRootNamed);
    const std::wstring installedSetup = JoinPath(copy.installFolder, L"Setup.exe");
    copy.isInstalledCopy = copy.installFolder.empty() || SameFile(program, installedSetup);
    copy.installedCopyExists = !copy.installFolder.empty() && PathExists(installedSetup) && !IsFolder(installedSetup);
    copy.handedOver = GetEnvironmentVariableW(kHandedOver, nullptr, 0) != 0;
    SetEnvironmentVariableW(kHandedOver, nullptr);  // not for the programs this run starts
    app.installedCopy = copy.isInstalledCopy;
    CopyRole role = RoleOf(copy);
    if (role == CopyRole::HandOver) {
        if (HandOver(installedSetup, word, code)) return false;
        copy.handOverFailed = true;
        role = RoleOf(copy);
    }
    switch (role) {
    case CopyRole::Stop: {
        report::Note(log_text::installedSetupNotStarted + installedSetup);
        const std::wstring name = app.ProductName();
        report::Message(nullptr, app.texts->installedSetupNotStarted + installedSetup,
                        name.empty() ? L"Install" : name, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
        app.outcome.installedSetupNotStarted = true;
        return false;
    }
    case CopyRole::ForgetRecord:
        InstallRecord(ini).Forget();
        break;
    case CopyRole::HandOver:
    case CopyRole::RunHere:
        break;
    }
    return true;
}

bool HandedOverToThisCopy() { return GetEnvironmentVariableW(kHandedOver, nullptr, 0) != 0; }

// The installer window of another copy of setup for the same product, brought to the front.
void BringToFront(const std::wstring& productName) {
    const std::wstring title = productName.empty() ? L"Install" : productName;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", title.c_str())) != nullptr) {
        if (!IsWindowVisible(window)) continue;
        if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
        return;
    }
}

// A path of the command line as a full path: setup changes its current folder.
std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) return path;
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
}

// The code a run ends with: a silent run tells what happened, an interactive one ends with 0.
int Finish(const SetupApp& app) {
    const int code = ExitCodeFor(app.outcome);
    report::Note(log_text::finished + std::to_wstring(code));
    return app.arguments.silent ? code : kExitDone;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    dll_search::RestrictToSystemFolder();
    const std::wstring commandLine = ArgumentText();
    Arguments arguments = ParseArguments(commandLine);
    arguments.installFolder = FullPath(arguments.installFolder);
    arguments.logFile = FullPath(arguments.logFile);
    report::Start(arguments.logFile, arguments.silent);
    const std::wstring& word = arguments.word;
    const std::wstring program = ProgramPath();
    const std::wstring iniPath = JoinPath(FolderOf(program), L"Setup.ini");
    report::Note(log_text::started + commandLine);
    report::Note(log_text::program + program);
    if (arguments.help || !arguments.unknown.empty()) {
        for (const std::wstring& unknown : arguments.unknown) report::Note(log_text::badSwitch + unknown);
        if (!arguments.silent) MessageBoxW(nullptr, UserTexts().usage, L"setup", MB_OK | MB_ICONINFORMATION);
        return arguments.unknown.empty() ? kExitDone : kExitBadCommandLine;
    }
    if (NeedsSettingsFile(word) && !PathExists(iniPath)) {
        // Started from inside a package: Explorer runs it alone from a temporary folder of its own.
        report::Note(UserTexts().settingsMissing);
        if (!arguments.silent)
            MessageBoxW(nullptr, UserTexts().settingsMissing, L"Setup", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
        return 1;
    }
    PrivateProfileFile besideProgram(iniPath);  // the installed copy's for "uninstall": the installation's mode
    switch (StartActionFor(ReadInstallMode(besideProgram), word, CurrentElevation(), RelaunchWaiting(program))) {
    case StartAction::Run:
        break;
    case StartAction::RelaunchElevated: {
        const int code = RelaunchElevated(program, commandLine, CurrentFolder(), iniPath);
        report::Note(log_text::finished + std::to_wstring(code));
        return code;
    }
    case StartAction::RefuseUnelevated:
        SayNotElevated(iniPath);
        return arguments.silent ? kExitElevationRefused : 1;
    }
    if (word == L"remove") {
        RemoveSelf();
        return 0;
    }
    if (word == L"reboot") {
        AskRestartAfterInstallation(iniPath);
        return 0;
    }
    // The distribution's files are found beside the program, wherever setup was started from.
    SetCurrentDirectoryW(FolderOf(program).c_str());

    SetupApp app(iniPath);
    app.arguments = arguments;
    app.language = LanguageForOemCodePage(GetOEMCP());
    app.texts = &TextsFor(app.language);
    app.uninstallWord = word == L"uninstall";

    // One setup at a time for a product; the copy another one handed its run to is that run.
    HANDLE single = nullptr;
    if (!HandedOverToThisCopy()) {
        single = CreateMutexW(nullptr, FALSE, SingleSetupName(app.ProductName()).c_str());
        if (single && GetLastError() == ERROR_ALREADY_EXISTS) {
            report::Note(log_text::alreadyRunning);
            if (!arguments.silent) BringToFront(app.ProductName());
            CloseHandle(single);
            app.outcome.alreadyRunning = true;
            return Finish(app);
        }
    }
    int handedOverCode = kExitDone;
    if (!TakeRole(app, program, commandLine, handedOverCode)) {
        if (single) CloseHandle(single);
        if (app.outcome.installedSetupNotStarted) return Finish(app);
        report::Note(log_text::finished + std::to_wstring(handedOverCode));
        return handedOverCode;
    }

    if (arguments.silent) {
        MainWindow::RunUnseen(app);
    } else {
        if (Read(app.ini(), keys::kBackDo) != 0) app.backgroundPicture = MakeBackgroundPicture(app);
        app.backgroundWindow = CreateBackgroundWindow(app);
        if (!app.backgroundWindow) return 1;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (IsDialogMessageW(app.backgroundWindow, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    app.ini().Flush();
    if (app.backgroundPicture) DeleteObject(app.backgroundPicture);
    if (app.removalCompleted) FinishRemoval(app);
    app.outcome.restartNeeded = app.restartNeeded || app.pendingAtRestart;
    const int code = Finish(app);
    if (single) CloseHandle(single);
    if (RestartsUnasked(arguments, app.outcome.restartNeeded)) {
        report::Note(log_text::restarting);
        RestartComputer();
    }
    return code;
}
