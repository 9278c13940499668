#include "ftp_settings_dialog.h"

#include <commctrl.h>

#include "controls.h"
#include "settings_rules.h"
#include "texts_ja.h"
#include "win_system.h"
#include "window_base.h"

namespace zep {
namespace {

enum { Label1 = 300, HostEdit, Label2, UserEdit, Label3, PassEdit, Label4, DestEdit, Label6, PassiveCheck, TlsCheck };

class FtpSettingsDialog : public Window {
public:
    explicit FtpSettingsDialog(HINSTANCE instance) : Window(instance) {}

    // The tag: 1 after OK (the fields hold what was typed), 0 otherwise.
    int Run(HWND owner, FtpFields& fields) {
        if (!CreateOfClass({L"TZEPFTPSetForm", GetSysColorBrush(COLOR_BTNFACE)}, WS_EX_DLGMODALFRAME,
                           Wide(text::kFtpSetTitle), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner))
            return 0;
        SizeClient(225, 212, true);
        tips_ = CreateHints(window_, Dpi());
        const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
        AddControl(WC_STATICW, Wide(text::kFtpHostLabel), SS_LEFT, 8, 11, 64, 14, Label1);
        HWND host = AddControl(WC_EDITW, WideFromAnsi(fields.host), edit, 76, 8, 141, 20, HostEdit,
                               WS_EX_CLIENTEDGE);
        AddHint(tips_, window_, host, text::kFtpHostHint);
        AddControl(WC_STATICW, Wide(text::kFtpUserLabel), SS_LEFT, 8, 35, 64, 14, Label2);
        AddControl(WC_EDITW, WideFromAnsi(fields.user), edit, 76, 32, 141, 20, UserEdit, WS_EX_CLIENTEDGE);
        AddControl(WC_STATICW, Wide(text::kFtpPassLabel), SS_LEFT, 8, 59, 64, 14, Label3);
        HWND pass = AddControl(WC_EDITW, WideFromAnsi(fields.password), edit | ES_PASSWORD, 76, 56, 141, 20,
                               PassEdit, WS_EX_CLIENTEDGE);
        SendMessageW(pass, EM_SETPASSWORDCHAR, L'*', 0);
        AddControl(WC_STATICW, Wide(text::kFtpDestLabel), SS_LEFT, 8, 83, 64, 14, Label4);
        HWND dest = AddControl(WC_EDITW, WideFromAnsi(fields.destination), edit, 76, 80, 141, 20, DestEdit,
                               WS_EX_CLIENTEDGE);
        AddHint(tips_, window_, dest, text::kFtpDestHint);
        HWND note =
            AddControl(WC_STATICW, Wide(text::kFtpDestNote), SS_LEFT | SS_NOTIFY, 8, 106, 209, 28, Label6);
        AddHint(tips_, window_, note, text::kFtpDestHint);
        const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
        HWND passive = AddControl(WC_BUTTONW, Wide(text::kFtpPassiveCheck), check, 8, 138, 209, 18,
                                  PassiveCheck);
        AddHint(tips_, window_, passive, text::kFtpPassiveHint);
        HWND tls = AddControl(WC_BUTTONW, Wide(text::kFtpTlsCheck), check, 8, 158, 209, 18, TlsCheck);
        AddHint(tips_, window_, tls, text::kFtpTlsHint);
        SendMessageW(passive, BM_SETCHECK, fields.passive ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageW(tls, BM_SETCHECK, fields.tls ? BST_CHECKED : BST_UNCHECKED, 0);
        AddControl(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 34, 182, 75, 24, IDOK);
        AddControl(WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 117, 182, 75, 24, IDCANCEL);
        SetFocus(host);
        fields_ = &fields;
        RunModal();
        return tag_;
    }

private:
    void DpiChanged() override { SetHintsDpi(tips_, Dpi()); }

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            tag_ = LOWORD(wParam) == IDOK ? 1 : 0;
            if (tag_ == 1)
                *fields_ = {ControlText(GetDlgItem(window_, HostEdit)), ControlText(GetDlgItem(window_, UserEdit)),
                            ControlText(GetDlgItem(window_, PassEdit)), ControlText(GetDlgItem(window_, DestEdit)),
                            IsDlgButtonChecked(window_, PassiveCheck) == BST_CHECKED,
                            IsDlgButtonChecked(window_, TlsCheck) == BST_CHECKED};
            EndModal();
            return 0;
        }
        return Window::Handle(msg, wParam, lParam);
    }

    FtpFields* fields_ = nullptr;
    HWND tips_ = nullptr;
    int tag_ = 0;
};

}  // namespace

const char16_t* RunFtpSettings(HINSTANCE instance, HWND owner, Settings& settings) {
    FtpFields fields{settings.FTPHost,        settings.FTPUserName, settings.FTPPassword(),
                     settings.FTPDestination, settings.FTPPassive,  settings.FTPUseTLS};
    if (FtpSettingsDialog(instance).Run(owner, fields) != 1) return nullptr;
    if (const char16_t* problem = FtpFieldsProblem(fields)) return problem;
    settings.FTPHost = fields.host;
    settings.FTPUserName = fields.user;
    settings.SetFTPPassword(fields.password);
    settings.FTPDestination = fields.destination;
    settings.FTPPassive = fields.passive;
    settings.FTPUseTLS = fields.tls;
    return nullptr;
}

}  // namespace zep
