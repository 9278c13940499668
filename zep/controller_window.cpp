#include "controller_window.h"

#include <mmsystem.h>

#include <algorithm>

#include "countdown_dialog.h"
#include "controls.h"
#include "ftp_transport.h"
#include "library_record.h"
#include "peer_datagrams.h"
#include "resource.h"
#include "texts_ja.h"
#include "tick_count.h"
#include "window_messages.h"

namespace zep {
namespace {

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

}  // namespace

HiddenForm::HiddenForm(HINSTANCE instance)
    : Window(instance),
      programFolder_(zep::ProgramFolder()),
      ownFolder_(OwnFilesFolder()),
      iniFile_(ownFolder_ + "\\" + FileNameOf(WithExtension(ProgramPath(), ".ini"))) {}

HiddenForm::~HiddenForm() {
    if (trayAdded_) Shell_NotifyIconW(NIM_DELETE, &tray_);
    for (HICON icon : largeIcons_) DestroyIcon(icon);
    for (HICON icon : smallIcons_) DestroyIcon(icon);
}

SettingsEnvironment HiddenForm::Environment() const {
    SettingsEnvironment env;
    env.desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    env.desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    char windows[MAX_PATH];
    UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    env.windowsFolder.assign(windows, n);
    env.programFolder = programFolder_;
    env.dataFolder = ownFolder_;
    env.mrlLibraryBound = library_.bound();
    env.folderExists = FolderExists;
    return env;
}

bool HiddenForm::Create() {
    static const std::wstring className = WideFromAnsi(kControllerClassName);
    // The port is bound before the window can be found, so nothing the router sends after a
    // second program has seen the window is lost: it waits in the socket until the settings say
    // which host the router is (SettingsLoaded).
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) == 0 && syslogSocket_.Bind(kSyslogPort))
        syslogSocket_.SetReceiveBuffer(kSyslogReceiveBuffer);

    // No border, no task-bar button: the tray icon is the program's presence.
    if (!CreateOfClass({className.c_str(), nullptr, false, kIconResourceNames[0]}, WS_EX_TOOLWINDOW,
                       Wide(text::kAppTitle), WS_POPUP, -1, 0, 1, 1, nullptr))
        return false;

    library_.Bind();
    libraryRecord_.assign(kLibraryRecordSize, 0);
    notifyTarget_ = {window_, WM_DLLNOTIFY};
    LoadPictures();
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");

    tray_.cbSize = sizeof tray_;
    tray_.hWnd = window_;
    tray_.uID = kTrayIconId;
    tray_.uCallbackMessage = kTrayCallback;
    controller_.Create();
    timePanel_ = std::make_unique<TimePanel>(
        instance_, TimePanelActions{[this] { controller_.lineCommands().TrayDisconnectClick(); },
                                    [this] { controller_.logs().TrayEasylogClick(); },
                                    [this] { controller_.logs().TraySyslogClick(); },
                                    [this] { controller_.tray().TrayIPClick(); },
                                    [this] {
                                        settings_.ShowTimePanel = false;
                                        if (form_) form_->TimeShowUnticked();
                                    }});
    timePanel_->Create(window_);
    form_ = std::make_unique<SettingsForm>(FormHost{instance_, settings_, controller_, *this});
    if (!form_->Create()) form_.reset();
    SetTimer(window_, kTimerId, 1000, nullptr);
    ListenOtherPorts();
    return true;
}

