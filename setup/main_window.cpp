#include "main_window.h"

#include <shellapi.h>
#include <shlobj.h>

#include "install_run.h"
#include "paths.h"
#include "readme_window.h"
#include "removal_run.h"
#include "resource.h"
#include "run_report.h"
#include "setup_state.h"
#include "uninstall_registration.h"
#include "win_system.h"
#include "windows_registry.h"
#include "setup_ini_keys.h"

namespace setup {

namespace {

constexpr UINT kStartRun = WM_APP + 1;  // posted: the run starts once the window shows

struct OptionBox {
    int id;
    keys::Number check;
};
constexpr OptionBox kLeftBoxes[kLeftOptions] = {
    {IDC_MENU, keys::kCheckMenu}, {IDC_SHORTCUT, keys::kCheckDesktop}, {IDC_STARTUP, keys::kCheckStartup},
    {IDC_ASSOCIATE, keys::kCheckExt}, {IDC_SENDTO, keys::kCheckSend},
};

RECT ClientRect(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MoveBy(HWND dialog, HWND control, int dx, int dy, int dHeight = 0) {
    const RECT r = ClientRect(dialog, control);
    MoveWindow(control, r.left + dx, r.top + dy, r.right - r.left, r.bottom - r.top + dHeight, FALSE);
}

void SetBox(HWND dialog, int id, int check) {
    ShowWindow(GetDlgItem(dialog, id), OptionShown(check) ? SW_SHOW : SW_HIDE);
    CheckDlgButton(dialog, id, OptionChecked(check) ? BST_CHECKED : BST_UNCHECKED);
}

int CALLBACK StartAtFolder(HWND hwnd, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// A folder picker of file-system folders; empty when cancelled.
std::wstring PickFolder(HWND owner, const std::wstring& title, const std::wstring& start, int rootFolderId) {
    CoInitialize(nullptr);
    PIDLIST_ABSOLUTE root = nullptr;
    if (rootFolderId >= 0) SHGetSpecialFolderLocation(owner, rootFolderId, &root);
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = root;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = StartAtFolder;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    std::wstring chosen;
    if (PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH];
        if (SHGetPathFromIDListW(picked, path)) chosen = path;
        CoTaskMemFree(picked);
    }
    if (root) CoTaskMemFree(root);
    CoUninitialize();
    return chosen;
}

}  // namespace

void MainWindow::Run(HWND owner, SetupApp& app) {
    MainWindow window(app);
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), owner, DialogProcedure<MainWindow>,
                    reinterpret_cast<LPARAM>(&window));
}

void MainWindow::RunUnseen(SetupApp& app) {
    MainWindow window(app);
    // Without WS_VISIBLE in its template a modeless dialog stays hidden.
    if (!CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProcedure<MainWindow>,
                            reinterpret_cast<LPARAM>(&window)))
        return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void MainWindow::Close() {
    if (!report::Silent()) {
        EndDialog(hwnd_, 0);
        return;
    }
    DestroyWindow(hwnd_);
    PostQuitMessage(0);
}

bool MainWindow::Unattended() { return report::Silent() || Read(app_.ini(), keys::kAuto) != 0; }

void MainWindow::Refuse(bool RunOutcome::*flag, const wchar_t* note, bool runStarted) {
    app_.outcome.*flag = true;
    report::Note(note);
    if (runStarted || Unattended()) Close();  // nobody to choose otherwise, or no way back
}

void MainWindow::NoteRun() {
    const std::wstring folder = ControlText(hwnd_, IDC_FOLDER);
    if (app_.state == SetupState::Installed && Checked(IDC_COPY)) report::Note(log_text::removal);
    else if (app_.state == SetupState::Installed) report::Note(log_text::installed + folder);
    else if (app_.state == SetupState::VersionUp) report::Note(log_text::versionUp + folder);
    else report::Note(log_text::fresh + folder);
}

