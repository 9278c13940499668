#include "ansi_text.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(AnsiText, LowerAnsiLeavesDoubleByteCharactersAlone) {
    // "ア" is 83 41 and "ソ" is 83 5C: their second bytes are 'A' and a backslash.
    EXPECT_EQ(LowerAnsi("\x83\x41MY IP\x83\x5C\x88\x9F" "AbZ"), "\x83\x41my ip\x83\x5C\x88\x9F" "abz");
    EXPECT_EQ(LowerAnsi("\xE0\x5A" "Z\xFC\x4D" "M"), "\xE0\x5A" "z\xFC\x4D" "m");
    EXPECT_EQ(LowerAnsi("\xB1Q"), "\xB1q");  // half-width kana is a single byte
    EXPECT_EQ(LowerAnsi("X\x83"), "x\x83");  // lead byte at the end
}

TEST(AnsiText, TrimmedAndZeroPadded) {
    EXPECT_EQ(Trimmed("  VELK \t"), "VELK \t");
    EXPECT_EQ(Trimmed("  VELK \t\r\n", " \t\r\n"), "VELK");
    EXPECT_EQ(Trimmed("   "), "");
    EXPECT_EQ(ZeroPadded(7, 2), "07");
    EXPECT_EQ(ZeroPadded(987, 4), "0987");
    EXPECT_EQ(ZeroPadded(12345, 2), "12345");
}

}  // namespace
}  // namespace zep
