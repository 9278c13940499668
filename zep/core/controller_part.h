// The base of the controller's parts (tray icon, connection, line commands, router events,
// schedule, peers, page upload, logs): what every part works on. The siblings a part calls are
// handed to its constructor, so its header says which they are.
#pragma once

namespace zep {

class Shell;
struct ControllerState;
struct Settings;
struct TrayMenus;

// The system, the settings, the state record and the tray's menus, shared by every part.
struct PartContext {
    Shell& shell;
    Settings& settings;
    ControllerState& state;
    TrayMenus& menus;
};

class ControllerPart {
public:
    explicit ControllerPart(const PartContext& context)
        : shell_(context.shell), settings_(context.settings), state_(context.state), menus_(context.menus) {}
    ControllerPart(const ControllerPart&) = delete;
    ControllerPart& operator=(const ControllerPart&) = delete;

protected:
    ~ControllerPart() = default;

    Shell& shell_;
    Settings& settings_;
    ControllerState& state_;
    TrayMenus& menus_;
};

}  // namespace zep
