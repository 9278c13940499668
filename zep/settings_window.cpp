#include "settings_window.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <uxtheme.h>

#include "about_box.h"
#include "autorun.h"
#include "autorun_editor.h"
#include "controls.h"
#include "ftp_settings_dialog.h"
#include "resource.h"
#include "texts_ja.h"
#include "win_system.h"

namespace zep {
namespace {

// The caption of the two sunken panels keeps this far from the edge.
constexpr int kPanelTextInset = 3;

constexpr wchar_t kClassName[] = L"TZEPForm";
constexpr int kClientWidth = 280, kClientHeight = 231;
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER | WS_CLIPCHILDREN;

enum Page { kSettingPage, kAutorunPage, kAutoconnectPage, kIPPage, kLogPage, kEventPage };

// Control identifiers, named after the window's components.
enum ControlId {
    IdTab = 100,
    ConnectButton, DisconnectButton, MinimizeButton,
    Label1, SetupUtilPanel, Label2, IPEdit, Label8, DefaultPanel, TimeShowCheck, DialogAutoCloseCheck, MRLCheck,
    AboutButton, DocumentButton,
    AutoRunList, AutoChangeButton, AutoEditButton, AutoAddButton, AutoDeleteButton,
    AutoConnectCheck, AutoConHourSpin, AutoConMinuteSpin, AutoDisconnectCheck, AutoDisHourSpin, AutoDisMinuteSpin,
    AutoTimeDisconnectCheck, AutoDisSecondSpin, AutoTimeAgainCheck, HourLabel1, MinuteLabel1, HourLabel2,
    MinuteLabel2, SecondLabel,
    HTMLCheck, HTMLFileEdit, HTMLSaveButton, FTPConCheck, FTPConButton, FTPConAutoCheck, FTPDisconCheck,
    FTPDisconButton, FTPSetButton, FTPLogList, FTPAbortButton,
    EasylogCheck, EasylogShowButton, SyslogCheck, SyslogShowButton, AILogCheck, AILogShowButton, AISetButton,
    LogFolderSetButton, LogFolderShowButton,
    WaveConnectCheck, WaveConnectButton, WaveConnectBitbtn, WaveDisconnectCheck, WaveDisconnectButton,
    WaveDisconnectBitbtn, SNTPCheck, UseBeforeConCheck, Label10, NWGRequestCheck, Label9,
};
constexpr int kUpDownOffset = 500;  // the arrows of spin field n have the identifier n + 500

struct CheckBinding {
    int id;
    bool Settings::*member;
};
constexpr CheckBinding kChecks[] = {
    {TimeShowCheck, &Settings::ShowTimePanel},   {DialogAutoCloseCheck, &Settings::DialogClose},
    {MRLCheck, &Settings::UseMRLDll},            {AutoConnectCheck, &Settings::AutoConnect},
    {AutoDisconnectCheck, &Settings::AutoDisconnect}, {AutoTimeDisconnectCheck, &Settings::AutoTimeDisconnect},
    {AutoTimeAgainCheck, &Settings::AutoTimeAgainCheck}, {HTMLCheck, &Settings::HTMLAutoCreate},
    {FTPConCheck, &Settings::FTPAutoConnect},    {FTPConAutoCheck, &Settings::FTPAutoConnectOnly},
    {FTPDisconCheck, &Settings::FTPAutoDiscon},  {EasylogCheck, &Settings::Easylog},
    {SyslogCheck, &Settings::Syslog},            {AILogCheck, &Settings::AIlog},
    {WaveConnectCheck, &Settings::WaveConnect},  {WaveDisconnectCheck, &Settings::WaveDisconnect},
    {SNTPCheck, &Settings::UseSNTP},             {UseBeforeConCheck, &Settings::UseBeforeCon},
    {NWGRequestCheck, &Settings::ZEPConRequest},
};

struct SpinBinding {
    int id;
    int32_t Settings::*member;
    const SpinField* field;
};
constexpr SpinBinding kSpins[] = {
    {AutoConHourSpin, &Settings::AutoConnectHour, &kHourSpin},
    {AutoConMinuteSpin, &Settings::AutoConnectMinute, &kMinuteSpin},
    {AutoDisHourSpin, &Settings::AutoDisconnectHour, &kHourSpin},
    {AutoDisMinuteSpin, &Settings::AutoDisconnectMinute, &kMinuteSpin},
    {AutoDisSecondSpin, &Settings::AutoTimeDisconnectSecond, &kSecondSpin},
};

const SpinBinding* FindSpin(int id) {
    for (const SpinBinding& s : kSpins)
        if (s.id == id) return &s;
    return nullptr;
}

struct RuledControl {
    Ruled rule;
    int id;
};
constexpr RuledControl kRuledControls[] = {
    {Ruled::AutoConHourSpin, AutoConHourSpin},     {Ruled::AutoConMinuteSpin, AutoConMinuteSpin},
    {Ruled::AutoDisHourSpin, AutoDisHourSpin},     {Ruled::AutoDisMinuteSpin, AutoDisMinuteSpin},
    {Ruled::AutoDisSecondSpin, AutoDisSecondSpin}, {Ruled::AutoTimeAgainCheck, AutoTimeAgainCheck},
    {Ruled::WaveConnectButton, WaveConnectButton}, {Ruled::WaveConnectBitbtn, WaveConnectBitbtn},
    {Ruled::WaveDisconnectButton, WaveDisconnectButton}, {Ruled::WaveDisconnectBitbtn, WaveDisconnectBitbtn},
    {Ruled::HTMLFileEdit, HTMLFileEdit},           {Ruled::HTMLSaveButton, HTMLSaveButton},
    {Ruled::FTPConButton, FTPConButton},           {Ruled::FTPDisconButton, FTPDisconButton},
    {Ruled::FTPSetButton, FTPSetButton},           {Ruled::FTPLogList, FTPLogList},
    {Ruled::FTPConCheck, FTPConCheck},             {Ruled::FTPConAutoCheck, FTPConAutoCheck},
    {Ruled::FTPDisconCheck, FTPDisconCheck},       {Ruled::FTPAbortButton, FTPAbortButton},
    {Ruled::IPEdit, IPEdit},
    {Ruled::AILogCheck, AILogCheck},               {Ruled::AILogShowButton, AILogShowButton},
    {Ruled::MRLCheck, MRLCheck},
};

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM lParam, LPARAM data) {
    if (msg == BFFM_INITIALIZED) {
        if (data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    } else if (msg == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = L"";
        SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
        SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

}  // namespace

SettingsForm::~SettingsForm() {
    if (window_) {
        DestroyWindow(window_);
        OleUninitialize();  // paired with Create's
    }
    if (documentIcon_) DestroyIcon(documentIcon_);
    if (aboutIcon_) DestroyIcon(aboutIcon_);
}

bool SettingsForm::Create() {
    if (!CreateOfClass({kClassName, GetSysColorBrush(COLOR_BTNFACE), true, ZEP_ICON_DISCONNECT}, WS_EX_CONTROLPARENT,
                       Wide(text::kAppTitle), kStyle, h_.settings.PosX, h_.settings.PosY, kClientWidth, kClientHeight,
                       nullptr, true))
        return false;
    // Drag and drop and the folder browser want OLE on this thread.
    OleInitialize(nullptr);
    BuildControls();
    return true;
}

HWND SettingsForm::Add(int page, const wchar_t* cls, const char16_t* text, DWORD style, int x, int y, int w, int hgt,
                       int id, const char16_t* hint, DWORD exStyle) {
    const int left = page < 0 ? x : page_.left + x;
    const int top = page < 0 ? y : page_.top + y;
    HWND c = AddControl(cls, text ? Wide(text) : std::wstring(), style, left, top, w, hgt, id, exStyle);
    if (page >= 0) {
        ShowWindow(c, SW_HIDE);  // shown with its page
        pages_[page].push_back(c);
    }
    if (hint) SetHint(c, hint);
    return c;
}

HWND SettingsForm::AddCheck(int page, const char16_t* text, int x, int y, int w, int id, const char16_t* hint) {
    return Add(page, WC_BUTTONW, text, BS_AUTOCHECKBOX | WS_TABSTOP, x, y, w, 16, id, hint);
}

HWND SettingsForm::AddSpin(int page, int x, int y, int w, int id, const SpinField& field) {
    HWND edit = Add(page, WC_EDITW, nullptr, ES_AUTOHSCROLL | WS_TABSTOP, x, y, w, 20, id, nullptr, WS_EX_CLIENTEDGE);
    if (field.maxLength) SendMessageW(edit, EM_LIMITTEXT, field.maxLength, 0);
    AcceptSpinCharactersOnly(edit);
    HWND arrows = Add(page, UPDOWN_CLASSW, nullptr, UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0,
                      id + kUpDownOffset);
    SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    // The arrows keep no value of their own: every press is worked out from the field's text.
    SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(-1000000), 1000000);
    SendMessageW(arrows, UDM_SETPOS32, 0, 0);
    return edit;
}

// The destination panel opens its popup on a press of any mouse button.
LRESULT CALLBACK SettingsForm::DefaultPanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR data) {
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
        reinterpret_cast<SettingsForm*>(data)->DefaultPanelPressed();
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void SettingsForm::SetHint(HWND control, const std::u16string& hint) { AddHint(tooltip_, window_, control, hint); }

void SettingsForm::BuildControls() {
    tooltip_ = CreateHints(window_, Dpi());

    tab_ = Add(-1, WC_TABCONTROLW, nullptr, TCS_HOTTRACK | TCS_MULTILINE | WS_CLIPSIBLINGS | WS_TABSTOP, 4, 4, 272,
               195, IdTab);
    const char16_t* tabs[] = {text::kTabSetting, text::kTabAutorun, text::kTabAutoconnect,
                              text::kTabIP,      text::kTabLog,     text::kTabEvent};
    for (int i = 0; i < 6; ++i) {
        std::wstring caption = Wide(tabs[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(tab_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    // The pages' area inside the tab control, as laid out for 96 dpi.
    RECT area;
    GetClientRect(tab_, &area);
    SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(tab_, window_, reinterpret_cast<POINT*>(&area), 2);
    page_ = {UnscaleFromDpi(area.left, Dpi()), UnscaleFromDpi(area.top, Dpi()), UnscaleFromDpi(area.right, Dpi()),
             UnscaleFromDpi(area.bottom, Dpi())};
    InflateRect(&page_, -4, -3);
    const int pw = page_.right - page_.left;
    const int ph = page_.bottom - page_.top;

    Add(-1, WC_BUTTONW, text::kConnectButton, BS_PUSHBUTTON | WS_TABSTOP, 4, 204, 88, 23, ConnectButton);
    Add(-1, WC_BUTTONW, text::kDisconnectButton, BS_PUSHBUTTON | WS_TABSTOP, 96, 204, 88, 23, DisconnectButton);
    Add(-1, WC_BUTTONW, text::kMinimizeButton, BS_PUSHBUTTON | WS_TABSTOP, 188, 204, 88, 23, MinimizeButton);

    const DWORD label = SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;

    // 基本設定
    int p = kSettingPage;
    Add(p, WC_STATICW, text::kLabel1, label, 0, 0, pw, 13, Label1, text::kLabel1Hint);
    Add(p, WC_STATICW, nullptr, SS_OWNERDRAW | SS_NOTIFY, 0, 14, pw, 20, SetupUtilPanel, nullptr, WS_EX_CLIENTEDGE);
    Add(p, WC_STATICW, text::kLabel2, label, 0, 42, 130, 13, Label2);
    Add(p, WC_EDITW, nullptr, ES_AUTOHSCROLL | WS_TABSTOP, 132, 39, pw - 132, 20, IPEdit, text::kIPEditHint,
        WS_EX_CLIENTEDGE);
    Add(p, WC_STATICW, text::kLabel8, label, 0, 66, 130, 13, Label8, text::kLabel8Hint);
    HWND defaultPanel = Add(p, WC_STATICW, nullptr, SS_OWNERDRAW | SS_NOTIFY, 132, 63, pw - 132, 20, DefaultPanel,
                            text::kLabel8Hint, WS_EX_CLIENTEDGE);
    SetWindowSubclass(defaultPanel, DefaultPanelProc, 1, reinterpret_cast<DWORD_PTR>(this));
    AddCheck(p, text::kTimeShowCheck, 0, 88, pw - 36, TimeShowCheck);
    AddCheck(p, text::kDialogAutoCloseCheck, 0, 106, pw - 36, DialogAutoCloseCheck, text::kDialogAutoCloseHint);
    AddCheck(p, text::kMRLCheck, 0, 124, pw - 36, MRLCheck, text::kMRLCheckHint);
    Add(p, WC_BUTTONW, nullptr, button | BS_ICON, pw - 28, 88, 28, 24, AboutButton, text::kAboutButtonHint);
    Add(p, WC_BUTTONW, nullptr, button | BS_ICON, pw - 28, 116, 28, 24, DocumentButton, text::kDocumentButtonHint);
    LoadButtonIcons();

    // 自動起動
    p = kAutorunPage;
    Add(p, WC_LISTBOXW, nullptr, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, 0, 0, pw - 78, ph,
        AutoRunList, nullptr, WS_EX_CLIENTEDGE);
    Add(p, WC_BUTTONW, text::kAutoChangeButton, button, pw - 72, 0, 72, 24, AutoChangeButton, text::kAutoChangeHint);
    Add(p, WC_BUTTONW, text::kAutoEditButton, button, pw - 72, 28, 72, 24, AutoEditButton, text::kAutoEditHint);
    Add(p, WC_BUTTONW, text::kAutoAddButton, button, pw - 72, 56, 72, 24, AutoAddButton, text::kAutoAddHint);
    Add(p, WC_BUTTONW, text::kAutoDeleteButton, button, pw - 72, 84, 72, 24, AutoDeleteButton, text::kAutoDeleteHint);

    // 自動接続
    p = kAutoconnectPage;
    AddCheck(p, text::kAutoConnectCheck, 0, 0, pw, AutoConnectCheck);
    AddSpin(p, 18, 18, 44, AutoConHourSpin, kHourSpin);
    Add(p, WC_STATICW, text::kHourUnit, SS_LEFT, 66, 21, 14, 13, HourLabel1);
    AddSpin(p, 84, 18, 44, AutoConMinuteSpin, kMinuteSpin);
    Add(p, WC_STATICW, text::kMinuteUnit, SS_LEFT, 132, 21, 14, 13, MinuteLabel1);
    AddCheck(p, text::kAutoDisconnectCheck, 0, 40, pw, AutoDisconnectCheck, text::kAutoDisconnectHint);
    AddSpin(p, 18, 58, 44, AutoDisHourSpin, kHourSpin);
    Add(p, WC_STATICW, text::kHourUnit, SS_LEFT, 66, 61, 14, 13, HourLabel2);
    AddSpin(p, 84, 58, 44, AutoDisMinuteSpin, kMinuteSpin);
    Add(p, WC_STATICW, text::kMinuteUnit, SS_LEFT, 132, 61, 14, 13, MinuteLabel2);
    AddCheck(p, text::kAutoTimeDisconnectCheck, 0, 80, pw, AutoTimeDisconnectCheck, text::kAutoTimeDisconnectHint);
    AddSpin(p, 18, 98, 64, AutoDisSecondSpin, kSecondSpin);
    Add(p, WC_STATICW, text::kSecondUnit, SS_LEFT, 86, 101, 14, 13, SecondLabel);
    AddCheck(p, text::kAutoTimeAgainCheck, 18, 120, pw - 18, AutoTimeAgainCheck, text::kAutoTimeAgainHint);

    // IPアドレス
    p = kIPPage;
    AddCheck(p, text::kHTMLCheck, 0, 0, pw, HTMLCheck, text::kHTMLCheckHint);
    Add(p, WC_EDITW, nullptr, ES_AUTOHSCROLL | WS_TABSTOP, 18, 18, pw - 18 - 26, 20, HTMLFileEdit, nullptr,
        WS_EX_CLIENTEDGE);
    Add(p, WC_BUTTONW, text::kEllipsisButton, button, pw - 24, 18, 24, 20, HTMLSaveButton);
    AddCheck(p, text::kFTPConCheck, 0, 44, pw - 78, FTPConCheck, text::kFTPConCheckHint);
    Add(p, WC_BUTTONW, text::kUploadNow, button, pw - 74, 41, 74, 22, FTPConButton, text::kFTPConButtonHint);
    AddCheck(p, text::kFTPConAutoCheck, 18, 62, pw - 96, FTPConAutoCheck);
    AddCheck(p, text::kFTPDisconCheck, 18, 80, pw - 96, FTPDisconCheck, text::kFTPDisconCheckHint);
    Add(p, WC_BUTTONW, text::kUploadNow, button, pw - 74, 77, 74, 22, FTPDisconButton, text::kFTPDisconButtonHint);
    Add(p, WC_LISTBOXW, nullptr, LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL, 0, 102, pw - 80, ph - 102, FTPLogList,
        text::kFTPLogListHint, WS_EX_CLIENTEDGE);
    Add(p, WC_BUTTONW, text::kFTPSetButton, button, pw - 74, 102, 74, 20, FTPSetButton, text::kFTPSetButtonHint);
    HWND abort = Add(p, WC_BUTTONW, text::kFTPAbortButton, button, pw - 74, 124, 74, 20, FTPAbortButton,
                     text::kFTPAbortButtonHint);
    EnableWindow(abort, FALSE);  // only while an upload runs

    // 接続ログ
    p = kLogPage;
    AddCheck(p, text::kEasylogCheck, 0, 3, pw - 112, EasylogCheck);
    Add(p, WC_BUTTONW, text::kEasylogShowButton, button, pw - 108, 0, 108, 22, EasylogShowButton);
    AddCheck(p, text::kSyslogCheck, 0, 29, pw - 112, SyslogCheck);
    Add(p, WC_BUTTONW, text::kSyslogShowButton, button, pw - 108, 26, 108, 22, SyslogShowButton);
    AddCheck(p, text::kAILogCheck, 0, 55, pw - 112, AILogCheck, text::kAILogCheckHint);
    Add(p, WC_BUTTONW, text::kAILogShowButton, button, pw - 108, 52, 108, 22, AILogShowButton,
        text::kAILogShowButtonHint);
    Add(p, WC_BUTTONW, text::kAISetButton, button, 0, 79, pw, 20, AISetButton, text::kAISetButtonHint);
    Add(p, WC_BUTTONW, text::kLogFolderSetButton, button, 0, 101, pw, 20, LogFolderSetButton);
    Add(p, WC_BUTTONW, text::kLogFolderShowButton, button, 0, 123, pw, 20, LogFolderShowButton);

    // その他
    p = kEventPage;
    AddCheck(p, text::kWaveConnectCheck, 0, 2, pw - 60, WaveConnectCheck);
    Add(p, WC_BUTTONW, text::kEllipsisButton, button, pw - 56, 0, 26, 20, WaveConnectButton);
    Add(p, WC_BUTTONW, u"▶", button, pw - 28, 0, 28, 20, WaveConnectBitbtn);
    AddCheck(p, text::kWaveDisconnectCheck, 0, 26, pw - 60, WaveDisconnectCheck);
    Add(p, WC_BUTTONW, text::kEllipsisButton, button, pw - 56, 24, 26, 20, WaveDisconnectButton);
    Add(p, WC_BUTTONW, u"▶", button, pw - 28, 24, 28, 20, WaveDisconnectBitbtn);
    AddCheck(p, text::kSNTPCheck, 0, 50, pw, SNTPCheck);
    AddCheck(p, text::kUseBeforeConCheck, 0, 72, pw, UseBeforeConCheck, text::kSideEffectHint);
    Add(p, WC_STATICW, text::kLabel10, label, 17, 89, pw - 17, 13, Label10);
    AddCheck(p, text::kNWGRequestCheck, 0, 108, pw, NWGRequestCheck, text::kSideEffectHint);
    Add(p, WC_STATICW, text::kLabel9, label, 17, 125, pw - 17, 13, Label9);

    SetWindowPos(tab_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowPage(kSettingPage);
}

void SettingsForm::LoadButtonIcons() {
    const int size = Px(16);
    HICON shownAbout = aboutIcon_;
    aboutIcon_ = static_cast<HICON>(LoadImageW(instance_, ZEP_ICON_DISCONNECT, IMAGE_ICON, size, size, 0));
    SendDlgItemMessageW(window_, AboutButton, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(aboutIcon_));
    if (shownAbout) DestroyIcon(shownAbout);
    // The shell's plain document, in the size of its small icons at the window's resolution.
    HICON shown = documentIcon_;
    documentIcon_ = nullptr;
    HICON large = nullptr;
    if (size > 16) ExtractIconExW(L"shell32.dll", 0, &large, nullptr, 1);
    else ExtractIconExW(L"shell32.dll", 0, nullptr, &documentIcon_, 1);
    if (large) {
        documentIcon_ = static_cast<HICON>(CopyImage(large, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE));
        DestroyIcon(large);
    }
    SendDlgItemMessageW(window_, DocumentButton, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(documentIcon_));
    if (shown) DestroyIcon(shown);
}

void SettingsForm::DpiChanged() {
    SetHintsDpi(tooltip_, Dpi());
    LoadButtonIcons();
    UpdateSetupUtilPanel();
}

void SettingsForm::ShowPage(int page) {
    SendMessageW(tab_, TCM_SETCURSEL, page, 0);
    for (int i = 0; i < 6; ++i)
        for (HWND c : pages_[i]) ShowWindow(c, i == page ? SW_SHOW : SW_HIDE);
}

bool SettingsForm::IsOnPage(HWND control) const {
    for (const std::vector<HWND>& page : pages_)
        for (HWND c : page)
            if (c == control) return true;
    return false;
}

std::string SettingsForm::ItemText(int id) const { return ControlText(GetDlgItem(window_, id)); }

void SettingsForm::SetItemText(int id, const std::string& ansi) { SetControlText(GetDlgItem(window_, id), ansi); }

void SettingsForm::SetSpinValue(int id, int32_t value) {
    const SpinBinding* spin = FindSpin(id);
    SetItemText(id, std::to_string(spin->field->Clamp(value)));  // its EN_CHANGE updates the model
}

void SettingsForm::LoadFromModel() {
    loading_ = true;
    loaded_ = true;
    Settings& s = h_.settings;
    SetWindowPos(window_, nullptr, s.PosX, s.PosY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    s.AutoTimeAgainCheck = false;
    SetItemText(IPEdit, s.IPAddress);
    SetItemText(HTMLFileEdit, s.HTMLFile);
    for (const SpinBinding& spin : kSpins) SetSpinValue(spin.id, s.*spin.member);
    for (const CheckBinding& check : kChecks)
        SendDlgItemMessageW(window_, check.id, BM_SETCHECK, (s.*check.member) ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdateSetupUtilPanel();
    DestinationsChanged();
    ApplyEnableStates();
    if (s.UseMRLDll) MRLCheckChanged();
    loading_ = false;
}

void SettingsForm::StorePosition() {
    if (!loaded_) return;  // placed from the settings only once they are read
    RECT r;
    GetWindowRect(window_, &r);
    h_.settings.PosX = r.left;
    h_.settings.PosY = r.top;
}

void SettingsForm::Show() {
    if (firstShow_) {
        ShowPage(kSettingPage);
        ApplyEnableStates();
        RefreshAutorunList(-1);
        // The connection-time panel sizes itself to its font when it is made.
    }
    ShowWindow(window_, SW_SHOW);
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
    firstShow_ = false;
}

bool SettingsForm::PreTranslate(MSG& msg) {
    if (!window_ || !IsWindowVisible(window_)) return false;
    if (msg.hwnd != window_ && !IsChild(window_, msg.hwnd)) return false;
    return IsDialogMessageW(window_, &msg) != FALSE;
}

EnableStates SettingsForm::CurrentEnableStates() const {
    FormFacts facts;
    facts.aiExeExists = h_.controller.logs().accessLogViewerFound();
    facts.libraryBound = h_.shell.LibraryBound();
    facts.ftpUploading = h_.controller.pageUpload().ftpUploading();
    return ComputeEnableStates(h_.settings, facts);
}

void SettingsForm::ApplyEnableStates() {
    const EnableStates e = CurrentEnableStates();
    for (const RuledControl& rc : kRuledControls) {
        const bool on = Enabled(e, rc.rule);
        EnableWindow(GetDlgItem(window_, rc.id), on);
        if (HWND arrows = GetDlgItem(window_, rc.id + kUpDownOffset)) EnableWindow(arrows, on);
    }
    EnableWindow(GetDlgItem(window_, DefaultPanel), h_.controller.state().DestinationListKnown);
    InvalidateRect(GetDlgItem(window_, SetupUtilPanel), nullptr, TRUE);
}

void SettingsForm::UpdateSetupUtilPanel() {
    HWND panel = GetDlgItem(window_, SetupUtilPanel);
    std::wstring path = WideFromAnsi(h_.settings.SetupUtility);
    RECT r;
    GetClientRect(panel, &r);
    r.right -= 2 * Px(kPanelTextInset);  // the text keeps clear of the sunken edge on both sides
    std::wstring shown = path + std::wstring(8, L'\0');
    HDC dc = GetDC(panel);
    HGDIOBJ old = SelectObject(dc, Font());
    DrawTextExW(dc, shown.data(), -1, &r,
                DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT, nullptr);
    SelectObject(dc, old);
    ReleaseDC(panel, dc);
    shown.resize(wcslen(shown.c_str()));
    SetWindowTextW(panel, shown.c_str());
    const bool shortened = shown.size() >= 3 && shown.compare(shown.size() - 3, 3, L"...") == 0;
    SetHint(panel, shortened ? U16(path) : std::u16string());
}

LRESULT SettingsForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if (hdr->idFrom == IdTab && hdr->code == TCN_SELCHANGE) {
                ShowPage(static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)));
                return 0;
            }
            if (hdr->code == UDN_DELTAPOS && hdr->idFrom > kUpDownOffset) {
                const int id = static_cast<int>(hdr->idFrom) - kUpDownOffset;
                if (const SpinBinding* spin = FindSpin(id))
                    SetSpinValue(id, spin->field->Stepped(ItemText(id), reinterpret_cast<NMUPDOWN*>(lParam)->iDelta));
                return TRUE;  // the arrows' own position stays where it is
            }
            break;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID != SetupUtilPanel && item->CtlID != DefaultPanel) break;
            DrawPanel(*item);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC: {
            HWND c = reinterpret_cast<HWND>(lParam);
            HDC dc = reinterpret_cast<HDC>(wParam);
            if (GetParent(c) == window_ && IsOnPage(c)) {
                // Labels and check boxes take the colour of the page they sit on.
                const int colour = IsAppThemed() ? COLOR_WINDOW : COLOR_BTNFACE;
                SetBkColor(dc, GetSysColor(colour));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
            }
            break;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MINIMIZE) {
                ShowWindow(window_, SW_HIDE);  // minimising closes, which hides
                return 0;
            }
            break;
        case WM_CLOSE:
            ShowWindow(window_, SW_HIDE);
            return 0;
        default:
            break;
    }
    return Window::Handle(msg, wParam, lParam);
}

void SettingsForm::OnCommand(int id, int code) {
    for (const CheckBinding& check : kChecks)
        if (check.id == id) {
            if (code == BN_CLICKED) {
                h_.settings.*check.member = SendDlgItemMessageW(window_, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
                OnCheckChanged(id);
            }
            return;
        }
    if (const SpinBinding* spin = FindSpin(id)) {
        if (code == EN_CHANGE) h_.settings.*spin->member = spin->field->Read(ItemText(id));
        else if (code == EN_KILLFOCUS) ClampSpinText(GetDlgItem(window_, id), *spin->field);
        return;
    }
    switch (id) {
        case IPEdit:
            if (code == EN_CHANGE) h_.settings.IPAddress = ItemText(IPEdit);
            break;
        case HTMLFileEdit:
            if (code == EN_CHANGE) h_.settings.HTMLFile = ItemText(HTMLFileEdit);
            break;
        case FTPLogList:
            if (code == LBN_SELCHANGE) ShowSelectedFtpLogLine();
            break;
        case AutoRunList:
            if (code == LBN_SELCHANGE) ApplyListSelection();
            else if (code == LBN_DBLCLK) AutoEdit();
            break;
        case AutoChangeButton:
            AutoToggle();
            break;
        case AutoEditButton:
            AutoEdit();
            break;
        case AutoAddButton:
            AutoAdd();
            break;
        case AutoDeleteButton:
            AutoDelete();
            break;
        case SetupUtilPanel:
            if (code == STN_CLICKED) ChooseSetupUtility();
            break;
        case ConnectButton:
            h_.controller.lineCommands().ConnectAction();
            break;
        case DisconnectButton:
            h_.controller.lineCommands().DisconnectAction();
            break;
        case MinimizeButton:
            ShowWindow(window_, SW_HIDE);
            break;
        case AboutButton:
            AboutButtonClick();
            break;
        case DocumentButton:
            OpenReadme();
            break;
        case HTMLSaveButton:
            ChooseHTMLFile();
            break;
        case FTPSetButton:
            FTPSetButtonClick();
            break;
        case FTPConButton:
            h_.controller.pageUpload().UploadConnectPage();
            break;
        case FTPDisconButton:
            h_.controller.pageUpload().UploadDisconnectPage();
            break;
        case FTPAbortButton:
            h_.controller.pageUpload().AbortUpload();
            break;
        case EasylogShowButton:
            h_.controller.logs().TrayEasylogClick();
            break;
        case SyslogShowButton:
            h_.controller.logs().TraySyslogClick();
            break;
        case AILogShowButton:
            h_.controller.logs().TrayAILogClick();
            break;
        case AISetButton:
            ChooseAIExe();
            break;
        case LogFolderSetButton:
            ChooseLogFolder();
            break;
        case LogFolderShowButton:
            ShellExecuteA(nullptr, "open", "explorer", h_.settings.LogFolder.c_str(), h_.settings.LogFolder.c_str(),
                          SW_SHOW);
            break;
        case WaveConnectButton:
            ChooseWave(true);
            break;
        case WaveDisconnectButton:
            ChooseWave(false);
            break;
        case WaveConnectBitbtn:
            h_.shell.PlaySoundFile(h_.settings.WaveConnectFile);
            break;
        case WaveDisconnectBitbtn:
            h_.shell.PlaySoundFile(h_.settings.WaveDisconnectFile);
            break;
        default:
            break;
    }
}

void SettingsForm::OnCheckChanged(int id) {
    if (id == MRLCheck) MRLCheckChanged();
    else if (id == TimeShowCheck) h_.controller.TimeShowCheckChanged();
    ApplyEnableStates();
    if (id == FTPConCheck || id == HTMLCheck) FTPConChanged();
}

void SettingsForm::TimeShowUnticked() {
    SendDlgItemMessageW(window_, TimeShowCheck, BM_SETCHECK, BST_UNCHECKED, 0);
}

void SettingsForm::FTPConChanged() {
    if (h_.settings.HTMLAutoCreate && h_.settings.FTPAutoConnect && h_.settings.FTPHost.empty() && !firstShow_ &&
        !loading_)
        FTPSetButtonClick();
}

void SettingsForm::FtpUploadChanged() {
    ApplyEnableStates();
    HWND list = GetDlgItem(window_, FTPLogList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::u16string& line : h_.controller.pageUpload().ftpLog())
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
}

void SettingsForm::ShowSelectedFtpLogLine() {
    // A line too long for the narrow list can be read in full as the list's tip.
    HWND list = GetDlgItem(window_, FTPLogList);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= h_.controller.pageUpload().ftpLog().size()) return;
    SetHint(list, h_.controller.pageUpload().ftpLog()[static_cast<size_t>(index)]);
}

void SettingsForm::ChooseSetupUtility() {
    if (!Enabled(CurrentEnableStates(), Ruled::SetupUtilPanelClicks) || h_.controller.lineCommands().findingRouter())
        return;
    std::string file = setupOpenFile_;
    if (!RunFileDialog(window_, {false, text::kOpenDialogTitle, text::kOpenDialogFilter, L"exe"}, file)) return;
    setupOpenFile_ = file;
    h_.settings.SetupUtility = file;
    UpdateSetupUtilPanel();
    // VELK is asked for the router's address and state; any other tool has a single destination.
    h_.controller.lineCommands().FindRouter(file);
    if (!h_.controller.closing()) SetItemText(IPEdit, h_.settings.IPAddress);
}

// The two sunken panels: their caption a little clear of the edge. The tool's path is grey while
// the panel takes no clicks (the library replaces the tool); the destination panel is grey on the
// inactive colour while no destination is known.
void SettingsForm::DrawPanel(const DRAWITEMSTRUCT& item) {
    int background = COLOR_WINDOW, text = COLOR_WINDOWTEXT;
    if (item.CtlID == SetupUtilPanel) {
        if (!Enabled(CurrentEnableStates(), Ruled::SetupUtilPanelClicks)) text = COLOR_GRAYTEXT;
    } else if (!h_.controller.state().DestinationListKnown) {
        background = COLOR_INACTIVEBORDER;
        text = COLOR_GRAYTEXT;
    }
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(background));
    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(item.hwndItem, caption.data(), length + 1)));
    RECT r = item.rcItem;
    r.left += Px(kPanelTextInset);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(text));
    HGDIOBJ old = SelectObject(item.hDC, Font());
    DrawTextW(item.hDC, caption.c_str(), -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
}

void SettingsForm::DestinationsChanged() {
    if (!window_) return;
    const ControllerState& st = h_.controller.state();
    HWND panel = GetDlgItem(window_, DefaultPanel);
    SetWindowTextW(panel, WideFromAnsi(st.DestinationListKnown ? st.DefaultLineCaption : std::string()).c_str());
    EnableWindow(panel, st.DestinationListKnown);
    InvalidateRect(panel, nullptr, TRUE);
}

void SettingsForm::RouterAddressChanged() { SetItemText(IPEdit, h_.settings.IPAddress); }

void SettingsForm::DefaultPanelPressed() {
    if (h_.controller.lineCommands().destinationPanelTag() < 0) return;
    HMENU menu = BuildPopupMenu(h_.controller.lineCommands().DestinationPopup());
    POINT at;
    GetCursorPos(&at);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_,
                                      nullptr);
    DestroyMenu(menu);
    if (chosen > 0) h_.controller.lineCommands().DestinationPopupClick(chosen);
}

