#include "hidden.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>

#include "countdown.h"
#include "form_util.h"
#include "ftp_transport.h"
#include "instance.h"
#include "peer_query.h"
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
constexpr UINT kPeerReady = WM_APP + 5;
constexpr UINT kTimeReady = WM_APP + 6;
constexpr UINT kFtpSocketEvent = WM_APP + 7;  // only wakes the FTP client's waits
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kPeerPauseTimerId = 2;
constexpr u_short kSyslogPort = 514;
// A burst of a few thousand router lines waits in the socket while they are handled (systems
// that count each datagram's overhead as well need this much for it).
constexpr int kSyslogReceiveBuffer = 4 << 20;
// Datagrams handled before the window's other messages come first again.
constexpr size_t kDatagramBatch = 32;
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

    // The port is bound before the window can be found, so nothing the router sends after a
    // second program has seen the window is lost.
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) == 0 && syslogSocket_.Bind(kSyslogPort))
        syslogSocket_.SetReceiveBuffer(kSyslogReceiveBuffer);

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
    timePanel_ = std::make_unique<TimePanel>(
        instance_, TimePanelActions{[this] { controller_.TrayDisconnectClick(); },
                                    [this] { controller_.TrayEasylogClick(); },
                                    [this] { controller_.TraySyslogClick(); }, [this] { controller_.TrayIPClick(); },
                                    [this] {
                                        settings_.ShowTimePanel = false;
                                        if (form_) form_->TimeShowUnticked();
                                    }});
    timePanel_->Create(window_);
    form_ = std::make_unique<SettingsForm>(
        FormHost{instance_, settings_, controller_, *this, library_, notifyTarget_, dllBuffer_, lastDllNotify_});
    if (!form_->Create()) form_.reset();
    SetTimer(window_, kTimerId, 1000, nullptr);
    ListenSyslogPort();
    ListenOtherPorts();
    return true;
}

void HiddenForm::ListenSyslogPort() {
    // Told once, after the start-up; everything else keeps working.
    if (!syslogSocket_.Listen(window_, kSyslogReady))
        PostMessageW(window_, kSyslogReady, 0, WSAMAKESELECTREPLY(0, WSAEADDRINUSE));
}

void HiddenForm::ListenOtherPorts() {
    // Without them the program works alone: no peers, no clock adjustment.
    if (peerSocket_.Bind(kPeerPort)) peerSocket_.Listen(window_, kPeerReady);
    if (timeSocket_.Bind(0)) timeSocket_.Listen(window_, kTimeReady);
}

void HiddenForm::SendPeerDatagram(const std::string& address, const std::string& payload) {
    SendDatagram(address, kPeerPort, payload);
}

void HiddenForm::StartPeerPause(uint32_t ms) { SetTimer(window_, kPeerPauseTimerId, ms, nullptr); }

void HiddenForm::SendTimeRequest(const std::string& address, const std::string& request) {
    timeSocket_.SendTo(address, kSntpPort, request);
}

std::unique_ptr<FtpTransport> HiddenForm::OpenFtpTransport() {
    return std::make_unique<WinFtpTransport>(
        window_, kFtpSocketEvent,
        [this](const std::function<bool()>& done, uint32_t timeoutMs) { return PumpMessages(done, timeoutMs); },
        [this] { return controller_.state().FtpAbortRequested; });
}

void HiddenForm::SetSystemClock(const UtcTime& utc) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(utc.year);
    t.wMonth = static_cast<WORD>(utc.month);
    t.wDayOfWeek = static_cast<WORD>(utc.dayOfWeek);
    t.wDay = static_cast<WORD>(utc.day);
    t.wHour = static_cast<WORD>(utc.hour);
    t.wMinute = static_cast<WORD>(utc.minute);
    t.wSecond = static_cast<WORD>(utc.second);
    t.wMilliseconds = static_cast<WORD>(utc.millisecond);
    SetSystemTime(&t);
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
    MSG copy = msg;
    if (form_ && form_->PreTranslate(copy)) return;  // the settings window's keyboard
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void HiddenForm::HookQueuedMessage(const MSG& msg) {
    if (msg.message == WM_DLLNOTIFY) lastDllNotify_ = msg;
}

