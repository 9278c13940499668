// The controls of zep's windows: the one interface font, child controls in it, tooltips, popup
// menus built from the core's menu items, control texts in the ANSI code page, spin fields.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "spin_field.h"
#include "tray_menus.h"

namespace zep {

// 9 pt, the Japanese interface face, at `dpi`; made once per resolution, kept to the end.
HFONT InterfaceFont(int dpi);

// A tooltip window for `parent`, shown at `dpi`, and a hint on one of its controls (an empty hint
// removes it). SetHintsDpi: the tooltip's font and width for a new resolution.
HWND CreateHints(HWND parent, int dpi);
void SetHintsDpi(HWND tooltip, int dpi);
void AddHint(HWND tooltip, HWND parent, HWND control, const std::u16string& hint);

// A popup menu of the visible items (separators, radio items, checks, disabled items).
HMENU BuildPopupMenu(const std::vector<TrayMenuItem>& items);

// DrawEdge's `edge` (BDR_* flags) with each of its lines `thickness` pixels wide; `r` shrinks by it.
void DrawThickEdge(HDC dc, RECT& r, UINT edge, int thickness);

// Answers WM_PAINT: `draw` paints the whole client area on an off-screen bitmap, which is then put
// on the window in one piece (no flicker).
void PaintBuffered(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw);

std::string ControlText(HWND control);
void SetControlText(HWND control, const std::string& text);

// The edit of a spin field: it takes only the characters a spin field accepts (a beep for the
// others); when it loses the focus, a value out of range is brought to the nearest bound.
void AcceptSpinCharactersOnly(HWND edit);
void ClampSpinText(HWND edit, const SpinField& field);

}  // namespace zep
