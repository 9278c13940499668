#include "background_window.h"

#include "main_window.h"
#include "painting.h"
#include "resource.h"
#include "win_system.h"
#include "setup_ini_keys.h"

namespace setup {

namespace {

constexpr UINT_PTR kOpenTimer = 1;
constexpr UINT kOpenDelayMs = 2000;

// The window object: the program's state is all it needs.
class BackgroundWindow {
public:
    explicit BackgroundWindow(SetupApp& app) : app_(app) {}

    INT_PTR Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
        if (PaintFromPicture(hwnd, message, app_.backgroundPicture)) return TRUE;
        switch (message) {
        case WM_INITDIALOG:
            SetTimer(hwnd, kOpenTimer, kOpenDelayMs, nullptr);
            if (app_.backgroundPicture) {
                RECT screen;
                GetWindowRect(GetDesktopWindow(), &screen);
                SetWindowPos(hwnd, HWND_NOTOPMOST, screen.left, screen.top, screen.right - screen.left,
                             screen.bottom - screen.top, SWP_SHOWWINDOW);
            }
            return FALSE;
        case WM_TIMER:
            if (wParam != kOpenTimer) return FALSE;
            KillTimer(hwnd, kOpenTimer);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            // Over the picture when there is one. Without it the main window stands alone: owned
            // by this hidden window it would have no task-bar button and be easily lost.
            MainWindow::Run(app_.backgroundPicture ? hwnd : nullptr, app_);
            DestroyWindow(hwnd);
            return TRUE;
        case WM_DESTROY:
            PostQuitMessage(0);
            return TRUE;
        }
        return FALSE;
    }

private:
    SetupApp& app_;
};

}  // namespace

HBITMAP MakeBackgroundPicture(SetupApp& app) {
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    HBITMAP picture = MakeBlackPicture(screen.right - screen.left, screen.bottom - screen.top);
    PaintPicture(picture, WindowDpi(nullptr), Read(app.ini(), keys::kRootNamed), app.system,
                 Read(app.ini(), keys::kBackLines));
    return picture;
}

HWND CreateBackgroundWindow(SetupApp& app) {
    static BackgroundWindow window(app);  // one for the program's run
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BACKGROUND), nullptr,
                              DialogProcedure<BackgroundWindow>, reinterpret_cast<LPARAM>(&window));
}

}  // namespace setup
