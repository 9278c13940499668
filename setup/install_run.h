// The runs started by OK: installation, and removal in the installed state.
#pragma once
#include "main_window.h"

namespace setup {

void RunInstallation(MainWindow& window);
void RunRemoval(MainWindow& window);

}  // namespace setup
