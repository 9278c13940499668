// The program-wide state of one setup run.
#pragma once
#include <windows.h>

#include <string>

#include "arguments.h"
#include "exit_codes.h"
#include "ini_file.h"
#include "setup_state.h"
#include "texts.h"
#include "windows_machine.h"
#include "setup_ini_keys.h"

namespace setup {

struct SetupApp {
    explicit SetupApp(const std::wstring& iniBesideProgram) : workingIni(iniBesideProgram) {}

    PrivateProfileFile& ini() { return workingIni.file(); }
    std::wstring ProductName() { return Read(ini(), keys::kProductName); }

    WorkingIni workingIni;
    Arguments arguments;
    RunOutcome outcome;  // what a silent run's exit code tells
    Language language = Language::Japanese;
    const Texts* texts = &TextsFor(Language::Japanese);
    WindowsMachine system;
    WindowsFiles files;

    SetupState state = SetupState::Fresh;
    std::wstring readmePage = L"install";  // the first painted readme page (StartingPoint)
    bool restartNeeded = false;
    bool pendingAtRestart = false;
    bool uninstallWord = false;
    bool removalCompleted = false;
    // This program is the install folder's Setup.exe (or no install folder is recorded): a removal
    // ends by removing it. A distribution's setup never removes its own files.
    bool installedCopy = true;

    HWND backgroundWindow = nullptr;
    HBITMAP backgroundPicture = nullptr;
    HICON largeIcon = nullptr;
    HICON smallIcon = nullptr;
};

}  // namespace setup
