// The system's 32-bit millisecond tick count, which every duration of the program is measured
// with: the difference of two readings stays right across the counter's wrap after 49.7 days.
#pragma once
#include <cstdint>

namespace zep {

// Milliseconds from `since` to `now`.
inline uint32_t ElapsedMs(uint32_t now, uint32_t since) { return now - since; }

}  // namespace zep
