#include <gtest/gtest.h>

#include "fakes.h"
#include "file_copy.h"
#include "install_record.h"
#include "wininit.h"

namespace setup::testing {
namespace {

class Dialogs : public CopyDialogs {
public:
    bool AskOverwrite(const std::wstring& text, bool defaultNo) override {
        questions.push_back(text);
        askedDefaultNo = defaultNo;
        return answer;
    }
    void ReportNotCopied(const std::wstring& text) override { reports.push_back(text); }
    void NoteSkipped(const std::wstring& target) override { skipped.push_back(target); }
    void RepaintBackground() override { ++repaints; }

    bool answer = true;
    bool askedDefaultNo = false;
    std::vector<std::wstring> questions, reports, skipped;
    int repaints = 0;
};

class CopyStep : public ::testing::Test {
protected:
    CopyStep() {
        files.AddFolder(L"D:\\dist");
        for (const wchar_t* name : {L"app.exe", L"app.dll", L"readme.txt", L"help.txt", L"opt.dat", L"pkg.zip"})
            files.AddFile(JoinPath(L"D:\\dist", name), 100, name);
    }
    bool Run(bool copyChecked = false) {
        return CopyFiles(ini, files, sys, dialogs, journal, TextsFor(Language::Japanese),
                         {L"C:\\Tools\\App", L"D:\\dist", copyChecked, false})
            .restartNeeded;
    }

    FakeProfile ini;
    FakeSystem sys;
    FakeFiles files;
    Dialogs dialogs;
    FakeJournal journal;
};

TEST_F(CopyStep, FreshInstallRecordsFoldersParentsFirstAndFilesInOrder) {
    ini.Write(L"MakeDirectory", L"1", L"data\\logs");
    ini.Write(L"MakeDirectory", L"2", L"data");
    ini.Write(L"CopyFile", L"0", L"app.exe");
    ini.Write(L"CopyFile", L"1", L"!readme.txt");
    ini.Write(L"CopyFile", L"2", L"data\\help.txt");
    files.AddFile(L"D:\\dist\\data\\help.txt", 100);
    EXPECT_FALSE(Run());
    EXPECT_EQ(ini.Keys(L"MakedDirectory"),
              (std::vector<std::wstring>{L"C:\\Tools", L"C:\\Tools\\App", L"C:\\Tools\\App\\data",
                                         L"C:\\Tools\\App\\data\\logs", L"C:\\Tools\\App\\data"}));
    EXPECT_EQ(ini.Get(L"MakedDirectory", L"Count"), L"5");
    EXPECT_EQ(ini.Keys(L"CopiedFile"),
              (std::vector<std::wstring>{L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\data\\help.txt"}));
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), L"2");
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\readme.txt"), L"readme.txt");  // copied, not recorded
    EXPECT_EQ(ini.Get(L"Root", L"Named"), L"C:\\Tools\\App");
    EXPECT_EQ(ini.Get(L"Check", L"Copy"), L"0");
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(dialogs.reports.empty());
}

TEST_F(CopyStep, AFolderThatWasThereIsRecordedOnlyWhenAsked) {
    files.AddFolder(L"C:\\Tools");
    files.AddFolder(L"C:\\Tools\\App");
    files.refusedFolders.insert(Fold(L"C:\\Tools\\App\\locked\\sub"));
    files.refusedFolders.insert(Fold(L"C:\\Tools\\App\\refused"));
    ini.Write(L"MakeDirectory", L"1", L"locked\\sub");  // refused: its missing parent is made, it is not
    ini.Write(L"MakeDirectory", L"2", L"refused");      // refused: its parent was there and is not recorded
    Run();
    EXPECT_EQ(ini.Keys(L"MakedDirectory"), (std::vector<std::wstring>{L"C:\\Tools\\App", L"C:\\Tools\\App\\locked"}));
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), L"1");  // nothing copied, still marked installed
    EXPECT_FALSE(ini.Has(L"CopiedFile", L"0"));
}

TEST_F(CopyStep, TargetsAsNewAsTheSourceAskOnceUnlessPrefixed) {
    files.AddFolder(L"C:\\Tools");
    files.AddFolder(L"C:\\Tools\\App");
    for (const wchar_t* name : {L"app.exe", L"app.dll", L"help.txt", L"opt.dat"})
        files.AddFile(JoinPath(L"C:\\Tools\\App", name), 100, L"old");
    files.AddFile(L"C:\\Tools\\App\\readme.txt", 99, L"older");
    ini.Write(L"CopyFile", L"0", L"app.exe");      // equal time: asked
    ini.Write(L"CopyFile", L"1", L"&app.dll");     // kept silently, not recorded
    ini.Write(L"CopyFile", L"2", L"?help.txt");    // replaced without asking
    ini.Write(L"CopyFile", L"3", L"readme.txt");   // older target: copied
    ini.Write(L"CopyFile", L"4", L"!opt.dat");     // asked, and copied unrecorded
    ini.Write(L"CopyFile", L"DefaultNo", L"1");
    Run();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0],
              L"以下のファイルは新しいものが存在します．\r\n\r\nC:\\Tools\\App\\app.exe\r\nC:\\Tools\\App\\opt.dat\r\n"
              L"\r\n上書きしますか？");
    EXPECT_TRUE(dialogs.askedDefaultNo);
    EXPECT_EQ(dialogs.skipped, std::vector<std::wstring>{L"C:\\Tools\\App\\app.dll"});  // for the log
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\app.dll"), L"old");
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\app.exe"), L"app.exe");
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\opt.dat"), L"opt.dat");
    EXPECT_EQ(ini.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\Tools\\App\\help.txt",
                                                                  L"C:\\Tools\\App\\readme.txt",
                                                                  L"C:\\Tools\\App\\app.exe"}));
    EXPECT_EQ(dialogs.repaints, 1);

    dialogs.questions.clear();
    dialogs.answer = false;
    files.AddFile(L"C:\\Tools\\App\\app.exe", 200, L"newer");
    Run();
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\app.exe"), L"newer");  // No leaves it
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), L"1");                  // only "?help.txt"
}