INT_PTR MainWindow::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        hwnd_ = hwnd;
        Initialise();
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) Command(LOWORD(wParam));
        return TRUE;
    case kStartRun:
        // Posted from the initialisation: the dialog shows only once its loop is idle.
        if (!report::Silent()) {
            ShowWindow(hwnd, SW_SHOW);
            UpdateWindow(hwnd);
        }
        Command(IDOK);
        return TRUE;
    case WM_PAINT:
        Paint();
        return TRUE;
    }
    return FALSE;
}

void MainWindow::SetLabel(const wchar_t* text) {
    SetDlgItemTextW(hwnd_, IDC_FOLDER_LABEL, text);
    UpdateWindow(hwnd_);
}

void MainWindow::Pause(DWORD ms) { report::PauseToRead(ms); }

void MainWindow::Repaint() { RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

void MainWindow::RepaintBackground() {
    if (app_.backgroundWindow) RedrawWindow(app_.backgroundWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int MainWindow::Box(const std::wstring& text, const std::wstring& caption, UINT flags) {
    return report::Message(hwnd_, text, caption, flags);
}

RunChoices MainWindow::Choices() {
    RunChoices choices{ControlText(hwnd_, IDC_FOLDER), {}};
    for (int box : {IDC_MENU, IDC_SHORTCUT, IDC_STARTUP, IDC_ASSOCIATE, IDC_SENDTO, IDC_COPY, IDC_DELETE_AFTER})
        if (Checked(box)) choices.ticked.insert(box);
    return choices;
}

void MainWindow::Initialise() {
    const Texts& t = *app_.texts;
    PrivateProfileFile& ini = app_.ini();
    if (app_.language == Language::English)
        for (const ControlCaption& caption : EnglishCaptions()) SetDlgItemTextW(hwnd_, caption.control, caption.text);
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!GetWindow(hwnd_, GW_OWNER)) {
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_APPWINDOW);
        SetForegroundWindow(hwnd_);
    }
    const std::wstring name = app_.ProductName();
    SetWindowTextW(hwnd_, name.empty() ? L"Install" : name.c_str());
    SetIcons();

    WindowsRegistry registry;
    const StartingPoint start = FindStartingPoint(ini, registry, app_.system, app_.arguments.installFolder);
    SetDlgItemTextW(hwnd_, IDC_FOLDER, start.folder.c_str());

    const bool installed = start.state == SetupState::Installed;
    const bool agreement = !installed && Read(ini, keys::kAgree) != 0;
    if (StopsAtAgreement(app_.arguments, agreement)) {
        Refuse(&RunOutcome::cancelled, log_text::agreementNotAccepted);
        return;
    }
    if (agreement && report::Silent()) report::Note(log_text::agreementAccepted);
    app_.state = start.state;
    app_.readmePage = start.readmePage;

    if (installed) {
        Write(ini, keys::kCheckCopy, 1);
        Write(ini, keys::kCheckDel, 0);
        Hide(IDC_BROWSE);
        SetLabel(t.installed);
        const RECT menuRow = ClientRect(hwnd_, Item(IDC_MENU));
        const RECT copy = ClientRect(hwnd_, Item(IDC_COPY));
        MoveBy(hwnd_, Item(IDC_COPY), 0, menuRow.top - copy.top);
        Hide(IDC_PACKAGE);
        SetDlgItemTextW(hwnd_, IDC_COPY, t.uninstallBox);
        SendDlgItemMessageW(hwnd_, IDC_FOLDER, EM_SETREADONLY, TRUE, 0);
        Write(ini, keys::kAuto, 0);
    } else {
        const std::wstring package = LeafName(Read(ini, keys::kCopySelf));
        SetDlgItemTextW(hwnd_, IDC_PACKAGE, package.empty() ? t.installerGroup : package.c_str());
        if (app_.state == SetupState::VersionUp) SetLabel(t.versionUpLabel);
    }

    const int readme = Read(ini, keys::kReadmeDone);
    if (readme == 0) Hide(IDC_README);
    const bool agreed = readme != 2 || Unattended() || app_.uninstallWord || OpenReadme();
    if (Read(ini, keys::kAgree) != 0) {
        Write(ini, keys::kReadmeDone, 1);  // each copy of the file asks once
        Hide(IDC_README);
    }
    if (!agreed) {
        app_.outcome.cancelled = true;
        Close();
        return;
    }

    ShowOptions(start.earlierFolder);

    if (Unattended()) {
        for (int id : {IDOK, IDCANCEL, IDC_README, IDC_BROWSE}) Hide(id);
        drawIcon_ = false;
        PostMessageW(hwnd_, kStartRun, 0, 0);
    }
    SetFocus(Item(IDOK));
}

void MainWindow::SetIcons() {
    PrivateProfileFile& ini = app_.ini();
    // The product's icon when the settings name one; setup shows none of its own.
    const std::wstring iconFile = Read(ini, keys::kWindowIcon);
    if (iconFile.empty()) return;
    ExtractIconExW(iconFile.c_str(), Read(ini, keys::kWindowIconNo), &app_.largeIcon, &app_.smallIcon, 1);
    if (app_.largeIcon) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app_.largeIcon));
    if (app_.smallIcon) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(app_.smallIcon));
}

