// The base of the controller's parts (line commands, router events, schedule, peers, page upload,
// logs): each works on the controller it belongs to.
#pragma once

namespace zep {

class Controller;
class Shell;
struct ControllerState;
struct Settings;
struct TrayMenus;

class ControllerPart {
public:
    explicit ControllerPart(Controller& controller);
    ControllerPart(const ControllerPart&) = delete;
    ControllerPart& operator=(const ControllerPart&) = delete;

protected:
    ~ControllerPart() = default;

    Controller& controller_;  // the transitions, the tray and the other parts
    Shell& shell_;
    Settings& settings_;
    ControllerState& state_;
    TrayMenus& menus_;
};

}  // namespace zep
