#include "time_panel.h"

#include <commdlg.h>

#include <vector>

#include "controls.h"
#include "dpi_scale.h"
#include "texts_ja.h"
#include "tray_menus.h"
#include "win_system.h"

namespace zep {
namespace {

enum : int { kDisconnect = 1, kEasyLog, kSyslog, kCopyIP, kFont, kStayTop, kClose };

}  // namespace

TimePanel::TimePanel(HINSTANCE instance, TimePanelActions actions)
    : Window(instance), actions_(std::move(actions)), face_(instance, *this) {}

TimePanel::~TimePanel() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

bool TimePanel::Create(HWND owner) {
    // No caption, no border; owned by the controller window, so no task-bar button of its own.
    if (!CreateOfClass({L"TZEPTimeForm"}, WS_EX_TOOLWINDOW, Wide(text::kTimePanelTitle), WS_POPUP, 0, 0, 60, 20,
                       owner))
        return false;
    if (!face_.Create(window_)) return false;
    ApplySettings(Settings{});
    return true;
}

bool TimePanel::Face::Create(HWND parent) {
    return CreateOfClass({L"TPanel"}, 0, L"00:00:00", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, parent);
}

void TimePanel::ApplySettings(const Settings& s) {
    LOGFONTW f{};
    f.lfHeight = FontHeightForPoints(s.TimeFontSize, Dpi());
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
    const std::string name = AnsiFromWide(logFont_.lfFaceName);
    if (!name.empty()) s.TimeFontName = name;
    s.TimeFontSize = PointsForFontHeight(logFont_.lfHeight, Dpi());
    s.TimeFontBold = logFont_.lfWeight >= FW_BOLD;
    s.TimeFontItalic = logFont_.lfItalic != 0;
    s.TimeStayOnTop = stayTop_;
}

void TimePanel::SetFont(const LOGFONTW& font) {
    logFont_ = font;
    fontPoints_ = PointsForFontHeight(font.lfHeight, Dpi());
    if (font_) DeleteObject(font_);
    font_ = CreateFontIndirectW(&logFont_);
    FitToFont();
    InvalidateRect(face_.hwnd(), nullptr, TRUE);
}

void TimePanel::DpiChanged() {
    // The panel stays where the system put it, as large as its font at the new resolution, and
    // above other windows if it was.
    LOGFONTW f = logFont_;
    f.lfHeight = FontHeightForPoints(fontPoints_, Dpi());
    SetFont(f);
    RECT client;
    GetClientRect(window_, &client);
    MoveWindow(face_.hwnd(), 0, 0, client.right, client.bottom, TRUE);
    KeepOnTop();
}

void TimePanel::FitToFont() {
    HDC dc = GetDC(face_.hwnd());
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE width{}, eight{};
    GetTextExtentPoint32W(dc, L"&88:88:88&", 10, &width);
    GetTextExtentPoint32W(dc, L"8", 1, &eight);
    SelectObject(dc, old);
    ReleaseDC(face_.hwnd(), dc);
    SetWindowPos(window_, nullptr, 0, 0, width.cx, eight.cy * 6 / 5, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TimePanel::SetText(const std::wstring& text) {
    wchar_t shown[64];
    const int n = GetWindowTextW(face_.hwnd(), shown, 64);
    if (text == std::wstring(shown, n)) return;
    SetWindowTextW(face_.hwnd(), text.c_str());
    InvalidateRect(face_.hwnd(), nullptr, FALSE);
}

void TimePanel::Show(bool stayOnTop) {
    SetWindowPos(window_, stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TimePanel::Close() { ShowWindow(window_, SW_HIDE); }

void TimePanel::KeepOnTop() {
    if (stayTop_) SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TimePanel::Face::Paint() {
    wchar_t text[64];
    const int length = GetWindowTextW(window_, text, 64);
    PaintBuffered(window_, [&](HDC dc, const RECT& client) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        RECT edge = client;
        DrawThickEdge(dc, edge, EDGE_RAISED, panel_.Px(1));  // a raised bevel two lines wide
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, panel_.colour_);
        HGDIOBJ oldFont = SelectObject(dc, panel_.font_);
        RECT all = client;
        DrawTextW(dc, text, length, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
    });
}

void TimePanel::PopupMenu(POINT at) {
    std::vector<TrayMenuItem> items = {
        {kDisconnect, text::kTimeDisconnect},
        {},
        {kEasyLog, text::kTimeEasyLog},
        {kSyslog, text::kTimeSyslog},
        {},
        {kCopyIP, text::kTimeIP, true, copyEnabled_},
        {},
        {kFont, text::kTimeFont},
        {kStayTop, text::kTimeStayTop, true, true, stayTop_},
        {kClose, text::kTimeClose},
    };
    HMENU menu = BuildPopupMenu(items);
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

LRESULT TimePanel::Face::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
            ReleaseCapture();
            SendMessageW(GetParent(window_), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
            return 0;
        default:
            break;  // the right button's menu goes to the window
    }
    return Window::Handle(msg, wParam, lParam);
}

LRESULT TimePanel::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SIZE:
            if (face_.hwnd()) MoveWindow(face_.hwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
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
    return Window::Handle(msg, wParam, lParam);
}

}  // namespace zep