bool HiddenForm::PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) {
    const uint32_t start = GetTickCount();
    for (;;) {
        // Asked after every message: a stream of them (a flood of datagrams) does not hold the
        // wait beyond its time.
        if (done()) return true;
        if (quitting_ || controller_.closing()) return false;
        DWORD wait = INFINITE;
        if (timeoutMs) {
            uint32_t elapsed = ElapsedMs(GetTickCount(), start);
            if (elapsed >= *timeoutMs) return false;
            wait = *timeoutMs - elapsed;
        }
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Sleeps until a message arrives or the time is up: no spinning.
            MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            quitting_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            return false;
        }
        DispatchOne(msg);
    }
}

void HiddenForm::ReadDatagrams(UdpSocket& socket, UINT message,
                               const std::function<void(const std::string& sender, std::string bytes)>& handle) {
    if (socket.ReadWaiting(handle, kDatagramBatch)) PostMessageW(window_, message, 0, 0);
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
            if (WSAGETSELECTERROR(lParam) == WSAEADDRINUSE && !syslogSocket_.open())
                ShowBox(BoxKind::Error, text::kSyslogPortBusy);
            else
                ReadDatagrams(syslogSocket_, kSyslogReady, [this](const std::string& sender, std::string bytes) {
                    controller_.OnSyslogDatagram(sender, std::move(bytes));
                });
            return 0;
        case kPeerReady:
            ReadDatagrams(peerSocket_, kPeerReady, [this](const std::string& sender, std::string bytes) {
                controller_.OnPeerDatagram(sender, bytes);
            });
            return 0;
        case kTimeReady:
            ReadDatagrams(timeSocket_, kTimeReady, [this](const std::string& sender, std::string bytes) {
                controller_.OnTimeDatagram(sender, bytes);
            });
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId) controller_.TimerTimer();
            if (wParam == kPeerPauseTimerId) {
                KillTimer(window_, kPeerPauseTimerId);
                controller_.PeerPauseOver();
            }
            return 0;
        case WM_ACTIVATEAPP:
            if (!wParam && timePanel_) timePanel_->KeepOnTop();
            break;
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
            if (msg == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
                // The notification area was started anew (Explorer restarted): it has lost the
                // icon, which comes back with the current picture and tip. Also when a change in
                // between found no notification area and left the icon out.
                trayAdded_ = false;
                if (trayShown_) AddTrayIcon();
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
    controller_.FirstShowStatus();
}

void HiddenForm::LoadSettings() {
    SettingsStore store(iniFile_, Environment());
    settings_ = store.Defaults();
    store.Load(settings_);
    if (timePanel_) timePanel_->ApplySettings(settings_);
    if (form_) form_->LoadFromModel();
    // An access log of the viewer's older name takes the new one; a failed rename is ignored.
    const std::string oldLog = settings_.LogFolder + "\\AI98RR.log";
    if (FileExists(oldLog)) MoveFileA(oldLog.c_str(), (settings_.LogFolder + "\\AI2000RR.log").c_str());
}

void HiddenForm::SaveSettings() {
    if (timePanel_) timePanel_->StoreSettings(settings_);
    if (form_) form_->StorePosition();
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
    // A running upload ends: its waits see the abort and the closing.
    controller_.AbortUpload();
    syslogSocket_.Close();
    peerSocket_.Close();
    timeSocket_.Close();
    return true;
}

void HiddenForm::ResumedFromSuspend() { controller_.ResumedFromSuspend(); }

void HiddenForm::TrayExitClick() {
    SaveSettings();
    CloseControllerWindow();
}

