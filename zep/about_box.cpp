#include "about_box.h"

#include <commctrl.h>
#include <shellapi.h>

#include "ansi_text.h"
#include "controls.h"
#include "resource.h"
#include "settings_rules.h"
#include "texts_ja.h"
#include "win_system.h"
#include "window_base.h"

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

bool IsLink(int id) { return id >= GomrlLabel && id <= AuthorMailLabel; }

// "Version " and the product version of this program's version resource (trimmed).
std::wstring ProgramVersionText() {
    const std::string version = VersionString(ProgramPath(), "ProductVersion").value_or(std::string());
    return Wide(text::kVersionPrefix) + WideFromAnsi(Trimmed(version, " \t\r\n"));
}

class AboutBox : public Window {
public:
    AboutBox(HINSTANCE instance, bool libraryInUse, uint32_t firmware)
        : Window(instance), libraryInUse_(libraryInUse), firmware_(firmware) {}
    ~AboutBox() override {
        if (linkFont_) DeleteObject(linkFont_);
        if (nameFont_) DeleteObject(nameFont_);
        if (icon_) DestroyIcon(icon_);
    }

    void Run(HWND owner) {
        if (!CreateOfClass({L"TZEPAboutBox", GetSysColorBrush(COLOR_BTNFACE)}, WS_EX_DLGMODALFRAME,
                           Wide(text::kAboutTitle), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner))
            return;
        SizeClient(297, 272, true);
        AddControl(WC_STATICW, L"", SS_ETCHEDFRAME, 8, 8, 281, 224, Bevel);
        AddControl(WC_STATICW, L"", SS_ICON | SS_REALSIZECONTROL, 18, 18, 64, 64, ProgramIcon);
        AddControl(WC_STATICW, Wide(text::kAppTitle), SS_LEFT | SS_NOPREFIX, 94, 20, 60, 20, ProductName);
        AddControl(WC_STATICW, ProgramVersionText(), SS_LEFT | SS_NOPREFIX, 160, 24, 120, 16, Version);
        AddControl(WC_STATICW, Wide(text::kRightsNotice), SS_LEFT | SS_NOPREFIX, 94, 46, 186, 30, RightsNotice);
        AddControl(WC_STATICW, Wide(text::kFirmVersionLabel), SS_LEFT, 94, 82, 100, 14, Label1);
        const std::wstring firm =
            libraryInUse_ ? WideFromAnsi(FirmwareVersionText(firmware_)) : Wide(text::kNoFirmVersion);
        AddControl(WC_STATICW, firm, SS_LEFT, 196, 82, 84, 14, FirmVersion);
        AddControl(WC_STATICW, Wide(text::kComments), SS_LEFT | SS_NOPREFIX, 18, 102, 262, 68, Comments);
        int y = 172;
        for (const Link& link : kLinks) {
            AddControl(WC_STATICW, Wide(link.caption), SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 18, y, 262, 14, link.id);
            y += 14;
        }
        DpiChanged();
        HWND ok = AddControl(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 111, 240, 75, 24, IDOK);
        SetFocus(ok);
        RunModal();
    }

private:
    // The picture, the product's name and the links at the window's resolution.
    void DpiChanged() override {
        if (linkFont_) DeleteObject(linkFont_);
        if (nameFont_) DeleteObject(nameFont_);
        LOGFONTW lf{};
        GetObjectW(Font(), sizeof lf, &lf);
        lf.lfUnderline = TRUE;
        linkFont_ = CreateFontIndirectW(&lf);
        lf.lfUnderline = FALSE;
        lf.lfHeight = Px(-16);
        lf.lfWeight = FW_BOLD;
        nameFont_ = CreateFontIndirectW(&lf);
        SendDlgItemMessageW(window_, ProductName, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_), FALSE);
        for (const Link& link : kLinks)
            SendDlgItemMessageW(window_, link.id, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
        HICON shown = icon_;
        icon_ = static_cast<HICON>(LoadImageW(instance_, ZEP_ICON_DISCONNECT, IMAGE_ICON, Px(64), Px(64), 0));
        SendDlgItemMessageW(window_, ProgramIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
        if (shown) DestroyIcon(shown);
    }

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_CTLCOLORSTATIC:
                if (IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))) {
                    HDC dc = reinterpret_cast<HDC>(wParam);
                    SetTextColor(dc, RGB(0, 0, 255));
                    SetBkMode(dc, TRANSPARENT);
                    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
                }
                break;
            case WM_SETCURSOR:
                if (IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)))) {
                    SetCursor(LoadCursorW(nullptr, IDC_UPARROW));
                    return TRUE;
                }
                break;
            case WM_COMMAND:
                for (const Link& link : kLinks)
                    if (LOWORD(wParam) == link.id && HIWORD(wParam) == STN_CLICKED) {
                        ShellExecuteA(nullptr, "open", link.target, nullptr, nullptr, SW_SHOW);
                        return 0;
                    }
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndModal();
                return 0;
            default:
                break;
        }
        return Window::Handle(msg, wParam, lParam);
    }

    bool libraryInUse_;
    uint32_t firmware_;
    HFONT linkFont_ = nullptr, nameFont_ = nullptr;
    HICON icon_ = nullptr;
};

}  // namespace

void RunAboutBox(HINSTANCE instance, HWND owner, bool libraryInUse, uint32_t firmwareVersion) {
    AboutBox(instance, libraryInUse, firmwareVersion).Run(owner);
}

}  // namespace zep
