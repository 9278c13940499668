// The controller: the connection state, the tray icon and menus, the connected and disconnected
// transitions and the start-up; its parts do the rest (line commands, router events, schedule,
// peers, page upload, logs).
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "controller_state.h"
#include "line_commands.h"
#include "log_writer.h"
#include "page_upload.h"
#include "peers.h"
#include "router_events.h"
#include "schedule.h"
#include "settings.h"
#include "shell.h"
#include "tray_menus.h"

namespace zep {

class Controller {
public:
    Controller(Shell& shell, Settings& settings);
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // The window layer reads the state; only the controller and its parts change it.
    const ControllerState& state() const { return state_; }
    const TrayMenus& menus() const { return menus_; }

    LineCommands& lineCommands() { return lineCommands_; }
    const LineCommands& lineCommands() const { return lineCommands_; }
    RouterEvents& routerEvents() { return routerEvents_; }
    Schedule& schedule() { return schedule_; }
    Peers& peers() { return peers_; }
    PageUpload& pageUpload() { return pageUpload_; }
    const PageUpload& pageUpload() const { return pageUpload_; }
    LogWriter& logs() { return logs_; }
    const LogWriter& logs() const { return logs_; }

    // Creation of the controller window.
    void Create();
    // The window's first show: the settings file, the first-start notice, the router's state.
    void FirstShow();
    // The program is going down: waits that the user started must end.
    void MarkClosing() { closing_ = true; }
    bool closing() const { return closing_; }

    void UpdateTrayIcon();
    void BlinkTrayIcon();
    // The tray's tip (also while connected: the elapsed time); touched only when it changes.
    void ShowTrayTip(const std::u16string& tip);
    // The tray's and the panel's items that copy the WAN address.
    void EnableAddressCopy(bool enabled);
    void TrayIPClick();
    // Processes window messages for `ms` milliseconds.
    void WaitMs(uint32_t ms);

    void DoConnected();
    void DoDisconnected();

    // Messages to the controller window: a second copy's command (a quit request exits once the
    // router has reported the line down), the tool's status reply and the library's notice.
    void OnInstanceCommand(uint32_t command);
    void OnStatusReply(uint32_t wParam, uint32_t lParam);
    void OnLibraryNotify(uint32_t wParam, uint32_t lParam);

    // The settings window's "show the panel" box changed: while connected the panel follows, on
    // top when the panel's own "always on top" item is ticked now.
    void TimeShowCheckChanged();

    // The general error report of a file that could not be read or written: its name and the
    // system's text.
    void ReportFileError(const std::string& path, const std::u16string& error);

private:
    friend class ControllerPart;
    friend struct ControllerTestAccess;  // the unit tests set up states directly

    void ShowTrayPicture(TrayPicture picture);

    Shell& shell_;
    Settings& settings_;
    ControllerState state_;
    TrayMenus menus_;
    bool closing_ = false;
    bool exitWhenDisconnected_ = false;
    bool blinking_ = false;  // the tray icon is being added anew
    // What the tray shows now, so that it is touched only when that changes.
    std::optional<TrayPicture> shownPicture_;
    std::optional<std::u16string> shownTip_;

    // After everything above: they take references to it.
    LineCommands lineCommands_{*this};
    RouterEvents routerEvents_{*this};
    Schedule schedule_{*this};
    Peers peers_{*this};
    PageUpload pageUpload_{*this};
    LogWriter logs_{*this};
};

}  // namespace zep
