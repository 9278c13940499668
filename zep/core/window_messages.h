// The controller window's class name and the messages that the outside tools, the router maker's
// library and a second copy of the program send to it; their values are part of the interface.
#pragma once
#include <cstdint>

namespace zep {

inline constexpr char kControllerClassName[] = "TZEPHiddenForm";

inline constexpr uint32_t kWmUser = 0x0400;
inline constexpr uint32_t WM_STATUSREPLY = kWmUser + 100;      // tool to controller
inline constexpr uint32_t WM_INSTANCECOMMAND = kWmUser + 101;  // second copy to controller
inline constexpr uint32_t WM_DLLNOTIFY = kWmUser + 102;        // library to controller

}  // namespace zep
