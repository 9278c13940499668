#include "controller_window.h"

#include "controls.h"
#include "countdown_dialog.h"
#include "resource.h"
#include "texts_ja.h"
#include "window_messages.h"

namespace zep {
namespace {

// Datagrams handled before the window's other messages come first again.
constexpr size_t kDatagramBatch = 32;

}  // namespace

HiddenForm::HiddenForm(HINSTANCE instance)
    : Window(instance),
      shell_(instance, settings_,
             ShellHooks{[this](const MSG& msg) { DispatchOne(msg); }, [this] { return controller_.closing(); },
                        [this] { return controller_.state().FtpAbortRequested; },
                        [this] { return timePanel_.get(); }, [this] { return form_.get(); }}) {}

bool HiddenForm::Create() {
    static const std::wstring className = WideFromAnsi(kControllerClassName);
    // The port is bound before the window can be found, so nothing the router sends after a
    // second program has seen the window is lost: it waits in the socket until the settings say
    // which host the router is (SettingsLoaded).
    shell_.BindSyslogPort();

    // No border, no task-bar button: the tray icon is the program's presence.
    if (!CreateOfClass({className.c_str(), nullptr, false, kIconResourceNames[0]}, WS_EX_TOOLWINDOW,
                       Wide(text::kAppTitle), WS_POPUP, -1, 0, 1, 1, nullptr))
        return false;

    shell_.AttachWindow(window_, Dpi());
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
    controller_.Create();
    timePanel_ = std::make_unique<TimePanel>(
        instance_, TimePanelActions{[this] { controller_.lineCommands().TrayDisconnectClick(); },
                                    [this] { controller_.logs().TrayEasylogClick(); },
                                    [this] { controller_.logs().TraySyslogClick(); },
                                    [this] { controller_.tray().TrayIPClick(); },
                                    [this] {
                                        settings_.ShowTimePanel = false;
                                        if (form_) form_->TimeShowUnticked();
                                    }});
    timePanel_->Create(window_);
    form_ = std::make_unique<SettingsForm>(FormHost{instance_, settings_, controller_, shell_});
    if (!form_->Create()) form_.reset();
    SetTimer(window_, kTimerId, 1000, nullptr);
    shell_.ListenOtherPorts();
    return true;
}

void HiddenForm::Run() {
    // Showing the main window starts the one-time start-up, once the loop runs.
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    PostMessageW(window_, kFirstShowMessage, 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchOne(msg);
}

void HiddenForm::DispatchOne(const MSG& msg) {
    // The library's notice is noted whichever window it was posted to.
    if (msg.message == WM_DLLNOTIFY)
        controller_.OnLibraryNotify(static_cast<uint32_t>(msg.wParam), static_cast<uint32_t>(msg.lParam));
    MSG copy = msg;
    if (form_ && form_->PreTranslate(copy)) return;  // the settings window's keyboard
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void HiddenForm::ReadDatagrams(UdpSocket& socket, UINT message, const UdpSocket::Handler& handle) {
    if (socket.ReadWaiting(handle, kDatagramBatch)) PostMessageW(window_, message, 0, 0);
}

LRESULT HiddenForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case kFirstShowMessage:
            controller_.FirstShow();
            return 0;
        case kTrayCallback:
            OnTrayNotify(lParam);
            return 0;
        case kSyslogReady:
            if (WSAGETSELECTERROR(lParam) == WSAEADDRINUSE && !shell_.syslogSocket().open())
                shell_.ShowBox(BoxKind::Error, text::kSyslogPortBusy);
            else
                ReadDatagrams(shell_.syslogSocket(), kSyslogReady, [this](const std::string& sender, u_short, std::string bytes) {
                    controller_.routerEvents().OnSyslogDatagram(sender, std::move(bytes));
                });
            return 0;
        case kPeerReady:
            ReadDatagrams(shell_.peerSocket(), kPeerReady, [this](const std::string& sender, u_short, std::string bytes) {
                controller_.peers().OnPeerDatagram(sender, bytes);
            });
            return 0;
        case kTimeReady:
            ReadDatagrams(shell_.timeSocket(), kTimeReady, [this](const std::string& sender, u_short port, std::string bytes) {
                controller_.routerEvents().OnTimeDatagram(sender, port, bytes);
            });
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId) controller_.schedule().TimerTimer();
            if (wParam == kPeerPauseTimerId) {
                KillTimer(window_, kPeerPauseTimerId);
                controller_.peers().PeerPauseOver();
            }
            return 0;
        case WM_ACTIVATEAPP:
            if (!wParam && timePanel_) timePanel_->KeepOnTop();
            break;
        case WM_STATUSREPLY:
            controller_.OnStatusReply(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            break;
        case WM_INSTANCECOMMAND:
            controller_.OnInstanceCommand(static_cast<uint32_t>(wParam));
            return 0;
        case kExitRequest:
            if (!controller_.closing()) TrayExitClick();
            return 0;
        case WM_DLLNOTIFY:
            controller_.OnLibraryNotify(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMESUSPEND) controller_.lineCommands().ResumedFromSuspend();
            return TRUE;
        case WM_CLOSE:
            if (CloseQuery()) DestroyWindow(window_);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The system is shutting down: the settings are written as at any exit.
            if (wParam) CloseQuery();
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kTimerId);
            shell_.SetTrayIconVisible(false);
            PostQuitMessage(0);
            return 0;
        default:
            if (msg == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
                // The notification area was started anew (Explorer restarted): it has lost the
                // icon.
                shell_.TrayAreaRestarted();
                return 0;
            }
            break;
    }
    return Window::Handle(msg, wParam, lParam);
}

