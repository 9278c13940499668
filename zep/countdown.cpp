#include "countdown.h"

#include <commctrl.h>

#include <vector>

#include "instance.h"
#include "line_commands.h"
#include "texts_ja.h"
#include "win_text.h"

namespace zep {
namespace {

constexpr wchar_t kGaugeClass[] = L"TCountdownGauge";
constexpr UINT_PTR kTimerId = 1;
constexpr int kClientWidth = 312, kClientHeight = 112;
constexpr int kGaugeWidth = 297;
constexpr int kAcceptId = IDOK, kCancelId = IDCANCEL;

void RegisterClasses(HINSTANCE instance, WNDPROC form, WNDPROC gauge) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = form;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kCountdownClassName;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = gauge;
    wc.lpszClassName = kGaugeClass;
    wc.hbrBackground = nullptr;
    RegisterClassExW(&wc);
    registered = true;
}

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM param) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(param);
    if (hwnd != windows->front() && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) windows->push_back(hwnd);
    return TRUE;
}

// The program's other windows that take input now (the dialog's own is left out), disabled.
std::vector<HWND> DisableOtherWindows(HWND dialog) {
    std::vector<HWND> windows{dialog};
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&windows));
    windows.erase(windows.begin());
    for (HWND w : windows) EnableWindow(w, FALSE);
    return windows;
}

}  // namespace

int CountdownForm::ShowModal(const std::wstring& caption, const std::wstring& message,
                             const std::wstring& acceptCaption) {
    RegisterClasses(instance_, WindowProc, GaugeProc);
    caption_ = caption;
    // A dialog frame without title-bar buttons, on top, centred on the screen.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    window_ = CreateWindowExW(exStyle, kCountdownClassName, caption.c_str(), style, x, y, w, h, nullptr, nullptr, instance_, this);
    if (!window_) return 0;

    font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS UI Gothic");
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD st, int cx, int cy, int cw, int ch, int id) {
        HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | st, cx, cy, cw, ch, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, this);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return c;
    };
    message_ = child(L"STATIC", message.c_str(), SS_LEFT | SS_NOPREFIX, 8, 8, 296, 30, -1);
    gauge_ = child(kGaugeClass, L"", 0, (kClientWidth - kGaugeWidth) / 2, 44, kGaugeWidth, 20, -1);
    accept_ = child(L"BUTTON", acceptCaption.c_str(), BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 76, 90, 25, kAcceptId);
    cancel_ = child(L"BUTTON", Wide(text::kCountdownCancel).c_str(), BS_PUSHBUTTON | WS_TABSTOP, 162, 76, 90, 25,
                    kCancelId);

    // Modal: while it asks, the program's other windows take no input, so nothing opened from them
    // (an editor, a box) can hold up its answer; they go on being drawn, and the timer goes on.
    const std::vector<HWND> disabled = DisableOtherWindows(window_);
    ShowWindow(window_, SW_SHOW);
    OnShow();
    MSG msg;
    while (!done_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            Finish(0);
            break;
        }
        if (IsDialogMessageW(window_, &msg)) continue;
        if (app_.dispatch) app_.dispatch(msg);
        else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    for (HWND w : disabled)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    if (IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
    DeleteObject(font_);
    font_ = nullptr;
    return tag_;
}

void CountdownForm::OnShow() {
    shownTick_ = GetTickCount();
    SetFocus(accept_);
    gaugePosition_ = 0;
    countText_ = Wide(text::kCountdownRemainingHead) + L"10" + Wide(text::kCountdownRemainingTail);
    InvalidateRect(gauge_, nullptr, FALSE);
    SetTimer(window_, kTimerId, 100, nullptr);
    timerRunning_ = true;
    appTitle_ = app_.title ? app_.title() : L"";
    if (app_.setTitle) app_.setTitle(caption_ + Wide(text::kCountdownTitleStart));
    if (app_.showTaskbarButton) app_.showTaskbarButton(true);
    SetForegroundWindow(window_);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CountdownForm::OnTick() {
    const CountdownTick tick = CountdownAt(ElapsedMs(GetTickCount(), shownTick_));
    gaugePosition_ = tick.gauge;
    countText_ = Wide(text::kCountdownRemainingHead) + std::to_wstring(tick.remaining) +
                 Wide(text::kCountdownRemainingTail);
    InvalidateRect(gauge_, nullptr, FALSE);
    UpdateWindow(gauge_);
    if (app_.setTitle) app_.setTitle(countText_);
    if (tick.attention) {
        SetForegroundWindow(window_);
        ShowWindow(window_, SW_SHOW);
        if (app_.flash) app_.flash(true);
    }
    if (tick.accept) Finish(1);
}

void CountdownForm::Finish(int tag) {
    if (done_) return;
    tag_ = tag;
    done_ = true;
    // The close: the task-bar button goes again, the title comes back, the timer and the flashing stop.
    if (app_.showTaskbarButton) app_.showTaskbarButton(false);
    if (app_.setTitle) app_.setTitle(appTitle_);
    if (timerRunning_) KillTimer(window_, kTimerId);
    timerRunning_ = false;
    if (app_.flash) app_.flash(false);
    ShowWindow(window_, SW_HIDE);
}

LRESULT CALLBACK CountdownForm::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<CountdownForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    auto* self = reinterpret_cast<CountdownForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CountdownForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kTimerId && timerRunning_) OnTick();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kAcceptId) Finish(1);
            else if (LOWORD(wParam) == kCancelId) Finish(0);
            return 0;
        case WM_CLOSE:
            Finish(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, msg, wParam, lParam);
}

// The gauge with the count label centred over it, drawn transparently on the bar.
LRESULT CALLBACK CountdownForm::GaugeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<CountdownForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT || !self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    FillRect(mem, &rc, GetSysColorBrush(COLOR_WINDOW));
    RECT inner = rc;
    DrawEdge(mem, &inner, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    RECT bar = inner;
    bar.right = inner.left + (inner.right - inner.left) * self->gaugePosition_ / 100;
    // A light bar, so that the count stays legible over it.
    HBRUSH fill = CreateSolidBrush(RGB(0x8C, 0xC4, 0xF4));
    FillRect(mem, &bar, fill);
    DeleteObject(fill);
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ oldFont = SelectObject(mem, self->font_);
    DrawTextW(mem, self->countText_.c_str(), -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(mem, oldFont);
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
    return 0;
}

}  // namespace zep
