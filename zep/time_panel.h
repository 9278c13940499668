// TZEPTimeForm: the small borderless window that counts the connection time.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "settings.h"
#include "window_base.h"

namespace zep {

// The panel's menu commands that belong to the controller.
struct TimePanelActions {
    std::function<void()> disconnect, easyLog, syslog, copyAddress;
    std::function<void()> closed;  // TimeClose: the panel stops showing at connections
};

class TimePanel : public Window {
public:
    TimePanel(HINSTANCE instance, TimePanelActions actions);
    ~TimePanel() override;

    bool Create(HWND owner);

    // Settings load: position, font and stay-on-top, without showing; and back for the save.
    void ApplySettings(const Settings& s);
    void StoreSettings(Settings& s) const;

    void SetText(const std::wstring& text);
    void Show(bool stayOnTop);
    void Close();
    void SetCopyEnabled(bool enabled) { copyEnabled_ = enabled; }
    bool stayOnTop() const { return stayTop_; }
    // The program lost the activation: a panel kept on top goes back there.
    void KeepOnTop();

private:
    // TimePanel: covers the whole window and shows the time as its text; dragged as if by a
    // caption bar.
    class Face : public Window {
    public:
        Face(HINSTANCE instance, const TimePanel& panel) : Window(instance), panel_(panel) {}
        bool Create(HWND parent);

    private:
        LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
        void Paint();
        const TimePanel& panel_;
    };

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PopupMenu(POINT at);
    void TimeFontClick();
    void SetFont(const LOGFONTW& font);
    // Sized to the font: "&88:88:88&" wide (the ampersands give the margins), 6/5 of a digit high.
    void FitToFont();
    void DpiChanged() override;

    TimePanelActions actions_;
    Face face_;
    HFONT font_ = nullptr;
    LOGFONTW logFont_{};
    int fontPoints_ = 0;  // the font's size, which it keeps at every resolution
    COLORREF colour_ = 0;
    bool copyEnabled_ = false;
    bool stayTop_ = false;
};

}  // namespace zep
