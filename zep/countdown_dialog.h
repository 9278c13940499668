// TCountdownForm: the ten-second question before the connected-time disconnect.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "window_base.h"

namespace zep {

inline constexpr wchar_t kCountdownClassName[] = L"TCountdownForm";

// What the dialog does with the application's window: its task-bar button and title.
struct CountdownApplication {
    std::function<void(bool shown)> showTaskbarButton;
    std::function<std::wstring()> title;
    std::function<void(const std::wstring&)> setTitle;
    std::function<void(bool on)> flash;
    std::function<void(const MSG&)> dispatch;  // the program's dispatch of a queued message
};

class CountdownForm : public Window {
public:
    CountdownForm(HINSTANCE instance, CountdownApplication app);
    ~CountdownForm() override;

    // Shows the dialog modally; the tag: 1 accepted (button or time-out), 0 otherwise.
    int ShowModal(const std::wstring& caption, const std::wstring& message, const std::wstring& acceptCaption);

private:
    // The gauge with the count centred over it, drawn on the bar.
    class Gauge : public Window {
    public:
        Gauge(HINSTANCE instance, const CountdownForm& form) : Window(instance), form_(form) {}
        bool Create(HWND parent, int x, int y, int w, int h);
        void Redraw();

    private:
        LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
        void Paint();
        const CountdownForm& form_;
    };

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ModalShown() override;
    void ModalInterrupted() override { Finish(0); }
    void OnTick();
    void Finish(int tag);

    CountdownApplication app_;
    Gauge gauge_;
    HWND accept_ = nullptr;
    std::wstring caption_, appTitle_;
    std::wstring countText_;
    int gaugePosition_ = 0;
    DWORD shownTick_ = 0;
    bool timerRunning_ = false;
    bool done_ = false;
    int tag_ = 0;
};

}  // namespace zep
