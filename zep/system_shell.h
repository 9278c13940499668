// The Shell the controller acts through, on the system: the tray icon and its pictures, message
// boxes and the countdown, the waits that process messages, the settings file, files, other
// programs and their windows, the router maker's library, the UDP sockets and the FTP client's
// connections. The controller window owns it and hands its messages to the controller.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ini_file.h"
#include "router_library.h"
#include "settings.h"
#include "shell.h"
#include "udp_socket.h"
#include "win_system.h"

namespace zep {

class SettingsForm;
class TimePanel;

// The controller window's own messages and timers; all but the first show and the one-second tick
// are posted or set by the shell, or by the system on its request.
inline constexpr UINT kTrayCallback = WM_APP + 1;
inline constexpr UINT kFirstShowMessage = WM_APP + 2;
inline constexpr UINT kSyslogReady = WM_APP + 3;
inline constexpr UINT kExitRequest = WM_APP + 4;
inline constexpr UINT kPeerReady = WM_APP + 5;
inline constexpr UINT kTimeReady = WM_APP + 6;
inline constexpr UINT kFtpSocketEvent = WM_APP + 7;  // only wakes the FTP client's waits
inline constexpr UINT_PTR kTimerId = 1;
inline constexpr UINT_PTR kPeerPauseTimerId = 2;

// What the shell asks of the controller window: a message handed to its window (the settings
// window's keys first), whether the program is closing, whether the user aborted the upload, and
// the program's other windows while they exist.
struct ShellHooks {
    std::function<void(const MSG&)> dispatch;
    std::function<bool()> closing;
    std::function<bool()> ftpAbortRequested;
    std::function<TimePanel*()> timePanel;
    std::function<SettingsForm*()> form;
};

class SystemShell : public Shell {
public:
    SystemShell(HINSTANCE instance, Settings& settings, ShellHooks hooks);
    ~SystemShell() override;
    SystemShell(const SystemShell&) = delete;
    SystemShell& operator=(const SystemShell&) = delete;

    // Before the controller window exists: the syslog port is bound, so nothing the router sends
    // after a second program has seen the window is lost.
    void BindSyslogPort();
    // The controller window exists: the library, the pictures at its resolution and the tray.
    void AttachWindow(HWND window, int dpi);
    // The peer and time sockets; without them the program works alone.
    void ListenOtherPorts();
    // The sockets whose datagrams the controller window reads, and their closing at the exit.
    UdpSocket& syslogSocket() { return syslogSocket_; }
    UdpSocket& peerSocket() { return peerSocket_; }
    UdpSocket& timeSocket() { return timeSocket_; }
    void CloseSockets();
    // The settings into the settings file, with the windows' positions; a failure is told once.
    void SaveSettings();
    // The window's resolution changed: the pictures are loaded anew at `dpi`.
    void DpiChanged(int dpi);
    // The notification area was started anew and has lost the icon.
    void TrayAreaRestarted();
    // The countdown dialog is asking: the tray opens nothing then.
    bool countdownShown() const { return countdownShown_; }

