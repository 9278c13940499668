#include "system_shell.h"

#include <mmsystem.h>

#include <algorithm>

#include "countdown_dialog.h"
#include "ftp_transport.h"
#include "library_record.h"
#include "peer_datagrams.h"
#include "resource.h"
#include "settings_window.h"
#include "texts_ja.h"
#include "tick_count.h"
#include "time_panel.h"
#include "window_messages.h"

namespace zep {
namespace {

constexpr u_short kSyslogPort = 514;
// A burst of a few thousand router lines waits in the socket while they are handled (systems
// that count each datagram's overhead as well need this much for it).
constexpr int kSyslogReceiveBuffer = 4 << 20;
constexpr UINT kTrayIconId = 1;

}  // namespace

SystemShell::SystemShell(HINSTANCE instance, Settings& settings, ShellHooks hooks)
    : instance_(instance),
      settings_(settings),
      hooks_(std::move(hooks)),
      programFolder_(zep::ProgramFolder()),
      ownFolder_(OwnFilesFolder()),
      iniFile_(ownFolder_ + "\\" + LeafName(WithExtension(ProgramPath(), ".ini"))) {}

SystemShell::~SystemShell() {
    if (trayAdded_) Shell_NotifyIconW(NIM_DELETE, &tray_);
    for (HICON icon : largeIcons_) DestroyIcon(icon);
    for (HICON icon : smallIcons_) DestroyIcon(icon);
}

void SystemShell::BindSyslogPort() {
    // The datagrams wait in the socket until the settings say which host the router is
    // (SettingsLoaded).
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) == 0 && syslogSocket_.Bind(kSyslogPort))
        syslogSocket_.SetReceiveBuffer(kSyslogReceiveBuffer);
}

void SystemShell::AttachWindow(HWND window, int dpi) {
    window_ = window;
    library_.Bind();
    libraryRecord_.assign(kLibraryRecordSize, 0);
    notifyTarget_ = {window_, WM_DLLNOTIFY};
    LoadPictures(dpi);
    tray_.cbSize = sizeof tray_;
    tray_.hWnd = window_;
    tray_.uID = kTrayIconId;
    tray_.uCallbackMessage = kTrayCallback;
}

SettingsEnvironment SystemShell::Environment() const {
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

void SystemShell::ListenSyslogPort() {
    // A busy port is told once; everything else keeps working.
    if (!syslogSocket_.Listen(window_, kSyslogReady))
        PostMessageW(window_, kSyslogReady, 0, WSAMAKESELECTREPLY(0, WSAEADDRINUSE));
}

void SystemShell::ListenOtherPorts() {
    if (peerSocket_.Bind(kPeerPort)) peerSocket_.Listen(window_, kPeerReady);
    if (timeSocket_.Bind(0)) timeSocket_.Listen(window_, kTimeReady);
}

void SystemShell::CloseSockets() {
    syslogSocket_.Close();
    peerSocket_.Close();
    timeSocket_.Close();
}

void SystemShell::SendPeerDatagram(const std::string& address, const std::string& payload) {
    SendDatagram(address, kPeerPort, payload);
}

void SystemShell::StartPeerPause(uint32_t ms) { SetTimer(window_, kPeerPauseTimerId, ms, nullptr); }

void SystemShell::SendTimeRequest(const std::string& address, const std::string& request) {
    timeSocket_.SendTo(address, kSntpPort, request);
}

std::unique_ptr<FtpTransport> SystemShell::OpenFtpTransport() {
    return std::make_unique<WinFtpTransport>(
        window_, kFtpSocketEvent,
        [this](const std::function<bool()>& done, uint32_t timeoutMs) { return PumpMessages(done, timeoutMs); },
        hooks_.ftpAbortRequested);
}

bool SystemShell::SetSystemClock(const UtcTime& utc) { return SetSystemClockUtc(utc); }

uint64_t SystemShell::RandomNumber() { return SystemRandomNumber(); }

bool SystemShell::PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) {
    const uint32_t start = GetTickCount();
    for (;;) {
        // Asked after every message: a stream of them (a flood of datagrams) does not hold the
        // wait beyond its time.
        if (done()) return true;
        if (quitting_ || hooks_.closing()) return false;
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
        hooks_.dispatch(msg);
    }
}

