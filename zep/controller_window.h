// TZEPHiddenForm: the invisible controller window, zep's main window. It owns the controller, the
// system shell the controller acts through, the settings and the program's other windows, and
// turns window messages into the controller's calls.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "controller.h"
#include "settings.h"
#include "settings_window.h"
#include "system_shell.h"
#include "time_panel.h"
#include "udp_socket.h"
#include "window_base.h"

namespace zep {

class HiddenForm : public Window {
public:
    explicit HiddenForm(HINSTANCE instance);

    // Creates the window (its creation steps run now) and places it at -1, 0, 1 x 1.
    bool Create();
    // The message loop of the program; returns when the controller window is gone.
    void Run();

private:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Hands a message taken from the queue to its window; the settings window's keys first.
    void DispatchOne(const MSG& msg);
    // Hands the datagrams waiting on `socket` to `handle`, a batch at a time: after a batch the
    // window's other messages come first, and `message` (posted again) reads on.
    void ReadDatagrams(UdpSocket& socket, UINT message, const UdpSocket::Handler& handle);

    bool CloseQuery();
    void CloseControllerWindow();

    void OnTrayNotify(LPARAM event);
    void PopupMenu(const std::vector<TrayMenuItem>& items);
    void OnCommand(int id);
    void TrayExitClick();

    // The window's resolution changed: the pictures follow.
    void DpiChanged() override;

    Settings settings_;
    SystemShell shell_;
    Controller controller_{shell_, settings_};
    std::unique_ptr<TimePanel> timePanel_;
    UINT taskbarCreatedMessage_ = 0;
    std::unique_ptr<SettingsForm> form_;  // the settings window "ZEP!"
};

}  // namespace zep