void HiddenForm::CloseControllerWindow() { SendMessageW(window_, WM_CLOSE, 0, 0); }

void HiddenForm::PostExitRequest() { PostMessageW(window_, kExitRequest, 0, 0); }

void HiddenForm::OnTrayNotify(LPARAM event) {
    if (event != WM_LBUTTONDOWN && event != WM_RBUTTONDOWN) return;
    if (countdownShown_) {
        // The countdown is modal: the tray opens nothing that could hold up its answer.
        if (HWND countdown = FindWindowW(kCountdownClassName, nullptr)) SetForegroundWindow(countdown);
        return;
    }
    if (event == WM_LBUTTONDOWN) PopupMenu(controller_.menus().left);
    else if (event == WM_RBUTTONDOWN) PopupMenu(controller_.menus().right);
}

void HiddenForm::PopupMenu(const std::vector<TrayMenuItem>& items) {
    HMENU menu = BuildPopupMenu(items);
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
        case kTrayAbout:
            if (form_) form_->AboutButtonClick();
            break;
        default:
            break;
    }
}

void HiddenForm::TrayConnectClick(int tag) { controller_.TrayConnectClick(tag); }

uint32_t HiddenForm::TickCount() { return GetTickCount(); }

LocalDateTime HiddenForm::LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void HiddenForm::AddTrayIcon() {
    trayShown_ = true;
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
        return;
    }
    trayShown_ = false;
    if (trayAdded_) Shell_NotifyIconW(NIM_DELETE, &tray_);
    trayAdded_ = false;
}

void HiddenForm::ShowTimePanel(bool stayOnTop) {
    if (timePanel_) timePanel_->Show(stayOnTop);
}
void HiddenForm::CloseTimePanel() {
    if (timePanel_) timePanel_->Close();
}
void HiddenForm::SetTimePanelCopyEnabled(bool enabled) {
    if (timePanel_) timePanel_->SetCopyEnabled(enabled);
}
bool HiddenForm::TimePanelStaysOnTop() { return timePanel_ && timePanel_->stayOnTop(); }
void HiddenForm::SetTimePanelText(const std::string& text) {
    if (timePanel_) timePanel_->SetText(WideFromAnsi(text));
}
void HiddenForm::ShowSettingsWindow() {
    if (form_) form_->Show();
}

void HiddenForm::PlaySoundFile(const std::string& file) {
    // SND_ASYNC alone: the call returns at once, and a missing file gives the system's default sound.
    sndPlaySoundA(file.c_str(), SND_ASYNC);
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

namespace {
// Writes all bytes to an opened file and closes it; the system's error text when that failed.
std::optional<std::u16string> WriteAndClose(HANDLE file, const std::string& bytes) {
    if (file == INVALID_HANDLE_VALUE) return SystemErrorText(GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size()) return SystemErrorText(error);
    return std::nullopt;
}
}  // namespace

std::optional<std::u16string> HiddenForm::AppendLine(const std::string& path, const std::string& line) {
    return WriteAndClose(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
                         line + "\r\n");
}

FileRead HiddenForm::ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {std::nullopt, SystemErrorText(GetLastError())};
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    BOOL ok;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &n, nullptr)) && n > 0) bytes.append(chunk, n);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) return {std::nullopt, SystemErrorText(error)};  // a file read in part is not passed on as whole
    return {std::move(bytes), {}};
}

std::optional<std::u16string> HiddenForm::WriteWholeFile(const std::string& path, const std::string& bytes) {
    return WriteAndClose(
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
        bytes);
}

void HiddenForm::SaveBeforeConTime(const LocalDateTime& t) {
    SettingsStore(iniFile_, Environment()).SaveBeforeConTime(t, Locale());
}

