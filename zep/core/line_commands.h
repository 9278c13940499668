// What the line commands and the timer decide without the controller: the tool command lines, the
// destination list (from the tool's destination file or the library's buffer), the countdown
// dialog's ticks and the distance between two local times.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings.h"

namespace zep {

// Replies of the tool (message WM_STATUSREPLY): wParam of a status answer, and of a find answer.
inline constexpr uint32_t kStatusLineUp = 5;
inline constexpr uint32_t kStatusLineDown = 3;
inline constexpr uint32_t kFindReply = 256;

// Bounds of the waits for the tool.
inline constexpr uint32_t kStatusReplyWaitMs = 10000;
inline constexpr uint32_t kFindReplyWaitMs = 5000;
inline constexpr uint32_t kDestinationChangeWaitMs = 5000;
// The tool's own window delays a status request; a window that stays open longer than this
// abandons the request, as an unanswered one is.
inline constexpr uint32_t kToolWindowWaitMs = 30000;

std::string DefaultDestinationParameters(const std::string& address, int destination);
std::string StatusParameters(const std::string& address);
std::string FindParameters();
// The router's LAN address of a find answer, first octet in bits 31-24.
std::string DottedAddress(uint32_t address);

// The tool's destination file: its path with the extension replaced by ".txt".
std::string DestinationFilePath(const std::string& toolPath);

struct Destination {
    std::string caption;  // ANSI
    bool usable = false;
};
using DestinationList = std::array<Destination, 4>;

// Lines 1 to 4 of the destination file: "1" first when usable, a character that is skipped, then
// the name. Missing lines (a short or missing file) give unusable destinations without a name.
DestinationList DestinationsFromFile(std::string_view bytes);

// The library's record buffer: the current destination (counted from 0), the usable words and
// the names. A buffer shorter than the record reads as zeros.
inline constexpr size_t kBufferCurrentDestination = 64;
inline constexpr size_t kBufferUsable = 68;
inline constexpr size_t kBufferNames = 76;
inline constexpr size_t kBufferNameSize = 40;
int BufferCurrentDestination(std::string_view buffer);
DestinationList DestinationsFromBuffer(std::string_view buffer);

// One tick of the countdown dialog, `elapsedMs` after it was shown.
struct CountdownTick {
    int gauge = 0;          // 0 to 100
    int remaining = 10;     // seconds shown, never below 0
    bool attention = false; // bring the dialog forward and flash the task-bar button
    bool accept = false;    // the time is up: closes as accepted
};
CountdownTick CountdownAt(uint32_t elapsedMs);

// Milliseconds from `earlier` to `later` (negative when `earlier` is later).
int64_t MillisecondsBetween(const LocalDateTime& earlier, const LocalDateTime& later);

}  // namespace zep
