// What the controller needs from the system, grouped by concern. The window layer implements it;
// the unit tests fake it with a virtual clock.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "date_time.h"
#include "ftp_upload.h"
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

    // --- Time and waits
    virtual uint32_t TickCount() = 0;
    virtual LocalDateTime LocalNow() = 0;
    // Process window messages until `done` holds or `timeoutMs` has passed (none: no limit).
    // Returns early, with false, when the program is closing. True when `done` held.
    virtual bool PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) = 0;
    // Waits without processing window messages.
    virtual void SleepMs(uint32_t ms) = 0;
    // Processes window messages for `ms` milliseconds.
    void WaitMs(uint32_t ms) {
        PumpMessages([] { return false; }, ms);
    }

    // --- The tray icon and its picture (also the application's and the controller window's icon)
    virtual void SetTrayPicture(TrayPicture picture) = 0;
    virtual bool SetTrayTip(const std::u16string& tip) = 0;  // false when the tray refused it
    virtual void SetTrayIconVisible(bool visible) = 0;

    // --- The program's own windows
    // The connection-time panel; its own "always on top" item as ticked now; its copy-address
    // item follows the tray's.
    virtual void ShowTimePanel(bool stayOnTop) = 0;
    virtual void CloseTimePanel() = 0;
    virtual bool TimePanelStaysOnTop() = 0;
    virtual void SetTimePanelCopyEnabled(bool enabled) = 0;
    virtual void SetTimePanelText(const std::string& text) = 0;
    // The settings window, and what it follows: the loaded settings (it switches the router
    // maker's library on when they say so), the destination list or the current destination,
    // an upload that started or ended or its log, and the router address the library reported.
    virtual void ShowSettingsWindow() = 0;
    virtual void SettingsLoaded() = 0;
    virtual void DestinationMenusChanged() = 0;
    virtual void FtpUploadChanged() = 0;
    virtual void RouterAddressChanged() = 0;
    // Shows the ten-second countdown dialog modally; true when it was accepted (button or time).
    virtual bool ShowCountdown(const std::u16string& caption, const std::u16string& message,
                               const std::u16string& acceptCaption) = 0;
    // A notice in a balloon at the tray icon (no box to answer).
    virtual void ShowTrayNotice(const std::u16string& title, const std::u16string& text) = 0;
    // Message boxes (one OK button), a Yes/No question (true for Yes) and the information sound.
    virtual void ShowBox(BoxKind kind, const std::u16string& text) = 0;
    virtual bool AskYesNo(const std::u16string& caption, const std::u16string& text) = 0;
    // The general error report of a file that could not be read or written: its name and the
    // system's text.
    void ReportFileError(const std::string& path, const std::u16string& error) {
        ShowBox(BoxKind::Error, FromAnsi(path) + u"\r\n" + error);
    }
    virtual void InformationBeep() = 0;
    // Runs the tray's exit action once the current message has been handled.
    virtual void PostExitRequest() = 0;

    // --- The settings file
    // Reads it into the settings (the connection-time panel takes its values then).
    virtual void LoadSettings() = 0;
    // BeforeConTime: written (or, for a zero time, deleted) and flushed; read back, `now` when
    // the key is absent.
    virtual void SaveBeforeConTime(const LocalDateTime& t) = 0;
    virtual LocalDateTime ReadBeforeConTime(const LocalDateTime& now) = 0;

    // --- Files (ANSI paths; failures give the system's error text) and text
    virtual std::string ProgramFolder() = 0;  // no trailing backslash
    virtual bool FileExists(const std::string& path) = 0;
    virtual FileRead ReadWholeFile(const std::string& path) = 0;
    virtual std::optional<std::u16string> WriteWholeFile(const std::string& path, const std::string& bytes) = 0;
    // Appending creates the file.
    virtual std::optional<std::u16string> AppendLine(const std::string& path, const std::string& line) = 0;
    // A failed rename is not reported.
    virtual void RenameFile(const std::string& from, const std::string& to) = 0;
    virtual std::u16string FromAnsi(const std::string& text) = 0;
    // The system's date and time formats and its short weekday names (0 = Sunday), ANSI.
    virtual LocaleFormats Locale() = 0;
    virtual std::string ShortWeekdayName(int dayOfWeek) = 0;

    // --- Other programs and their windows
    // Shell "open" with SW_SHOW; the result is not looked at.
    virtual void OpenProgram(const std::string& file, const std::string& parameters, const std::string& folder) = 0;
    // The InternalName of the file's version resource as written there; nullopt when the file
    // has no readable version resource.
    virtual std::optional<std::string> VersionInternalName(const std::string& path) = 0;
    // Posts WM_COMMAND (wParam `command`, lParam 0) to the first top-level window of this class, if any.
    virtual void PostWindowCommand(const std::string& className, uint32_t command) = 0;
    virtual bool TopWindowOfClassExists(const std::u16string& className) = 0;
    // Top-level windows in the system's enumeration order, visible or not, with their titles.
    struct TopWindow {
        uintptr_t handle;
        std::u16string title;
    };
    virtual std::vector<TopWindow> TopLevelWindows() = 0;
    virtual void PostClose(uintptr_t handle) = 0;  // WM_SYSCOMMAND, SC_CLOSE
    virtual void PlaySoundFile(const std::string& file) = 0;
    virtual void CopyToClipboard(const std::string& text) = 0;

    // --- The router maker's library (calls do nothing while it is not bound)
    virtual bool LibraryBound() = 0;
    // The router search: its result; the library's notice follows as WM_DLLNOTIFY.
    virtual int32_t LibraryFind() = 0;
    // The router's information into the record buffer: the call's result.
    virtual int32_t LibraryGetInformation() = 0;
    virtual void LibraryConnect() = 0;
    virtual void LibraryDisconnect() = 0;
    // The status call: its result; the record buffer then holds the destinations.
    virtual int32_t LibraryGetCondition() = 0;
    virtual void LibraryChangeSite(int destinationFromZero) = 0;
    virtual std::string LibraryBuffer() = 0;  // the record buffer (empty while not bound)

    // --- The network and the clock
    // Copies on the LAN: one datagram to UDP port 4448 of `address` (255.255.255.255 broadcasts),
    // and a call of Peers::PeerPauseOver once `ms` have passed.
    virtual void SendPeerDatagram(const std::string& address, const std::string& payload) = 0;
    virtual void StartPeerPause(uint32_t ms) = 0;
    // The router's clock: one datagram to UDP port 123 from the time socket, whose replies go to
    // RouterEvents::OnTimeDatagram; a random number for the request (from the system's
    // cryptographic generator); and the system clock set to a UTC time: false when the system
    // refused because the user lacks the right to change the time.
    virtual void SendTimeRequest(const std::string& address, const std::string& request) = 0;
    virtual uint64_t RandomNumber() = 0;
    virtual bool SetSystemClock(const UtcTime& utc) = 0;
    // The FTP client's connections; their waits process window messages and end on the abort.
    virtual std::unique_ptr<FtpTransport> OpenFtpTransport() = 0;
};

}  // namespace zep
