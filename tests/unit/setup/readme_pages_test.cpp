#include <gtest/gtest.h>

#include "fakes.h"
#include "readme_pages.h"

namespace setup::testing {
namespace {

std::vector<std::wstring> Targets(const PageButtons& b) { return {b[0].target, b[1].target, b[2].target}; }
std::vector<std::wstring> Captions(const PageButtons& b) { return {b[0].caption, b[1].caption, b[2].caption}; }

TEST(ReadmePages, WithoutAPageForTheStateTheyStartAtTheSecondLine) {
    const std::vector<std::wstring> lines{L"page,1", L"button1,2,Next", L"page,2", L"button1,1,Back"};
    PageButtons buttons;
    size_t start = PageStart(lines, L"install");
    EXPECT_EQ(start, 1u);
    SetPageButtons(lines, start, buttons);
    EXPECT_EQ(buttons[0], (PageButton{L"2", L"Next"}));
    EXPECT_EQ(Targets(buttons), (std::vector<std::wstring>{L"2", L"none", L"none"}));

    start = PageStart(lines, buttons[0].target);
    EXPECT_EQ(start, 3u);
    SetPageButtons(lines, start, buttons);
    EXPECT_EQ(buttons[0], (PageButton{L"1", L"Back"}));
    SetPageButtons(lines, PageStart(lines, buttons[0].target), buttons);
    EXPECT_EQ(buttons[0], (PageButton{L"2", L"Next"}));
}

TEST(ReadmePages, TheFirstMarkerNamingThePageWholeAndWithoutRegardToCase) {
    const std::vector<std::wstring> lines{L"fill,1", L"page,install2", L"page,INSTALL", L"x", L"page,install", L"y"};
    EXPECT_EQ(PageStart(lines, L"install"), 3u);
    EXPECT_EQ(PageStart(lines, L"versionup"), 1u);
    EXPECT_EQ(PageStart({}, L"install"), 1u);
}

TEST(ReadmePages, ACaptionStaysUntilAPageGivesAnother) {
    const std::vector<std::wstring> lines{
        L"page,install",
        L"button2,versionup,Version-up",
        L"button3,3,Three,with a comma",
        L"page,versionup",
        L"Button2,Install",  // a target alone
        L"page,3",
        L"mode,area",
        L"page,4",
        L"button1,4,",  // an empty caption is a caption
    };
    PageButtons buttons;
    SetPageButtons(lines, PageStart(lines, L"install"), buttons);
    EXPECT_EQ(Targets(buttons), (std::vector<std::wstring>{L"none", L"versionup", L"3"}));
    EXPECT_EQ(Captions(buttons), (std::vector<std::wstring>{L"", L"Version-up", L"Three,with a comma"}));
    SetPageButtons(lines, PageStart(lines, L"versionup"), buttons);
    EXPECT_EQ(Targets(buttons), (std::vector<std::wstring>{L"none", L"install", L"none"}));
    EXPECT_EQ(Captions(buttons), (std::vector<std::wstring>{L"", L"Version-up", L"Three,with a comma"}));
    SetPageButtons(lines, PageStart(lines, L"3"), buttons);
    EXPECT_EQ(Targets(buttons), (std::vector<std::wstring>{L"none", L"none", L"none"}));
    buttons[0].caption = L"kept";
    SetPageButtons(lines, PageStart(lines, L"4"), buttons);
    EXPECT_EQ(buttons[0], (PageButton{L"4", L""}));
}

TEST(ReadmePages, TargetsByTheirBeginningOrANumber) {
    EXPECT_EQ(PageTarget(L"Install-page"), L"install");
    EXPECT_EQ(PageTarget(L"VERSIONUP"), L"versionup");
    EXPECT_EQ(PageTarget(L"uninstaller"), L"uninstall");
    EXPECT_EQ(PageTarget(L"None"), L"none");
    EXPECT_EQ(PageTarget(L"12th"), L"12");
    EXPECT_EQ(PageTarget(L"next"), L"0");
}

TEST(ReadmePages, TheLinesUpToNoWithGapsAsEmptyLines) {
    FakeProfile ini{{L"Readme", L"No", L"3"},
                    {L"Readme", L"0", L"page,1"},
                    {L"Readme", L"2", L"fill,1"},
                    {L"Readme", L"3", L"beyond"}};
    EXPECT_EQ(ReadReadmeLines(ini), (std::vector<std::wstring>{L"page,1", L"", L"fill,1"}));
    ini.Write(L"Readme", L"No", L"-5");
    EXPECT_TRUE(ReadReadmeLines(ini).empty());
    ini.Write(L"Readme", L"No", L"2000000000");
    EXPECT_EQ(ReadReadmeLines(ini).size(), static_cast<size_t>(kMaxReadmeLines));
}

TEST(ReadmeFile, ShownWholeUpToItsBoundElseUpToTheLastWholeLine) {
    bool cut = true;
    EXPECT_EQ(ReadmeShown("short\r\ntext", cut), "short\r\ntext");
    EXPECT_FALSE(cut);
    const std::string fits(kMaxReadmeBytes, 'x');
    EXPECT_EQ(ReadmeShown(fits, cut), fits);
    EXPECT_FALSE(cut);
    std::string lines = "first\r\n" + std::string(kMaxReadmeBytes, '\x82');  // two-byte characters
    EXPECT_EQ(ReadmeShown(lines, cut), "first\r\n");
    EXPECT_TRUE(cut);
    EXPECT_EQ(ReadmeShown(std::string(kMaxReadmeBytes + 1, 'y'), cut).size(), kMaxReadmeBytes);
    EXPECT_TRUE(cut);
}

}  // namespace
}  // namespace setup::testing
