#include <gtest/gtest.h>

#include <climits>

#include "dpi_scale.h"
#include "fake_canvas.h"
#include "paint_script.h"

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

struct Painting {
    Painting(Rect area, int dpi) : script(canvas, area, L"C:\\App", system, dpi) {}
    Painting& operator()(std::initializer_list<std::wstring> lines) {
        script.Run(std::vector<std::wstring>(lines));
        return *this;
    }
    FakeSystem system;
    FakeCanvas canvas;
    PaintScript script;
};

// At 200 % a picture written for 96 dpi is the same picture, twice as large: coordinates, font
// sizes and bitmaps double; percentages are already of the larger area and are not scaled again.
TEST(ScaledPainting, CoordinatesFontsAndBitmapsDoubleAt192Dpi) {
    Painting p({0, 0, 2048, 1536}, 192);
    p({L"rect,10,20,%50,%25"});
    EXPECT_EQ(p.script.current(), (Rect{20, 40, 1024, 384}));

    p({L"font,255,255,0,-24,10,900,900,700", L"height,%10"});
    ASSERT_EQ(p.canvas.fonts.size(), 2u);
    EXPECT_EQ(p.canvas.fonts[0].height, -48);
    EXPECT_EQ(p.canvas.fonts[0].width, 20);
    EXPECT_EQ(p.canvas.fonts[0].escapement, 900);  // angles and weights are no lengths
    EXPECT_EQ(p.canvas.fonts[0].weight, 700);
    EXPECT_EQ(p.canvas.fonts[1].height, 153);
    p({L"height,12", L"font,1,1,1"});  // a later font line keeps the scaled height, not doubled again
    EXPECT_EQ(p.canvas.fonts.back().height, 24);
    // The default size (height 0) does not grow by itself: it is made as large as the system
    // draws it at 96 dpi, doubled.
    p({L"height,0", L"font,1,1,1,,12"});
    EXPECT_EQ(p.canvas.fonts[p.canvas.fonts.size() - 2].height, 32);
    EXPECT_EQ(p.canvas.fonts.back().height, 32);
    EXPECT_EQ(p.canvas.fonts.back().width, 24);
    EXPECT_EQ(p.script.font().height, 0);

    p.canvas.AddFile(L"C:\\App\\logo.bmp", BmpFile(40, 30));
    p.canvas.AddFile(L"C:\\App\\tile.bmp", BmpFile(16, 8));
    p({L"mode,point", L"rect,380,280", L"bitmap,logo.bmp", L"mode,bottom", L"bitmap,tile.bmp"});
    ASSERT_EQ(p.canvas.bitmaps.size(), 2u);
    EXPECT_EQ(p.canvas.bitmaps[0].size, (Size{40, 30}));
    EXPECT_EQ(p.canvas.bitmaps[0].placement,
              (BitmapPlacement{{760, 560, 840, 620}, 1, 1, false, {0, 0, 80, 60}, {80, 60}}));
    EXPECT_EQ(p.canvas.bitmaps[1].placement,
              (BitmapPlacement{{0, 1520, 32, 1536}, 64, 1, false, {0, 1520, 2048, 1536}, {32, 16}}));
}

TEST(ScaledPainting, TheDefaultFontSizeIsLeftToTheSystemAt96Dpi) {
    Painting p({0, 0, 1024, 768}, 96);
    p({L"font,1,1,1", L"height,0"});
    ASSERT_EQ(p.canvas.fonts.size(), 2u);
    EXPECT_EQ(p.canvas.fonts[0].height, 0);
    EXPECT_EQ(p.canvas.fonts[1].height, 0);
}

TEST(ScaledPainting, GradientBandsAndStackedStringsFollowTheScaledRectangle) {
    Painting p({0, 0, 1536, 1152}, 144);
    p({L"rect,0,0,100,10", L"mode,left", L"gradation,0,0,0,0,0,255,4"});
    ASSERT_EQ(p.canvas.fills.size(), 4u);
    EXPECT_EQ(p.canvas.fills[0].rect, (Rect{0, 0, 37, 15}));
    EXPECT_EQ(p.canvas.fills[3].rect, (Rect{112, 0, 150, 15}));
    // Strings are measured at the window's resolution: the next one starts where the text ends.
    p({L"rect,3,3,0,0", L"mode,bottom", L"|ab", L"|c"});
    EXPECT_EQ(p.canvas.texts, (std::vector<FakeCanvas::Drawn>{{L"ab", {5, 5, 21, 21}, true, false},
                                                              {L"c", {5, 21, 13, 37}, true, false}}));
}

}  // namespace
}  // namespace setup::testing
