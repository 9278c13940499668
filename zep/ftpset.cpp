#include "ftpset.h"

#include <commctrl.h>

#include "form_util.h"
#include "settings_form.h"
#include "texts_ja.h"
#include "win_text.h"

namespace zep {
namespace {

enum { Label1 = 300, HostEdit, Label2, UserEdit, Label3, PassEdit, Label4, DestEdit, Label6 };

struct FtpState {
    FtpFields fields;
    int tag = 0;
};

INT_PTR CALLBACK FtpProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* st = reinterpret_cast<FtpState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            st = reinterpret_cast<FtpState*>(lParam);
            SetWindowLongPtrW(dlg, DWLP_USER, lParam);
            SizeClient(dlg, 225, 168, true);
            HWND tips = CreateHints(dlg);
            const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
            AddControl(dlg, WC_STATICW, Wide(text::kFtpHostLabel), SS_LEFT, 8, 11, 64, 14, Label1);
            HWND host = AddControl(dlg, WC_EDITW, WideFromAnsi(st->fields.host), edit, 76, 8, 141, 20, HostEdit,
                                   WS_EX_CLIENTEDGE);
            AddHint(tips, dlg, host, Wide(text::kFtpHostHint));
            AddControl(dlg, WC_STATICW, Wide(text::kFtpUserLabel), SS_LEFT, 8, 35, 64, 14, Label2);
            AddControl(dlg, WC_EDITW, WideFromAnsi(st->fields.user), edit, 76, 32, 141, 20, UserEdit,
                       WS_EX_CLIENTEDGE);
            AddControl(dlg, WC_STATICW, Wide(text::kFtpPassLabel), SS_LEFT, 8, 59, 64, 14, Label3);
            HWND pass = AddControl(dlg, WC_EDITW, WideFromAnsi(st->fields.password), edit | ES_PASSWORD, 76, 56, 141,
                                   20, PassEdit, WS_EX_CLIENTEDGE);
            SendMessageW(pass, EM_SETPASSWORDCHAR, L'*', 0);
            AddControl(dlg, WC_STATICW, Wide(text::kFtpDestLabel), SS_LEFT, 8, 83, 64, 14, Label4);
            HWND dest = AddControl(dlg, WC_EDITW, WideFromAnsi(st->fields.destination), edit, 76, 80, 141, 20,
                                   DestEdit, WS_EX_CLIENTEDGE);
            AddHint(tips, dlg, dest, Wide(text::kFtpDestHint));
            HWND note = AddControl(dlg, WC_STATICW, Wide(text::kFtpDestNote), SS_LEFT | SS_NOTIFY, 8, 106, 209, 28,
                                   Label6);
            AddHint(tips, dlg, note, Wide(text::kFtpDestHint));
            AddControl(dlg, WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 34, 138, 75, 24, IDOK);
            AddControl(dlg, WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 117, 138, 75, 24, IDCANCEL);
            SetFocus(host);
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                st->fields = {AnsiText(GetDlgItem(dlg, HostEdit)), AnsiText(GetDlgItem(dlg, UserEdit)),
                              AnsiText(GetDlgItem(dlg, PassEdit)), AnsiText(GetDlgItem(dlg, DestEdit))};
                st->tag = 1;
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                st->tag = 0;
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void RunFtpSettings(HINSTANCE instance, HWND owner, Settings& settings) {
    FtpState state;
    state.fields = {settings.FTPHost, settings.FTPUserName, settings.FTPPassword(), settings.FTPDestination};
    RunModalDialog(instance, owner, text::kFtpSetTitle, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, FtpProc,
                   reinterpret_cast<LPARAM>(&state));
    if (state.tag != 1) return;
    if (const char16_t* problem = FtpFieldsProblem(state.fields)) {
        MessageBoxW(owner, Wide(problem).c_str(), Wide(text::kCaptionError).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    settings.FTPHost = state.fields.host;
    settings.FTPUserName = state.fields.user;
    settings.SetFTPPassword(state.fields.password);
    settings.FTPDestination = state.fields.destination;
}

}  // namespace zep
