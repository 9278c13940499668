// The installation run started by OK.
#pragma once
#include <string>

#include "main_window.h"

namespace setup {

void RunInstallation(MainWindow& window);
// The Go2 entries "Make" (after installation) or "Erase" (at the start of removal).
void RunGo2Entries(MainWindow& window, const std::wstring& kind);

}  // namespace setup
