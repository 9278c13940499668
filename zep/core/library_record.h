// The record buffer of the router maker's library (DllBuffer): the fields that zep reads after
// the library's calls. A buffer shorter than a field reads as zeros there.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "destinations.h"

namespace zep {

inline constexpr size_t kLibraryRecordSize = 10240;

// After the information call: the router's LAN address (first octet in bits 31-24) and its
// firmware version.
inline constexpr size_t kRecordRouterAddress = 0;
inline constexpr size_t kRecordFirmware = 48;
// After the status call: the current destination (counted from 0), the usable words and the names.
inline constexpr size_t kRecordCurrentDestination = 64;
inline constexpr size_t kRecordUsable = 68;
inline constexpr size_t kRecordNames = 76;
inline constexpr size_t kRecordNameSize = 40;

struct RouterInformation {
    uint32_t address = 0;
    uint32_t firmware = 0;
};
RouterInformation ReadRouterInformation(std::string_view record);
int BufferCurrentDestination(std::string_view record);
DestinationList DestinationsFromBuffer(std::string_view record);

// The oldest firmware the library works with.
inline constexpr uint32_t kMinimumFirmware = 8720;
// The wait for the library's notice after a successful router search. The library answers at
// once when the router is there; a library that never answers must not hold the program forever.
inline constexpr uint32_t kLibraryNoticeWaitMs = 15000;

}  // namespace zep
