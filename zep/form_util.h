// Shared pieces of zep's small windows: the interface font, modal dialogs laid out in pixels,
// tooltips.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tray_menus.h"

namespace zep {

HFONT InterfaceFont();  // 9 pt, the Japanese interface face; made once, kept to the end

// A modal dialog with no controls of its own: `proc` builds them at WM_INITDIALOG (lParam is
// `param`). The caller sizes it with SizeClient.
INT_PTR RunModalDialog(HINSTANCE instance, HWND owner, const char16_t* title, DWORD style, DLGPROC proc,
                       LPARAM param);
// Gives the window a client area of w x h pixels; centred on the screen, or at (x, y).
void SizeClient(HWND window, int w, int h, bool centre, int x = 0, int y = 0);

// A child control in the interface font; `id` as its identifier.
HWND AddControl(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h,
                int id, DWORD exStyle = 0);
// A tooltip window for `parent`, and a hint on one of its controls.
HWND CreateHints(HWND parent);
void AddHint(HWND tooltip, HWND parent, HWND control, const std::wstring& hint);

// A popup menu of the visible items (separators, radio items, checks, disabled items).
HMENU BuildPopupMenu(const std::vector<TrayMenuItem>& items);

std::string AnsiText(HWND control);
void SetAnsiText(HWND control, const std::string& text);

}  // namespace zep
