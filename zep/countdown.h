// TCountdownForm: the ten-second question before the connected-time disconnect.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

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

class CountdownForm {
public:
    CountdownForm(HINSTANCE instance, CountdownApplication app) : instance_(instance), app_(std::move(app)) {}

    // Shows the dialog modally; the tag: 1 accepted (button or time-out), 0 otherwise.
    int ShowModal(const std::wstring& caption, const std::wstring& message, const std::wstring& acceptCaption);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GaugeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnShow();
    void OnTick();
    void Finish(int tag);

    HINSTANCE instance_;
    CountdownApplication app_;
    HWND window_ = nullptr;
    HWND message_ = nullptr, gauge_ = nullptr, accept_ = nullptr, cancel_ = nullptr;
    HFONT font_ = nullptr;
    std::wstring caption_, appTitle_;
    std::wstring countText_;
    int gaugePosition_ = 0;
    DWORD shownTick_ = 0;
    bool timerRunning_ = false;
    bool done_ = false;
    int tag_ = 0;
};

}  // namespace zep