TEST_F(CopyStep, FailuresAreListedOnceUnlessStarred) {
    ini.Write(L"CopyFile", L"0", L"missing.exe");
    ini.Write(L"CopyFile", L"1", L"*gone.dll");
    ini.Write(L"CopyFile", L"2", L"app.exe");
    ini.Write(L"CopyFile", L"3", L"sub" + std::wstring(250, L'x') + L"\\app.dll");  // too long to be a path
    Run();
    ASSERT_EQ(dialogs.reports.size(), 1u);
    EXPECT_EQ(dialogs.reports[0], L"以下のファイルはコピーできませんでした\r\n\r\nC:\\Tools\\App\\missing.exe\r\nsub" +
                                      std::wstring(250, L'x') + L"\\app.dll\r\n\r\n処理は継続します");
    EXPECT_EQ(ini.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\Tools\\App\\app.exe"}));
}

TEST_F(CopyStep, ADiskThatFillsMidwayLeavesNoShortFileAndEveryFileThereIsRecorded) {
    files.AddFile(L"D:\\dist\\big.dat", 100, std::wstring(50, L'b'));
    ini.Write(L"CopyFile", L"0", L"app.exe");
    ini.Write(L"CopyFile", L"1", L"big.dat");
    ini.Write(L"CopyFile", L"2", L"readme.txt");
    ini.Write(L"CopyFile", L"Self", L"pkg.zip");
    files.room = 20;  // app.exe (7) fits, big.dat (50) does not
    Run(true);
    std::vector<std::wstring> there;
    for (const FoundFile& f : files.Find(L"C:\\Tools\\App\\*")) there.push_back(f.name);
    EXPECT_EQ(there, (std::vector<std::wstring>{L"app.exe"}));
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\app.exe"), L"app.exe");
    EXPECT_EQ(ini.Keys(L"CopiedFile"),
              (std::vector<std::wstring>{L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\pkg.zip"}));
    ASSERT_EQ(dialogs.reports.size(), 1u);
    EXPECT_EQ(dialogs.reports[0], L"以下のファイルはコピーできませんでした\r\n\r\n"
                                  L"C:\\Tools\\App\\big.dat  (ディスクの空きが足りません)\r\n"
                                  L"C:\\Tools\\App\\readme.txt  (ディスクの空きが足りません)\r\n"
                                  L"C:\\Tools\\App\\pkg.zip  (ディスクの空きが足りません)\r\n\r\n処理は継続します");

    // An earlier version's file stays whole when its replacement does not fit.
    files.AddFile(L"C:\\Tools\\App\\big.dat", 1, L"old");
    files.room = 10;
    files.outOfRoom = false;
    ini.Write(L"CopyFile", L"0", L"");
    Run();
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\big.dat"), L"old");
    EXPECT_EQ(files.Find(L"C:\\Tools\\App\\RBT*").size(), 0u);
}

TEST_F(CopyStep, ATargetInUseIsReplacedAtRestartWithReboot) {
    files.AddFolder(L"C:\\Tools");
    files.AddFolder(L"C:\\Tools\\App");
    files.AddFile(L"C:\\Tools\\App\\app.exe", 1, L"running");
    files.AddFile(L"C:\\Tools\\App\\app.dll", 1, L"read-only");
    files.locked.insert(Fold(L"C:\\Tools\\App\\app.exe"));
    files.readOnly.insert(Fold(L"C:\\Tools\\App\\app.dll"));
    ini.Write(L"CopyFile", L"0", L"app.exe");
    ini.Write(L"CopyFile", L"1", L"app.dll");
    ini.Write(L"CopyFile", L"Reboot", L"1");
    EXPECT_TRUE(Run());
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\app.dll"), L"app.dll");  // made writable, then copied
    ASSERT_EQ(files.scheduled.size(), 1u);
    EXPECT_EQ(files.scheduled[0].first, L"C:\\Tools\\App\\RBT1.tmp");
    EXPECT_EQ(files.scheduled[0].second, L"C:\\Tools\\App\\app.exe");
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\RBT1.tmp"), L"app.exe");
    EXPECT_EQ(ini.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\app.dll"}));
    EXPECT_TRUE(dialogs.reports.empty());
}

TEST_F(CopyStep, AReplacementTheSystemRefusesIsListedNotReportedAsDone) {
    files.AddFolder(L"C:\\Tools");
    files.AddFolder(L"C:\\Tools\\App");
    files.AddFile(L"C:\\Tools\\App\\app.exe", 1, L"running");
    files.locked.insert(Fold(L"C:\\Tools\\App\\app.exe"));
    files.canSchedule = false;
    ini.Write(L"CopyFile", L"0", L"app.exe");
    ini.Write(L"CopyFile", L"Reboot", L"1");
    EXPECT_FALSE(Run());
    ASSERT_EQ(dialogs.reports.size(), 1u);
    EXPECT_NE(dialogs.reports[0].find(L"C:\\Tools\\App\\app.exe\r\n"), std::wstring::npos);
    EXPECT_FALSE(files.Exists(L"C:\\Tools\\App\\RBT1.tmp"));  // the stand-in is not left behind
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), L"1");
    EXPECT_FALSE(ini.Has(L"CopiedFile", L"0"));
}

TEST_F(CopyStep, ThePackageItselfIsCopiedWhenChosenAndRecordedWhatever) {
    ini.Write(L"CopyFile", L"Self", L"pkg.zip");
    Run(true);
    EXPECT_EQ(ini.Get(L"Check", L"Copy"), L"2");
    EXPECT_EQ(files.Content(L"C:\\Tools\\App\\pkg.zip"), L"pkg.zip");
    ini.Write(L"CopyFile", L"Self", L"lost.zip");
    Run(true);
    EXPECT_EQ(ini.Get(L"CopiedFile", L"0"), L"C:\\Tools\\App\\lost.zip");
}

TEST_F(CopyStep, APackageNamedWithoutAFileNameIsNeitherCopiedNorRecorded) {
    ini.Write(L"CopyFile", L"Self", L"dist\\");
    Run(true);
    EXPECT_TRUE(files.copies.empty());
    EXPECT_FALSE(ini.Has(L"CopiedFile", L"0"));  // the install folder itself would go at removal
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), L"1");
}

TEST(InstallRecord, OnlyThisProductsRecordIsMergedCleanedOrReplacedWithoutAQuestion) {
    FakeProfile ours{{L"Setup", L"Name", L"Tool"}, {L"Root", L"Name", L"Tool"}};
    const struct {
        const wchar_t* setupName;
        const wchar_t* rootName;
        bool same;
    } cases[] = {
        {L"Tool", L"Tool", true},
        {L"Tool", L"TOOL", true},                // folder names compare as Windows does
        {L"Tool", L"%programs%\\Tool", true},  // an earlier record not yet reduced to its leaf
        {L"Other", L"Tool", false},              // another product installed under the same name
        {L"Tool", L"Tools", false},
        {L"tool", L"Tool", false},
        {L"", L"", false},                       // a Setup.ini of no such installer
    };
    for (const auto& c : cases) {
        FakeProfile found{{L"Setup", L"Name", c.setupName}, {L"Root", L"Name", c.rootName}};
        EXPECT_EQ(SameProductRecord(ours, found), c.same) << c.setupName << L" " << c.rootName;
    }
    FakeProfile other{{L"Setup", L"Name", L"Other"}};
    EXPECT_EQ(ForeignSetupQuestion(other, TextsFor(Language::English)),
              L"This folder holds the setup of another product, \"Other\".\n\nInstalling here replaces its "
              L"Setup.exe and Setup.ini: that product could no longer be removed.\n\nInstall into this folder anyway?");
}

// A Setup.ini whose section reads give these lines as they stand in the file.
class RawSection : public FakeProfile {
public:
    std::vector<std::wstring> ReadSectionLines(const std::wstring&) override { return lines; }
    std::vector<std::wstring> lines;
};

TEST(Lists, ReadWholeAValueIsWhatAKeysReadGives) {
    RawSection ini;
    ini.lines = {L"; the program", L" 0 =  app.exe ", L"1=\"my file.txt\"", L"1=shadowed.txt", L"2='x'",
                 L"3=\"half", L"4=" + std::wstring(300, L'a'), L"5", L"6=after.txt"};
    EXPECT_EQ(ReadList(ini, L"CopyFile"),
              (std::vector<std::wstring>{L"app.exe", L"my file.txt", L"x", L"\"half", std::wstring(259, L'a')}));
    EXPECT_EQ(ReadList(ini, L"CopyFile", 0, L"", kLongValueChars).back(), std::wstring(300, L'a'));
}

// Files that check the journal as they are copied: no file reaches the folder before its line.
class JournalCheckingFiles : public FakeFiles {
public:
    explicit JournalCheckingFiles(FakeJournal& journal) : journal_(journal) {}
    bool Rename(const std::wstring& from, const std::wstring& to) override {
        if (journal_.text.find(L"+" + to + L"|\r\n") == std::wstring::npos) unjournalled.push_back(to);
        return FakeFiles::Rename(from, to);
    }
    std::vector<std::wstring> unjournalled;

private:
    FakeJournal& journal_;
};

TEST(CopiedFileRecord, EachFileIsJournalledBeforeItsCopyAndSetupIniWrittenOnce) {
    FakeProfile ini{{L"CopyFile", L"0", L"app.exe"}, {L"CopyFile", L"1", L"missing.dll"},
                    {L"CopyFile", L"2", L"!readme.txt"}, {L"CopyFile", L"3", L"data.bin"}};
    FakeJournal journal;
    JournalCheckingFiles files(journal);
    files.AddFolder(L"D:\\dist");
    for (const wchar_t* name : {L"app.exe", L"readme.txt", L"data.bin"}) files.AddFile(JoinPath(L"D:\\dist", name), 1);
    FakeSystem sys;
    Dialogs dialogs;
    CopyFiles(ini, files, sys, dialogs, journal, TextsFor(Language::English), {L"C:\\App", L"D:\\dist", false, false});

    EXPECT_EQ(files.unjournalled, std::vector<std::wstring>{L"C:\\App\\readme.txt"});  // "!": never recorded
    EXPECT_EQ(journal.appended, L"+C:\\App\\app.exe|\r\n+C:\\App\\missing.dll|\r\n-C:\\App\\missing.dll|\r\n"
                                L"+C:\\App\\data.bin|\r\n");
    EXPECT_TRUE(journal.removed);
    EXPECT_EQ(ini.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\App\\app.exe", L"C:\\App\\data.bin"}));
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), L"2");
    const auto perKey = std::count_if(ini.writes.begin(), ini.writes.end(),
                                      [](const std::wstring& w) { return w.starts_with(L"CopiedFile/"); });
    EXPECT_EQ(perKey, 1);  // the one section write
}