void SystemShell::ShowTimePanel(bool stayOnTop) {
    if (TimePanel* panel = hooks_.timePanel()) panel->Show(stayOnTop);
}

void SystemShell::CloseTimePanel() {
    if (TimePanel* panel = hooks_.timePanel()) panel->Close();
}

bool SystemShell::TimePanelStaysOnTop() {
    TimePanel* panel = hooks_.timePanel();
    return panel && panel->stayOnTop();
}

void SystemShell::SetTimePanelCopyEnabled(bool enabled) {
    if (TimePanel* panel = hooks_.timePanel()) panel->SetCopyEnabled(enabled);
}

void SystemShell::SetTimePanelText(const std::string& text) {
    if (TimePanel* panel = hooks_.timePanel()) panel->SetText(WideFromAnsi(text));
}

void SystemShell::ShowSettingsWindow() {
    if (SettingsForm* form = hooks_.form()) form->Show();
}

void SystemShell::SettingsLoaded() {
    if (SettingsForm* form = hooks_.form()) form->LoadFromModel();
    ListenSyslogPort();
}

void SystemShell::DestinationMenusChanged() {
    if (SettingsForm* form = hooks_.form()) form->DestinationsChanged();
}

void SystemShell::FtpUploadChanged() {
    if (SettingsForm* form = hooks_.form()) form->FtpUploadChanged();
}

void SystemShell::RouterAddressChanged() {
    if (SettingsForm* form = hooks_.form()) form->RouterAddressChanged();
}

void SystemShell::LoadSettings() {
    SettingsStore store(iniFile_, Environment());
    settings_ = store.Defaults();
    store.Load(settings_);
    if (TimePanel* panel = hooks_.timePanel()) panel->ApplySettings(settings_);
}

void SystemShell::SaveSettings() {
    if (TimePanel* panel = hooks_.timePanel()) panel->StoreSettings(settings_);
    if (SettingsForm* form = hooks_.form()) form->StorePosition();
    auto failedKey = SettingsStore(iniFile_, Environment()).Save(settings_);
    if (failedKey && !saveErrorShown_) {
        // Shown once: the exit goes on, so the user can always quit.
        saveErrorShown_ = true;
        std::u16string message = text::kCannotWriteFmt;
        message.replace(message.find(u"%s"), 2, FromAnsi(iniFile_.path()));
        ShowBox(BoxKind::Error, message);
    }
}

void SystemShell::SaveBeforeConTime(const LocalDateTime& t) {
    SettingsStore(iniFile_, Environment()).SaveBeforeConTime(t, Locale());
}

LocalDateTime SystemShell::ReadBeforeConTime(const LocalDateTime& now) {
    return SettingsStore(iniFile_, Environment()).ReadBeforeConTime(now, Locale());
}

void SystemShell::PostExitRequest() { PostMessageW(window_, kExitRequest, 0, 0); }

LocalDateTime SystemShell::LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void SystemShell::AddTrayIcon() {
    trayShown_ = true;
    if (trayAdded_) return;
    tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray_.hIcon = currentIcon_;
    trayAdded_ = Shell_NotifyIconW(NIM_ADD, &tray_) != FALSE;
}

void SystemShell::TrayAreaRestarted() {
    // The icon comes back with the current picture and tip. Also when a change in between found
    // no notification area and left the icon out.
    trayAdded_ = false;
    if (trayShown_) AddTrayIcon();
}

void SystemShell::LoadPictures(int dpi) {
    const int large = SystemMetricForDpi(SM_CXICON, dpi);
    const int small = TrayIconSize(SystemMetricForDpi(SM_CXSMICON, dpi));
    for (size_t i = 0; i < smallIcons_.size(); ++i) {
        if (largeIcons_[i]) DestroyIcon(largeIcons_[i]);
        if (smallIcons_[i]) DestroyIcon(smallIcons_[i]);
        largeIcons_[i] = static_cast<HICON>(LoadImageW(instance_, kIconResourceNames[i], IMAGE_ICON, large, large, 0));
        smallIcons_[i] = static_cast<HICON>(LoadImageW(instance_, kIconResourceNames[i], IMAGE_ICON, small, small, 0));
    }
}

void SystemShell::DpiChanged(int dpi) {
    LoadPictures(dpi);
    if (currentIcon_) SetTrayPicture(picture_);
}

