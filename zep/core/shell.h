// What the controller needs from the system. The window layer implements it; tests fake it.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ftp_upload.h"
#include "settings.h"
#include "sntp.h"

namespace zep {

enum class TrayPicture { Disconnect, Connect, DisconnectData, ConnectData };

enum class BoxKind { Error, Information };

// A whole file's bytes, or the system's text of why it could not be read.
struct FileRead {
    std::optional<std::string> bytes;
    std::u16string error;
};

class Shell {
public:
    virtual ~Shell() = default;

    virtual uint32_t TickCount() = 0;
    virtual LocalDateTime LocalNow() = 0;

    // Process window messages until `done` holds or `timeoutMs` has passed (none: no limit).
    // Returns early, with false, when the program is closing. True when `done` held.
    virtual bool PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) = 0;

    // The tray icon and its picture (also the application's and the controller window's icon).
    virtual void SetTrayPicture(TrayPicture picture) = 0;
    virtual bool SetTrayTip(const std::u16string& tip) = 0;  // false when the tray refused it
    virtual void SetTrayIconVisible(bool visible) = 0;

    // The connection-time panel.
    virtual void ShowTimePanel(bool stayOnTop) = 0;
    virtual void CloseTimePanel() = 0;
    // The panel's own "always on top" item, as ticked now.
    virtual bool TimePanelStaysOnTop() = 0;
    // The panel's copy-address item follows the tray's.
    virtual void SetTimePanelCopyEnabled(bool enabled) = 0;

    virtual void ShowSettingsWindow() = 0;
    virtual void PlaySoundFile(const std::string& file) = 0;
    virtual void CopyToClipboard(const std::string& text) = 0;

    // The system's date and time formats and its short weekday names (0 = Sunday), ANSI.
    virtual LocaleFormats Locale() = 0;
    virtual std::string ShortWeekdayName(int dayOfWeek) = 0;

    // Files, ANSI paths. Appending creates the file; failures give the system's error text.
    virtual std::optional<std::u16string> AppendLine(const std::string& path, const std::string& line) = 0;
    virtual FileRead ReadWholeFile(const std::string& path) = 0;
    virtual std::optional<std::u16string> WriteWholeFile(const std::string& path, const std::string& bytes) = 0;
    virtual std::string ProgramFolder() = 0;  // no trailing backslash

    // BeforeConTime in the settings file: written (or, for a zero time, deleted) and flushed.
    virtual void SaveBeforeConTime(const LocalDateTime& t) = 0;
    virtual void ShowBox(BoxKind kind, const std::u16string& text) = 0;
    virtual std::u16string FromAnsi(const std::string& text) = 0;

    // Shell "open" with SW_SHOW; the result is not looked at.
    virtual void OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) = 0;
    // Posts WM_COMMAND (wParam `command`, lParam 0) to the first top-level window of this class, if any.
    virtual void PostWindowCommand(const std::string& className, uint32_t command) = 0;
    virtual bool FileExists(const std::string& path) = 0;

    // Top-level windows in the system's enumeration order, visible or not, with their titles.
    struct TopWindow {
        uintptr_t handle;
        std::u16string title;
    };
    virtual std::vector<TopWindow> TopLevelWindows() = 0;
    virtual void PostClose(uintptr_t handle) = 0;  // WM_SYSCOMMAND, SC_CLOSE

    // The router maker's library, when bound.
    virtual void LibraryConnect() = 0;
    virtual void LibraryDisconnect() = 0;

    // Ends the program: closes the controller window (its close query runs).
    virtual void CloseControllerWindow() = 0;
    // Runs the tray's exit action once the current message has been handled.
    virtual void PostExitRequest() = 0;
    // Line commands and the timer.
    // The InternalName of the file's version resource as written there; nullopt when the file
    // has no readable version resource.
    virtual std::optional<std::string> VersionInternalName(const std::string& path) = 0;
    // Whether a top-level window of this class exists.
    virtual bool TopWindowOfClassExists(const std::u16string& className) = 0;
    // Waits without processing window messages.
    virtual void SleepMs(uint32_t ms) = 0;
    // BeforeConTime from the settings file; `now` when the key is absent.
    virtual LocalDateTime ReadBeforeConTime(const LocalDateTime& now) = 0;
    // The library's status call and its record buffer (empty while not bound), destination change.
    virtual int32_t LibraryGetCondition() = 0;
    virtual std::string LibraryBuffer() = 0;
    virtual void LibraryChangeSite(int destinationFromZero) = 0;
    // A Yes/No question (question icon); true for Yes.
    virtual bool AskYesNo(const std::u16string& caption, const std::u16string& text) = 0;
    // The destination list or the current destination changed: the settings window follows.
    virtual void DestinationMenusChanged() = 0;
    virtual void SetTimePanelText(const std::string& text) = 0;
    virtual void InformationBeep() = 0;  // MessageBeep(MB_ICONINFORMATION)
    // Shows the ten-second countdown dialog modally; true when it was accepted (button or time).
    virtual bool ShowCountdown(const std::u16string& caption, const std::u16string& message,
                               const std::u16string& acceptCaption) = 0;
    // Copies on the LAN: one datagram to UDP port 4448 of `address` (255.255.255.255 broadcasts),
    // and a call of Controller::PeerPauseOver once `ms` have passed.
    virtual void SendPeerDatagram(const std::string& address, const std::string& payload) = 0;
    virtual void StartPeerPause(uint32_t ms) = 0;
    // The router's clock: one datagram to UDP port 123 from the time socket, whose replies go to
    // Controller::OnTimeDatagram; and the system clock set to a UTC time (refusal not reported).
    virtual void SendTimeRequest(const std::string& address, const std::string& request) = 0;
    virtual void SetSystemClock(const UtcTime& utc) = 0;
    // The FTP client's connections; their waits process window messages and end on the abort.
    virtual std::unique_ptr<FtpTransport> OpenFtpTransport() = 0;
    // An upload started or ended, or its log changed: the settings window follows.
    virtual void FtpUploadChanged() = 0;
};

}  // namespace zep
