#include "hidden.h"

#include <mmsystem.h>

#include <cstdio>

#include "instance.h"
#include "resource.h"
#include "texts_ja.h"
#include "win_text.h"

namespace zep {
namespace {

constexpr wchar_t kClassName[] = L"TZEPHiddenForm";
constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT kFirstShowMessage = WM_APP + 2;
constexpr UINT kSyslogReady = WM_APP + 3;
constexpr UINT kExitRequest = WM_APP + 4;
constexpr UINT_PTR kTimerId = 1;
constexpr u_short kSyslogPort = 514;
constexpr UINT kTrayIconId = 1;

std::string ModuleFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    return p.substr(0, p.rfind('\\'));
}

std::string IniPathOfProgram() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    size_t dot = p.rfind('.');
    if (dot != std::string::npos && dot > p.rfind('\\')) p.erase(dot);
    return p + ".ini";
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int PictureIndex(TrayPicture p) { return static_cast<int>(p); }

}  // namespace

HiddenForm::HiddenForm(HINSTANCE instance)
    : instance_(instance), programFolder_(ModuleFolder()), iniFile_(IniPathOfProgram()) {}

HiddenForm::~HiddenForm() {
    if (trayAdded_) Shell_NotifyIconW(NIM_DELETE, &tray_);
}

SettingsEnvironment HiddenForm::Environment() const {
    SettingsEnvironment env;
    env.desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    env.desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    char windows[MAX_PATH];
    UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    env.windowsFolder.assign(windows, n);
    env.programFolder = programFolder_;
    env.mrlLibraryBound = library_.bound();
    env.folderExists = DirectoryExists;
    return env;
}

bool HiddenForm::Create() {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.lpszClassName = kClassName;
    wc.hIcon = LoadIconW(instance_, kIconResourceNames[0]);
    if (!RegisterClassExW(&wc)) return false;

    // No border, no task-bar button: the tray icon is the program's presence.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, Wide(text::kAppTitle).c_str(), WS_POPUP, -1, 0, 1, 1,
                              nullptr, nullptr, instance_, this);
    if (!window_) return false;

    library_.Bind(programFolder_.c_str());
    dllBuffer_.assign(kDllBufferSize, 0);
    notifyTarget_ = {window_, WM_DLLNOTIFY};
    for (size_t i = 0; i < icons_.size(); ++i) icons_[i] = LoadIconW(instance_, kIconResourceNames[i]);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");

    tray_.cbSize = sizeof tray_;
    tray_.hWnd = window_;
    tray_.uID = kTrayIconId;
    tray_.uCallbackMessage = kTrayCallback;
    controller_.Create();
    SetTimer(window_, kTimerId, 1000, nullptr);
    OpenSyslogPort();
    return true;
}

void HiddenForm::OpenSyslogPort() {
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
    syslogSocket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kSyslogPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (syslogSocket_ == INVALID_SOCKET || bind(syslogSocket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        WSAAsyncSelect(syslogSocket_, window_, kSyslogReady, FD_READ) != 0) {
        if (syslogSocket_ != INVALID_SOCKET) closesocket(syslogSocket_);
        syslogSocket_ = INVALID_SOCKET;
        // Told once, after the start-up; everything else keeps working.
        PostMessageW(window_, kSyslogReady, 0, WSAMAKESELECTREPLY(0, WSAEADDRINUSE));
    }
}

void HiddenForm::ReceiveSyslog() {
    // A datagram longer than the handled size is read whole and cut by the controller.
    static char buffer[65536];
    for (;;) {
        sockaddr_in from{};
        int fromLength = sizeof from;
        int n = recvfrom(syslogSocket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0) return;  // nothing more queued (or an error the next notice repeats)
        char sender[16] = "";
        lstrcpynA(sender, inet_ntoa(from.sin_addr), sizeof sender);
        controller_.OnSyslogDatagram(sender, std::string(buffer, static_cast<size_t>(n)));
        if (syslogSocket_ == INVALID_SOCKET) return;  // closed while the handler waited
    }
}

int HiddenForm::Run() {
    // Showing the main window starts the one-time start-up, once the loop runs.
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    PostMessageW(window_, kFirstShowMessage, 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchOne(msg);
    return 0;
}

void HiddenForm::DispatchOne(const MSG& msg) {
    HookQueuedMessage(msg);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void HiddenForm::HookQueuedMessage(const MSG& msg) {
    if (msg.message == WM_DLLNOTIFY) lastDllNotify_ = msg;
}

bool HiddenForm::PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) {
    const uint32_t start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (quitting_ || controller_.closing()) return false;
        DWORD wait = INFINITE;
        if (timeoutMs) {
            uint32_t elapsed = ElapsedMs(GetTickCount(), start);
            if (elapsed >= *timeoutMs) return false;
            wait = *timeoutMs - elapsed;
        }
        // Sleeps until a message arrives or the time is up: no spinning.
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitting_ = true;
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
                return false;
            }
            DispatchOne(msg);
            if (done()) return true;
        }
    }
}