void SystemShell::SetTrayPicture(TrayPicture picture) {
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

bool SystemShell::SetTrayTip(const std::u16string& tip) {
    std::wstring cut = Wide(CutTrayTip(tip));
    lstrcpynW(tray_.szTip, cut.c_str(), ARRAYSIZE(tray_.szTip));
    if (!trayAdded_) return true;  // taken when the icon is added
    tray_.uFlags = NIF_TIP;
    return Shell_NotifyIconW(NIM_MODIFY, &tray_) != FALSE;
}

void SystemShell::SetTrayIconVisible(bool visible) {
    if (visible) {
        AddTrayIcon();
        return;
    }
    trayShown_ = false;
    if (trayAdded_) Shell_NotifyIconW(NIM_DELETE, &tray_);
    trayAdded_ = false;
}

void SystemShell::PlaySoundFile(const std::string& file) {
    // SND_ASYNC alone: the call returns at once, and a missing file gives the system's default sound.
    sndPlaySoundA(file.c_str(), SND_ASYNC);
}

void SystemShell::ShowBox(BoxKind kind, const std::u16string& message) {
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

void SystemShell::ShowTrayNotice(const std::u16string& title, const std::u16string& text) {
    if (!trayAdded_) return;
    tray_.uFlags = NIF_INFO;
    lstrcpynW(tray_.szInfoTitle, Wide(title).c_str(), ARRAYSIZE(tray_.szInfoTitle));
    lstrcpynW(tray_.szInfo, Wide(text).c_str(), ARRAYSIZE(tray_.szInfo));
    tray_.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconW(NIM_MODIFY, &tray_);
}

bool SystemShell::AskYesNo(const std::u16string& caption, const std::u16string& message) {
    return MessageBoxW(window_, Wide(message).c_str(), Wide(caption).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void SystemShell::OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
    ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(), folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOW);
}

void SystemShell::PostWindowCommand(const std::string& className, uint32_t command) {
    if (HWND target = FindWindowA(className.c_str(), nullptr)) PostMessageA(target, WM_COMMAND, command, 0);
}

bool SystemShell::TopWindowOfClassExists(const std::u16string& className) {
    return FindWindowW(Wide(className).c_str(), nullptr) != nullptr;
}

void SystemShell::PostClose(uintptr_t handle) {
    PostMessageW(reinterpret_cast<HWND>(handle), WM_SYSCOMMAND, SC_CLOSE, 0);
}

int32_t SystemShell::LibraryFind() { return library_.bound() ? library_.Find(&notifyTarget_, 1) : -1; }

int32_t SystemShell::LibraryGetInformation() {
    uint32_t unused = 0;
    return library_.bound() ? library_.GetInformation(libraryRecord_.data(), &unused) : -1;
}

void SystemShell::LibraryConnect() {
    if (library_.bound()) library_.Connect(&notifyTarget_, libraryRecord_.data(), 0);
}

void SystemShell::LibraryDisconnect() {
    if (library_.bound()) library_.Disconnect(&notifyTarget_, libraryRecord_.data(), 0);
}

int32_t SystemShell::LibraryGetCondition() {
    return library_.bound() ? library_.GetCondition(libraryRecord_.data(), 0) : 0;
}

void SystemShell::LibraryChangeSite(int destinationFromZero) {
    if (library_.bound()) library_.ChangeSite(libraryRecord_.data(), 0, destinationFromZero);
}

std::string SystemShell::LibraryBuffer() {
    return std::string(reinterpret_cast<const char*>(libraryRecord_.data()), libraryRecord_.size());
}

void SystemShell::ShowTaskbarButton(bool shown) {
    // The controller window stands for the application: as a tool window it has no button.
    ShowWindow(window_, SW_HIDE);
    LONG_PTR ex = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    ex = shown ? (ex & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW : (ex & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(window_, GWL_EXSTYLE, ex);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
}

bool SystemShell::ShowCountdown(const std::u16string& caption, const std::u16string& message,
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
    app.dispatch = hooks_.dispatch;
    CountdownForm form(instance_, std::move(app));
    countdownShown_ = true;
    const int tag = form.ShowModal(Wide(caption), Wide(message), Wide(acceptCaption));
    countdownShown_ = false;
    return tag == 1;
}

}  // namespace zep
