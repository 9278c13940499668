// Rules of the program entry that can be decided without the system: one copy runs, a second
// start wakes it or, with the quit switch, ends it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zep {

inline constexpr char kInstanceMutexName[] = "MutexZEPApplication";
// wParam of WM_INSTANCECOMMAND.
inline constexpr uint32_t kInstanceWake = 0;
inline constexpr uint32_t kInstanceQuit = 1;
// How long a start with the quit switch waits for the running copy to end.
inline constexpr uint32_t kQuitWaitMs = 30000;

// True when a parameter is exactly "-" or "/" followed by "quit" in any letter case.
bool IsQuitSwitch(const std::string& parameter);
bool HasQuitSwitch(const std::vector<std::string>& parameters);

}  // namespace zep