void SettingsForm::MRLCheckChanged() {
    InvalidateRect(GetDlgItem(window_, SetupUtilPanel), nullptr, TRUE);
    EnableWindow(GetDlgItem(window_, IPEdit), !h_.settings.UseMRLDll);
    if (h_.settings.UseMRLDll) SwitchOnLibrary();
}

void SettingsForm::UntickMRL() {
    SendDlgItemMessageW(window_, MRLCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    MRLCheckChanged();
    ApplyEnableStates();
}

void SettingsForm::SwitchOnLibrary() {
    // The box takes no clicks while the library is searching for the router.
    EnableWindow(GetDlgItem(window_, MRLCheck), FALSE);
    const std::optional<bool> inUse = h_.controller.lineCommands().SwitchOnLibrary();
    if (inUse == true) UpdateSetupUtilPanel();
    else if (inUse == false) UntickMRL();  // the controller has switched it off again
    ApplyEnableStates();
}

void SettingsForm::ChooseWave(bool connect) {
    std::string& file = connect ? h_.settings.WaveConnectFile : h_.settings.WaveDisconnectFile;
    std::string chosen = file;
    if (RunFileDialog(window_,
                      {false, connect ? text::kWaveConnectTitle : text::kWaveDisconnectTitle, text::kWaveFilter, L"wav"},
                      chosen))
        file = chosen;
}

void SettingsForm::ChooseHTMLFile() {
    std::string file = h_.settings.HTMLFile;
    if (RunFileDialog(window_, {true, text::kHTMLSaveTitle, text::kHTMLSaveFilter, L"html"}, file))
        SetItemText(HTMLFileEdit, file);
}

void SettingsForm::ChooseAIExe() {
    std::string file = h_.settings.AIExeFile;
    if (RunFileDialog(window_, {false, text::kAIOpenTitle, text::kAIOpenFilter, L"exe"}, file))
        h_.settings.AIExeFile = file;
    h_.controller.logs().CheckAccessLogViewer();
    ApplyEnableStates();
}

void SettingsForm::ChooseLogFolder() {
    LPITEMIDLIST root = nullptr;
    SHGetSpecialFolderLocation(window_, CSIDL_DRIVES, &root);
    std::wstring title = Wide(text::kLogFolderTitle);
    std::wstring current = WideFromAnsi(h_.settings.LogFolder);
    BROWSEINFOW bi{};
    bi.hwndOwner = window_;
    bi.pidlRoot = root;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    bi.lpfn = BrowseCallback;
    bi.lParam = FolderExists(h_.settings.LogFolder) ? reinterpret_cast<LPARAM>(current.c_str()) : 0;
    if (LPITEMIDLIST chosen = SHBrowseForFolderW(&bi)) {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(chosen, path)) h_.settings.LogFolder = AnsiFromWide(path);
        CoTaskMemFree(chosen);
    }
    if (root) CoTaskMemFree(root);
}

