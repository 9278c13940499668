// TZEPTimeForm: the small borderless window that counts the connection time.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "settings.h"

namespace zep {

// The panel's menu commands that belong to the controller.
struct TimePanelActions {
    std::function<void()> disconnect, easyLog, syslog, copyAddress;
    std::function<void()> closed;  // TimeClose: the panel stops showing at connections
};

class TimePanel {
public:
    TimePanel(HINSTANCE instance, TimePanelActions actions) : instance_(instance), actions_(std::move(actions)) {}
    ~TimePanel();

    bool Create(HWND owner);
    HWND window() const { return window_; }

    // Settings load: position, font and stay-on-top, without showing; and back for the save.
    void ApplySettings(const Settings& s);
    void StoreSettings(Settings& s) const;

    void SizeTimePanel();
    void SetText(const std::wstring& text);
    void Show(bool stayOnTop);
    void Close();
    void SetCopyEnabled(bool enabled) { copyEnabled_ = enabled; }
    bool stayOnTop() const { return stayTop_; }
    // The program lost the activation: a panel kept on top goes back there.
    void KeepOnTop();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint();
    void PopupMenu(POINT at);
    void TimeFontClick();
    void SetFont(const LOGFONTW& font);

    HINSTANCE instance_;
    TimePanelActions actions_;
    HWND window_ = nullptr;
    HWND panel_ = nullptr;  // TimePanel: covers the whole window, shows the time as its text
    HFONT font_ = nullptr;
    LOGFONTW logFont_{};
    COLORREF colour_ = 0;
    bool copyEnabled_ = false;
    bool stayTop_ = false;
};

}  // namespace zep
