#include "instance.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(QuitSwitch, DashOrSlashThenQuitInAnyCase) {
    EXPECT_TRUE(HasQuitSwitch({"-quit"}));
    EXPECT_TRUE(HasQuitSwitch({"/QUIT"}));
    EXPECT_TRUE(HasQuitSwitch({"foo", "-QuIt"}));
}

TEST(QuitSwitch, AnythingElseIsNotTheSwitch) {
    EXPECT_FALSE(HasQuitSwitch({}));
    EXPECT_FALSE(HasQuitSwitch({"quit"}));
    EXPECT_FALSE(HasQuitSwitch({"-quitnow"}));
    EXPECT_FALSE(HasQuitSwitch({"--quit"}));
    EXPECT_FALSE(HasQuitSwitch({"-qui"}));
    EXPECT_FALSE(HasQuitSwitch({"\\quit"}));
    EXPECT_FALSE(HasQuitSwitch({" -quit"}));
}

TEST(ElapsedMs, SurvivesTheTickCounterWrap) {
    EXPECT_EQ(ElapsedMs(1500, 1000), 500u);
    EXPECT_EQ(ElapsedMs(200, 0xFFFFFF00u), 456u);
    EXPECT_EQ(ElapsedMs(0, 0xFFFFFFFFu), 1u);
}

}  // namespace
}  // namespace zep
