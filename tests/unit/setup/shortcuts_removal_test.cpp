#include <gtest/gtest.h>

#include "fakes.h"
#include "install_record.h"
#include "removal.h"
#include "shortcuts.h"

namespace setup::testing {
namespace {

TEST(ShortcutKeys, ShowStatesAndHotKeys) {
    EXPECT_EQ(ShowCommand(0), kShowNormal);
    EXPECT_EQ(ShowCommand(1), kShowMaximized);
    EXPECT_EQ(ShowCommand(2), kShowMinimizedNoActive);
    EXPECT_EQ(ShowCommand(5), kShowNormal);
    EXPECT_EQ(HotKey(L"Z"), 0x065A);       // Ctrl+Alt+Z
    EXPECT_EQ(HotKey(L"z"), 0x065A);       // the letter's key, not numpad 9 (0x7A is F11)
    EXPECT_EQ(HotKey(L"5"), 0x0635);
    EXPECT_EQ(HotKey(L"\\112"), 0x0670);   // F1 by its key code
    EXPECT_EQ(HotKey(L"\\368"), 0x0770);   // Shift (1) in the high byte stays
    EXPECT_EQ(HotKey(L""), 0);
    EXPECT_EQ(HotKey(L"あ"), 0);
}

class Places : public ::testing::Test {
protected:
    Places() {
        sys.executables[Fold(L"C:\\App\\app.exe")] = L"C:\\App\\app.exe";
        sys.files.insert(Fold(L"C:\\App\\app.exe"));
        ini.Write(L"Root", L"Named", L"C:\\App");
        ini.Write(L"Menu", L"Name", L"ZEP!");
    }
    void Section(const std::wstring& section, std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> keys) {
        for (auto [k, v] : keys) ini.Write(section, k, v);
    }
    const Shortcut& At(const std::wstring& link) { return shell.shortcuts.at(Fold(link)); }

