#include <gtest/gtest.h>

#include "fake_canvas.h"
#include "paint_script.h"

namespace setup::testing {
namespace {

constexpr Colour kNavy{0, 0, 128};

struct Painting {
    explicit Painting(Rect area = {0, 0, 1000, 800}, int dpi = kDesignDpi)
        : script(canvas, area, L"C:\\App", system, dpi) {}
    Painting& operator()(std::initializer_list<std::wstring> lines) {
        script.Run(std::vector<std::wstring>(lines));
        return *this;
    }
    FakeSystem system;
    FakeCanvas canvas;
    PaintScript script;
};

TEST(Gradient, NestedBandsFromTheBorderColourToTheInnermost) {
    Painting p;
    p({L"rect,%10,%10,%90,%90", L"mode,center", L"gradation,0,0,128,0,0,255"});
    const auto& fills = p.canvas.fills;
    ASSERT_EQ(fills.size(), 64u);
    EXPECT_EQ(fills.front(), (FakeCanvas::Filled{{100, 80, 900, 720}, kNavy}));
    // Band 63: inset by (800 * 63 / 64) / 2 = 393 and (640 * 63 / 64) / 2 = 315.
    EXPECT_EQ(fills.back(), (FakeCanvas::Filled{{493, 395, 507, 405}, {0, 0, 253}}));
    for (size_t k = 1; k < fills.size(); ++k) {
        const Rect &outer = fills[k - 1].rect, &inner = fills[k].rect;
        EXPECT_TRUE(inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                    inner.bottom <= outer.bottom)
            << k;
        EXPECT_EQ(fills[k].colour.blue, 128 + k * 127 / 64) << k;
    }
    EXPECT_EQ(p.script.colour(), (Colour{0, 0, 255}));
}

TEST(Gradient, BandsStartAtTheNamedEdge) {
    const Rect r{0, 0, 100, 10};
    const auto bands = [&](PaintMode mode) {
        std::vector<Rect> out;
        for (int k = 0; k < 3; ++k) out.push_back(*GradientBand(mode, r, k, 3));
        return out;
    };
    EXPECT_EQ(bands(PaintMode::Left), (std::vector<Rect>{{0, 0, 33, 10}, {33, 0, 66, 10}, {66, 0, 100, 10}}));
    EXPECT_EQ(bands(PaintMode::Right), (std::vector<Rect>{{67, 0, 100, 10}, {34, 0, 67, 10}, {0, 0, 34, 10}}));
    EXPECT_EQ(bands(PaintMode::Top), (std::vector<Rect>{{0, 0, 100, 3}, {0, 3, 100, 6}, {0, 6, 100, 10}}));
    EXPECT_EQ(bands(PaintMode::Bottom), (std::vector<Rect>{{0, 7, 100, 10}, {0, 4, 100, 7}, {0, 0, 100, 4}}));
    for (PaintMode none : {PaintMode::Point, PaintMode::Rect, PaintMode::Area})
        EXPECT_FALSE(GradientBand(none, r, 0, 3));
}

TEST(Gradient, ColoursStepsAndWhatIsMissing) {
    // Channels wrap to their low 8 bits; descending channels truncate toward zero.
    const int from[3] = {0, 255, 10}, to[3] = {300, 0, 10};
    EXPECT_EQ(GradientColour(from, to, 1, 2), (Colour{150, 128, 10}));
    EXPECT_EQ(GradientColour(from, to, 0, 2), (Colour{0, 255, 10}));
    EXPECT_EQ(GradientColour(to, from, 1, 3), (Colour{200, 85, 10}));

    Painting p;
    p({L"rect,0,0,64,64", L"mode,left", L"gradation,10,20,30,40,50"});  // blue of the second colour missing
    ASSERT_EQ(p.canvas.fills.size(), 64u);
    EXPECT_EQ(p.canvas.fills[32].colour, (Colour{25, 35, 15}));
    EXPECT_EQ(p.script.colour(), (Colour{40, 50, 0}));
    p.canvas.fills.clear();
    p({L"gradation,0,0,0,255,255,255,1"});
    EXPECT_EQ(p.canvas.fills.size(), 2u);  // at least two bands
    p.canvas.fills.clear();
    p({L"gradation,0,0,0,255,255,255,2000000000"});
    EXPECT_EQ(p.canvas.fills.size(), static_cast<size_t>(kMaxGradientSteps));
    p.canvas.fills.clear();
    // No bands in the rect mode, but the colour is taken.
    p({L"mode,rect", L"gradation,1,2,3,4,5,6", L"mode,point", L"fill", L"mode,rect", L"fill,"});
    ASSERT_EQ(p.canvas.fills.size(), 1u);
    EXPECT_EQ(p.canvas.fills[0], (FakeCanvas::Filled{{0, 0, 64, 64}, {4, 5, 6}}));
}

TEST(Fill, DrawsOnlyInTheRectAndAreaModes) {
    Painting p;
    p({L"rect,10,20,30,40", L"fill,200,100,50"});  // point mode: only the colour
    EXPECT_TRUE(p.canvas.fills.empty());
    EXPECT_EQ(p.script.colour(), (Colour{200, 100, 50}));
    p({L"mode,left", L"fill,1,2,3", L"mode,RECT", L"FILL,300", L"mode,whatever", L"fill,7,8"});
    EXPECT_EQ(p.canvas.fills,
              (std::vector<FakeCanvas::Filled>{{{10, 20, 30, 40}, {44, 2, 3}}, {{0, 0, 1000, 800}, {7, 8, 3}}}));
    EXPECT_EQ(p.script.mode(), PaintMode::Area);
}

TEST(RectLine, NumbersAndPercentagesTruncatedWithValuesNotGivenKept) {
    Painting p({0, 0, 1000, 333});
    p({L"rect,%33.3,%50,%12.34567,%-10"});
    EXPECT_EQ(p.script.current(), (Rect{333, 166, 123, -33}));  // 166.5, 123.4567 and -33.3 truncated
    p({L"rect, 5,,7"});
    EXPECT_EQ(p.script.current(), (Rect{5, 166, 7, -33}));
    p({L"rect,x12,%,99999999999999"});
    EXPECT_EQ(p.script.current(), (Rect{0, 0, 0x7fffffff, -33}));
    p({L"rect,%100000000000"});  // an absurd percentage is held, not overflowed
    EXPECT_GT(p.script.current().left, 0);
}

TEST(Strings, StackedInTheBottomModeAndRunOnInTheRightMode) {
    Painting p;
    p({L"rect,10,20,0,0", L"mode,bottom", L"|abc", L"string,de,f", L"|"});
    EXPECT_EQ(p.canvas.texts, (std::vector<FakeCanvas::Drawn>{{L"abc", {10, 20, 34, 36}, true, false},
                                                              {L"de,f", {10, 36, 42, 52}, true, false},
                                                              {L"", {10, 52, 10, 68}, true, false}}));
    EXPECT_EQ(p.script.current(), (Rect{10, 68, 10, 68}));
    p.canvas.texts.clear();
    p({L"mode,right", L"|ab", L"|c"});
    EXPECT_EQ(p.canvas.texts, (std::vector<FakeCanvas::Drawn>{{L"ab", {10, 68, 26, 84}, true, false},
                                                              {L"c", {26, 68, 34, 84}, true, false}}));
    EXPECT_EQ(p.script.current(), (Rect{34, 68, 34, 84}));
}

TEST(Strings, ClippedInTheRectModeAndNotDrawnElsewhere) {
    Painting p;
    p({L"|point mode", L"mode,center", L"string,center mode", L"rect,1,2,3,4", L"mode,rect", L"|in the box"});
    EXPECT_EQ(p.canvas.texts, (std::vector<FakeCanvas::Drawn>{{L"in the box", {1, 2, 3, 4}, true, true}}));
}

TEST(TextFiles, DrawnWholeOnSeveralLinesAndTriedInTheInstallFolderFirst) {
    Painting p;
    p.canvas.AddFile(L"notes.txt", "one\r\nthree");
    p.canvas.AddFile(L"C:\\App\\tall.txt", "a\nb\nc");
    p({L"rect,0,0,0,0", L"mode,bottom", L"text,notes.txt", L"text,tall.txt", L"text,missing.txt"});
    EXPECT_EQ(p.canvas.texts, (std::vector<FakeCanvas::Drawn>{{L"one\r\nthree", {0, 0, 40, 32}, false, false},
                                                              {L"a\nb\nc", {0, 32, 8, 80}, false, false}}));
    EXPECT_EQ(p.canvas.tried, (std::vector<std::wstring>{L"C:\\App\\notes.txt", L"notes.txt", L"C:\\App\\tall.txt",
                                                         L"C:\\App\\missing.txt", L"missing.txt"}));
    p.canvas.tried.clear();
    p({L"mode,point", L"text,notes.txt"});  // nothing to draw: the file is not even read
    EXPECT_TRUE(p.canvas.tried.empty());
}

TEST(Bitmaps, PointModeDrawsAtTheCornerAndLeavesTheBitmapsSize) {
    Painting p;
    p.canvas.AddFile(L"C:\\App\\logo.bmp", BmpFile(48, 32));
    p({L"rect,100,200,300,400", L"bitmap,logo.bmp", L"mode,rect", L"fill,1,1,1"});
    ASSERT_EQ(p.canvas.bitmaps.size(), 1u);
    EXPECT_EQ(p.canvas.bitmaps[0].size, (Size{48, 32}));
    EXPECT_EQ(p.canvas.bitmaps[0].placement.first, (Rect{100, 200, 148, 232}));
    EXPECT_EQ(p.canvas.fills.back().rect, (Rect{0, 0, 48, 32}));
}

TEST(Bitmaps, PlacementByMode) {
    const Rect area{0, 0, 100, 70}, current{5, 6, 50, 60};
    const Size s{30, 20};
    const auto place = [&](PaintMode mode) { return PlaceBitmap(mode, s, current, area); };
    EXPECT_EQ(place(PaintMode::Left), (BitmapPlacement{{0, 0, 30, 20}, 1, 4, false, {0, 0, 30, 70}, s}));
    EXPECT_EQ(place(PaintMode::Top), (BitmapPlacement{{0, 0, 30, 20}, 4, 1, false, {0, 0, 100, 20}, s}));
    EXPECT_EQ(place(PaintMode::Right), (BitmapPlacement{{70, 0, 100, 20}, 1, 4, false, {70, 0, 100, 70}, s}));
    EXPECT_EQ(place(PaintMode::Bottom), (BitmapPlacement{{0, 50, 30, 70}, 4, 1, false, {0, 50, 100, 70}, s}));
    EXPECT_EQ(place(PaintMode::Center), (BitmapPlacement{{35, 25, 65, 45}, 1, 1, false, {35, 25, 65, 45}, s}));
    EXPECT_EQ(place(PaintMode::Rect), (BitmapPlacement{current, 1, 1, true, current, s}));
    EXPECT_EQ(place(PaintMode::Area), (BitmapPlacement{{0, 0, 30, 20}, 4, 4, false, area, s}));
    // Exactly fitting copies: no extra one past the edge.
    EXPECT_EQ(PlaceBitmap(PaintMode::Area, {25, 35}, current, area).columns, 4);
    EXPECT_EQ(PlaceBitmap(PaintMode::Area, {25, 35}, current, area).rows, 2);
    EXPECT_EQ(PlaceBitmap(PaintMode::Left, {25, 35}, current, {0, 0, 100, 0}).rows, 0);
}

TEST(Bitmaps, ADamagedFileDrawsNothingAndTheScriptGoesOn) {
    Painting p;
    std::string hostile = BmpFile(4, 4, 8);
    hostile[28] = 32;  // bit count 32 with an 8-bit file's sizes: the pixel data is too short
    p.canvas.AddFile(L"C:\\App\\bad.bmp", hostile);
    p.canvas.AddFile(L"bad.bmp", BmpFile(4, 4));  // not tried: the first one could be opened
    p.canvas.AddFile(L"good.bmp", BmpFile(4, 4));
    p({L"rect,9,9,9,9", L"bitmap,bad.bmp", L"bitmap,none.bmp", L"mode,rect", L"fill,5", L"mode,point",
       L"bitmap,good.bmp"});
    EXPECT_EQ(p.canvas.fills, (std::vector<FakeCanvas::Filled>{{{9, 9, 9, 9}, {5, 0, 0}}}));
    ASSERT_EQ(p.canvas.bitmaps.size(), 1u);
    EXPECT_EQ(p.canvas.tried, (std::vector<std::wstring>{L"C:\\App\\bad.bmp", L"C:\\App\\none.bmp", L"none.bmp",
                                                         L"C:\\App\\good.bmp", L"good.bmp"}));
}

TEST(Metafiles, PlayedIntoTheRectangleOrTheAreaOnly) {
    Painting p;
    p.canvas.metafiles = {L"c:\\app\\logo.emf", L"d:\\art.emf"};
    p({L"meta,logo.emf", L"rect,1,2,3,4", L"mode,rect", L"meta,logo.emf", L"mode,area", L"meta,!D:\\art.emf",
       L"meta,missing.emf"});
    EXPECT_EQ(p.canvas.played, (std::vector<std::pair<std::wstring, Rect>>{{L"C:\\App\\logo.emf", {1, 2, 3, 4}},
                                                                           {L"D:\\art.emf", {0, 0, 1000, 800}}}));
    EXPECT_EQ(p.canvas.tried.size(), 4u);  // the point mode tried nothing; missing.emf both ways
}

TEST(Fonts, FieldsInOrderShortLinesKeepTheRestAndTheFaceIsCut) {
    Painting p;
    p({L"fill,1,2,3", L"font,200", L"height,%10"});
    EXPECT_EQ(p.canvas.textColours, (std::vector<Colour>{{200, 2, 3}}));
    ASSERT_EQ(p.canvas.fonts.size(), 2u);
    EXPECT_EQ(p.canvas.fonts[1].height, 80);
    EXPECT_EQ(p.canvas.fonts[1].charSet, 1);  // no line chose one: the system's default

    const std::wstring longFace(40, L'F');
    p({L"font,0,0,0,-24,10,900,900,700,1,1,1,128,3,2,1,49," + longFace, L"font,9,9,9,,,,,,,,,,,,,", L"height,12"});
    FontDescription expected;
    expected.height = -24;
    expected.width = 10;
    expected.escapement = expected.orientation = 900;
    expected.weight = 700;
    expected.italic = expected.underline = expected.strikeOut = 1;
    expected.charSet = 128;
    expected.outPrecision = 3;
    expected.clipPrecision = 2;
    expected.quality = 1;
    expected.pitchAndFamily = 49;
    expected.face = std::wstring(31, L'F');
    EXPECT_EQ(p.canvas.fonts[2], expected);
    EXPECT_EQ(p.canvas.fonts[3], expected);  // a line of empty fields changes only the colour
    expected.height = 12;
    expected.width = 0;
    EXPECT_EQ(p.canvas.fonts[4], expected);
    EXPECT_EQ(p.canvas.textColours.back(), (Colour{9, 9, 9}));
}

TEST(Lines, PageEndsTheScriptOtherLinesAreIgnoredAndLongOnesCut) {
    Painting p;
    const std::wstring longText(300, L'x');
    p({L"mode,rect", L"no comma here", L"button1,2,Next", L"", L"|" + longText, L"Page,2", L"fill,1"});
    ASSERT_EQ(p.canvas.texts.size(), 1u);
    EXPECT_EQ(p.canvas.texts[0].text.size(), kLineChars - 1);
    EXPECT_TRUE(p.canvas.fills.empty());
    EXPECT_TRUE(IsPageMarker(L"PAGE,"));
    EXPECT_FALSE(IsPageMarker(L"page"));
    EXPECT_FALSE(IsPageMarker(L"|page,1"));
}

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
