// The one way zep builds a window: a class derived from Window. The base registers the window
// class once, creates the window with the object behind it, and passes its messages to Handle;
// a window that asks (the small dialogs, the countdown) runs modally in the base's loop, with
// the dialog keys (Tab, Enter, Esc) and the focus kept as a dialog keeps them.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

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
    // otherwise, with a client area of `width` x `height` pixels when `clientSize` is set.
    bool CreateOfClass(const WindowClass& cls, DWORD exStyle, const std::wstring& title, DWORD style, int x, int y,
                       int width, int height, HWND parent, bool clientSize = false);
    // Moves the window so that its client area is `width` x `height` pixels, at (x, y) or centred
    // on the screen.
    void SizeClient(int width, int height, bool centre, int x = 0, int y = 0);

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

    bool modal_ = false;
    bool modalDone_ = false;
    HWND savedFocus_ = nullptr;
};

}  // namespace zep
