#include <gtest/gtest.h>

#include "fakes.h"
#include "go2.h"
#include "option_layout.h"
#include "texts.h"

namespace setup::testing {
namespace {

TEST(OptionLayout, AVersionUpKeepsTheEarlierChoiceOrTheDistributionsWhenItsRecordIsGone) {
    const struct {
        int check;
        std::optional<int> earlier;
        int shown;
    } cases[] = {
        {1, 2, 2}, {2, 1, 1}, {2, 0, 1}, {1, 3, 2},
        // the earlier Setup.ini is gone: nothing tells its choice
        {2, std::nullopt, 2}, {1, std::nullopt, 1},
        // hidden and forced options are the distribution's
        {0, 2, 0}, {3, 1, 3}, {3, std::nullopt, 3},
    };
    for (const auto& c : cases) EXPECT_EQ(OptionAfterEarlier(c.check, c.earlier), c.shown) << c.check;
}

TEST(OptionLayout, HiddenBoxesCloseUpTheirRows) {
    const struct {
        std::array<int, kLeftOptions> left;
        int copy, del;
        bool installed, unattended;
        std::array<int, kLeftOptions> leftUp;
        int deleteUp, groupShorter, buttonsUp, windowShorter;
    } cases[] = {
        // every value of Menu: only 0 and 3 hide it and lift the rows below
        {{0, 1, 1, 1, 1}, 1, 1, false, false, {0, 1, 1, 1, 1}, 0, 0, 1, 1},
        {{1, 1, 1, 1, 1}, 1, 1, false, false, {0, 0, 0, 0, 0}, 0, 0, 0, 0},
        {{2, 1, 1, 1, 1}, 1, 1, false, false, {0, 0, 0, 0, 0}, 0, 0, 0, 0},
        {{3, 1, 1, 1, 1}, 1, 1, false, false, {0, 1, 1, 1, 1}, 0, 0, 1, 1},
        // three hidden rows, but the package group still needs its two rows
        {{0, 2, 3, 0, 1}, 2, 1, false, false, {0, 1, 1, 2, 3}, 0, 0, 2, 2},
        // a hidden Copy box lifts Delete-after and frees a row
        {{0, 3, 0, 1, 1}, 0, 2, false, false, {0, 1, 2, 3, 3}, 1, 1, 3, 3},
        // no group box: five rows free
        {{0, 0, 0, 0, 0}, 0, 3, false, false, {0, 1, 2, 3, 4}, 1, 2, 5, 5},
        // installed: the removal box needs no group; four rows at most
        {{0, 0, 0, 0, 0}, 1, 0, true, false, {0, 1, 2, 3, 4}, 0, 0, 4, 4},
        // unattended: the hidden buttons' row goes too
        {{1, 1, 1, 1, 1}, 0, 0, false, true, {0, 0, 0, 0, 0}, 1, 2, 0, 1},
        {{3, 1, 1, 1, 1}, 2, 2, false, true, {0, 1, 1, 1, 1}, 0, 0, 1, 2},
    };
    for (const auto& c : cases) {
        const OptionLayout layout = LayOutOptions(c.left, c.copy, c.del, c.installed, c.unattended);
        EXPECT_EQ(layout.leftUp, c.leftUp);
        EXPECT_EQ(layout.deleteAfterUp, c.deleteUp);
        EXPECT_EQ(layout.groupShorter, c.groupShorter);
        EXPECT_EQ(layout.buttonsUp, c.buttonsUp);
        EXPECT_EQ(layout.windowShorter, c.windowShorter);
    }
}

TEST(Go2, EntriesAndCommandLinesSplit) {
    const Go2Entry e = SplitGo2Entry(L"x.dll;Init;hide;more");
    EXPECT_EQ(e.target, L"x.dll");
    EXPECT_EQ(e.entry, L"Init");
    EXPECT_EQ(e.option, L"hide;more");
    EXPECT_EQ(SplitGo2Entry(L"notepad.exe").entry, L"");
    EXPECT_EQ(SplitGo2Entry(L"run.exe -q;;max").option, L"max");

    const struct {
        std::wstring text, file, parameters;
    } cases[] = {
        {L"\"C:\\Program Files\\App\\app.exe\" -x -y", L"\"C:\\Program Files\\App\\app.exe\"", L"-x -y"},
        {L"\"C:\\App\\app.exe\"", L"\"C:\\App\\app.exe\"", L""},
        {L"\"C:\\App\\app.exe", L"\"C:\\App\\app.exe\"", L""},
        {L"C:\\App\\app.exe -quit now", L"C:\\App\\app.exe", L"-quit now"},
        {L"app.exe", L"app.exe", L""},
    };
    for (const auto& c : cases) {
        const CommandLine line = SplitCommandLine(c.text);
        EXPECT_EQ(line.file, c.file);
        EXPECT_EQ(line.parameters, c.parameters);
    }
    EXPECT_EQ(ShowStateFor(L"hide"), ShowState::Hidden);
    EXPECT_EQ(ShowStateFor(L"min"), ShowState::Minimized);
    EXPECT_EQ(ShowStateFor(L"max"), ShowState::Maximized);
    EXPECT_EQ(ShowStateFor(L"runtime"), ShowState::Normal);
}

class Host : public Go2Host {
public:
    Library Load(const std::wstring& path, LibraryUse use) override {
        calls.push_back((use == LibraryUse::Inspect ? L"inspect " : L"load ") + path);
        return libraries.count(path) ? 7 : 0;
    }
    bool CallEntry(Library, const std::wstring& name) override {
        calls.push_back(L"call " + name);
        return name == L"Init";
    }
    void Release(Library) override { calls.push_back(L"free"); }
    bool Execute(const std::wstring& file, const std::wstring& parameters, ShowState show) override {
        calls.push_back(L"run " + file + L"|" + parameters + L"|" + std::to_wstring(static_cast<int>(show)));
        return file != L"nothing.exe";
    }
    void WaitForStarted(uint32_t timeoutMs) override { calls.push_back(L"wait " + std::to_wstring(timeoutMs)); }
    void ReportLaunchFailure(const std::wstring& file) override { calls.push_back(L"failed " + file); }
    void ReportList(const std::wstring& text) override {
        calls.push_back(L"list");
        lists.push_back(text);
    }

