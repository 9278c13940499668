// TZEPFTPSetForm: the four values of the IP page upload.
#pragma once
#include <windows.h>

#include "settings.h"

namespace zep {

// Modal. After OK the fields are checked in order; the first empty one is reported and nothing
// is kept. All four filled: they become the settings (the password in plain text while running).
void RunFtpSettings(HINSTANCE instance, HWND owner, Settings& settings);

}  // namespace zep
