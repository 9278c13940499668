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

}  // namespace
}  // namespace zep