void SettingsForm::OpenReadme() {
    const std::string program = ProgramPath();
    ShellExecuteA(nullptr, "open", WithExtension(program, ".txt").c_str(), nullptr, FolderWithSlash(program).c_str(),
                  SW_SHOW);
}

int SettingsForm::SelectedLine() const {
    return static_cast<int>(SendDlgItemMessageW(window_, AutoRunList, LB_GETCURSEL, 0, 0));
}

void SettingsForm::ApplyListSelection() {
    const bool selected = SelectedLine() >= 0;
    for (int id : {AutoChangeButton, AutoEditButton, AutoDeleteButton}) EnableWindow(GetDlgItem(window_, id), selected);
}

void SettingsForm::RefreshAutorunList(int select) {
    HWND list = GetDlgItem(window_, AutoRunList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const AutorunTable& t = h_.settings.Autorun;
    for (int i = 0; i < AutorunCount(t); ++i) {
        const std::wstring line = Wide(AutorunLine(t[i], U16(WideFromAnsi(t[i].Name))));
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, select, 0);
    ApplyListSelection();
}

// The window's own error boxes: the window is their owner, so it takes no input while they show.
void SettingsForm::ShowError(const char16_t* text) {
    MessageBoxW(window_, Wide(text).c_str(), Wide(text::kCaptionError).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void SettingsForm::EditAutorunSlot(int slot, TAutorunType preset) {
    const bool saved = RunAutorunEditor(instance_, window_, preset, h_.settings.SetPosX, h_.settings.SetPosY);
    if (!saved || !StoreAutorunEntry(h_.settings.Autorun, slot, preset)) return;  // an empty name: nothing
    RefreshAutorunList(slot);
    if (IsUnpostableWindowCommand(preset)) ShowError(text::kWindowCommandNotHex);
}

void SettingsForm::AutoAdd() {
    if (AutorunFull(h_.settings.Autorun)) {
        ShowError(text::kAutorunFull);
        return;
    }
    const int n = AutorunCount(h_.settings.Autorun);
    TAutorunType preset;
    preset.Name = AnsiFromWide(Wide(DefaultEntryName(n)));
    preset.Use = true;
    EditAutorunSlot(n, preset);
}

void SettingsForm::AutoEdit() {
    const int i = SelectedLine();
    if (i < 0) return;
    EditAutorunSlot(i, h_.settings.Autorun[i]);
}

void SettingsForm::AutoToggle() {
    const int i = SelectedLine();
    if (i < 0) return;
    ToggleAutorunEntry(h_.settings.Autorun, i);
    RefreshAutorunList(i);
}

void SettingsForm::AutoDelete() {
    const int i = SelectedLine();
    if (i < 0) return;
    DeleteAutorunEntry(h_.settings.Autorun, i);
    RefreshAutorunList(-1);
}

void SettingsForm::AboutButtonClick() {
    RunAboutBox(instance_, window_, h_.settings.UseMRLDll, h_.controller.lineCommands().firmwareVersion());
}

void SettingsForm::FTPSetButtonClick() {
    if (const char16_t* problem = RunFtpSettings(instance_, window_, h_.settings)) ShowError(problem);
}

}  // namespace zep
