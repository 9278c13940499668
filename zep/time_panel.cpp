#include "time_panel.h"

#include <commdlg.h>

#include "texts_ja.h"
#include "win_text.h"

namespace zep {
namespace {

constexpr wchar_t kClassName[] = L"TZEPTimeForm";
constexpr wchar_t kPanelClass[] = L"TPanel";
enum : UINT { kDisconnect = 1, kEasyLog, kSyslog, kCopyIP, kFont, kStayTop, kClose };

int PointsToHeight(int points) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return height;
}

int HeightToPoints(LONG height) {
    HDC screen = GetDC(nullptr);
    const int points = MulDiv(height < 0 ? -height : height, 72, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return points;
}

}  // namespace

TimePanel::~TimePanel() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

bool TimePanel::Create(HWND owner) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    RegisterClassExW(&wc);
    // No caption, no border; owned by the controller window, so no task-bar button of its own.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, Wide(text::kTimePanelTitle).c_str(), WS_POPUP, 0, 0, 60,
                              20, owner, nullptr, instance_, this);
    if (!window_) return false;
    panel_ = CreateWindowExW(0, kPanelClass, L"00:00:00", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, window_, nullptr,
                             instance_, this);
    Settings defaults;
    ApplySettings(defaults);
    return panel_ != nullptr;
}

void TimePanel::ApplySettings(const Settings& s) {
    LOGFONTW f{};
    f.lfHeight = PointsToHeight(s.TimeFontSize);
    f.lfWeight = s.TimeFontBold ? FW_BOLD : FW_NORMAL;
    f.lfItalic = s.TimeFontItalic;
    f.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(f.lfFaceName, WideFromAnsi(s.TimeFontName).c_str(), LF_FACESIZE);
    SetFont(f);
    SetWindowPos(window_, nullptr, s.TimePosX, s.TimePosY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    stayTop_ = s.TimeStayOnTop;
    SetWindowPos(window_, stayTop_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TimePanel::StoreSettings(Settings& s) const {
    RECT r;
    GetWindowRect(window_, &r);
    s.TimePosX = r.left;
    s.TimePosY = r.top;
    char name[LF_FACESIZE * 2];
    const int n = WideCharToMultiByte(CP_ACP, 0, logFont_.lfFaceName, -1, name, sizeof name, nullptr, nullptr);
    if (n > 1) s.TimeFontName.assign(name, n - 1);
    s.TimeFontSize = HeightToPoints(logFont_.lfHeight);
    s.TimeFontBold = logFont_.lfWeight >= FW_BOLD;
    s.TimeFontItalic = logFont_.lfItalic != 0;
    s.TimeStayOnTop = stayTop_;
}

void TimePanel::SetFont(const LOGFONTW& font) {
    logFont_ = font;
    if (font_) DeleteObject(font_);
    font_ = CreateFontIndirectW(&logFont_);
    SizeTimePanel();
    InvalidateRect(panel_, nullptr, TRUE);
}

void TimePanel::SizeTimePanel() {
    HDC dc = GetDC(panel_);
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE width{}, eight{};
    // The ampersands are measured as characters: they give the margins.
    GetTextExtentPoint32W(dc, L"&88:88:88&", 10, &width);
    GetTextExtentPoint32W(dc, L"8", 1, &eight);
    SelectObject(dc, old);
    ReleaseDC(panel_, dc);
    SetWindowPos(window_, nullptr, 0, 0, width.cx, eight.cy * 6 / 5, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TimePanel::SetText(const std::wstring& text) {
    wchar_t shown[64];
    const int n = GetWindowTextW(panel_, shown, 64);
    if (text == std::wstring(shown, n)) return;
    SetWindowTextW(panel_, text.c_str());
    InvalidateRect(panel_, nullptr, FALSE);
}

void TimePanel::Show(bool stayOnTop) {
    SetWindowPos(window_, stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TimePanel::Close() { ShowWindow(window_, SW_HIDE); }

void TimePanel::KeepOnTop() {
    if (stayTop_) SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TimePanel::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(panel_, &ps);
    RECT rc;
    GetClientRect(panel_, &rc);
    wchar_t text[64];
    const int length = GetWindowTextW(panel_, text, 64);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    FillRect(mem, &rc, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = rc;
    DrawEdge(mem, &edge, EDGE_RAISED, BF_RECT);  // a raised bevel two pixels wide
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, colour_);
    HGDIOBJ oldFont = SelectObject(mem, font_);
    DrawTextW(mem, text, length, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(mem, oldFont);
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    EndPaint(panel_, &ps);
}

void TimePanel::PopupMenu(POINT at) {
    HMENU menu = CreatePopupMenu();
    auto add = [&](UINT id, const char16_t* caption, bool enabled = true, bool checked = false) {
        std::wstring text = Wide(caption);
        MENUITEMINFOW info{sizeof info};
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.fType = MFT_STRING;
        info.fState = (enabled ? MFS_ENABLED : MFS_DISABLED) | (checked ? MFS_CHECKED : MFS_UNCHECKED);
        info.wID = id;
        info.dwTypeData = text.data();
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
    };
    add(kDisconnect, text::kTimeDisconnect);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kEasyLog, text::kTimeEasyLog);
    add(kSyslog, text::kTimeSyslog);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kCopyIP, text::kTimeIP, copyEnabled_);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kFont, text::kTimeFont);
    add(kStayTop, text::kTimeStayTop, true, stayTop_);
    add(kClose, text::kTimeClose);
    SetForegroundWindow(window_);
    const UINT id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    switch (id) {
        case kDisconnect:
            if (actions_.disconnect) actions_.disconnect();
            break;
        case kEasyLog:
            if (actions_.easyLog) actions_.easyLog();
            break;
        case kSyslog:
            if (actions_.syslog) actions_.syslog();
            break;
        case kCopyIP:
            if (actions_.copyAddress) actions_.copyAddress();
            break;
        case kFont:
            TimeFontClick();
            break;
        case kStayTop:
            stayTop_ = !stayTop_;
            SetWindowPos(window_, stayTop_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            break;
        case kClose:
            if (actions_.closed) actions_.closed();
            Close();
            break;
        default:
            break;
    }
}

void TimePanel::TimeFontClick() {
    LOGFONTW chosen = logFont_;
    CHOOSEFONTW cf{sizeof cf};
    cf.hwndOwner = window_;
    cf.lpLogFont = &chosen;
    cf.rgbColors = colour_;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontW(&cf)) return;
    colour_ = cf.rgbColors;
    SetFont(chosen);
}

LRESULT CALLBACK TimePanel::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TimePanel*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    auto* self = reinterpret_cast<TimePanel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TimePanel::PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<TimePanel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_PAINT:
            if (!self) break;
            self->Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
            // Dragged as if by a caption bar.
            ReleaseCapture();
            SendMessageW(GetParent(hwnd), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
            return 0;
        default:
            break;  // the right button's menu goes to the window
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT TimePanel::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SIZE:
            if (panel_) MoveWindow(panel_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_LBUTTONDOWN:
            ReleaseCapture();
            SendMessageW(window_, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
            return 0;
        case WM_CONTEXTMENU: {
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (at.x == -1 && at.y == -1) GetCursorPos(&at);
            PopupMenu(at);
            return 0;
        }
        case WM_CLOSE:
            Close();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, msg, wParam, lParam);
}

}  // namespace zep
