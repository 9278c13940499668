// Resource and control identifiers of setup.exe.
#pragma once

#define IDD_MAIN 101
#define IDD_README 102
#define IDI_SETUP 114
#define IDD_BACKGROUND 115

#include "core/control_ids.h"