    // Shell: time and waits
    uint32_t TickCount() override { return GetTickCount(); }
    LocalDateTime LocalNow() override;
    bool PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) override;
    void SleepMs(uint32_t ms) override { Sleep(ms); }
    // Shell: the tray
    void SetTrayPicture(TrayPicture picture) override;
    bool SetTrayTip(const std::u16string& tip) override;
    void SetTrayIconVisible(bool visible) override;
    // Shell: the program's own windows
    void ShowTimePanel(bool stayOnTop) override;
    void CloseTimePanel() override;
    bool TimePanelStaysOnTop() override;
    void SetTimePanelCopyEnabled(bool enabled) override;
    void SetTimePanelText(const std::string& text) override;
    void ShowSettingsWindow() override;
    // Once, at the first show: the router's address is known from here on, so its datagrams,
    // those that arrived during the start-up included, are read from now.
    void SettingsLoaded() override;
    void DestinationMenusChanged() override;
    void FtpUploadChanged() override;
    void RouterAddressChanged() override;
    bool ShowCountdown(const std::u16string& caption, const std::u16string& message,
                       const std::u16string& acceptCaption) override;
    void ShowTrayNotice(const std::u16string& title, const std::u16string& text) override;
    void ShowBox(BoxKind kind, const std::u16string& text) override;
    bool AskYesNo(const std::u16string& caption, const std::u16string& text) override;
    void InformationBeep() override { MessageBeep(MB_ICONINFORMATION); }
    void PostExitRequest() override;
    // Shell: the settings file
    void LoadSettings() override;
    void SaveBeforeConTime(const LocalDateTime& t) override;
    LocalDateTime ReadBeforeConTime(const LocalDateTime& now) override;
    // Shell: files and text
    std::string ProgramFolder() override { return programFolder_; }
    bool FileExists(const std::string& path) override { return zep::FileExists(path); }
    FileRead ReadWholeFile(const std::string& path) override { return zep::ReadWholeFile(path); }
    std::optional<std::u16string> WriteWholeFile(const std::string& path, const std::string& bytes) override {
        return zep::WriteWholeFile(path, bytes);
    }
    std::optional<std::u16string> AppendLine(const std::string& path, const std::string& line) override {
        return zep::AppendLine(path, line);
    }
    void RenameFile(const std::string& from, const std::string& to) override { MoveFileA(from.c_str(), to.c_str()); }
    std::u16string FromAnsi(const std::string& text) override { return U16(WideFromAnsi(text)); }
    LocaleFormats Locale() override { return SystemLocaleFormats(); }
    std::string ShortWeekdayName(int dayOfWeek) override { return SystemShortWeekdayName(dayOfWeek); }
    // Shell: other programs and their windows
    void OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) override;
    std::optional<std::string> VersionInternalName(const std::string& path) override {
        return VersionString(path, "InternalName");
    }
    void PostWindowCommand(const std::string& className, uint32_t command) override;
    bool TopWindowOfClassExists(const std::u16string& className) override;
    std::vector<TopWindow> TopLevelWindows() override { return TopLevelWindowsNow(); }
    void PostClose(uintptr_t handle) override;
    void PlaySoundFile(const std::string& file) override;
    void CopyToClipboard(const std::string& text) override { CopyTextToClipboard(window_, text); }
    // Shell: the router maker's library
    bool LibraryBound() override { return library_.bound(); }
    int32_t LibraryFind() override;
    int32_t LibraryGetInformation() override;
    void LibraryConnect() override;
    void LibraryDisconnect() override;
    int32_t LibraryGetCondition() override;
    void LibraryChangeSite(int destinationFromZero) override;
    std::string LibraryBuffer() override;
    // Shell: the network and the clock
    void SendPeerDatagram(const std::string& address, const std::string& payload) override;
    void StartPeerPause(uint32_t ms) override;
    void SendTimeRequest(const std::string& address, const std::string& request) override;
    uint64_t RandomNumber() override;
    bool SetSystemClock(const UtcTime& utc) override;
    std::unique_ptr<FtpTransport> OpenFtpTransport() override;

private:
    SettingsEnvironment Environment() const;
    void ListenSyslogPort();
    void AddTrayIcon();
    // The pictures at the window's resolution: large ones for its task-bar button, small ones at
    // the size the notification area asks for.
    void LoadPictures(int dpi);
    // The application's task-bar button, shown while the countdown dialog asks.
    void ShowTaskbarButton(bool shown);

    HINSTANCE instance_;
    HWND window_ = nullptr;  // the controller window
    Settings& settings_;
    ShellHooks hooks_;
    std::string programFolder_;
    std::string ownFolder_;  // zep.ini, and the defaults of the logs and the IP page
    PrivateProfileFile iniFile_;
    bool saveErrorShown_ = false;
    MrlLibrary library_;
    NotifyTarget notifyTarget_{};
    std::vector<uint8_t> libraryRecord_;  // DllBuffer
    std::array<HICON, 4> largeIcons_{};
    std::array<HICON, 4> smallIcons_{};
    TrayPicture picture_{};
    HICON currentIcon_ = nullptr;
    NOTIFYICONDATAW tray_{};
    bool trayShown_ = false;  // the icon is meant to be in the notification area
    bool trayAdded_ = false;  // and the notification area has it
    bool quitting_ = false;
    bool countdownShown_ = false;
    std::vector<std::u16string> boxesShown_;  // texts of the message boxes on the screen
    UdpSocket syslogSocket_;
    UdpSocket peerSocket_;  // NMUDPCheck: queries and answers of other copies
    UdpSocket timeSocket_;  // NMUDPTime: the router's SNTP replies
};

}  // namespace zep