void MainWindow::ShowOptions(const std::wstring& previousFolder) {
    PrivateProfileFile& ini = app_.ini();
    PrivateProfileFile previous(JoinPath(previousFolder, L"Setup.ini"));
    const bool previousKnown = !previousFolder.empty() && PathExists(previous.path());
    std::array<int, kLeftOptions> left{};
    for (int i = 0; i < kLeftOptions; ++i) {
        // An earlier installation's choice is kept, and so is its menu folder.
        std::optional<int> earlier;
        if (previousKnown) earlier = Read(previous, kLeftBoxes[i].check);
        left[i] = OptionAfterEarlier(Read(ini, kLeftBoxes[i].check), earlier);
        if (i == kMenu && previousKnown && OptionShown(left[i])) {
            const std::wstring menu = Read(previous, keys::kMenuNamed);
            if (!menu.empty()) Write(ini, keys::kMenuChange, menu);
        }
        SetBox(hwnd_, kLeftBoxes[i].id, left[i]);
    }
    ShowWindow(Item(IDC_MENU_FOLDER), left[kMenu] == 2 ? SW_SHOW : SW_HIDE);

    const int copy = Read(ini, keys::kCheckCopy);
    const int deleteAfter = Read(ini, keys::kCheckDel);
    SetBox(hwnd_, IDC_COPY, copy);
    SetBox(hwnd_, IDC_DELETE_AFTER, deleteAfter);
    if (!OptionShown(copy) && !OptionShown(deleteAfter)) Hide(IDC_PACKAGE);
    if (app_.state == SetupState::Installed && Read(ini, keys::kDelAuto) == 0 && Read(ini, keys::kDelChecked) != 0) {
        CheckDlgButton(hwnd_, IDC_COPY, BST_CHECKED);
        RemovalBoxClicked();
    }
    if (app_.uninstallWord) {
        CheckDlgButton(hwnd_, IDC_COPY, BST_CHECKED);
        if (app_.state == SetupState::Installed) RemovalBoxClicked();
    }
    LayOut(left, copy, deleteAfter, Unattended());
}

