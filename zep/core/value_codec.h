// Readers and writers of the values stored in the settings file.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zep {

// Decimal text, or hexadecimal when the text is longer than two characters and starts with
// "0x" or "0X". Anything else (empty, stray characters, out of the 32-bit range) gives nullopt.
std::optional<int32_t> ParseStoredInt(std::string_view text);

int32_t ReadStoredInt(std::string_view text, int32_t fallback);
// Read as an integer; any non-zero value is true.
bool ReadStoredBool(std::string_view text, bool fallback);

std::string WriteStoredInt(int32_t value);
std::string WriteStoredBool(bool value);

}  // namespace zep
