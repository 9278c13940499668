#include "form_util.h"

#include <commctrl.h>

#include <vector>

#include "win_text.h"

namespace zep {

HFONT InterfaceFont() {
    static HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS UI Gothic");
    return font;
}

INT_PTR RunModalDialog(HINSTANCE instance, HWND owner, const char16_t* title, DWORD style, DLGPROC proc,
                       LPARAM param) {
    // DLGTEMPLATE, then menu, class and title as words; no controls.
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = style;
    t->cdit = 0;
    t->cx = 100;
    t->cy = 50;
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    for (char16_t c : std::u16string(title)) words.push_back(static_cast<WORD>(c));
    words.push_back(0);
    words.push_back(0);  // padding
    return DialogBoxIndirectParamW(instance, reinterpret_cast<DLGTEMPLATE*>(words.data()), owner, proc, param);
}

void SizeClient(HWND window, int w, int h, bool centre, int x, int y) {
    RECT r{0, 0, w, h};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    const int ww = r.right - r.left, wh = r.bottom - r.top;
    if (centre) {
        x = (GetSystemMetrics(SM_CXSCREEN) - ww) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - wh) / 2;
    }
    SetWindowPos(window, nullptr, x, y, ww, wh, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND AddControl(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h,
                int id, DWORD exStyle) {
    HWND c = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(InterfaceFont()), FALSE);
    return c;
}

HWND CreateHints(HWND parent) {
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, parent, nullptr, nullptr, nullptr);
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 320);
    SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(InterfaceFont()), FALSE);
    return tip;
}

void AddHint(HWND tooltip, HWND parent, HWND control, const std::wstring& hint) {
    TOOLINFOW ti{sizeof ti};
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    std::wstring text = hint;
    ti.lpszText = text.data();
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!hint.empty()) SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string AnsiText(HWND control) {
    int n = GetWindowTextLengthW(control);
    std::wstring text(n + 1, L'\0');
    text.resize(GetWindowTextW(control, text.data(), n + 1));
    if (text.empty()) return {};
    int m = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(m, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), m, nullptr, nullptr);
    return out;
}

void SetAnsiText(HWND control, const std::string& text) { SetWindowTextW(control, WideFromAnsi(text).c_str()); }

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

}  // namespace zep
