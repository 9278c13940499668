#include <gtest/gtest.h>

#include <climits>

#include "dpi_scale.h"

namespace setup::testing {
namespace {

TEST(ScaleToDpi, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
    EXPECT_EQ(ScaleToDpi(1, 144), 2);    // 1.5
    EXPECT_EQ(ScaleToDpi(2, 144), 3);
    EXPECT_EQ(ScaleToDpi(3, 144), 5);    // 4.5
    EXPECT_EQ(ScaleToDpi(-3, 144), -5);  // symmetric: a negative font height is a height too
    EXPECT_EQ(ScaleToDpi(-1, 144), -2);
    EXPECT_EQ(ScaleToDpi(5, 120), 6);    // 6.25
    EXPECT_EQ(ScaleToDpi(10, 120), 13);  // 12.5
    EXPECT_EQ(ScaleToDpi(7, 192), 14);
    EXPECT_EQ(ScaleToDpi(0, 192), 0);
}

TEST(ScaleToDpi, NothingMovesAt96DpiOrWithoutAResolutionAndNothingOverflows) {
    for (int v : {INT_MIN, -1, 0, 1, 333, INT_MAX}) {
        EXPECT_EQ(ScaleToDpi(v, 96), v);
        EXPECT_EQ(ScaleToDpi(v, 0), v);
        EXPECT_EQ(ScaleToDpi(v, -96), v);
    }
    EXPECT_EQ(ScaleToDpi(INT_MAX, 192), INT_MAX);
    EXPECT_EQ(ScaleToDpi(INT_MIN, 192), INT_MIN);
}

}  // namespace
}  // namespace setup::testing