// Files that count the look-ups of files that are not there (each a search of a whole folder).
class CountingFiles : public FakeFiles {
public:
    std::optional<uint64_t> LastWriteTime(const std::wstring& path) override {
        auto time = FakeFiles::LastWriteTime(path);
        if (!time) ++missed;
        return time;
    }
    int missed = 0;
};

TEST_F(CopyStep, NewFilesAreKnownNewFromOneListingOfTheirFolder) {
    CountingFiles counting;
    counting.AddFolder(L"D:\\dist");
    counting.AddFolder(L"C:\\Tools");
    counting.AddFolder(L"C:\\Tools\\App");
    for (const wchar_t* name : {L"app.exe", L"app.dll", L"help.txt", L"LONGNA~1.TXT"})
        counting.AddFile(JoinPath(L"D:\\dist", name), 100);
    counting.AddFile(L"C:\\Tools\\App\\HELP.TXT", 200);  // as new as the distribution's
    counting.AddFile(L"C:\\Tools\\App\\longna~1.txt", 200);
    for (const wchar_t* entry : {L"app.exe", L"app.dll", L"help.txt", L"LONGNA~1.TXT", L"app.exe"})
        ini.Write(L"CopyFile", std::to_wstring(ini.Keys(L"CopyFile").size()), entry);
    dialogs.answer = false;
    CopyFiles(ini, counting, sys, dialogs, journal, TextsFor(Language::English), {L"C:\\Tools\\App", L"D:\\dist", false, false});
    EXPECT_EQ(counting.missed, 0);
    // The targets that were there, and the one this run copied before, are asked about.
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(dialogs.questions[0].find(L"C:\\Tools\\App\\help.txt\r\nC:\\Tools\\App\\LONGNA~1.TXT\r\n"
                                        L"C:\\Tools\\App\\app.exe\r\n"),
              std::wstring::npos);
    EXPECT_EQ(ini.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\app.dll"}));
}

TEST(CopiedFileRecord, AnUnfinishedRunsFilesJoinTheNextRunsRecord) {
    FakeProfile ini;
    FakeJournal journal;
    FakeFiles files;
    for (const wchar_t* path : {L"C:\\Old\\a.exe", L"C:\\Old\\b.dll", L"C:\\New\\new.exe", L"C:\\Old\\c.txt"})
        files.AddFile(path, 1);
    files.AddFolder(L"C:\\Old");
    files.AddFolder(L"C:\\Old\\data");
    // The run before, into another folder, was killed while it journalled c.txt (its line cut
    // short); its copy of b.dll had failed; data and gone.dll are no files (any more).
    journal.text = L"+C:\\Old\\a.exe|\r\n+C:\\Old\\b.dll|\r\n-C:\\Old\\b.dll|\r\n+C:\\Old\\data|\r\n"
                   L"+C:\\Old\\gone.dll|\r\n+C:\\New\\new.exe|\r\n+C:\\Old\\c.txt";
    InstallRecord installRecord(ini);
    CopiedFileRecord record(installRecord, journal);
    record.Add(L"C:\\New\\new.exe");
    record.Add(L"C:\\New\\d.txt");
    record.Withdraw(L"C:\\New\\d.txt");
    // Until this run's record is written the journal keeps the earlier run's lines; the line cut
    // short neither counts nor swallows this run's first one.
    EXPECT_EQ(JournalledFiles(journal.text),
              (std::vector<std::wstring>{L"C:\\Old\\a.exe", L"C:\\Old\\data", L"C:\\Old\\gone.dll",
                                         L"C:\\New\\new.exe", L"C:\\New\\new.exe"}));
    record.Write(files);
    EXPECT_EQ(ini.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\New\\new.exe", L"C:\\Old\\a.exe"}));
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), L"2");
    EXPECT_TRUE(journal.removed);
}

