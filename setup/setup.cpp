// setup.exe: the installer driven by the Setup.ini beside it.
#include <windows.h>

#include "background_window.h"
#include "dll_search.h"
#include "paths.h"
#include "removal_run.h"
#include "setup_app.h"
#include "win_util.h"

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
    IniFile ini(iniPath);
    if (MessageBoxW(GetDesktopWindow(), UserTexts().restartAfterInstall, ReadString(ini, L"Setup", L"Name").c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDYES)
        RestartComputer();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    dll_search::RestrictToSystemFolder();
    const std::wstring word = ArgumentText();
    if (word == L"remove") {
        RemoveSelf();
        return 0;
    }
    const std::wstring program = ModulePath();
    const std::wstring iniPath = JoinPath(FolderOf(program), L"Setup.ini");
    if (word == L"reboot") {
        AskRestartAfterInstallation(iniPath);
        return 0;
    }
    // The distribution's files are found beside the program, wherever setup was started from.
    SetCurrentDirectoryW(FolderOf(program).c_str());

    SetupApp app(iniPath);
    app.language = LanguageForOemCodePage(GetOEMCP());
    app.texts = &TextsFor(app.language);
    app.uninstallWord = word == L"uninstall";
    if (app.ini().ReadInt(L"Back", L"Do", 0) != 0) app.backgroundPicture = MakeBackgroundPicture(app);

    app.backgroundWindow = CreateBackgroundWindow(app);
    if (!app.backgroundWindow) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(app.backgroundWindow, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    app.ini().Flush();
    if (app.backgroundPicture) DeleteObject(app.backgroundPicture);
    if (app.removalCompleted) FinishRemoval(app);
    return 0;
}