void HiddenForm::ListenSyslogPort() {
    // A busy port is told once; everything else keeps working.
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

bool HiddenForm::SetSystemClock(const UtcTime& utc) { return SetSystemClockUtc(utc); }

uint64_t HiddenForm::RandomNumber() { return SystemRandomNumber(); }

void HiddenForm::Run() {
    // Showing the main window starts the one-time start-up, once the loop runs.
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    PostMessageW(window_, kFirstShowMessage, 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchOne(msg);
}

void HiddenForm::DispatchOne(const MSG& msg) {
    // The library's notice is noted whichever window it was posted to.
    if (msg.message == WM_DLLNOTIFY)
        controller_.OnLibraryNotify(static_cast<uint32_t>(msg.wParam), static_cast<uint32_t>(msg.lParam));
    MSG copy = msg;
    if (form_ && form_->PreTranslate(copy)) return;  // the settings window's keyboard
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
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

void HiddenForm::ReadDatagrams(UdpSocket& socket, UINT message, const UdpSocket::Handler& handle) {
    if (socket.ReadWaiting(handle, kDatagramBatch)) PostMessageW(window_, message, 0, 0);
}

LRESULT HiddenForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case kFirstShowMessage:
            controller_.FirstShow();
            return 0;
        case kTrayCallback:
            OnTrayNotify(lParam);
            return 0;
        case kSyslogReady:
            if (WSAGETSELECTERROR(lParam) == WSAEADDRINUSE && !syslogSocket_.open())
                ShowBox(BoxKind::Error, text::kSyslogPortBusy);
            else
                ReadDatagrams(syslogSocket_, kSyslogReady, [this](const std::string& sender, u_short, std::string bytes) {
                    controller_.routerEvents().OnSyslogDatagram(sender, std::move(bytes));
                });
            return 0;
        case kPeerReady:
            ReadDatagrams(peerSocket_, kPeerReady, [this](const std::string& sender, u_short, std::string bytes) {
                controller_.peers().OnPeerDatagram(sender, bytes);
            });
            return 0;
        case kTimeReady:
            ReadDatagrams(timeSocket_, kTimeReady, [this](const std::string& sender, u_short port, std::string bytes) {
                controller_.routerEvents().OnTimeDatagram(sender, port, bytes);
            });
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId) controller_.schedule().TimerTimer();
            if (wParam == kPeerPauseTimerId) {
                KillTimer(window_, kPeerPauseTimerId);
                controller_.peers().PeerPauseOver();
            }
            return 0;
        case WM_ACTIVATEAPP:
            if (!wParam && timePanel_) timePanel_->KeepOnTop();
            break;
        case WM_STATUSREPLY:
            controller_.OnStatusReply(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            break;
        case WM_INSTANCECOMMAND:
            controller_.OnInstanceCommand(static_cast<uint32_t>(wParam));
            return 0;
        case kExitRequest:
            if (!controller_.closing()) TrayExitClick();
            return 0;
        case WM_DLLNOTIFY:
            controller_.OnLibraryNotify(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMESUSPEND) controller_.lineCommands().ResumedFromSuspend();
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
    return Window::Handle(msg, wParam, lParam);
}

void HiddenForm::LoadSettings() {
    SettingsStore store(iniFile_, Environment());
    settings_ = store.Defaults();
    store.Load(settings_);
    if (timePanel_) timePanel_->ApplySettings(settings_);
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

void HiddenForm::SaveBeforeConTime(const LocalDateTime& t) {
    SettingsStore(iniFile_, Environment()).SaveBeforeConTime(t, Locale());
}

LocalDateTime HiddenForm::ReadBeforeConTime(const LocalDateTime& now) {
    return SettingsStore(iniFile_, Environment()).ReadBeforeConTime(now, Locale());
}

bool HiddenForm::CloseQuery() {
    controller_.MarkClosing();
    SaveSettings();
    // A running upload ends: its waits see the abort and the closing.
    controller_.pageUpload().AbortUpload();
    syslogSocket_.Close();
    peerSocket_.Close();
    timeSocket_.Close();
    return true;
}

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
            controller_.lineCommands().TrayConnectClick(id - kTrayConnect + 1);
            break;
        case kTrayDisconnect:
            controller_.lineCommands().TrayDisconnectClick();
            break;
        case kTraySetting:
        case kTraySettingL:
            ShowSettingsWindow();
            break;
        case kTrayExit:
            TrayExitClick();
            break;
        case kTrayIP:
            controller_.tray().TrayIPClick();
            break;
        case kTraySyslog:
            controller_.logs().TraySyslogClick();
            break;
        case kTrayEasyLog:
            controller_.logs().TrayEasylogClick();
            break;
        case kTrayAILog:
            controller_.logs().TrayAILogClick();
            break;
        case kTrayAbout:
            if (form_) form_->AboutButtonClick();
            break;
        default:
            break;
    }
}

LocalDateTime HiddenForm::LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void HiddenForm::AddTrayIcon() {
    trayShown_ = true;
    if (trayAdded_) return;
    tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray_.hIcon = currentIcon_;
    trayAdded_ = Shell_NotifyIconW(NIM_ADD, &tray_) != FALSE;
}

void HiddenForm::LoadPictures() {
    const int large = SystemMetricForDpi(SM_CXICON, Dpi());
    const int small = TrayIconSize(SystemMetricForDpi(SM_CXSMICON, Dpi()));
    for (size_t i = 0; i < smallIcons_.size(); ++i) {
        if (largeIcons_[i]) DestroyIcon(largeIcons_[i]);
        if (smallIcons_[i]) DestroyIcon(smallIcons_[i]);
        largeIcons_[i] = static_cast<HICON>(LoadImageW(instance_, kIconResourceNames[i], IMAGE_ICON, large, large, 0));
        smallIcons_[i] = static_cast<HICON>(LoadImageW(instance_, kIconResourceNames[i], IMAGE_ICON, small, small, 0));
    }
}

void HiddenForm::DpiChanged() {
    LoadPictures();
    if (currentIcon_) SetTrayPicture(picture_);
}

void HiddenForm::SetTrayPicture(TrayPicture picture) {
    picture_ = picture;
    const size_t i = static_cast<size_t>(picture);
    currentIcon_ = smallIcons_[i];
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcons_[i]));
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

