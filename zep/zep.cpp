// Program entry: one copy runs; a second start wakes it, a start with the quit switch ends it.
#include <windows.h>
#include <commctrl.h>

#include "controller_window.h"
#include "dll_search.h"
#include "instance.h"
#include "tick_count.h"
#include "win_system.h"
#include "window_messages.h"

namespace {

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
    dll_search::RestrictToSystemFolder();
    const bool quit = zep::HasQuitSwitch(zep::CommandLineParameters());
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
