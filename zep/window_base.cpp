#include "window_base.h"

#include <commctrl.h>

#include "controls.h"
#include "win_system.h"

namespace zep {
namespace {

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM param) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(param);
    if (hwnd != windows->front() && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) windows->push_back(hwnd);
    return TRUE;
}

// The program's other windows that take input now (`modal` itself is left out), disabled.
std::vector<HWND> DisableOtherWindows(HWND modal) {
    std::vector<HWND> windows{modal};
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&windows));
    windows.erase(windows.begin());
    for (HWND w : windows) EnableWindow(w, FALSE);
    return windows;
}

bool IsPushButton(HWND control) {
    return SendMessageW(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
}

}  // namespace

Window::~Window() {
    if (!window_) return;
    // Whatever the window still receives goes to the system's default: the object is going.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

bool Window::CreateOfClass(const WindowClass& cls, DWORD exStyle, const std::wstring& title, DWORD style, int x,
                           int y, int width, int height, HWND parent, bool clientSize) {
    const bool child = (style & WS_CHILD) != 0;
    WNDCLASSEXW wc{sizeof wc};
    if (!GetClassInfoExW(instance_, cls.name, &wc)) {
        wc = WNDCLASSEXW{sizeof wc};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance_;
        wc.lpszClassName = cls.name;
        wc.hbrBackground = cls.background;
        wc.hCursor = cls.arrowCursor ? LoadCursorW(nullptr, IDC_ARROW) : nullptr;
        wc.hIcon = cls.icon ? LoadIconW(instance_, cls.icon) : nullptr;
        if (!RegisterClassExW(&wc)) return false;
    }
    // Until the window is there to be asked, the resolution of its parent, or the system's.
    dpi_ = DpiOf(parent);
    const RECT at{x, y, x + width, y + height};
    if (child) {
        x = Px(x);
        y = Px(y);
    }
    SIZE size{Px(width), Px(height)};
    if (clientSize) size = AdjustedForDpi(size, style, exStyle, dpi_);
    if (!CreateWindowExW(exStyle, cls.name, title.c_str(), style, x, y, size.cx, size.cy, parent, nullptr, instance_,
                         this))
        return false;
    if (const int own = DpiOf(window_); own != dpi_) {  // made on a monitor of another resolution
        dpi_ = own;
        const SIZE resized = OuterSize(width, height, clientSize);
        SetWindowPos(window_, nullptr, 0, 0, resized.cx, resized.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (child && parent && GetClassLongPtrW(parent, GCLP_WNDPROC) == reinterpret_cast<ULONG_PTR>(WindowProc))
        if (auto* owner = reinterpret_cast<Window*>(GetWindowLongPtrW(parent, GWLP_USERDATA)))
            owner->placed_.push_back({window_, at});
    return true;
}

SIZE Window::OuterSize(int width, int height, bool clientSize) const {
    const SIZE size{Px(width), Px(height)};
    if (!clientSize) return size;
    return AdjustedForDpi(size, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                          static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)), dpi_);
}

HFONT Window::Font() const { return InterfaceFont(dpi_); }

HWND Window::AddControl(const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h, int id,
                        DWORD exStyle) {
    HWND c = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, Px(x), Px(y), Px(w), Px(h),
                             window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    if (w > 0 || h > 0) placed_.push_back({c, RECT{x, y, x + w, y + h}});
    return c;
}

void Window::ApplyDpi(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    HDWP moves = BeginDeferWindowPos(static_cast<int>(placed_.size()));
    for (const Placed& p : placed_) {
        if (!IsWindow(p.control)) continue;
        SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        if (moves)
            moves = DeferWindowPos(moves, p.control, nullptr, Px(p.at.left), Px(p.at.top), Px(p.at.right - p.at.left),
                                   Px(p.at.bottom - p.at.top), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves) EndDeferWindowPos(moves);
    // The arrows of a field sit at its right edge: they follow it.
    for (HWND c = GetWindow(window_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[32];
        if (GetClassNameW(c, name, 32) && lstrcmpiW(name, UPDOWN_CLASSW) == 0)
            if (HWND buddy = reinterpret_cast<HWND>(SendMessageW(c, UDM_GETBUDDY, 0, 0)))
                SendMessageW(c, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    }
    DpiChanged();
    InvalidateRect(window_, nullptr, TRUE);
}

void Window::SizeClient(int width, int height, bool centre, int x, int y) {
    const SIZE size = OuterSize(width, height, true);
    const int w = size.cx, h = size.cy;
    if (centre) {
        x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    }
    SetWindowPos(window_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const LRESULT result = self->Handle(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) self->window_ = nullptr;
    return result;
}

LRESULT Window::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DPICHANGED) {
        ApplyDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    LRESULT result = 0;
    if (modal_ && HandleAsDialog(msg, wParam, result)) return result;
    return DefWindowProcW(window_, msg, wParam, lParam);
}

bool Window::HandleAsDialog(UINT msg, WPARAM wParam, LRESULT& result) {
    switch (msg) {
        case WM_ACTIVATE:
            // The focus leaves with the activation and comes back to the same control.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) savedFocus_ = focus;
            } else if (savedFocus_ && IsWindow(savedFocus_)) {
                SetFocus(savedFocus_);
            } else {
                return false;
            }
            return true;
        case WM_SETFOCUS:
            if (!savedFocus_ || !IsWindow(savedFocus_)) return false;
            SetFocus(savedFocus_);
            return true;
        case DM_GETDEFID: {
            // Enter presses the push button that has the focus, else OK.
            HWND focus = GetFocus();
            const int id = focus && IsChild(window_, focus) && IsPushButton(focus) ? GetDlgCtrlID(focus) : IDOK;
            result = MAKELRESULT(id, DC_HASDEFID);
            return true;
        }
        case WM_CLOSE:
            SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window_, IDCANCEL)));
            return true;
        default:
            return false;
    }
}

void Window::RunModal(const std::function<void(const MSG&)>& dispatch) {
    const std::vector<HWND> disabled = DisableOtherWindows(window_);
    modal_ = true;
    modalDone_ = false;
    savedFocus_ = GetFocus() && IsChild(window_, GetFocus()) ? GetFocus() : nullptr;
    ShowWindow(window_, SW_SHOW);
    ModalShown();
    MSG msg;
    while (!modalDone_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            ModalInterrupted();
            break;
        }
        if (IsDialogMessageW(window_, &msg)) continue;
        if (dispatch) {
            dispatch(msg);
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    modal_ = false;
    for (HWND w : disabled)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    if (window_) DestroyWindow(window_);
}

}  // namespace zep
