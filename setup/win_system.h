// The window layer's module for conversions and what it asks of the system (zep's of the same name
// has the same role): ANSI and wide text, the program's own path, files, the registry's strings and
// the shell folders, window texts, message pumping and the windows' resolution.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "code_page.h"

namespace setup {

using code_page::AnsiFromWide;
using code_page::WideFromAnsi;
// Whether the ANSI code page holds every character of `text` (it comes back unchanged from it).
bool FitsAnsiCodePage(const std::wstring& text);

std::wstring ProgramPath();                 // this executable
std::wstring CurrentFolder();
std::wstring TempFolder();                  // the account's; empty when the system gives none
// The Windows folder all users share (GetWindowsDirectory gives a program not written for a
// terminal server a private one of the user's there); empty when the system gives none.
std::wstring SharedWindowsFolder();
bool PathExists(const std::wstring& path);  // a file or a folder
bool IsFolder(const std::wstring& path);
// Whether two paths name the same file (a short name, another spelling or a link included).
bool SameFile(const std::wstring& a, const std::wstring& b);
// The whole file as bytes; none when it cannot be read or is larger than `limit`.
std::optional<std::string> ReadWholeFile(const std::wstring& path, size_t limit = size_t{1} << 30);
// The first `count` bytes of a file (all of a shorter one); none when it cannot be read.
std::optional<std::string> ReadFileHead(const std::wstring& path, size_t count);

std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);

// Processes window messages for `ms` milliseconds, sleeping while there are none.
void Pause(DWORD ms);
// The same until every one of `handles` is signalled (a process has ended), `ms` at most; with no
// handles, for `ms`.
void PumpUntilSignalled(const std::vector<HANDLE>& handles, DWORD ms);

bool IsNtPlatform();

// The resolution (dots per inch) `window` is shown at; the screen's for no window or where the
// system cannot tell a window's own.
int WindowDpi(HWND window);

// The procedure of a dialog served by an object of class Window: the object comes as the
// parameter of WM_INITDIALOG, stays with the window and answers its messages through
// Window::Handle (FALSE for what it leaves to the dialog manager).
template <typename Window>
INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return window ? window->Handle(hwnd, message, wParam, lParam) : FALSE;
}

}  // namespace setup
