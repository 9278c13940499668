// The one way zep builds a window: a class derived from Window. The base registers the window
// class once, creates the window with the object behind it, and passes its messages to Handle;
// a window that asks (the small dialogs, the countdown) runs modally in the base's loop, with
// the dialog keys (Tab, Enter, Esc) and the focus kept as a dialog keeps them.
//
// Every window is laid out for 96 dpi and shown at its own resolution: the base scales each
// position, size, font height and border (Px), places the controls (AddControl) and, when the
// window moves to a monitor of another resolution, moves it to the rectangle the system suggests
// and places its controls again.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dpi_scale.h"

namespace zep {

// What a window class is registered with.
struct WindowClass {
    const wchar_t* name;
    HBRUSH background = nullptr;
    bool arrowCursor = true;
    const wchar_t* icon = nullptr;  // a resource name
};

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND hwnd() const { return window_; }

protected:
    explicit Window(HINSTANCE instance) : instance_(instance) {}
    virtual ~Window();  // destroys the window if it is still there

    // Registers the class (the first time) and creates the window, hidden unless `style` says
    // otherwise, `width` x `height` (the client area when `clientSize` is set) laid out for 96 dpi.
    // A child window's (x, y) is laid out too, and it is placed again with its parent's controls;
    // a top-level window's (x, y) is a point of the screen.
    bool CreateOfClass(const WindowClass& cls, DWORD exStyle, const std::wstring& title, DWORD style, int x, int y,
                       int width, int height, HWND parent, bool clientSize = false);
    // Moves the window so that its client area is `width` x `height` (laid out for 96 dpi), at
    // the screen's point (x, y) or centred on the screen.
    void SizeClient(int width, int height, bool centre, int x = 0, int y = 0);

    // The window's resolution, a length laid out for 96 dpi at it, and the interface font at it.
    int Dpi() const { return dpi_; }
    int Px(int value) const { return ScaleToDpi(value, dpi_); }
    HFONT Font() const;
    // A visible child control in the interface font, laid out for 96 dpi at (x, y), `w` x `h`;
    // `id` as its identifier. A control laid out as 0 x 0 places itself (the arrows of a field).
    HWND AddControl(const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h, int id,
                    DWORD exStyle = 0);
    // After a change of resolution has placed the window and its controls anew: what the window
    // draws or loads at its resolution beyond that (icons, fonts of its own).
    virtual void DpiChanged() {}

    // The window's own messages; what it leaves goes to DefWindowProc.
    virtual LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    // Shows the window and runs the message loop until EndModal. Every other window of the program
    // takes no input meanwhile (the tray still answers). Messages for other windows go through
    // `dispatch` when given. A WM_QUIT ends the loop and is posted again
    // for the outer loop; the window is destroyed at the end. The control that has the focus when
    // it starts gets it back whenever the window is activated again.
    void RunModal(const std::function<void(const MSG&)>& dispatch = nullptr);
    void EndModal() { modalDone_ = true; }
    // Right after the modal window was shown; and when a WM_QUIT ended its loop.
    virtual void ModalShown() {}
    virtual void ModalInterrupted() {}

    HINSTANCE instance_;
    HWND window_ = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The dialog keys and focus of a modal window.
    bool HandleAsDialog(UINT msg, WPARAM wParam, LRESULT& result);
    // The window's size for a client area (or a window) of `width` x `height` at 96 dpi.
    SIZE OuterSize(int width, int height, bool clientSize) const;
    // The window's new resolution: moved to `suggested`, its controls placed and set in the font anew.
    void ApplyDpi(int dpi, const RECT& suggested);

    // A child and where it is laid out at 96 dpi.
    struct Placed {
        HWND control;
        RECT at;
    };
    std::vector<Placed> placed_;
    int dpi_ = kDesignDpi;

    bool modal_ = false;
    bool modalDone_ = false;
    HWND savedFocus_ = nullptr;
};

}  // namespace zep
