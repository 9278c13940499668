// Small helpers on text in the ANSI code page (code page 932 on a Japanese system): bytes as the
// files, the settings and the datagrams hold them. The second byte of a double-byte character is
// never taken for a character of its own.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zep {

// First byte of a double-byte character in code page 932.
bool IsLeadByte932(unsigned char c);

// Lower-cases the letters A-Z; every character keeps its position.
std::string LowerAnsi(std::string_view bytes);

// `text` without the characters of `blanks` at either end.
std::string Trimmed(std::string_view text, std::string_view blanks = " ");

// The decimal digits of `value`, with leading zeros up to `width` digits.
std::string ZeroPadded(int64_t value, size_t width);

}  // namespace zep
