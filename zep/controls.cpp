#include "controls.h"

#include <commctrl.h>

#include <map>

#include "dpi_scale.h"
#include "win_system.h"

namespace zep {
namespace {

LRESULT CALLBACK SpinEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_CHAR && !SpinField::Accepts(static_cast<char16_t>(wParam))) {
        MessageBeep(0);
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

HFONT InterfaceFont(int dpi) {
    static std::map<int, HFONT> fonts;
    HFONT& font = fonts[dpi];
    if (!font)
        font = CreateFontW(ScaleToDpi(-12, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS UI Gothic");
    return font;
}

HWND CreateHints(HWND parent, int dpi) {
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, parent, nullptr, nullptr, nullptr);
    SetHintsDpi(tip, dpi);
    return tip;
}

void SetHintsDpi(HWND tooltip, int dpi) {
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(320, dpi));
    SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(InterfaceFont(dpi)), FALSE);
}

void AddHint(HWND tooltip, HWND parent, HWND control, const std::u16string& hint) {
    TOOLINFOW ti{sizeof ti};
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    std::wstring text = Wide(hint);
    ti.lpszText = text.data();
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!hint.empty()) SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

HMENU BuildPopupMenu(const std::vector<TrayMenuItem>& items) {
    HMENU menu = CreatePopupMenu();
    for (const TrayMenuItem& item : items) {
        if (!item.visible) continue;
        MENUITEMINFOW info{sizeof info};
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        std::wstring caption = Wide(item.caption);
        info.fType = item.IsSeparator() ? MFT_SEPARATOR : item.radio ? MFT_RADIOCHECK : MFT_STRING;
        info.fState = (item.enabled ? MFS_ENABLED : MFS_DISABLED) | (item.checked ? MFS_CHECKED : MFS_UNCHECKED);
        info.wID = static_cast<UINT>(item.id);
        info.dwTypeData = caption.data();
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
    }
    return menu;
}

void DrawThickEdge(HDC dc, RECT& r, UINT edge, int thickness) {
    // Outer line first, inside it the inner one, each drawn as often as it is thick.
    for (const UINT line : {edge & BDR_OUTER, edge & BDR_INNER})
        if (line)
            for (int i = 0; i < thickness; ++i) DrawEdge(dc, &r, line, BF_RECT | BF_ADJUST);
}

void PaintBuffered(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    draw(mem, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    EndPaint(window, &ps);
}

std::string ControlText(HWND control) {
    const int n = GetWindowTextLengthW(control);
    std::wstring text(n + 1, L'\0');
    text.resize(GetWindowTextW(control, text.data(), n + 1));
    return AnsiFromWide(text);
}

void SetControlText(HWND control, const std::string& text) { SetWindowTextW(control, WideFromAnsi(text).c_str()); }

void AcceptSpinCharactersOnly(HWND edit) { SetWindowSubclass(edit, SpinEditProc, 1, 0); }

void ClampSpinText(HWND edit, const SpinField& field) {
    const std::string typed = ControlText(edit);
    const std::string clamped = std::to_string(field.Clamp(field.Read(typed)));
    if (typed != clamped) SetControlText(edit, clamped);
}

}  // namespace zep