void HiddenForm::PlaySoundFile(const std::string& file) {
    // SND_ASYNC alone: the call returns at once, and a missing file gives the system's default sound.
    sndPlaySoundA(file.c_str(), SND_ASYNC);
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

void HiddenForm::ShowTrayNotice(const std::u16string& title, const std::u16string& text) {
    if (!trayAdded_) return;
    tray_.uFlags = NIF_INFO;
    lstrcpynW(tray_.szInfoTitle, Wide(title).c_str(), ARRAYSIZE(tray_.szInfoTitle));
    lstrcpynW(tray_.szInfo, Wide(text).c_str(), ARRAYSIZE(tray_.szInfo));
    tray_.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconW(NIM_MODIFY, &tray_);
}

bool HiddenForm::AskYesNo(const std::u16string& caption, const std::u16string& message) {
    return MessageBoxW(window_, Wide(message).c_str(), Wide(caption).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void HiddenForm::OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
    ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(), folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOW);
}

void HiddenForm::PostWindowCommand(const std::string& className, uint32_t command) {
    if (HWND target = FindWindowA(className.c_str(), nullptr)) PostMessageA(target, WM_COMMAND, command, 0);
}

bool HiddenForm::TopWindowOfClassExists(const std::u16string& className) {
    return FindWindowW(Wide(className).c_str(), nullptr) != nullptr;
}

void HiddenForm::PostClose(uintptr_t handle) {
    PostMessageW(reinterpret_cast<HWND>(handle), WM_SYSCOMMAND, SC_CLOSE, 0);
}

int32_t HiddenForm::LibraryFind() { return library_.bound() ? library_.Find(&notifyTarget_, 1) : -1; }

int32_t HiddenForm::LibraryGetInformation() {
    uint32_t unused = 0;
    return library_.bound() ? library_.GetInformation(libraryRecord_.data(), &unused) : -1;
}

void HiddenForm::LibraryConnect() {
    if (library_.bound()) library_.Connect(&notifyTarget_, libraryRecord_.data(), 0);
}

void HiddenForm::LibraryDisconnect() {
    if (library_.bound()) library_.Disconnect(&notifyTarget_, libraryRecord_.data(), 0);
}

int32_t HiddenForm::LibraryGetCondition() {
    return library_.bound() ? library_.GetCondition(libraryRecord_.data(), 0) : 0;
}

void HiddenForm::LibraryChangeSite(int destinationFromZero) {
    if (library_.bound()) library_.ChangeSite(libraryRecord_.data(), 0, destinationFromZero);
}

std::string HiddenForm::LibraryBuffer() {
    return std::string(reinterpret_cast<const char*>(libraryRecord_.data()), libraryRecord_.size());
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