    std::set<std::wstring> libraries{L"C:\\App\\ok.dll"};
    std::vector<std::wstring> calls, lists;
};

TEST(Go2, RunsEntriesAndReportsEachFailureListOnce) {
    FakeSystem sys;
    FakeProfile ini{{L"Root", L"Named", L"C:\\App"},
                    {L"Go2", L"Make0", L"%root%\\ok.dll;Init"},
                    {L"Go2", L"Make1", L"%root%\\ok.dll;Missing"},
                    {L"Go2", L"Make2", L"%root%\\ok.dll;#checkexist"},
                    {L"Go2", L"Make3", L"x.dll;#CheckExist;runtime"},
                    {L"Go2", L"Make4", L"y.dll;#CheckExist"},
                    {L"Go2", L"Make5", L"z.dll;Start"},
                    {L"Go2", L"Make6", L"q.dll;Start;hide"},
                    {L"Go2", L"Make7", L"\"%root%\\app.exe\" -first;;min"},
                    {L"Go2", L"Make8", L"nothing.exe"},
                    {L"Go2", L"Make9", L"nothing.exe;;hide"},
                    {L"Go2", L"Make10", L"lib\\r.dll;Start"},
                    {L"Go2", L"Make11", L"lib\\s.dll;#CheckExist"},
                    {L"Go2", L"Erase0", L"never.exe"}};
    Host host;
    RunGo2(ini, sys, host, TextsFor(Language::English), Go2Kind::Make);
    EXPECT_EQ(host.calls, (std::vector<std::wstring>{
                              L"load C:\\App\\ok.dll", L"call Init", L"free", L"load C:\\App\\ok.dll", L"call Missing",
                              L"free", L"inspect C:\\App\\ok.dll", L"free", L"inspect C:\\Windows\\system32\\x.dll",
                              L"inspect C:\\Windows\\system32\\y.dll", L"load C:\\Windows\\system32\\z.dll",
                              L"load C:\\Windows\\system32\\q.dll", L"run \"C:\\App\\app.exe\"|-first|2",
                              L"run nothing.exe||0", L"failed nothing.exe", L"run nothing.exe||1", L"list", L"list", L"list"}));
    // The lists name each entry's target as written; a relative one is never looked for.
    EXPECT_EQ(host.lists, (std::vector<std::wstring>{L"Could not load library.\n\nz.dll\nlib\\r.dll\n",
                                                     L"Here is not library.\n\nx.dll\n -> runtime\ny.dll\nlib\\s.dll\n",
                                                     L"Could not find entry.\n\nC:\\App\\ok.dll\n -> Missing\n"}));
}

TEST(Go2, LibrariesLoadByFullPathOrFromTheSystemFolder) {
    FakeSystem sys;
    const std::wstring system = L"C:\\Windows\\system32\\";
    const std::pair<std::wstring, std::optional<std::wstring>> cases[] = {
        {L"C:\\App\\lib.dll", L"C:\\App\\lib.dll"},
        {L"d:/app/lib.dll", L"d:/app/lib.dll"},
        {L"\\\\server\\share\\lib.dll", L"\\\\server\\share\\lib.dll"},
        {L"msvbvm60.dll", system + L"msvbvm60.dll"},
        // Relative: searched for in the current folder or PATH, so never loaded.
        {L"lib\\lib.dll", std::nullopt},
        {L".\\lib.dll", std::nullopt},
        {L"C:lib.dll", std::nullopt},
        {L"\\lib.dll", std::nullopt},
        {L"", std::nullopt},
    };
    for (const auto& [target, file] : cases) EXPECT_EQ(LibraryFile(target, sys), file) << target;
}

TEST(Go2, RemovalWaitsForWhatItsEraseLinesStartedBeforeItGoesOn) {
    FakeSystem sys;
    FakeProfile ini{{L"Root", L"Named", L"C:\\App"},
                    {L"Go2", L"Erase0", L"\"%root%\\app.exe\" -quit;;hide"},
                    {L"Go2", L"Erase1", L"nothing.exe"},
                    {L"Go2", L"Erase2", L"z.dll;Stop"}};
    Host host;
    RunGo2(ini, sys, host, TextsFor(Language::English), Go2Kind::Erase);
    // Once, bounded, after the last entry and before the failures are shown.
    EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"run \"C:\\App\\app.exe\"|-quit|1", L"run nothing.exe||0",
                                                     L"failed nothing.exe", L"load C:\\Windows\\system32\\z.dll", L"wait 30000",
                                                     L"list"}));
}

TEST(Language, JapaneseOnlyOnCodePage932) {
    EXPECT_EQ(LanguageForOemCodePage(932), Language::Japanese);
    EXPECT_EQ(LanguageForOemCodePage(437), Language::English);
    EXPECT_EQ(LanguageForOemCodePage(850), Language::English);
}

}  // namespace
}  // namespace setup::testing
