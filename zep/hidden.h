// TZEPHiddenForm: the invisible controller window. It owns the controller, the tray icon and its
// menus, the settings file and the router maker's library, and turns window messages into calls.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "MRLExhibits.h"
#include "controller.h"
#include "main.h"
#include "profile_file.h"
#include "time_panel.h"
#include "settings.h"
#include "udp_socket.h"

namespace zep {

class HiddenForm : public Shell {
public:
    explicit HiddenForm(HINSTANCE instance);
    ~HiddenForm() override;

    // Creates the window (its creation steps run now) and places it at -1, 0, 1 x 1.
    bool Create();
    HWND window() const { return window_; }

    // The message loop of the program; returns when the controller window is gone.
    int Run();

    // Shell
    uint32_t TickCount() override;
    LocalDateTime LocalNow() override;
    bool PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) override;
    void SetTrayPicture(TrayPicture picture) override;
    bool SetTrayTip(const std::u16string& tip) override;
    void SetTrayIconVisible(bool visible) override;
    void ShowTimePanel(bool stayOnTop) override;
    void CloseTimePanel() override;
    bool TimePanelStaysOnTop() override;
    void SetTimePanelCopyEnabled(bool enabled) override;
    void ShowSettingsWindow() override;
    void PlaySoundFile(const std::string& file) override;
    void CopyToClipboard(const std::string& text) override;
    LocaleFormats Locale() override;
    std::string ShortWeekdayName(int dayOfWeek) override;
    std::optional<std::u16string> AppendLine(const std::string& path, const std::string& line) override;
    FileRead ReadWholeFile(const std::string& path) override;
    std::optional<std::u16string> WriteWholeFile(const std::string& path, const std::string& bytes) override;
    std::string ProgramFolder() override { return programFolder_; }
    void SaveBeforeConTime(const LocalDateTime& t) override;
    void ShowBox(BoxKind kind, const std::u16string& text) override;
    std::u16string FromAnsi(const std::string& text) override;
    void OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) override;
    void PostWindowCommand(const std::string& className, uint32_t command) override;
    bool FileExists(const std::string& path) override;
    std::vector<TopWindow> TopLevelWindows() override;
    void PostClose(uintptr_t handle) override;
    void LibraryConnect() override;
    void LibraryDisconnect() override;
    void CloseControllerWindow() override;
    void PostExitRequest() override;
    std::optional<std::string> VersionInternalName(const std::string& path) override;
    bool TopWindowOfClassExists(const std::u16string& className) override;
    void SleepMs(uint32_t ms) override { Sleep(ms); }
    LocalDateTime ReadBeforeConTime(const LocalDateTime& now) override;
    int32_t LibraryGetCondition() override;
    std::string LibraryBuffer() override;
    void LibraryChangeSite(int destinationFromZero) override;
    bool AskYesNo(const std::u16string& caption, const std::u16string& text) override;
    void DestinationMenusChanged() override {
        if (form_) form_->DestinationsChanged();
    }
    void SetTimePanelText(const std::string& text) override;
    void InformationBeep() override { MessageBeep(MB_ICONINFORMATION); }
    bool ShowCountdown(const std::u16string& caption, const std::u16string& message,
                       const std::u16string& acceptCaption) override;
    void SendPeerDatagram(const std::string& address, const std::string& payload) override;
    void StartPeerPause(uint32_t ms) override;
    void SendTimeRequest(const std::string& address, const std::string& request) override;
    void SetSystemClock(const UtcTime& utc) override;
    std::unique_ptr<FtpTransport> OpenFtpTransport() override;
    void FtpUploadChanged() override {
        if (form_) form_->FtpUploadChanged();
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    // Sees every message taken from the queue, before it is dispatched.
    void HookQueuedMessage(const MSG& msg);
    void DispatchOne(const MSG& msg);
    // Hands the datagrams waiting on `socket` to `handle`, a batch at a time: after a batch the
    // window's other messages come first, and `message` (posted again) reads on.
    void ReadDatagrams(UdpSocket& socket, UINT message,
                       const std::function<void(const std::string& sender, std::string bytes)>& handle);

    void FirstShow();
    void LoadSettings();
    void SaveSettings();
    bool CloseQuery();
    void ResumedFromSuspend();

    void OnTrayNotify(LPARAM event);
    void PopupMenu(const std::vector<TrayMenuItem>& items);
    void OnCommand(int id);
    void TrayConnectClick(int tag);
    void TrayExitClick();
    void AddTrayIcon();

    SettingsEnvironment Environment() const;
    void ListenSyslogPort();
    void ListenOtherPorts();

    // The application's task-bar button, shown while the countdown dialog asks.
    void ShowTaskbarButton(bool shown);

    HINSTANCE instance_;
    HWND window_ = nullptr;
    std::unique_ptr<TimePanel> timePanel_;
    std::string programFolder_;
    IniFile iniFile_;
    Settings settings_;
    Controller controller_{*this, settings_};
    MrlLibrary library_;
    NotifyTarget notifyTarget_{};
    std::vector<uint8_t> dllBuffer_;
    MSG lastDllNotify_{};
    std::array<HICON, 4> icons_{};
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