void HiddenForm::ShowBox(BoxKind kind, const std::u16string& message) {
    // A box is a wait too: what it handles meanwhile may ask for the same box again, which is
    // then already on the screen.
    if (std::find(boxesShown_.begin(), boxesShown_.end(), message) != boxesShown_.end()) return;
    boxesShown_.push_back(message);
    struct Shown {  // boxes close in the reverse order of their opening
        std::vector<std::u16string>& boxes;
        ~Shown() { boxes.pop_back(); }
    } shown{boxesShown_};
    const bool error = kind == BoxKind::Error;
    MessageBoxW(window_, Wide(message).c_str(), Wide(error ? text::kCaptionError : text::kCaptionInfo).c_str(),
                MB_OK | (error ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
}

std::u16string HiddenForm::FromAnsi(const std::string& text) { return U16(WideFromAnsi(text)); }

void HiddenForm::OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
    ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(), folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOW);
}

void HiddenForm::PostWindowCommand(const std::string& className, uint32_t command) {
    if (HWND target = FindWindowA(className.c_str(), nullptr)) PostMessageA(target, WM_COMMAND, command, 0);
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

std::optional<std::string> HiddenForm::VersionInternalName(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;
    // The string table of the first listed translation.
    struct Translation {
        WORD language, codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation))
        return std::nullopt;
    char key[64];
    snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\InternalName", translations[0].language,
             translations[0].codePage);
    char* value = nullptr;
    if (!VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &length) || !value) return std::string();
    return std::string(value, strnlen(value, length));
}

bool HiddenForm::TopWindowOfClassExists(const std::u16string& className) {
    return FindWindowW(Wide(className).c_str(), nullptr) != nullptr;
}

LocalDateTime HiddenForm::ReadBeforeConTime(const LocalDateTime& now) {
    return SettingsStore(iniFile_, Environment()).ReadBeforeConTime(now, Locale());
}

int32_t HiddenForm::LibraryGetCondition() {
    return library_.bound() ? library_.GetCondition(dllBuffer_.data(), 0) : 0;
}

std::string HiddenForm::LibraryBuffer() {
    return std::string(reinterpret_cast<const char*>(dllBuffer_.data()), dllBuffer_.size());
}

void HiddenForm::LibraryChangeSite(int destinationFromZero) {
    if (library_.bound()) library_.ChangeSite(dllBuffer_.data(), 0, destinationFromZero);
}

bool HiddenForm::AskYesNo(const std::u16string& caption, const std::u16string& message) {
    return MessageBoxW(window_, Wide(message).c_str(), Wide(caption).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void HiddenForm::ShowTaskbarButton(bool shown) {
    // The controller window stands for the application: as a tool window it has no button.
    ShowWindow(window_, SW_HIDE);
    LONG_PTR ex = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    ex = shown ? (ex & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW : (ex & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(window_, GWL_EXSTYLE, ex);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
}

bool HiddenForm::ShowCountdown(const std::u16string& caption, const std::u16string& message,
                               const std::u16string& acceptCaption) {
    CountdownApplication app;
    app.showTaskbarButton = [this](bool shown) { ShowTaskbarButton(shown); };
    app.title = [this] {
        wchar_t title[256];
        const int n = GetWindowTextW(window_, title, 256);
        return std::wstring(title, n);
    };
    app.setTitle = [this](const std::wstring& title) { SetWindowTextW(window_, title.c_str()); };
    app.flash = [this](bool on) {
        FLASHWINFO flash{sizeof flash, window_, static_cast<DWORD>(on ? FLASHW_TRAY | FLASHW_TIMERNOFG : FLASHW_STOP), 0, 0};
        FlashWindowEx(&flash);
    };
    app.dispatch = [this](const MSG& msg) { DispatchOne(msg); };
    CountdownForm form(instance_, std::move(app));
    countdownShown_ = true;
    const int tag = form.ShowModal(Wide(caption), Wide(message), Wide(acceptCaption));
    countdownShown_ = false;
    return tag == 1;
}

}  // namespace zep