    FakeProfile ini;
    FakeSystem sys;
    FakeFiles files;
    FakeShortcutShell shell{files};
    ShellJob job{ini, sys, files, shell};
    const std::wstring programs = L"C:\\Users\\taro\\Start Menu\\Programs";
};

TEST_F(Places, MenuShortcutsWithSubFoldersAndTheirRemoval) {
    Section(L"Menu0", {{L"Name", L"ZEP!"}, {L"Path", L"app.exe"}, {L"Arg", L"-x"}, {L"Show", L"1"}});
    Section(L"Menu1", {{L"Name", L"Tools\\Editor"}, {L"Path", L"!C:\\Windows\\notepad.exe"}, {L"Work", L"!C:\\"},
                       {L"Icon", L"app.exe"}, {L"IconNo", L"2"}});
    Section(L"Menu2", {{L"Name", L"\\Outside"}, {L"Path", L"app.exe"}, {L"Work", L"logs"}});
    Section(L"Menu4", {{L"Name", L"after a gap"}, {L"Path", L"app.exe"}});
    ini.Write(L"Check", L"Menu", L"1");
    MakeMenuShortcuts(job);
    const std::wstring menu = programs + L"\\ZEP!";
    const Shortcut& main = At(menu + L"\\ZEP!.lnk");
    EXPECT_EQ(main.target, L"C:\\App\\app.exe");
    EXPECT_EQ(main.arguments, L"-x");
    EXPECT_EQ(main.workFolder, L"C:\\App");
    EXPECT_EQ(main.show, kShowMaximized);
    EXPECT_EQ(main.hotKey, 0);
    const Shortcut& editor = At(menu + L"\\Tools\\Editor.lnk");
    EXPECT_EQ(editor.target, L"C:\\Windows\\notepad.exe");
    EXPECT_EQ(editor.workFolder, L"C:\\");
    EXPECT_EQ(editor.icon, L"C:\\App\\app.exe");
    EXPECT_EQ(editor.iconIndex, 2);
    EXPECT_EQ(At(programs + L"\\Outside.lnk").workFolder, L"C:\\App\\logs");
    EXPECT_EQ(shell.shortcuts.size(), 3u);
    EXPECT_EQ(ini.Get(L"Check", L"Menu"), L"2");

    RemoveMenuShortcuts(job);
    EXPECT_TRUE(shell.shortcuts.empty());
    EXPECT_FALSE(files.Exists(menu + L"\\Tools"));
    EXPECT_FALSE(files.Exists(menu));
    EXPECT_EQ(ini.Get(L"Check", L"Menu"), L"1");
}

TEST_F(Places, NoMoreShortcutSectionsAreReadThanAListHolds) {
    for (int i = 0; i < kMaxListEntries + 2; ++i)
        Section(L"Menu" + std::to_wstring(i), {{L"Name", (L"n" + std::to_wstring(i)).c_str()}, {L"Path", L"app.exe"}});
    MakeMenuShortcuts(job);
    EXPECT_EQ(shell.shortcuts.size(), static_cast<size_t>(kMaxListEntries));
}

TEST_F(Places, ANestedMenuNameIsMadeAndRemovedWholeAndAFolderNotMadeIsReported) {
    ini.Write(L"Menu", L"Name", L"Vendor\\ZEP!");
    Section(L"Menu0", {{L"Name", L"ZEP!"}, {L"Path", L"app.exe"}});
    ini.Write(L"Menu", L"Open", L"1");
    MakeMenuShortcuts(job);
    EXPECT_TRUE(files.Exists(programs + L"\\Vendor\\ZEP!\\ZEP!.lnk"));
    EXPECT_EQ(shell.opened, (std::vector<std::wstring>{programs + L"\\Vendor\\ZEP!"}));  // not empty: shown
    RemoveMenuShortcuts(job);
    EXPECT_FALSE(files.Exists(programs + L"\\Vendor"));
    EXPECT_TRUE(files.Exists(programs));

    files.refusedFolders.insert(Fold(programs + L"\\Vendor\\ZEP!"));
    MakeMenuShortcuts(job);
    EXPECT_EQ(shell.reports, (std::vector<std::wstring>{programs + L"\\Vendor\\ZEP!"}));
    EXPECT_EQ(shell.paused, 6u * 500u);  // seven attempts
}

TEST_F(Places, SendToDesktopAndStartupWithTheirHotKeysAndLastGo) {
    Section(L"Send0", {{L"Name", L"Tools\\ZEP!"}, {L"Path", L"app.exe"}});
    Section(L"Desktop", {{L"Name", L"ZEP!"}, {L"Path", L"app.exe"}, {L"Short", L"z"}, {L"Show", L"2"}});
    Section(L"Startup", {{L"Name", L"$Once"}, {L"Path", L"app.exe"}, {L"Short", L"\\112"}});
    ini.Write(L"Check", L"Desktop", L"1");
    MakeSendToShortcuts(job);
    MakePlaceShortcut(job, keys::kDesktop);
    MakePlaceShortcut(job, keys::kStartup);
    EXPECT_TRUE(files.Exists(L"C:\\Users\\taro\\SendTo\\Tools\\ZEP!.lnk"));
    EXPECT_EQ(At(L"C:\\Users\\taro\\Desktop\\ZEP!.lnk").hotKey, 0x065A);
    EXPECT_EQ(At(L"C:\\Users\\taro\\Desktop\\ZEP!.lnk").show, kShowMinimizedNoActive);
    EXPECT_EQ(At(programs + L"\\Startup\\$Once.lnk").hotKey, 0x0670);
    EXPECT_EQ(ini.Get(L"LastGo", L"Desktop"), L"C:\\Users\\taro\\Desktop\\ZEP!.lnk");
    EXPECT_EQ(ini.Get(L"Check", L"Desktop"), L"2");
    EXPECT_FALSE(ini.Has(L"Check", L"Startup") && ini.Get(L"Check", L"Startup") != L"2");

    RemoveSendToShortcuts(job);
    RemovePlaceShortcut(job, keys::kDesktop);
    RemovePlaceShortcut(job, keys::kStartup);
    EXPECT_FALSE(files.Exists(L"C:\\Users\\taro\\SendTo\\Tools"));
    EXPECT_TRUE(files.Exists(L"C:\\Users\\taro\\SendTo"));
    EXPECT_EQ(shell.shortcuts.size(), 0u);
    EXPECT_EQ(ini.Get(L"LastGo", L"Desktop"), L"");
    EXPECT_EQ(ini.Get(L"Check", L"Desktop"), L"1");
}

// LastGo's shortcuts made as an installation makes them, then opened at its end.
class LastGo : public Places {
protected:
    void Make(std::initializer_list<const wchar_t*> menuNames, const wchar_t* startup) {
        int i = 0;
        for (const wchar_t* name : menuNames)
            Section(L"Menu" + std::to_wstring(i++), {{L"Name", name}, {L"Path", L"app.exe"}});
        Section(L"Startup", {{L"Name", startup}, {L"Path", L"app.exe"}});
        Section(L"Desktop", {{L"Name", L"ZEP!"}, {L"Path", L"app.exe"}});
        MakeMenuShortcuts(job);
        MakePlaceShortcut(job, keys::kStartup);
        MakePlaceShortcut(job, keys::kDesktop);
    }
    void Open() {
        UserLaunches launches(launcher);
        OpenLastGo(job, launches);
        deferred = launches.DeferredMessage(TextsFor(Language::English));
    }
    FakeLauncher launcher;
    std::wstring deferred;
    const std::wstring menu = programs + L"\\ZEP!", startup = programs + L"\\Startup\\";
    const std::wstring desktop = L"C:\\Users\\taro\\Desktop\\";
};

TEST_F(LastGo, OneShotsGoOnceOpenedAndTheLastTakesTheMenuFolder) {
    Make({L"$Welcome", L"$Register"}, L"$Once");
    Section(L"LastGo", {{L"0", L"$Welcome"}, {L"1", L"$Register"}, {L"StartupAndGo", L"1"}, {L"DesktopAndGo", L"1"}});
    Open();
    EXPECT_EQ(launcher.direct, (std::vector<std::wstring>{menu + L"\\$Welcome.lnk", menu + L"\\$Register.lnk",
                                                          startup + L"$Once.lnk", desktop + L"ZEP!.lnk"}));
    EXPECT_EQ(files.recycled,
              (std::vector<std::wstring>{menu + L"\\$Welcome.lnk", menu + L"\\$Register.lnk", startup + L"$Once.lnk"}));
    EXPECT_FALSE(files.Exists(menu));
    EXPECT_TRUE(files.Exists(desktop + L"ZEP!.lnk"));
}

TEST_F(LastGo, AnOrdinaryEntryKeepsTheMenuAndAPlaceOpensOnlyWhenAsked) {
    Make({L"ZEP!", L"$Once"}, L"ZEP!");
    Section(L"LastGo", {{L"0", L"ZEP!"}, {L"1", L"$Once"}, {L"DesktopAndGo", L"0"}});
    Open();
    EXPECT_EQ(launcher.direct, (std::vector<std::wstring>{menu + L"\\ZEP!.lnk", menu + L"\\$Once.lnk"}));
    EXPECT_EQ(files.recycled, std::vector<std::wstring>{menu + L"\\$Once.lnk"});
    EXPECT_TRUE(files.Exists(menu + L"\\ZEP!.lnk"));
}

TEST_F(LastGo, WithoutAMenuOfItsOwnNothingInTheProgramsFolderIsOpened) {
    ini.Write(L"Menu", L"Name", L"");
    files.AddFile(programs + L"\\$Welcome.lnk", 1);
    Section(L"LastGo", {{L"0", L"$Welcome"}});
    Open();
    EXPECT_TRUE(launcher.direct.empty());
    EXPECT_TRUE(files.Exists(programs + L"\\$Welcome.lnk"));
}

// A one-shot whose program did not start stays where the user can start it, as the closing message says.
TEST_F(LastGo, AOneShotThatDidNotStartStaysWithItsMenu) {
    Make({L"$Welcome"}, L"$Once");
    Section(L"LastGo", {{L"0", L"$Welcome"}, {L"StartupAndGo", L"1"}});
    launcher.directWorks = false;
    Open();
    EXPECT_EQ(launcher.direct.size(), 2u);
    launcher.facts = {{L"S-1-5-21-1-2-3-1001", true, false}, std::nullopt};  // elevated, no shell to start it
    Open();
    EXPECT_EQ(launcher.direct.size(), 2u);
    EXPECT_NE(deferred.find(L"$Welcome\n$Once\n"), std::wstring::npos);
    EXPECT_TRUE(files.recycled.empty());
    EXPECT_TRUE(files.Exists(menu + L"\\$Welcome.lnk"));
    EXPECT_TRUE(files.Exists(startup + L"$Once.lnk"));
}

class Removal : public ::testing::Test {
protected:
    Removal() {
        for (const wchar_t* f : {L"C:\\Tools", L"C:\\Tools\\App", L"C:\\Tools\\App\\data", L"C:\\Tools\\App\\extra"})
            files.AddFolder(f);
        for (const wchar_t* f : {L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\data\\a.dat", L"C:\\Tools\\App\\Setup.exe",
                                 L"C:\\Tools\\App\\Setup.ini", L"C:\\Tools\\App\\x.log", L"C:\\Tools\\App\\y.log"})
            files.AddFile(f, 1);
        // The install folder's parent was made for it, and recorded first.
        for (auto [k, v] : std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>{
                 {L"0", L"C:\\Tools"}, {L"1", L"C:\\Tools\\App"}, {L"2", L"C:\\Tools\\App\\data"}, {L"Count", L"3"}})
            ini.Write(L"MakedDirectory", k, v);
        ini.Write(L"CopiedFile", L"0", L"C:\\Tools\\App\\app.exe");
        ini.Write(L"CopiedFile", L"1", L"C:\\Tools\\App\\data\\a.dat");
        ini.Write(L"CopiedFile", L"Count", L"2");
        ini.Write(L"Root", L"Named", L"C:\\Tools\\App");
        ini.Write(L"Del", L"0", L"*.log");
        ini.Write(L"DirRemove", L"1", L"extra");
    }
    FakeProfile ini;
    FakeSystem sys;
    FakeFiles files;
};

TEST_F(Removal, FilesGoToTheBinLatestFirstAndOnlySetupIsLeftForTheSelfRemoval) {
    DeleteInstalledFiles(ini, files, sys);
    EXPECT_EQ(files.recycled, (std::vector<std::wstring>{L"C:\\Tools\\App\\x.log", L"C:\\Tools\\App\\y.log",
                                                         L"C:\\Tools\\App\\data\\a.dat", L"C:\\Tools\\App\\app.exe"}));
    EXPECT_FALSE(files.Exists(L"C:\\Tools\\App\\data"));
    EXPECT_FALSE(files.Exists(L"C:\\Tools\\App\\extra"));
    EXPECT_TRUE(files.Exists(L"C:\\Tools\\App"));
    EXPECT_TRUE(Leftovers(ini, files, sys).empty());  // Setup.exe and Setup.ini do not count
    EXPECT_EQ(MadeParentsOfInstallFolder(ini), L"C:\\Tools");
}

TEST_F(Removal, WhatStaysIsListedFilesFirst) {
    files.AddFile(L"C:\\Tools\\App\\data\\mine.txt", 1);
    files.AddFile(L"C:\\Tools\\App\\notes.txt", 1);
    files.locked.insert(Fold(L"C:\\Tools\\App\\app.exe"));
    DeleteInstalledFiles(ini, files, sys);
    EXPECT_EQ(Leftovers(ini, files, sys), (std::vector<std::wstring>{L"C:\\Tools\\App\\app.exe",
                                                                      L"C:\\Tools\\App\\data", L"C:\\Tools\\App"}));
}

TEST_F(Removal, ARecordedFolderIsNeverTakenAsAFileWithWhatItHolds) {
    files.AddFile(L"C:\\Tools\\App\\data\\mine.txt", 1);
    files.AddFile(L"C:\\Tools\\App\\notes.txt", 1);
    // a package named without a file name, and a copied path that is a folder now
    ini.Write(L"CopiedFile", L"2", L"C:\\Tools\\App\\");
    ini.Write(L"CopiedFile", L"3", L"C:\\Tools\\App\\data");
    ini.Write(L"CopiedFile", L"Count", L"4");
    DeleteInstalledFiles(ini, files, sys);
    EXPECT_EQ(files.recycled, (std::vector<std::wstring>{L"C:\\Tools\\App\\x.log", L"C:\\Tools\\App\\y.log",
                                                         L"C:\\Tools\\App\\data\\a.dat", L"C:\\Tools\\App\\app.exe"}));
    EXPECT_TRUE(files.Exists(L"C:\\Tools\\App\\data\\mine.txt"));
    EXPECT_TRUE(files.Exists(L"C:\\Tools\\App\\notes.txt"));
    EXPECT_EQ(Leftovers(ini, files, sys),
              (std::vector<std::wstring>{L"C:\\Tools\\App\\data", L"C:\\Tools\\App"}));
}

TEST_F(Removal, WhatTheRecordHoldsPastItsCountIsRemovedAsAVersionUpKeptIt) {
    // A run that ended between recording a file or folder and counting it.
    files.AddFile(L"C:\\Tools\\App\\late.dll", 1);
    files.AddFolder(L"C:\\Tools\\App\\cache");
    ini.Write(L"CopiedFile", L"2", L"C:\\Tools\\App\\late.dll");
    ini.Write(L"MakedDirectory", L"3", L"C:\\Tools\\App\\cache");
    // The version-up that follows keeps them on record...
    FakeProfile next{{L"Root", L"Named", L"C:\\Tools\\App"}, {L"CopiedFile", L"0", L"C:\\Tools\\App\\app.exe"},
                     {L"CopiedFile", L"Count", L"1"}};
    InstallRecord(next).Merge(InstallRecord(ini));
    EXPECT_EQ(InstallRecord(next).Files(), InstallRecord(ini).Files());
    // ... and a removal from either record reaches them.
    for (FakeProfile* record : {&ini, &next}) {
        files.AddFile(L"C:\\Tools\\App\\late.dll", 1);
        files.AddFolder(L"C:\\Tools\\App\\cache");
        DeleteInstalledFiles(*record, files, sys);
        EXPECT_NE(std::find(files.recycled.begin(), files.recycled.end(), L"C:\\Tools\\App\\late.dll"),
                  files.recycled.end());
        EXPECT_FALSE(files.Exists(L"C:\\Tools\\App\\late.dll"));
        EXPECT_FALSE(files.Exists(L"C:\\Tools\\App\\cache"));
        EXPECT_TRUE(Leftovers(*record, files, sys).empty());
        files.recycled.clear();
    }
}

TEST_F(Removal, AFolderMadeInsideTheInstallFolderGoesWhereverItStandsInTheRecord) {
    // The first entry too: only the install folder and the folders above it are left for later.
    ini.Write(L"MakedDirectory", L"0", L"C:\\Tools\\App\\data");
    ini.Write(L"MakedDirectory", L"Count", L"1");
    ini.Write(L"MakedDirectory", L"1", L"");
    ini.Write(L"MakedDirectory", L"2", L"");
    DeleteInstalledFiles(ini, files, sys);
    EXPECT_FALSE(files.Exists(L"C:\\Tools\\App\\data"));
    EXPECT_TRUE(Leftovers(ini, files, sys).empty());
    EXPECT_EQ(MadeParentsOfInstallFolder(ini), L"");
}

TEST_F(Removal, LeftoversAreListedOrLeftForTheRestartWithTheFolderAndSetup) {
    const Texts& texts = TextsFor(Language::English);
    files.AddFile(L"C:\\Tools\\App\\data\\mine.txt", 1);
    files.locked.insert(Fold(L"C:\\Tools\\App\\app.exe"));
    DeleteInstalledFiles(ini, files, sys);
    const std::vector<std::wstring> setupFiles{L"C:\\Tools\\App\\Setup.exe", L"C:\\Tools\\App\\Setup.ini"};

    LeftoverPlan plan = PlanLeftovers(ini, files, sys, texts, setupFiles);  // neither key: nothing said
    EXPECT_FALSE(plan.pendingAtRestart);
    EXPECT_TRUE(plan.atRestart.empty());
    EXPECT_EQ(plan.message, L"");

    ini.Write(L"Del", L"ShowError", L"1");
    plan = PlanLeftovers(ini, files, sys, texts, setupFiles);
    EXPECT_FALSE(plan.pendingAtRestart);
    EXPECT_TRUE(plan.atRestart.empty());
    EXPECT_EQ(plan.message, std::wstring(texts.notDeleted) + L"C:\\Tools\\App\\app.exe\nC:\\Tools\\App\\data\nC:\\Tools\\App\n");

    ini.Write(L"Del", L"Reboot", L"1");
    plan = PlanLeftovers(ini, files, sys, texts, setupFiles);
    EXPECT_TRUE(plan.pendingAtRestart);
    EXPECT_EQ(plan.message,
              std::wstring(texts.deleteAfterRestart) + L"C:\\Tools\\App\\app.exe\nC:\\Tools\\App\\data\nC:\\Tools\\App\n");
    // setup's own files first, then what stayed, the install folder and the parent made for it
    EXPECT_EQ(plan.atRestart, (std::vector<std::wstring>{L"C:\\Tools\\App\\Setup.exe", L"C:\\Tools\\App\\Setup.ini",
                                                         L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\data",
                                                         L"C:\\Tools\\App", L"C:\\Tools"}));  // the folder once
    // A distribution's setup keeps its files.
    EXPECT_EQ(PlanLeftovers(ini, files, sys, texts, {}).atRestart.front(), L"C:\\Tools\\App\\app.exe");

    // Nothing left: nothing waits and nothing is said, whatever the keys.
    files.locked.clear();
    files.Remove(L"C:\\Tools\\App\\data\\mine.txt");
    DeleteInstalledFiles(ini, files, sys);
    plan = PlanLeftovers(ini, files, sys, texts, setupFiles);
    EXPECT_FALSE(plan.pendingAtRestart);
    EXPECT_TRUE(plan.atRestart.empty());
    EXPECT_EQ(plan.message, L"");
}

TEST_F(Removal, WithoutAnInstallFolderDelAndDirRemoveTouchNothing) {
    ini.Write(L"Root", L"Named", L"");
    files.AddFile(L"x.log", 1);  // relative: wherever removal runs
    DeleteInstalledFiles(ini, files, sys);
    EXPECT_TRUE(files.Exists(L"C:\\Tools\\App\\x.log"));
    EXPECT_TRUE(files.Exists(L"C:\\Tools\\App\\extra"));
    EXPECT_FALSE(files.Exists(L"C:\\Tools\\App\\app.exe"));  // the record itself is whole paths
}

TEST_F(Removal, ReplacementsWaitingForTheRestartThatWouldBringRemovedFilesBackAreCancelled) {
    ini.Write(L"CopiedFile", L"2", L"C:\\Windows\\app.ini");  // recorded outside the install folder
    ini.Write(L"CopiedFile", L"Count", L"3");
    const std::vector<std::wstring> operations = {
        L"\\??\\C:\\Tools\\App\\RBT1.tmp", L"!\\??\\C:\\tools\\app\\APP.EXE",  // a version-up's file in use
        L"\\??\\C:\\Other\\new.dll", L"!\\??\\C:\\Other\\old.dll",            // another program's
        L"\\??\\C:\\Windows\\RBT2.tmp", L"!\\??\\C:\\Windows\\app.ini",       // recorded elsewhere
        L"\\??\\C:\\Tools\\App\\mine.txt", L"",                              // a deletion stays
        L"\\??\\C:\\Temp\\x.tmp", L"!\\??\\C:\\Tools\\App\\data\\b.dat",     // into the folder, not ours
        L"\\??\\C:\\Tools\\Apple\\RBT3.tmp", L"!\\??\\C:\\Tools\\Apple\\a.exe",  // a neighbour's
        L"\\??\\C:\\odd"};
    const RestartRenames renames = WithoutReplacementsOfRemoved(operations, ini);
    EXPECT_EQ(renames.operations,
              (std::vector<std::wstring>{L"\\??\\C:\\Other\\new.dll", L"!\\??\\C:\\Other\\old.dll",
                                         L"\\??\\C:\\Tools\\App\\mine.txt", L"",
                                         L"\\??\\C:\\Tools\\Apple\\RBT3.tmp", L"!\\??\\C:\\Tools\\Apple\\a.exe",
                                         L"\\??\\C:\\odd"}));
    EXPECT_EQ(renames.standIns,
              (std::vector<std::wstring>{L"C:\\Tools\\App\\RBT1.tmp", L"C:\\Windows\\RBT2.tmp"}));
}

TEST(SelfRemoval, TheBatchNamesNoPathTriesABoundedTimeAndRemovesTheFoldersThenItself) {
    // Characters cmd would take as syntax, and one outside every code page a console may use.
    const std::wstring program = L"C:\\Tools\\100% & (x)^@!\u0151\\Setup.exe";
    const SelfRemoval removal = SelfRemovalFor(program, {L"C:\\Tools\\100% & (x)^@!\u0151", L"C:\\Tools"},
                                               "delus-7-0.bat", L"C:\\Windows\\system32", L"");
    EXPECT_EQ(removal.variables,
              (std::vector<std::pair<std::wstring, std::wstring>>{
                  {L"SETUP_REMOVE_PROGRAM", program},
                  {L"SETUP_REMOVE_PING", L"C:\\Windows\\system32\\ping.exe"},
                  {L"SETUP_REMOVE_FOLDER1", L"C:\\Tools\\100% & (x)^@!\u0151"},
                  {L"SETUP_REMOVE_FOLDER2", L"C:\\Tools"}}));
    const std::string& batch = removal.batch;
    for (char c : batch) EXPECT_TRUE(c > 0 && c < 0x7F) << "not ASCII: " << int(c);
    EXPECT_EQ(batch.find("Tools"), std::string::npos);
    // Read-only files go too; the loop ends after a minute even when the program stays.
    EXPECT_NE(batch.find("del /f /q \"%SETUP_REMOVE_PROGRAM%\""), std::string::npos);
    EXPECT_NE(batch.find("if %SETUP_REMOVE_TRIES% GEQ 60 goto Removed"), std::string::npos);
    const size_t removed = batch.find(":Removed\r\n");
    ASSERT_NE(removed, std::string::npos);
    EXPECT_EQ(batch.substr(removed), ":Removed\r\nrmdir \"%SETUP_REMOVE_FOLDER1%\" >nul 2>&1\r\n"
                                     "rmdir \"%SETUP_REMOVE_FOLDER2%\" >nul 2>&1\r\ndel delus-7-0.bat\r\n");
    EXPECT_EQ(removal.arguments, L"/D /V:OFF /C .\\delus-7-0.bat");
    EXPECT_EQ(removal.currentFolder, L"");  // the batch's own: the temporary folder

    EXPECT_EQ(ParentsToRemove(L"C:\\Tools|C:\\Tools\\Vendor|C:\\Windows|C:\\Tools\\App|", L"C:\\Tools\\Vendor\\App"),
              (std::vector<std::wstring>{L"C:\\Tools\\Vendor", L"C:\\Tools"}));
}

TEST(SelfRemoval, AnElevatedBatchInAFolderOfItsOwnIsTakenAwayWithIt) {
    const std::wstring own = L"C:\\Windows\\Temp\\setup-0123456789abcdef0123456789abcdef";
    const SelfRemoval removal =
        SelfRemovalFor(L"C:\\App\\Setup.exe", {L"C:\\App"}, "delus-7-0.bat", L"C:\\Windows\\system32", own);
    EXPECT_EQ(removal.variables.back(), (std::pair<std::wstring, std::wstring>{L"SETUP_REMOVE_BATCH_FOLDER", own}));
    // The batch ends with its own last step; then cmd, run from a folder it does not remove,
    // removes the batch's folder from its command line: nothing is read from the batch after it.
    EXPECT_TRUE(removal.batch.ends_with("rmdir \"%SETUP_REMOVE_FOLDER1%\" >nul 2>&1\r\n")) << removal.batch;
    EXPECT_EQ(removal.batch.find("Temp"), std::string::npos);
    EXPECT_EQ(removal.arguments, L"/D /V:OFF /C call \"%SETUP_REMOVE_BATCH_FOLDER%\\delus-7-0.bat\" & "
                                 L"rmdir /s /q \"%SETUP_REMOVE_BATCH_FOLDER%\"");
    EXPECT_EQ(removal.currentFolder, L"C:\\Windows\\system32");
}

TEST(SetupCopies, OnlyTheInstalledCopyActsOnTheRecord) {
    const std::wstring folder = L"C:\\Users\\taro\\AppData\\Local\\Programs\\ZEP!";
    const struct {
        SetupCopy copy;
        CopyRole role;
    } cases[] = {
        // not installed: a fresh installation or a version-up, wherever setup runs from
        {{false, L"", false, false, false}, CopyRole::RunHere},
        {{false, folder, false, true, false}, CopyRole::RunHere},
        // the installed copy itself
        {{true, folder, true, true, false}, CopyRole::RunHere},
        // a distribution's copy whose record names an installed product: the installed copy runs
        {{true, folder, false, true, false}, CopyRole::HandOver},
        // ... but never back again: two copies naming each other's folder
        {{true, folder, false, true, true}, CopyRole::RunHere},
        // ... and when it cannot be started, this copy does nothing in its place
        {{true, folder, false, true, false, true}, CopyRole::Stop},
        // the product (its setup) is gone: the distribution's record is stale
        {{true, folder, false, false, false}, CopyRole::ForgetRecord},
        // a record without an install folder (written by hand): nothing to hand over to
        {{true, L"", true, false, false}, CopyRole::RunHere},
    };
    for (const auto& c : cases) EXPECT_EQ(RoleOf(c.copy), c.role) << c.copy.recorded << c.copy.isInstalledCopy;

    FakeProfile ini{{L"CopiedFile", L"Count", L"2"}, {L"CopiedFile", L"0", L"C:\\App\\a.exe"},
                    {L"MakedDirectory", L"Count", L"1"}, {L"MakedDirectory", L"0", L"C:\\App"}};
    InstallRecord(ini).Forget();
    EXPECT_EQ(ini.ReadInt(L"CopiedFile", L"Count", 7), 0);
    EXPECT_TRUE(InstallRecord(ini).Files().empty());
    EXPECT_TRUE(InstallRecord(ini).Folders().empty());
    EXPECT_GT(ini.flushes, 0);
}

}  // namespace
}  // namespace setup::testing
