// TZEPAboutBox: the program's name and version, the router's firmware, and links.
#pragma once
#include <windows.h>

#include <cstdint>

namespace zep {

// Modal; "---" as the firmware unless the library is in use.
void RunAboutBox(HINSTANCE instance, HWND owner, bool libraryInUse, uint32_t firmwareVersion);

}  // namespace zep
