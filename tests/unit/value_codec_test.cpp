#include "value_codec.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(StoredInt, DecimalAndHexadecimal) {
    EXPECT_EQ(ReadStoredInt("30", 7), 30);
    EXPECT_EQ(ReadStoredInt("-5", 7), -5);
    EXPECT_EQ(ReadStoredInt("0x1E", 7), 30);
    EXPECT_EQ(ReadStoredInt("0X1e", 7), 30);
    EXPECT_EQ(ReadStoredInt("0xFFFFFFFF", 7), -1);
}

TEST(StoredInt, UnreadableGivesTheDefault) {
    for (const char* bad : {"", "1E", "0x", "x1E", "12a", " 12", "3.5", "yes", "99999999999", "0x100000000", "-"})
        EXPECT_EQ(ReadStoredInt(bad, 7), 7) << bad;
}

TEST(StoredBool, AnyNonZeroIsTrue) {
    EXPECT_TRUE(ReadStoredBool("1", false));
    EXPECT_TRUE(ReadStoredBool("2", false));
    EXPECT_TRUE(ReadStoredBool("-1", false));
    EXPECT_FALSE(ReadStoredBool("0", true));
    EXPECT_TRUE(ReadStoredBool("yes", true));
    EXPECT_FALSE(ReadStoredBool("yes", false));
    EXPECT_EQ(WriteStoredBool(true), "1");
    EXPECT_EQ(WriteStoredBool(false), "0");
}

}  // namespace
}  // namespace zep
