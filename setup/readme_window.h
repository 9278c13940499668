// The readme window (dialog 102): the readme text, or an agreement with agree and cancel buttons, or
// painted pages ("ReadMe.Special") with page buttons that move between them.
#pragma once
#include <windows.h>

#include "setup_app.h"

namespace setup {

// 1 when read or agreed to, 0 when the agreement was refused.
int ShowReadme(HWND owner, SetupApp& app);

}  // namespace setup
