#include <gtest/gtest.h>

#include "autorun.h"
#include "controller.h"
#include "fake_shell.h"

namespace zep {
namespace {

TAutorunType Entry(const std::string& name, bool use = true, bool onlyAuto = false) {
    TAutorunType e;
    e.Name = name;
    e.Use = use;
    e.OnlyAuto = onlyAuto;
    e.FileName = "C:\\" + name + ".exe";
    return e;
}

std::vector<std::string> Names(const AutorunTable& t) {
    std::vector<std::string> n;
    for (int i = 0; i < AutorunCount(t); ++i) n.push_back(t[i].Name);
    return n;
}

TEST(AutorunList, LinesShowStateModeAndName) {
    EXPECT_EQ(AutorunLine(Entry("x"), u"設定0"), u"○：毎：設定0");
    EXPECT_EQ(AutorunLine(Entry("x", false, true), u"設定0"), u"×：自：設定0");
}

TEST(AutorunList, TheTableEndsAtTheFirstEmptySlot) {
    AutorunTable t{};
    t[0] = Entry("a");
    t[2] = Entry("hand-edited");  // after an empty slot: not in the list
    EXPECT_EQ(AutorunCount(t), 1);
    EXPECT_FALSE(AutorunFull(t));
}

TEST(AutorunList, AddStopsAtTwentyEntries) {
    AutorunTable t{};
    for (int i = 0; i < kAutorunCount; ++i) {
        std::u16string expected = u"設定";
        for (char c : std::to_string(i)) expected += static_cast<char16_t>(c);
        EXPECT_EQ(DefaultEntryName(AutorunCount(t)), expected);
        ASSERT_TRUE(StoreAutorunEntry(t, AutorunCount(t), Entry("e" + std::to_string(i))));
    }
    EXPECT_TRUE(AutorunFull(t));
    EXPECT_FALSE(StoreAutorunEntry(t, AutorunCount(t), Entry("21st")));
    EXPECT_EQ(Names(t).back(), "e19");
}

TEST(AutorunList, SavedEntriesCountAsStartedAndEmptyNamesAreDiscarded) {
    AutorunTable t{};
    ASSERT_TRUE(StoreAutorunEntry(t, 0, Entry("a")));
    EXPECT_TRUE(t[0].Launched);
    TAutorunType unnamed = Entry("");
    EXPECT_FALSE(StoreAutorunEntry(t, 0, unnamed));  // an edit with the name removed changes nothing
    EXPECT_EQ(t[0].Name, "a");
    EXPECT_FALSE(StoreAutorunEntry(t, 5, Entry("gap")));  // never leaves a hole
}

TEST(AutorunList, DeletingTheFirstOfThreeKeepsTheOrder) {
    AutorunTable t{};
    for (const char* n : {"a", "b", "c"}) StoreAutorunEntry(t, AutorunCount(t), Entry(n));
    t[2].Wait = 42;
    DeleteAutorunEntry(t, 0);
    EXPECT_EQ(Names(t), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(t[1].Wait, 42);  // whole records move
    EXPECT_TRUE(t[2].Name.empty());
    // The default name counts the entries present, so names may repeat after deletions.
    EXPECT_EQ(DefaultEntryName(AutorunCount(t)), u"設定2");
}

TEST(AutorunList, DeletingTheLastOfAFullTable) {
    AutorunTable t{};
    for (int i = 0; i < kAutorunCount; ++i) StoreAutorunEntry(t, i, Entry("e" + std::to_string(i)));
    DeleteAutorunEntry(t, 19);
    EXPECT_EQ(AutorunCount(t), 19);
    DeleteAutorunEntry(t, 25);  // no such line: nothing
    EXPECT_EQ(AutorunCount(t), 19);
}

TEST(AutorunList, ToggleInvertsUseOnly) {
    AutorunTable t{};
    StoreAutorunEntry(t, 0, Entry("a"));
    t[0].Launched = false;
    ToggleAutorunEntry(t, 0);
    EXPECT_FALSE(t[0].Use);
    EXPECT_FALSE(t[0].Launched);
}

TEST(WindowCommands, NumberIsHexadecimalWithoutPrefix) {
    EXPECT_EQ(WindowCommandNumber("8001"), 0x8001u);
    EXPECT_EQ(WindowCommandNumber("ffffFFFF"), 0xFFFFFFFFu);
    EXPECT_FALSE(WindowCommandNumber("0x10"));
    EXPECT_FALSE(WindowCommandNumber(""));
    EXPECT_FALSE(WindowCommandNumber("100000000"));
    TAutorunType e;
    e.FileName = "WM_COMMAND";
    e.Work = "C:\\folder\\";
    EXPECT_TRUE(IsUnpostableWindowCommand(e));
    e.FileName = "wm_command";  // an ordinary file name then
    EXPECT_FALSE(IsUnpostableWindowCommand(e));
}

TEST(WindowCommands, SendcmdArgumentsSplit) {
    auto split = [](const std::string& a) {
        WindowCommandArgs w = SplitSendcmdArguments(a);
        return std::make_pair(w.className, w.command);
    };
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(split("TMainForm 8001 extra"), P("TMainForm", "8001"));
    EXPECT_EQ(split("TMainForm 8001"), P("TMainForm", "8001"));  // no blank after the number
    EXPECT_EQ(split("TMainForm"), P("TMainForm", ""));
    EXPECT_EQ(split("\" My Class \" 8001 x"), P("My Class", "8001"));  // the blank after the quote is skipped
    EXPECT_EQ(split("\"My Class\"8001"), P("My Class", "8001"));
    EXPECT_EQ(split("\"My Class"), P("My Class", ""));
    EXPECT_EQ(split(""), P("", ""));
}

TEST(DroppedFiles, ProgramsShortcutsAndWindowCommands) {
    EditorFill f = FillFromDroppedFile("C:\\tools\\app.exe");
    EXPECT_EQ(f.fileName, "C:\\tools\\app.exe");
    EXPECT_EQ(f.work, "C:\\tools\\");
    EXPECT_FALSE(f.parameter);

    EXPECT_TRUE(IsShortcutFile("C:\\x\\App.LNK"));
    EXPECT_FALSE(IsShortcutFile("C:\\x.lnk\\app.exe"));
    // A shortcut to an ordinary program is stored itself, not its target.
    f = FillFromShortcut("C:\\links\\app.lnk", "C:\\tools\\app.exe", "-x");
    EXPECT_EQ(f.fileName, "C:\\links\\app.lnk");
    EXPECT_EQ(f.work, "C:\\links\\");
    EXPECT_FALSE(f.parameter);

    f = FillFromShortcut("C:\\links\\cmd.lnk", "C:\\bin\\SendCmd.EXE", "TMainForm 8001");
    EXPECT_EQ(f.fileName, "WM_COMMAND");
    EXPECT_EQ(f.parameter, "TMainForm");
    EXPECT_EQ(f.work, "8001");
}

TEST(AutorunLaunch, ProgramsOpenAndWindowCommandsPostOnce) {
    FakeShell shell;
    Settings settings;
    Controller c(shell, settings);
    settings.Autorun[0] = Entry("prog");
    settings.Autorun[0].Parameter = "-x";
    settings.Autorun[0].Work = "C:\\";
    settings.Autorun[1] = Entry("cmd");
    settings.Autorun[1].FileName = "WM_COMMAND";
    settings.Autorun[1].Parameter = "TMainForm";
    settings.Autorun[1].Work = "8001";
    settings.Autorun[2] = Entry("bad");
    settings.Autorun[2].FileName = "WM_COMMAND";
    settings.Autorun[2].Work = "C:\\folder\\";
    for (int i = 0; i < 3; ++i) c.schedule().LaunchAutorunEntry(i);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"open C:\\prog.exe [-x] in [C:\\]", "command TMainForm 32769"}));
    // The entry that cannot be posted counts as started too: the next tick leaves it alone.
    EXPECT_TRUE(settings.Autorun[2].Launched);
}

}  // namespace
}  // namespace zep