LRESULT CALLBACK HiddenForm::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<HiddenForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    auto* self = reinterpret_cast<HiddenForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT HiddenForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case kFirstShowMessage:
            FirstShow();
            return 0;
        case kTrayCallback:
            OnTrayNotify(lParam);
            return 0;
        case kSyslogReady:
            if (WSAGETSELECTERROR(lParam) == WSAEADDRINUSE && syslogSocket_ == INVALID_SOCKET)
                ShowBox(BoxKind::Error, text::kSyslogPortBusy);
            else if (syslogSocket_ != INVALID_SOCKET)
                ReceiveSyslog();
            return 0;
        case WM_TIMER:
            // A router datagram shows the Data picture until the next tick.
            if (controller_.state().SyslogHeard) {
                controller_.state().SyslogHeard = false;
                controller_.UpdateTrayIcon();
            }
            return 0;
        case WM_STATUSREPLY: {
            MessageRecord& r = controller_.state().LastStatusReply;
            r = {msg, static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), 0};
            break;
        }
        case WM_INSTANCECOMMAND:
            controller_.OnInstanceCommand(static_cast<uint32_t>(wParam));
            return 0;
        case kExitRequest:
            if (!controller_.closing()) TrayExitClick();
            return 0;
        case WM_DLLNOTIFY:
            lastDllNotify_ = MSG{window_, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMESUSPEND) ResumedFromSuspend();
            return TRUE;
        case WM_CLOSE:
            if (CloseQuery()) DestroyWindow(window_);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The system is shutting down: the settings are written as at any exit.
            if (wParam) CloseQuery();
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kTimerId);
            SetTrayIconVisible(false);
            PostQuitMessage(0);
            return 0;
        default:
            if (msg == taskbarCreatedMessage_ && trayAdded_) {
                trayAdded_ = false;  // the notification area was restarted: add the icon anew
                AddTrayIcon();
                return 0;
            }
            break;
    }
    return DefWindowProcW(window_, msg, wParam, lParam);
}

void HiddenForm::FirstShow() {
    if (!controller_.state().FirstShowPending) return;
    controller_.ResetDestinationMenus();
    controller_.state().FirstShowPending = false;
    LoadSettings();
    if (!FileExists(settings_.SetupUtility) && !settings_.UseMRLDll) {
        ShowBox(BoxKind::Information, text::kFirstShowInfo);
        ShowSettingsWindow();
    }
    controller_.menus().Item(kTrayAILog).enabled = !settings_.AIExeFile.empty() && FileExists(settings_.AIExeFile);
}

void HiddenForm::LoadSettings() {
    SettingsStore store(iniFile_, Environment());
    settings_ = store.Defaults();
    store.Load(settings_);
    // An access log of the viewer's older name takes the new one; a failed rename is ignored.
    const std::string oldLog = settings_.LogFolder + "\\AI98RR.log";
    if (FileExists(oldLog)) MoveFileA(oldLog.c_str(), (settings_.LogFolder + "\\AI2000RR.log").c_str());
}