bool HiddenForm::CloseQuery() {
    controller_.MarkClosing();
    shell_.SaveSettings();
    // A running upload ends: its waits see the abort and the closing.
    controller_.pageUpload().AbortUpload();
    shell_.CloseSockets();
    return true;
}

void HiddenForm::TrayExitClick() {
    shell_.SaveSettings();
    CloseControllerWindow();
}

void HiddenForm::CloseControllerWindow() { SendMessageW(window_, WM_CLOSE, 0, 0); }

void HiddenForm::OnTrayNotify(LPARAM event) {
    if (event != WM_LBUTTONDOWN && event != WM_RBUTTONDOWN) return;
    if (shell_.countdownShown()) {
        // The countdown is modal: the tray opens nothing that could hold up its answer.
        if (HWND countdown = FindWindowW(kCountdownClassName, nullptr)) SetForegroundWindow(countdown);
        return;
    }
    if (event == WM_LBUTTONDOWN) PopupMenu(controller_.menus().left);
    else if (event == WM_RBUTTONDOWN) PopupMenu(controller_.menus().right);
}

void HiddenForm::PopupMenu(const std::vector<TrayMenuItem>& items) {
    HMENU menu = BuildPopupMenu(items);
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window_);
    int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (id != 0) OnCommand(id);
}

void HiddenForm::OnCommand(int id) {
    switch (id) {
        case kTrayConnect:
        case kTrayConnect2:
        case kTrayConnect3:
        case kTrayConnect4:
            controller_.lineCommands().TrayConnectClick(id - kTrayConnect + 1);
            break;
        case kTrayDisconnect:
            controller_.lineCommands().TrayDisconnectClick();
            break;
        case kTraySetting:
        case kTraySettingL:
            shell_.ShowSettingsWindow();
            break;
        case kTrayExit:
            TrayExitClick();
            break;
        case kTrayIP:
            controller_.tray().TrayIPClick();
            break;
        case kTraySyslog:
            controller_.logs().TraySyslogClick();
            break;
        case kTrayEasyLog:
            controller_.logs().TrayEasylogClick();
            break;
        case kTrayAILog:
            controller_.logs().TrayAILogClick();
            break;
        case kTrayAbout:
            if (form_) form_->AboutButtonClick();
            break;
        default:
            break;
    }
}

void HiddenForm::DpiChanged() { shell_.DpiChanged(Dpi()); }

}  // namespace zep
