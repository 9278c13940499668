// Rules of the program entry that can be decided without the system.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zep {

inline constexpr char kInstanceMutexName[] = "MutexZEPApplication";
inline constexpr char kControllerClassName[] = "TZEPHiddenForm";
inline constexpr uint32_t kWmUser = 0x0400;
inline constexpr uint32_t WM_STATUSREPLY = kWmUser + 100;
inline constexpr uint32_t WM_INSTANCECOMMAND = kWmUser + 101;
inline constexpr uint32_t WM_DLLNOTIFY = kWmUser + 102;
inline constexpr uint32_t kInstanceWake = 0;
inline constexpr uint32_t kInstanceQuit = 1;
inline constexpr uint32_t kQuitWaitMs = 30000;

// True when a parameter is exactly "-" or "/" followed by "quit" in any letter case.
bool IsQuitSwitch(const std::string& parameter);
bool HasQuitSwitch(const std::vector<std::string>& parameters);

// Milliseconds from `since` to `now` of the 32-bit tick counter, correct across its wrap.
inline uint32_t ElapsedMs(uint32_t now, uint32_t since) { return now - since; }

}  // namespace zep
