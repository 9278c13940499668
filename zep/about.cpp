#include "about.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "form_util.h"
#include "settings_form.h"
#include "texts_ja.h"
#include "win_text.h"

namespace zep {
namespace {

enum { ProgramIcon = 200, ProductName, Version, RightsNotice, Label1, FirmVersion, Comments, GomrlLabel, GoAILabel,
       GoauthorLabel, AuthorMailLabel, Bevel };

struct Link {
    int id;
    const char16_t* caption;
    const char* target;
};
// Targets of our own, on a domain reserved for examples until the real pages are known.
constexpr Link kLinks[] = {
    {GomrlLabel, text::kGomrlLabel, "http://www.example.jp/microresearch/"},
    {GoAILabel, text::kGoAILabel, "http://www.example.jp/accessinformation/"},
    {GoauthorLabel, text::kGoauthorLabel, "http://www.example.jp/zep/"},
    {AuthorMailLabel, text::kAuthorMailLabel, "mailto:zep@example.jp"},
};

struct AboutState {
    bool libraryInUse;
    uint32_t firmware;
    HFONT linkFont = nullptr, nameFont = nullptr;
    HICON icon = nullptr;
};

std::wstring Trim(std::wstring s) {
    while (!s.empty() && s.back() <= L' ') s.pop_back();
    size_t i = 0;
    while (i < s.size() && s[i] <= L' ') ++i;
    return s.substr(i);
}

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* st = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            st = reinterpret_cast<AboutState*>(lParam);
            SetWindowLongPtrW(dlg, DWLP_USER, lParam);
            SizeClient(dlg, 297, 272, true);
            LOGFONTW lf{};
            GetObjectW(InterfaceFont(), sizeof lf, &lf);
            lf.lfUnderline = TRUE;
            st->linkFont = CreateFontIndirectW(&lf);
            lf.lfUnderline = FALSE;
            lf.lfHeight = -16;
            lf.lfWeight = FW_BOLD;
            st->nameFont = CreateFontIndirectW(&lf);
            const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dlg, GWLP_HINSTANCE));
            AddControl(dlg, WC_STATICW, L"", SS_ETCHEDFRAME, 8, 8, 281, 224, Bevel);
            st->icon = static_cast<HICON>(LoadImageW(instance, L"IconDisconnect", IMAGE_ICON, 64, 64, 0));
            HWND icon = AddControl(dlg, WC_STATICW, L"", SS_ICON | SS_REALSIZECONTROL, 18, 18, 64, 64, ProgramIcon);
            SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(st->icon), 0);
            HWND name = AddControl(dlg, WC_STATICW, Wide(text::kAppTitle), SS_LEFT | SS_NOPREFIX, 94, 20, 60, 20,
                                   ProductName);
            SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(st->nameFont), FALSE);
            AddControl(dlg, WC_STATICW, ProgramVersionText(), SS_LEFT | SS_NOPREFIX, 160, 24, 120, 16, Version);
            AddControl(dlg, WC_STATICW, Wide(text::kRightsNotice), SS_LEFT | SS_NOPREFIX, 94, 46, 186, 30,
                       RightsNotice);
            AddControl(dlg, WC_STATICW, Wide(text::kFirmVersionLabel), SS_LEFT, 94, 82, 100, 14, Label1);
            const std::wstring firm =
                st->libraryInUse ? WideFromAnsi(FirmwareVersionText(st->firmware)) : Wide(text::kNoFirmVersion);
            AddControl(dlg, WC_STATICW, firm, SS_LEFT, 196, 82, 84, 14, FirmVersion);
            AddControl(dlg, WC_STATICW, Wide(text::kComments), SS_LEFT | SS_NOPREFIX, 18, 102, 262, 66, Comments);
            int y = 172;
            for (const Link& link : kLinks) {
                HWND l = AddControl(dlg, WC_STATICW, Wide(link.caption), SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 18, y,
                                    262, 14, link.id);
                SendMessageW(l, WM_SETFONT, reinterpret_cast<WPARAM>(st->linkFont), FALSE);
                y += 14;
            }
            HWND ok = AddControl(dlg, WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 111, 240, 75, 24, IDOK);
            SetFocus(ok);
            return FALSE;  // the focus is set
        }
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (id >= GomrlLabel && id <= AuthorMailLabel) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(0, 0, 255));
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            }
            return FALSE;
        }
        case WM_SETCURSOR: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
            if (id >= GomrlLabel && id <= AuthorMailLabel) {
                SetCursor(LoadCursorW(nullptr, IDC_UPARROW));
                SetWindowLongPtrW(dlg, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            for (const Link& link : kLinks)
                if (LOWORD(wParam) == link.id && HIWORD(wParam) == STN_CLICKED) {
                    ShellExecuteA(nullptr, "open", link.target, nullptr, nullptr, SW_SHOW);
                    return TRUE;
                }
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dlg, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            if (st) {
                DeleteObject(st->linkFont);
                DeleteObject(st->nameFont);
                if (st->icon) DestroyIcon(st->icon);
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::wstring ProgramVersionText() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::wstring version;
    if (size) {
        std::vector<char> data(size);
        WORD* translation = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoW(path, 0, size, data.data()) &&
            VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                           &length) &&
            length >= 4) {
            wchar_t key[64];
            wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation[0], translation[1]);
            wchar_t* value = nullptr;
            if (VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&value), &length) && value)
                version = Trim(value);
        }
    }
    return Wide(text::kVersionPrefix) + version;
}

void RunAboutBox(HINSTANCE instance, HWND owner, bool libraryInUse, uint32_t firmwareVersion) {
    AboutState state{libraryInUse, firmwareVersion};
    RunModalDialog(instance, owner, text::kAboutTitle, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, AboutProc,
                   reinterpret_cast<LPARAM>(&state));
}

}  // namespace zep