void HiddenForm::SaveSettings() {
    auto failedKey = SettingsStore(iniFile_, Environment()).Save(settings_);
    if (failedKey && !saveErrorShown_) {
        // Shown once: the exit goes on, so the user can always quit.
        saveErrorShown_ = true;
        std::u16string message = text::kCannotWriteFmt;
        message.replace(message.find(u"%s"), 2, FromAnsi(iniFile_.path()));
        ShowBox(BoxKind::Error, message);
    }
}

bool HiddenForm::CloseQuery() {
    controller_.MarkClosing();
    SaveSettings();
    if (syslogSocket_ != INVALID_SOCKET) {
        closesocket(syslogSocket_);
        syslogSocket_ = INVALID_SOCKET;
    }
    return true;
}

void HiddenForm::ResumedFromSuspend() {
    // The status request after a resume comes with the line commands.
}

void HiddenForm::TrayExitClick() {
    SaveSettings();
    CloseControllerWindow();
}

void HiddenForm::CloseControllerWindow() { SendMessageW(window_, WM_CLOSE, 0, 0); }

void HiddenForm::PostExitRequest() { PostMessageW(window_, kExitRequest, 0, 0); }

void HiddenForm::OnTrayNotify(LPARAM event) {
    if (event == WM_LBUTTONDOWN) PopupMenu(controller_.menus().left);
    else if (event == WM_RBUTTONDOWN) PopupMenu(controller_.menus().right);
}

void HiddenForm::PopupMenu(const std::vector<TrayMenuItem>& items) {
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
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window_);
    int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (id != 0) OnCommand(id);
}

void HiddenForm::OnCommand(int id) {
    switch (id) {
        case kTrayConnect:
        case kTrayConnect2:
        case kTrayConnect3:
        case kTrayConnect4:
            TrayConnectClick(id - kTrayConnect + 1);
            break;
        case kTrayDisconnect:
            controller_.TrayDisconnectClick();
            break;
        case kTraySetting:
        case kTraySettingL:
            ShowSettingsWindow();
            break;
        case kTrayExit:
            TrayExitClick();
            break;
        case kTrayIP:
            controller_.TrayIPClick();
            break;
        case kTraySyslog:
            controller_.TraySyslogClick();
            break;
        case kTrayEasyLog:
            controller_.TrayEasylogClick();
            break;
        case kTrayAILog:
            controller_.TrayAILogClick();
            break;
        default:  // the about box comes with its window
            break;
    }
}

void HiddenForm::TrayConnectClick(int tag) {
    // While the router's destination list is unknown every item connects with the current default.
    (void)tag;
    controller_.ConnectAction();
}

uint32_t HiddenForm::TickCount() { return GetTickCount(); }

LocalDateTime HiddenForm::LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void HiddenForm::AddTrayIcon() {
    if (trayAdded_) return;
    tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray_.hIcon = currentIcon_;
    trayAdded_ = Shell_NotifyIconW(NIM_ADD, &tray_) != FALSE;
}

void HiddenForm::SetTrayPicture(TrayPicture picture) {
    currentIcon_ = icons_[PictureIndex(picture)];
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(currentIcon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(currentIcon_));
    tray_.hIcon = currentIcon_;
    if (trayAdded_) {
        tray_.uFlags = NIF_ICON;
        Shell_NotifyIconW(NIM_MODIFY, &tray_);
    }
}

bool HiddenForm::SetTrayTip(const std::u16string& tip) {
    std::wstring cut = Wide(CutTrayTip(tip));
    lstrcpynW(tray_.szTip, cut.c_str(), ARRAYSIZE(tray_.szTip));
    if (!trayAdded_) return true;  // taken when the icon is added
    tray_.uFlags = NIF_TIP;
    return Shell_NotifyIconW(NIM_MODIFY, &tray_) != FALSE;
}

void HiddenForm::SetTrayIconVisible(bool visible) {
    if (visible) {
        AddTrayIcon();
    } else if (trayAdded_) {
        Shell_NotifyIconW(NIM_DELETE, &tray_);
        trayAdded_ = false;
    }
}

