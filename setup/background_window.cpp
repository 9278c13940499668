#include "background_window.h"

#include "main_window.h"
#include "painting.h"
#include "resource.h"

namespace setup {

namespace {

constexpr UINT_PTR kOpenTimer = 1;
constexpr UINT kOpenDelayMs = 2000;

INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* app = reinterpret_cast<SetupApp*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        app = reinterpret_cast<SetupApp*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        SetTimer(hwnd, kOpenTimer, kOpenDelayMs, nullptr);
        if (app->backgroundPicture) {
            RECT screen;
            GetWindowRect(GetDesktopWindow(), &screen);
            SetWindowPos(hwnd, HWND_NOTOPMOST, screen.left, screen.top, screen.right - screen.left,
                         screen.bottom - screen.top, SWP_SHOWWINDOW);
        }
        return FALSE;
    case WM_ERASEBKGND:
        return app && app->backgroundPicture;  // the picture covers it all
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (app && app->backgroundPicture) CopyPicture(dc, app->backgroundPicture, ps.rcPaint);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam != kOpenTimer) return FALSE;
        KillTimer(hwnd, kOpenTimer);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        MainWindow::Run(hwnd, *app);
        DestroyWindow(hwnd);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

HBITMAP MakeBackgroundPicture(SetupApp& app) {
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    HBITMAP picture = MakeBlackPicture(screen.right - screen.left, screen.bottom - screen.top);
    PaintPicture(picture, ReadString(app.ini(), L"Root", L"Named"), app.system, ReadList(app.ini(), L"Back"));
    return picture;
}

HWND CreateBackgroundWindow(SetupApp& app) {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BACKGROUND), nullptr, Procedure,
                              reinterpret_cast<LPARAM>(&app));
}

}  // namespace setup