TEST(CopiedFileRecord, TheJournalReachesTheDiskInBoundedBatches) {
    FakeProfile ini;
    FakeJournal journal;
    InstallRecord installRecord(ini);
    CopiedFileRecord record(installRecord, journal);
    size_t lastSync = 0;
    for (int i = 0; i < 3 * CopiedFileRecord::kSyncBatch; ++i) {
        record.Add(L"C:\\App\\f" + std::to_wstring(i));
        // Never more than a batch of lines only in memory.
        EXPECT_LT(std::count(journal.text.begin() + static_cast<std::ptrdiff_t>(journal.synced), journal.text.end(), L'\n'),
                  CopiedFileRecord::kSyncBatch);
        lastSync = journal.synced;
    }
    EXPECT_EQ(lastSync, journal.text.size());
    FakeFiles files;
    record.Write(files);
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), std::to_wstring(3 * CopiedFileRecord::kSyncBatch));
    EXPECT_EQ(ini.Get(L"CopiedFile", std::to_wstring(3 * CopiedFileRecord::kSyncBatch - 1)),
              L"C:\\App\\f" + std::to_wstring(3 * CopiedFileRecord::kSyncBatch - 1));
}

TEST(InstallRecord, AVersionUpKeepsTheEarlierEntries) {
    FakeProfile now{{L"MakedDirectory", L"0", L"C:\\App"}, {L"MakedDirectory", L"Count", L"1"},
                    {L"CopiedFile", L"0", L"C:\\App\\app.exe"}, {L"CopiedFile", L"Count", L"1"}};
    FakeProfile earlier{{L"MakedDirectory", L"0", L"C:\\APP"}, {L"MakedDirectory", L"1", L"C:\\App\\old"},
                        {L"MakedDirectory", L"Count", L"2"}, {L"CopiedFile", L"0", L"c:\\app\\APP.exe"},
                        {L"CopiedFile", L"1", L"C:\\App\\old\\gone.dll"}, {L"CopiedFile", L"2", L"C:\\App\\x.txt"},
                        {L"CopiedFile", L"Count", L"3"}};
    InstallRecord(now).Merge(InstallRecord(earlier));
    EXPECT_EQ(now.Keys(L"MakedDirectory"), (std::vector<std::wstring>{L"C:\\App", L"C:\\App\\old"}));
    EXPECT_EQ(now.Get(L"MakedDirectory", L"Count"), L"2");
    EXPECT_EQ(now.Keys(L"CopiedFile"),
              (std::vector<std::wstring>{L"C:\\App\\app.exe", L"C:\\App\\old\\gone.dll", L"C:\\App\\x.txt"}));
    EXPECT_EQ(now.Get(L"CopiedFile", L"Count"), L"3");
    EXPECT_EQ(now.flushes, 2);  // once a section
}

