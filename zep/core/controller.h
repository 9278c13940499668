// The controller: owns the state record, the tray's menus and the parts that do the work (tray
// icon, connection, line commands, router events, schedule, peers, page upload, logs), each
// handed the siblings it calls; itself the start-up and the messages of the controller window.
#pragma once
#include <cstdint>
#include <string>

#include "connection.h"
#include "controller_part.h"
#include "controller_state.h"
#include "line_commands.h"
#include "log_writer.h"
#include "page_upload.h"
#include "peers.h"
#include "router_events.h"
#include "schedule.h"
#include "settings.h"
#include "shell.h"
#include "tray_icon.h"
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

    TrayIcon& tray() { return tray_; }
    Connection& connection() { return connection_; }
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
    void MarkClosing() { state_.Closing = true; }
    bool closing() const { return state_.Closing; }

    // Messages to the controller window: a second copy's command (a quit request exits once the
    // router has reported the line down), the tool's status reply and the library's notice.
    void OnInstanceCommand(uint32_t command);
    void OnStatusReply(uint32_t wParam, uint32_t lParam);
    void OnLibraryNotify(uint32_t wParam, uint32_t lParam);

    // The settings window's "show the panel" box changed: while connected the panel follows, on
    // top when the panel's own "always on top" item is ticked now.
    void TimeShowCheckChanged();

private:
    friend struct ControllerTestAccess;  // the unit tests set up states directly

    Shell& shell_;
    Settings& settings_;
    ControllerState state_;
    TrayMenus menus_;

    // After everything above: they take references to it, and each part to the parts above it.
    PartContext context_{shell_, settings_, state_, menus_};
    LogWriter logs_{context_};
    PageUpload pageUpload_{context_};
    TrayIcon tray_{context_};
    Connection connection_{context_, tray_};
    Peers peers_{context_, tray_, pageUpload_};
    LineCommands lineCommands_{context_, connection_, peers_, pageUpload_};
    RouterEvents routerEvents_{context_, tray_, connection_, lineCommands_, pageUpload_, logs_};
    Schedule schedule_{context_, tray_, lineCommands_};
};

}  // namespace zep
