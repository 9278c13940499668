#include "countdown_dialog.h"

#include <commctrl.h>

#include "controls.h"
#include "schedule.h"
#include "texts_ja.h"
#include "tick_count.h"
#include "win_system.h"

namespace zep {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr int kClientWidth = 312, kClientHeight = 112;
constexpr int kGaugeWidth = 297;
constexpr int kAcceptId = IDOK, kCancelId = IDCANCEL;

}  // namespace

CountdownForm::CountdownForm(HINSTANCE instance, CountdownApplication app)
    : Window(instance), app_(std::move(app)), gauge_(instance, *this) {}

CountdownForm::~CountdownForm() = default;

int CountdownForm::ShowModal(const std::wstring& caption, const std::wstring& message,
                             const std::wstring& acceptCaption) {
    caption_ = caption;
    // A dialog frame without title-bar buttons, on top, centred on the screen.
    if (!CreateOfClass({kCountdownClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
                       WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT, caption,
                       WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr))
        return 0;
    SizeClient(kClientWidth, kClientHeight, true);
    AddControl(WC_STATICW, message, SS_LEFT | SS_NOPREFIX, 8, 8, 296, 30, -1);
    gauge_.Create(window_, (kClientWidth - kGaugeWidth) / 2, 44, kGaugeWidth, 20);
    accept_ = AddControl(WC_BUTTONW, acceptCaption, BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 76, 90, 25, kAcceptId);
    AddControl(WC_BUTTONW, Wide(text::kCountdownCancel), BS_PUSHBUTTON | WS_TABSTOP, 162, 76, 90, 25,
               kCancelId);

    // Modal: while it asks, the program's other windows take no input, so nothing opened from them
    // (an editor, a box) can hold up its answer; they go on being drawn, and the timer goes on.
    RunModal(app_.dispatch);
    return tag_;
}

void CountdownForm::ModalShown() {
    shownTick_ = GetTickCount();
    SetFocus(accept_);
    gaugePosition_ = 0;
    countText_ = Wide(text::kCountdownRemainingHead) + L"10" + Wide(text::kCountdownRemainingTail);
    gauge_.Redraw();
    SetTimer(window_, kTimerId, 100, nullptr);
    timerRunning_ = true;
    appTitle_ = app_.title ? app_.title() : L"";
    if (app_.setTitle) app_.setTitle(caption_ + Wide(text::kCountdownTitleStart));
    if (app_.showTaskbarButton) app_.showTaskbarButton(true);
    SetForegroundWindow(window_);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CountdownForm::OnTick() {
    const CountdownTick tick = CountdownAt(ElapsedMs(GetTickCount(), shownTick_));
    gaugePosition_ = tick.gauge;
    countText_ = Wide(text::kCountdownRemainingHead) + std::to_wstring(tick.remaining) +
                 Wide(text::kCountdownRemainingTail);
    gauge_.Redraw();
    UpdateWindow(gauge_.hwnd());
    if (app_.setTitle) app_.setTitle(countText_);
    if (tick.attention) {
        SetForegroundWindow(window_);
        ShowWindow(window_, SW_SHOW);
        if (app_.flash) app_.flash(true);
    }
    if (tick.accept) Finish(1);
}

void CountdownForm::Finish(int tag) {
    if (done_) return;
    tag_ = tag;
    done_ = true;
    EndModal();
    // The close: the task-bar button goes again, the title comes back, the timer and the flashing stop.
    if (app_.showTaskbarButton) app_.showTaskbarButton(false);
    if (app_.setTitle) app_.setTitle(appTitle_);
    if (timerRunning_) KillTimer(window_, kTimerId);
    timerRunning_ = false;
    if (app_.flash) app_.flash(false);
    ShowWindow(window_, SW_HIDE);
}

LRESULT CountdownForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kTimerId && timerRunning_) OnTick();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kAcceptId) Finish(1);
            else if (LOWORD(wParam) == kCancelId) Finish(0);
            return 0;
        case WM_CLOSE:
            Finish(0);
            return 0;
        default:
            break;
    }
    return Window::Handle(msg, wParam, lParam);
}

bool CountdownForm::Gauge::Create(HWND parent, int x, int y, int w, int h) {
    return CreateOfClass({L"TCountdownGauge"}, 0, L"", WS_CHILD | WS_VISIBLE, x, y, w, h, parent);
}

void CountdownForm::Gauge::Redraw() { InvalidateRect(window_, nullptr, FALSE); }

LRESULT CountdownForm::Gauge::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return Window::Handle(msg, wParam, lParam);
    Paint();
    return 0;
}

void CountdownForm::Gauge::Paint() {
    PaintBuffered(window_, [this](HDC dc, const RECT& client) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        RECT inner = client;
        DrawThickEdge(dc, inner, BDR_SUNKENOUTER, form_.Px(1));
        RECT bar = inner;
        bar.right = inner.left + (inner.right - inner.left) * form_.gaugePosition_ / 100;
        // A light bar, so that the count stays legible over it.
        HBRUSH fill = CreateSolidBrush(RGB(0x8C, 0xC4, 0xF4));
        FillRect(dc, &bar, fill);
        DeleteObject(fill);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        HGDIOBJ oldFont = SelectObject(dc, form_.Font());
        DrawTextW(dc, form_.countText_.c_str(), -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
    });
}

}  // namespace zep