TEST(InstallRecord, NothingCopiedThisTimeLeavesNoGapBeforeTheEarlierEntries) {
    FakeProfile now{{L"CopiedFile", L"Count", L"1"}};
    FakeProfile earlier{{L"CopiedFile", L"Count", L"2"}, {L"CopiedFile", L"1", L"C:\\App\\a.exe"}};
    InstallRecord(now).Merge(InstallRecord(earlier));
    EXPECT_EQ(now.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\App\\a.exe"}));
    EXPECT_EQ(now.Get(L"CopiedFile", L"Count"), L"1");
}

TEST(InstallRecord, AnAbsurdCountIsBoundedWhereverTheRecordIsRead) {
    FakeProfile record{{L"CopiedFile", L"Count", L"2147483647"}, {L"CopiedFile", L"0", L"C:\\App\\a.exe"},
                       {L"CopiedFile", L"3", L"C:\\App\\b.dll"}, {L"MakedDirectory", L"Count", L"-5"}};
    EXPECT_EQ(InstallRecord(record).Files(), (std::vector<std::wstring>{L"C:\\App\\a.exe", L"C:\\App\\b.dll"}));
    EXPECT_TRUE(InstallRecord(record).Folders().empty());

    FakeProfile now{{L"CopiedFile", L"0", L"C:\\App\\c.exe"}, {L"CopiedFile", L"Count", L"1"}};
    InstallRecord(now).Merge(InstallRecord(record));
    EXPECT_EQ(now.Keys(L"CopiedFile"),
              (std::vector<std::wstring>{L"C:\\App\\c.exe", L"C:\\App\\a.exe", L"C:\\App\\b.dll"}));
    InstallRecord(record).Merge(InstallRecord(now));  // the absurd Count gives way to what is there
    EXPECT_EQ(record.Keys(L"CopiedFile"),
              (std::vector<std::wstring>{L"C:\\App\\a.exe", L"C:\\App\\b.dll", L"C:\\App\\c.exe"}));
    EXPECT_EQ(record.Get(L"CopiedFile", L"Count"), L"3");

    InstallRecord(record).Forget();
    EXPECT_EQ(record.Get(L"CopiedFile", L"Count"), L"0");
    EXPECT_FALSE(InstallRecord(record).Installed());
    EXPECT_TRUE(InstallRecord(record).Files().empty());
}

TEST_F(CopyStep, ACopyListBeyondItsBoundIsCopiedUpToItAndTheRestNamed) {
    for (int i = 0; i < kMaxListEntries + 3; ++i) ini.Write(L"CopyFile", std::to_wstring(i), L"app.exe");
    Run();
    EXPECT_EQ(ini.Get(L"CopiedFile", L"Count"), std::to_wstring(kMaxListEntries));
    ASSERT_EQ(dialogs.reports.size(), 1u);
    EXPECT_EQ(dialogs.reports[0],
              L"以下のファイルはコピーできませんでした\r\n\r\n[CopyFile] 10000 ~\r\n\r\n処理は継続します");
}

TEST(WinInit, TheEntryEndsTheRenameSectionOrStartsANewOne) {
    const std::string entry = WinInitEntry("C:\\APP\\APP.EXE", "C:\\APP\\RBT1.TMP", false);
    EXPECT_EQ(entry, "C:\\APP\\APP.EXE=C:\\APP\\RBT1.TMP\r\n");
    EXPECT_EQ(WinInitEntry("", "C:\\APP\\DATA", true), "DIRNUL=C:\\APP\\DATA\r\n");
    EXPECT_EQ(WinInitEntry("", "C:\\APP\\X.TXT", false), "NUL=C:\\APP\\X.TXT\r\n");

    const struct {
        std::string old, expected;
    } cases[] = {
        {"", "[Rename]\r\n" + entry},
        {"[rename]\r\nNUL=C:\\A\r\n\r\n[Other]\r\nx=1\r\n",
         "[rename]\r\nNUL=C:\\A\r\n\r\n" + entry + "[Other]\r\nx=1\r\n"},
        {"[Other]\r\nx=1\r\n[Rename]\r\nNUL=C:\\A\r\n", "[Other]\r\nx=1\r\n[Rename]\r\nNUL=C:\\A\r\n" + entry},
        {"[Rename]\nNUL=C:\\A\n\n[Other]\n", "[Rename]\nNUL=C:\\A\n[Other]\n[Rename]\r\n" + entry},
        {"[Rename]\r\nNUL=C:\\A", "[Rename]\r\nNUL=C:\\A\n" + entry},
    };
    for (const auto& c : cases) EXPECT_EQ(AddWinInitEntry(c.old, entry), c.expected) << c.old;
}

}  // namespace
}  // namespace setup::testing
