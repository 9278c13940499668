// The full-screen background (dialog 115): shown behind the installer window when Setup.ini asks for
// a painted background; in any case it opens the installer window two seconds after start.
#pragma once
#include <windows.h>

#include "setup_app.h"

namespace setup {

// The off-screen picture the size of the desktop, filled black and painted from the Back lines.
HBITMAP MakeBackgroundPicture(SetupApp& app);

// Creates the (modeless) background window; it destroys itself, ending the message loop, when the
// installer window has closed.
HWND CreateBackgroundWindow(SetupApp& app);

}  // namespace setup
