// The tray icon as the controller shows it: its picture and tip for the connection state, the
// blink that adds it anew, and the items (tray and panel) that copy the WAN address.
#pragma once
#include <optional>
#include <string>

#include "controller_part.h"
#include "shell.h"

namespace zep {

class TrayIcon : ControllerPart {
public:
    using ControllerPart::ControllerPart;

    void UpdateTrayIcon();
    void BlinkTrayIcon();
    // The tray's tip (also while connected: the elapsed time); touched only when it changes.
    void ShowTrayTip(const std::u16string& tip);
    // The tray's and the panel's items that copy the WAN address.
    void EnableAddressCopy(bool enabled);
    void TrayIPClick();

private:
    void ShowTrayPicture(TrayPicture picture);

    bool blinking_ = false;  // the tray icon is being added anew
    // What the tray shows now, so that it is touched only when that changes.
    std::optional<TrayPicture> shownPicture_;
    std::optional<std::u16string> shownTip_;
};

}  // namespace zep
