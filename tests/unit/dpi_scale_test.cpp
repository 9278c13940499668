#include "dpi_scale.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(DpiScale, At96EveryLengthStaysAsLaidOut) {
    for (int v : {-12, -1, 0, 1, 7, 272, 297, 1023}) {
        EXPECT_EQ(ScaleToDpi(v, 96), v);
        EXPECT_EQ(UnscaleFromDpi(v, 96), v);
    }
}

TEST(DpiScale, RoundsHalvesAwayFromZeroAndNegativesAsTheirSize) {
    EXPECT_EQ(ScaleToDpi(3, 144), 5);    // 4.5
    EXPECT_EQ(ScaleToDpi(-3, 144), -5);  // a font height scales as its size
    EXPECT_EQ(ScaleToDpi(-12, 144), -18);
    EXPECT_EQ(ScaleToDpi(13, 120), 16);  // 16.25
    EXPECT_EQ(ScaleToDpi(14, 120), 18);  // 17.5
    EXPECT_EQ(ScaleToDpi(297, 192), 594);
    EXPECT_EQ(ScaleToDpi(1, 168), 2);    // 1.75: a one-pixel border stays visible and grows
}

TEST(DpiScale, AnUnknownResolutionIsTakenAs96) {
    EXPECT_EQ(ScaleToDpi(20, 0), 20);
    EXPECT_EQ(ScaleToDpi(20, -5), 20);
    EXPECT_EQ(UnscaleFromDpi(20, 0), 20);
}

TEST(DpiScale, UnscaleUndoesScale) {
    for (int dpi : {96, 120, 144, 168, 192, 288})
        for (int v = 0; v < 400; ++v) EXPECT_EQ(UnscaleFromDpi(ScaleToDpi(v, dpi), dpi), v) << v << " at " << dpi;
}

TEST(DpiScale, FontPointsRoundTripAtEveryResolution) {
    EXPECT_EQ(FontHeightForPoints(9, 96), -12);
    EXPECT_EQ(FontHeightForPoints(9, 144), -18);
    EXPECT_EQ(FontHeightForPoints(11, 96), -15);  // 14.67
    EXPECT_EQ(PointsForFontHeight(-15, 96), 11);
    EXPECT_EQ(PointsForFontHeight(15, 96), 11);
    for (int dpi : {96, 120, 144, 192})
        for (int points = 6; points <= 72; ++points)
            EXPECT_EQ(PointsForFontHeight(FontHeightForPoints(points, dpi), dpi), points) << points << " at " << dpi;
}

TEST(DpiScale, TrayIconSizeIsTheDrawnSizeThatCoversTheRequest) {
    EXPECT_EQ(TrayIconSize(16), 16);
    EXPECT_EQ(TrayIconSize(20), 20);
    EXPECT_EQ(TrayIconSize(24), 24);
    EXPECT_EQ(TrayIconSize(32), 32);
    EXPECT_EQ(TrayIconSize(18), 20);  // 112 dpi: shrunk from 20, never blown up from 16
    EXPECT_EQ(TrayIconSize(28), 32);  // 175 %
    EXPECT_EQ(TrayIconSize(40), 32);  // beyond the largest drawn one
    EXPECT_EQ(TrayIconSize(0), 16);
}

}  // namespace
}  // namespace zep