// The connection-time panel and the settings window are windows of their own; until they exist
// these calls have nothing to show.
void HiddenForm::ShowTimePanel(bool) {}
void HiddenForm::CloseTimePanel() {}
void HiddenForm::SetTimePanelCopyEnabled(bool) {}
void HiddenForm::ShowSettingsWindow() {}

void HiddenForm::PlaySoundFile(const std::string& file) {
    sndPlaySoundA(file.c_str(), SND_ASYNC | SND_NODEFAULT);
}

void HiddenForm::CopyToClipboard(const std::string& text) {
    if (!OpenClipboard(window_)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        char* bytes = static_cast<char*>(GlobalLock(memory));
        memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
    char buffer[80];
    int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 1 ? std::string(buffer, n - 1) : fallback;
}

std::u16string SystemErrorText(DWORD code) {
    wchar_t* message = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr);
    std::wstring text = message ? message : L"";
    LocalFree(message);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    if (text.empty()) text = L"error " + std::to_wstring(code);
    return U16(text);
}

}  // namespace

LocaleFormats HiddenForm::Locale() {
    LocaleFormats f;
    f.shortDate = LocaleText(LOCALE_SSHORTDATE, "yyyy/MM/dd");
    f.longTime = LocaleText(LOCALE_STIMEFORMAT, "H:mm:ss");
    f.dateSeparator = LocaleText(LOCALE_SDATE, "/");
    f.timeSeparator = LocaleText(LOCALE_STIME, ":");
    f.amDesignator = LocaleText(LOCALE_S1159, "AM");
    f.pmDesignator = LocaleText(LOCALE_S2359, "PM");
    return f;
}

std::string HiddenForm::ShortWeekdayName(int dayOfWeek) {
    // The system counts from Monday (LOCALE_SABBREVDAYNAME1) to Sunday (7).
    return LocaleText(LOCALE_SABBREVDAYNAME1 + (dayOfWeek + 6) % 7, "");
}

std::optional<std::u16string> HiddenForm::AppendLine(const std::string& path, const std::string& line) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SystemErrorText(GetLastError());
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size()) return SystemErrorText(error);
    return std::nullopt;
}

std::optional<std::string> HiddenForm::ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) bytes.append(chunk, n);
    CloseHandle(file);
    return bytes;
}

std::optional<std::u16string> HiddenForm::WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SystemErrorText(GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size()) return SystemErrorText(error);
    return std::nullopt;
}

void HiddenForm::SaveBeforeConTime(const LocalDateTime& t) {
    SettingsStore(iniFile_, Environment()).SaveBeforeConTime(t, Locale());
}

void HiddenForm::ShowBox(BoxKind kind, const std::u16string& message) {
    const bool error = kind == BoxKind::Error;
    MessageBoxW(window_, Wide(message).c_str(), Wide(error ? text::kCaptionError : text::kCaptionInfo).c_str(),
                MB_OK | (error ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
}

std::u16string HiddenForm::FromAnsi(const std::string& text) { return U16(WideFromAnsi(text)); }

void HiddenForm::OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
    ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(), folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOW);
}

bool HiddenForm::FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

static BOOL CALLBACK CollectTopWindow(HWND hwnd, LPARAM param) {
    wchar_t title[255];  // titles are read with up to 254 characters
    int n = GetWindowTextW(hwnd, title, 255);
    reinterpret_cast<std::vector<Shell::TopWindow>*>(param)->push_back(
        {reinterpret_cast<uintptr_t>(hwnd), U16(std::wstring(title, n))});
    return TRUE;
}

std::vector<Shell::TopWindow> HiddenForm::TopLevelWindows() {
    std::vector<TopWindow> windows;
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void HiddenForm::PostClose(uintptr_t handle) {
    PostMessageW(reinterpret_cast<HWND>(handle), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void HiddenForm::LibraryConnect() {
    if (library_.bound()) library_.Connect(&notifyTarget_, dllBuffer_.data(), 0);
}

void HiddenForm::LibraryDisconnect() {
    if (library_.bound()) library_.Disconnect(&notifyTarget_, dllBuffer_.data(), 0);
}

}  // namespace zep
