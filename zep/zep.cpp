// Program entry: one copy runs; a second start wakes it, a start with the quit switch ends it.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "hidden.h"
#include "instance.h"

namespace {

std::vector<std::string> Parameters() {
    std::vector<std::string> parameters;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        int n = WideCharToMultiByte(CP_ACP, 0, args[i], -1, nullptr, 0, nullptr, nullptr);
        std::string p(n > 0 ? n - 1 : 0, '\0');
        WideCharToMultiByte(CP_ACP, 0, args[i], -1, p.data(), n, nullptr, nullptr);
        parameters.push_back(p);
    }
    LocalFree(args);
    return parameters;
}

// Waits, processing this process's messages, until the running copy's window is gone or the
// time is up.
void WaitForRunningCopyToEnd() {
    const DWORD start = GetTickCount();
    while (FindWindowA(zep::kControllerClassName, nullptr) &&
           zep::ElapsedMs(GetTickCount(), start) < zep::kQuitWaitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const bool quit = zep::HasQuitSwitch(Parameters());
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, zep::kInstanceMutexName);
    if (mutex || quit) {
        if (HWND running = FindWindowA(zep::kControllerClassName, nullptr)) {
            PostMessageW(running, zep::WM_INSTANCECOMMAND, quit ? zep::kInstanceQuit : zep::kInstanceWake, 0);
            if (quit) WaitForRunningCopyToEnd();
        }
        if (mutex) CloseHandle(mutex);
        return 0;
    }

    mutex = CreateMutexA(nullptr, FALSE, zep::kInstanceMutexName);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    zep::HiddenForm controller(instance);
    if (controller.Create()) controller.Run();

    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return 0;
}
