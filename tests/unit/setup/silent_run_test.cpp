// The command line of an unattended deployment, its exit codes, the log's entries and the room
// check before copying.
#include <gtest/gtest.h>

#include "arguments.h"
#include "exit_codes.h"
#include "fakes.h"
#include "room_check.h"
#include "run_log.h"

namespace setup::testing {
namespace {

TEST(Arguments, SwitchesWordsAndTheFolderAsDeploymentToolsPassThem) {
    struct Case {
        const wchar_t* text;
        std::wstring word, folder, log;
        bool silent, noRestart, accept, help;
        std::vector<std::wstring> unknown;
    };
    const Case cases[] = {
        {L"", L"", L"", L"", false, false, false, false, {}},
        {L"uninstall", L"uninstall", L"", L"", false, false, false, false, {}},
        {L"uninstall /S", L"uninstall", L"", L"", true, false, false, false, {}},
        {L"/s uninstall", L"uninstall", L"", L"", true, false, false, false, {}},
        {L"-S -norestart -Accept", L"", L"", L"", true, true, true, false, {}},
        {L"/?", L"", L"", L"", false, false, false, true, {}},
        // /D= takes the rest of the line, blanks and all, and ends the switches.
        {L"/S /D=C:\\Program Files\\My App", L"", L"C:\\Program Files\\My App", L"", true, false, false, false, {}},
        {L"/S /d=C:\\My App /LOG=x.log ", L"", L"C:\\My App /LOG=x.log", L"", true, false, false, false, {}},
        {L"/D=\"C:\\Quoted Folder\"", L"", L"C:\\Quoted Folder", L"", false, false, false, false, {}},
        {L"/S\t/LOG=C:\\logs\\setup.log /D=C:\\App", L"", L"C:\\App", L"C:\\logs\\setup.log", true, false, false, false,
         {}},
        {L"\"/LOG=C:\\my logs\\a.log\" /S", L"", L"", L"C:\\my logs\\a.log", true, false, false, false, {}},
        {L"/S \"/D=C:\\Quoted Whole\"", L"", L"C:\\Quoted Whole", L"", true, false, false, false, {}},
        {L"/log=\"C:\\my logs\\b.log\"", L"", L"", L"C:\\my logs\\b.log", false, false, false, false, {}},
        // What setup does not know is kept, so that it is refused rather than half understood.
        {L"/S /Q /LOG= remove now", L"remove", L"", L"", true, false, false, false, {L"/Q", L"/LOG=", L"now"}},
        {L"/SILENT", L"", L"", L"", false, false, false, false, {L"/SILENT"}},
    };
    for (const Case& c : cases) {
        const Arguments a = ParseArguments(c.text);
        EXPECT_EQ(a.word, c.word) << c.text;
        EXPECT_EQ(a.installFolder, c.folder) << c.text;
        EXPECT_EQ(a.logFile, c.log) << c.text;
        EXPECT_EQ(a.silent, c.silent) << c.text;
        EXPECT_EQ(a.noRestart, c.noRestart) << c.text;
        EXPECT_EQ(a.accept, c.accept) << c.text;
        EXPECT_EQ(a.help, c.help) << c.text;
        EXPECT_EQ(a.unknown, c.unknown) << c.text;
    }
}

TEST(Arguments, ASilentRunRestartsOnlyWhenAskedAndNeededAndPassesAnAgreementOnlyWithAccept) {
    EXPECT_FALSE(RestartsUnasked(ParseArguments(L"/S"), true));
    EXPECT_TRUE(RestartsUnasked(ParseArguments(L"/S /RESTART"), true));
    EXPECT_FALSE(RestartsUnasked(ParseArguments(L"/S /RESTART"), false));
    EXPECT_FALSE(RestartsUnasked(ParseArguments(L"/S /RESTART /NORESTART"), true));
    EXPECT_FALSE(RestartsUnasked(ParseArguments(L"/RESTART"), true));  // a person is asked

    EXPECT_TRUE(StopsAtAgreement(ParseArguments(L"/S"), true));
    EXPECT_FALSE(StopsAtAgreement(ParseArguments(L"/S /ACCEPT"), true));
    EXPECT_FALSE(StopsAtAgreement(ParseArguments(L"/S"), false));
    EXPECT_FALSE(StopsAtAgreement(ParseArguments(L""), true));  // the readme window asks
}

TEST(Arguments, OneSetupAtATimePerProductWhateverTheCaseOrBackslashes) {
    EXPECT_EQ(SingleSetupName(L"Test App"), SingleSetupName(L"TEST app"));
    EXPECT_NE(SingleSetupName(L"Test App"), SingleSetupName(L"Other App"));
    const std::wstring name = SingleSetupName(L"Acme\\Tool");
    EXPECT_EQ(name.rfind(L"Local\\", 0), 0u);
    EXPECT_EQ(name.find(L'\\', 6), std::wstring::npos);
    EXPECT_LE(SingleSetupName(std::wstring(5000, L'x')).size(), 260u);
}

TEST(ExitCodes, WhatStoppedTheRunComesBeforeWhatItLeftUndone) {
    EXPECT_EQ(ExitCodeFor({}), 0);
    // Each reason alone, then with every reason listed after it (which it outranks).
    const std::pair<bool RunOutcome::*, int> ranked[] = {
        {&RunOutcome::badCommandLine, 1639}, {&RunOutcome::alreadyRunning, 1618},
        {&RunOutcome::cancelled, 1602},      {&RunOutcome::folderRefused, 267},   {&RunOutcome::noRoom, 112},
        {&RunOutcome::filesNotCopied, 1603}, {&RunOutcome::installedSetupNotStarted, 1603},
        {&RunOutcome::restartNeeded, 3010},
    };
    for (size_t i = 0; i < std::size(ranked); ++i) {
        RunOutcome alone, withLater;
        alone.*ranked[i].first = true;
        withLater.*ranked[i].first = true;
        for (size_t j = i + 1; j < std::size(ranked); ++j) withLater.*ranked[j].first = true;
        EXPECT_EQ(ExitCodeFor(alone), ranked[i].second);
        EXPECT_EQ(ExitCodeFor(withLater), ranked[i].second);  // e.g. files missing outrank the restart
    }
}

TEST(RunLog, EntriesAreUtf8LinesWithTheirTimeAndAListStaysOneEntry) {
    const LogTime t{2026, 12, 9, 7, 5, 3};
    EXPECT_EQ(LogEntry(t, L"copied: a"), "2026-12-09 07:05:03  copied: a\r\n");
    EXPECT_EQ(LogEntry(t, L"テスト"), "2026-12-09 07:05:03  \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\r\n");
    EXPECT_EQ(LogEntry(t, L"message: App\r\nNew file exist...\r\n\r\nC:\\a\r\n"),
              "2026-12-09 07:05:03  message: App\r\n    New file exist...\r\n    C:\\a\r\n");
    EXPECT_EQ(LogEntry(t, L""), "2026-12-09 07:05:03  \r\n");
    EXPECT_EQ(Utf8(L"\u00e9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(RoomCheck, ReplacedFilesNeedOnlyTheirGrowthAndMissingOnesNothing) {
    EXPECT_EQ(RoomNeeded({{100, std::nullopt}, {50, 80}, {200, 150}, {std::nullopt, 10}}), 100u + 0u + 50u);

    FakeProfile ini;
    FakeSystem sys;
    ini.Write(L"CopyFile", L"0", L"!&app.exe");
    ini.Write(L"CopyFile", L"1", L"%windows%\\app.ini");
    ini.Write(L"CopyFile", L"Self", L"pkg\\app.zip");
    const CopyJob job{L"C:\\App", L"D:\\dist", true, false};
    const std::vector<PlannedFile> planned = PlannedFiles(ini, sys, job);
    ASSERT_EQ(planned.size(), 3u);
    EXPECT_EQ(planned[0].source, L"D:\\dist\\app.exe");
    EXPECT_EQ(planned[0].target, L"C:\\App\\app.exe");
    EXPECT_EQ(planned[1].target, L"C:\\Windows\\app.ini");
    EXPECT_EQ(planned[2].source, L"D:\\dist\\pkg\\app.zip");
    EXPECT_EQ(planned[2].target, L"C:\\App\\app.zip");
    EXPECT_EQ(PlannedFiles(ini, sys, {L"C:\\App", L"D:\\dist", false, false}).size(), 2u);  // the package stays

    EXPECT_EQ(NoRoomMessage(TextsFor(Language::English), L"C:\\App", 1025, 1024),
              L"There is not enough free space on the drive of the install folder.\n\nC:\\App\n\nNeeded: 2 KB\n"
              L"Free: 1 KB\n\nNothing was copied. Make room, or choose another install folder.");
}

}  // namespace
}  // namespace setup::testing
