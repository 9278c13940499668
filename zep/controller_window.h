// TZEPHiddenForm: the invisible controller window, zep's main window. It owns the controller, the
// tray icon and its menus, the settings file, the UDP sockets, the router maker's library and the
// program's other windows; it turns window messages into the controller's calls and implements
// the Shell the controller acts through.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "controller.h"
#include "ini_file.h"
#include "router_library.h"
#include "settings.h"
#include "settings_window.h"
#include "time_panel.h"
#include "udp_socket.h"
#include "win_system.h"
#include "window_base.h"

namespace zep {

class HiddenForm : public Window, public Shell {
public:
    explicit HiddenForm(HINSTANCE instance);
    ~HiddenForm() override;

    // Creates the window (its creation steps run now) and places it at -1, 0, 1 x 1.
    bool Create();
    // The message loop of the program; returns when the controller window is gone.
    void Run();

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
    void ShowTimePanel(bool stayOnTop) override {
        if (timePanel_) timePanel_->Show(stayOnTop);
    }
    void CloseTimePanel() override {
        if (timePanel_) timePanel_->Close();
    }
    bool TimePanelStaysOnTop() override { return timePanel_ && timePanel_->stayOnTop(); }
    void SetTimePanelCopyEnabled(bool enabled) override {
        if (timePanel_) timePanel_->SetCopyEnabled(enabled);
    }
    void SetTimePanelText(const std::string& text) override {
        if (timePanel_) timePanel_->SetText(WideFromAnsi(text));
    }
    void ShowSettingsWindow() override {
        if (form_) form_->Show();
    }
    // Once, at the first show: the router's address is known from here on, so its datagrams,
    // those that arrived during the start-up included, are read from now.
    void SettingsLoaded() override {
        if (form_) form_->LoadFromModel();
        ListenSyslogPort();
    }
    void DestinationMenusChanged() override {
        if (form_) form_->DestinationsChanged();
    }
    void FtpUploadChanged() override {
        if (form_) form_->FtpUploadChanged();
    }
    void RouterAddressChanged() override {
        if (form_) form_->RouterAddressChanged();
    }
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
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Hands a message taken from the queue to its window; the settings window's keys first.
    void DispatchOne(const MSG& msg);
    // Hands the datagrams waiting on `socket` to `handle`, a batch at a time: after a batch the
    // window's other messages come first, and `message` (posted again) reads on.
    void ReadDatagrams(UdpSocket& socket, UINT message, const UdpSocket::Handler& handle);

    void SaveSettings();
    bool CloseQuery();
    void CloseControllerWindow();

    void OnTrayNotify(LPARAM event);
    void PopupMenu(const std::vector<TrayMenuItem>& items);
    void OnCommand(int id);
    void TrayExitClick();
    void AddTrayIcon();

    SettingsEnvironment Environment() const;
    void ListenSyslogPort();
    void ListenOtherPorts();

    // The application's task-bar button, shown while the countdown dialog asks.
    void ShowTaskbarButton(bool shown);

    std::unique_ptr<TimePanel> timePanel_;
    std::string programFolder_;
    std::string ownFolder_;  // zep.ini, and the defaults of the logs and the IP page
    IniFile iniFile_;
    Settings settings_;
    Controller controller_{*this, settings_};
    MrlLibrary library_;
    NotifyTarget notifyTarget_{};
    std::vector<uint8_t> libraryRecord_;  // DllBuffer
    // The pictures at the window's resolution: large ones for its task-bar button, small ones at
    // the size the notification area asks for; loaded anew when the resolution changes.
    void LoadPictures();
    void DpiChanged() override;
    std::array<HICON, 4> largeIcons_{};
    std::array<HICON, 4> smallIcons_{};
    TrayPicture picture_{};
    HICON currentIcon_ = nullptr;
    NOTIFYICONDATAW tray_{};
    bool trayShown_ = false;  // the icon is meant to be in the notification area
    bool trayAdded_ = false;  // and the notification area has it
    UINT taskbarCreatedMessage_ = 0;
    bool quitting_ = false;
    bool countdownShown_ = false;
    std::vector<std::u16string> boxesShown_;  // texts of the message boxes on the screen
    bool saveErrorShown_ = false;
    UdpSocket syslogSocket_;
    UdpSocket peerSocket_;  // NMUDPCheck: queries and answers of other copies
    UdpSocket timeSocket_;  // NMUDPTime: the router's SNTP replies
    std::unique_ptr<SettingsForm> form_;  // the settings window "ZEP!"
};

}  // namespace zep
