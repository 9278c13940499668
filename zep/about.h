// TZEPAboutBox: the program's name and version, the router's firmware, and links.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace zep {

// Modal; "---" as the firmware unless the library is in use.
void RunAboutBox(HINSTANCE instance, HWND owner, bool libraryInUse, uint32_t firmwareVersion);
// "Version " and the product version of this program's version resource (trimmed).
std::wstring ProgramVersionText();

}  // namespace zep
