// TZEPFTPSetForm: the four values of the IP page upload, passive mode and TLS.
#pragma once
#include <windows.h>

#include "settings.h"

namespace zep {

// Modal. After OK the fields are checked in order: all four filled, they and the two boxes become
// the settings (the password in plain text while running); else nothing is kept and the first
// empty field's message is returned (nullptr after OK with all filled, and after Cancel).
const char16_t* RunFtpSettings(HINSTANCE instance, HWND owner, Settings& settings);

}  // namespace zep