void MainWindow::LayOut(const std::array<int, kLeftOptions>& left, int copy, int deleteAfter, bool unattended) {
    const OptionLayout layout =
        LayOutOptions(left, copy, deleteAfter, app_.state == SetupState::Installed, unattended);
    const int pitch = ClientRect(hwnd_, Item(IDC_SHORTCUT)).top - ClientRect(hwnd_, Item(IDC_MENU)).top;
    for (int i = 1; i < kLeftOptions; ++i) MoveBy(hwnd_, Item(kLeftBoxes[i].id), 0, -layout.leftUp[i] * pitch);
    if (app_.state != SetupState::Installed) {
        MoveBy(hwnd_, Item(IDC_DELETE_AFTER), 0, -layout.deleteAfterUp * pitch);
        MoveBy(hwnd_, Item(IDC_PACKAGE), 0, 0, -layout.groupShorter * pitch);
    }
    for (int id : {IDOK, IDCANCEL, IDC_README, IDC_ICON_PLACE}) MoveBy(hwnd_, Item(id), 0, -layout.buttonsUp * pitch);
    RECT window;
    GetWindowRect(hwnd_, &window);
    const int height = window.bottom - window.top - layout.windowShorter * pitch;
    // Shrunk about its centre, so a centred window stays centred.
    SetWindowPos(hwnd_, nullptr, window.left, window.top + layout.windowShorter * pitch / 2, window.right - window.left,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::Command(int id) {
    switch (id) {
    case IDOK: {
        if (running_) return;
        NoteRun();
        const RunChoices choices = Choices();
        const bool removal = app_.state == SetupState::Installed && choices.Ticked(IDC_COPY);
        if (!removal) {
            if (!InstallFolderAccepted(app_, choices, *this))
                return Refuse(&RunOutcome::folderRefused, log_text::folderRefused);
            if (!RoomForFiles(app_, choices, *this)) return Refuse(&RunOutcome::noRoom, log_text::noRoom);
        }
        running_ = true;
        for (int button : {IDOK, IDCANCEL, IDC_README, IDC_MENU_FOLDER, IDC_BROWSE}) Hide(button);
        if (removal) RunRemoval(app_, choices, *this);
        else if (!RunInstallation(app_, choices, *this)) Refuse(&RunOutcome::folderRefused, log_text::folderRefused, true);
        return;
    }
    case IDCANCEL:
        if (running_) return;  // Esc during a run
        Write(app_.ini(), keys::kMenuChange, L"");
        Close();
        return;
    case IDC_BROWSE:
        Browse();
        return;
    case IDC_MENU:
        ShowWindow(Item(IDC_MENU_FOLDER), Checked(IDC_MENU) ? SW_SHOW : SW_HIDE);
        return;
    case IDC_MENU_FOLDER:
        PickMenuFolder();
        return;
    case IDC_COPY:
        if (app_.state == SetupState::Installed) RemovalBoxClicked();
        return;
    case IDC_README:
        if (!running_ && !OpenReadme()) Close();
        return;
    }
}

void MainWindow::Browse() {
    const std::wstring chosen = PickFolder(hwnd_, app_.texts->browseTitle, ControlText(hwnd_, IDC_FOLDER), -1);
    if (chosen.empty()) return;
    const std::wstring folder = WithFolderName(chosen, RegistrationName(app_.ini()));
    SetDlgItemTextW(hwnd_, IDC_FOLDER, folder.c_str());
}

void MainWindow::PickMenuFolder() {
    PrivateProfileFile& ini = app_.ini();
    const std::wstring name = Read(ini, keys::kMenuName);
    if (name.empty()) return;
    PrivateProfileFile chosenFolderIni(JoinPath(ControlText(hwnd_, IDC_FOLDER), L"Setup.ini"));
    std::wstring start = Read(chosenFolderIni, keys::kMenuNamed);
    if (start.empty()) start = Read(ini, keys::kMenuNamed);
    const Texts& t = *app_.texts;
    const std::wstring title = std::wstring(t.menuPickerBefore) + L"\"" + name + L"\"" + t.menuPickerAfter;
    const std::wstring chosen = PickFolder(hwnd_, title, start, CSIDL_PROGRAMS);
    if (!chosen.empty()) Write(ini, keys::kMenuChange, WithFolderName(chosen, name));
}

void MainWindow::RemovalBoxClicked() {
    const BOOL enable = !Checked(IDC_COPY);
    for (const OptionBox& box : kLeftBoxes) EnableWindow(Item(box.id), enable);
    EnableWindow(Item(IDC_MENU_FOLDER), enable);
    if (!enable && app_.uninstallWord) PostMessageW(hwnd_, kStartRun, 0, 0);
}

bool MainWindow::OpenReadme() {
    return ShowReadme(hwnd_, app_) != 0;
}

void MainWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (app_.largeIcon && drawIcon_) {
        const RECT place = ClientRect(hwnd_, Item(IDC_ICON_PLACE));
        DrawIcon(dc, place.left, place.top, app_.largeIcon);
    }
    EndPaint(hwnd_, &ps);
}

}  // namespace setup
