// TZEPSetForm: the editor of one autorun entry, with a drop target for files from the shell.
#pragma once
#include <windows.h>

#include "settings.h"

namespace zep {

// Shows the editor modally at (x, y), preset from `entry`. Returns true (tag 1) after OK, with the
// edited values in `entry`; x and y get the editor's last position however it was closed.
bool RunAutorunEditor(HINSTANCE instance, HWND owner, TAutorunType& entry, int32_t& x, int32_t& y);

}  // namespace zep
