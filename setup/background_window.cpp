#include "background_window.h"

#include "main_window.h"
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
        if (app && app->backgroundPicture) {
            HDC picture = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(picture, app->backgroundPicture);
            const RECT& r = ps.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, picture, r.left, r.top, SRCCOPY);
            SelectObject(picture, old);
            DeleteDC(picture);
        }
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

HBITMAP MakeBackgroundPicture(SetupApp&) {
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    HDC screenDc = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screenDc, screen.right - screen.left, screen.bottom - screen.top);
    if (picture) {
        HDC dc = CreateCompatibleDC(screenDc);
        HGDIOBJ old = SelectObject(dc, picture);
        const RECT area{0, 0, screen.right - screen.left, screen.bottom - screen.top};
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screenDc);
    return picture;
}

HWND CreateBackgroundWindow(SetupApp& app) {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BACKGROUND), nullptr, Procedure,
                              reinterpret_cast<LPARAM>(&app));
}

}  // namespace setup
