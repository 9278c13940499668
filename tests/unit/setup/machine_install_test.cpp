// The safeguards of a per-machine installation: which install folders an elevated setup refuses,
// which new folders get an access list of their own, how the programs at the end are started, and
// what follows when setup could not be left in the install folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "fakes.h"
#include "file_copy.h"
#include "folder_security.h"
#include "install_record.h"
#include "user_launch.h"

namespace setup::testing {
namespace {

constexpr unsigned kRead = 0, kModify = kWriteRight | kDeleteRight,
                   kFull = kWriteRight | kDeleteRight | kDeleteChildRight | kChangeSecurityRight;

AccessEntry Allow(Trustee who, unsigned rights, bool appliesHere = true) { return {who, true, rights, appliesHere}; }
AccessEntry Deny(Trustee who) { return {who, false, kFull, true}; }

// As Windows sets them: an elevated administrator's folder under Program Files...
FolderSecurity ProgramFilesLike(Trustee owner = Trustee::Administrators) {
    return {owner, true,
            {Allow(Trustee::TrustedInstaller, kFull), Allow(Trustee::System, kFull),
             Allow(Trustee::Administrators, kFull), Allow(Trustee::Users, kRead),
             Allow(Trustee::CreatorOwner, kFull, false)}};
}
// ...and the root of the system drive, where every signed-in user may make folders and change
// what is made in them, but not rename what others made.
FolderSecurity DriveRootLike() {
    FolderSecurity security = ProgramFilesLike(Trustee::TrustedInstaller);
    security.entries.push_back(Allow(Trustee::AuthenticatedUsers, kWriteRight));
    security.entries.push_back(Allow(Trustee::AuthenticatedUsers, kModify, false));
    return security;
}

TEST(InstallFolder, TheAdministratorsTheSystemAndTheInstallerAreFineOwners) {
    for (Trustee owner : {Trustee::System, Trustee::Administrators, Trustee::TrustedInstaller, Trustee::Installer})
        EXPECT_EQ(JudgeInstallFolder(ProgramFilesLike(owner)), FolderVerdict::Safe) << static_cast<int>(owner);
    // A version-up by the same administrator who installed it, with the owner's own entry.
    FolderSecurity own = ProgramFilesLike(Trustee::Installer);
    own.entries.push_back(Allow(Trustee::Installer, kFull));
    EXPECT_EQ(JudgeInstallFolder(own), FolderVerdict::Safe);
}

TEST(InstallFolder, AnotherOwnerIsRefusedEvenWithATightAccessList) {
    for (Trustee owner : {Trustee::Other, Trustee::Users, Trustee::Everyone, Trustee::AuthenticatedUsers})
        EXPECT_EQ(JudgeInstallFolder(ProgramFilesLike(owner)), FolderVerdict::OwnedByOther);
    // An empty folder a user made before the first installation is refused the same way.
    EXPECT_EQ(JudgeInstallFolder(FolderSecurity{Trustee::Other, true, {Allow(Trustee::Other, kFull)}}),
              FolderVerdict::OwnedByOther);
}

TEST(InstallFolder, AnyRightToChangeItForAnyoneButTheTrustedIsRefused) {
    for (Trustee who : {Trustee::Users, Trustee::AuthenticatedUsers, Trustee::Everyone, Trustee::Other}) {
        for (unsigned right : {kWriteRight, kDeleteRight, kDeleteChildRight, kChangeSecurityRight}) {
            FolderSecurity security = ProgramFilesLike();
            // Also when it only passes on to what is made inside: the files setup puts there.
            security.entries.push_back(Allow(who, right, right != kWriteRight));
            EXPECT_EQ(JudgeInstallFolder(security), FolderVerdict::WritableByOthers) << static_cast<int>(who) << right;
            // A deny entry in front does not make an allow entry safe.
            security.entries.insert(security.entries.begin(), Deny(who));
            EXPECT_EQ(JudgeInstallFolder(security), FolderVerdict::WritableByOthers);
        }
    }
    // No access list at all (a FAT volume): everyone may do anything.
    EXPECT_EQ(JudgeInstallFolder(FolderSecurity{Trustee::Administrators, false, {}}), FolderVerdict::WritableByOthers);
    EXPECT_EQ(JudgeInstallFolder(std::nullopt), FolderVerdict::Unreadable);
}

TEST(InstallFolder, AFolderAboveMayNotLetOthersRenameOrReplaceWhatItHolds) {
    const FolderSecurity root = DriveRootLike();
    EXPECT_EQ(JudgeFoldersAbove({ProgramFilesLike(), root}), FolderVerdict::Safe);
    // The root's own Modify for users cannot rename the root; it passes on to what users make.
    EXPECT_EQ(JudgeFoldersAbove({root}), FolderVerdict::Safe);
    FolderSecurity rootUsersModify = root;
    rootUsersModify.entries.push_back(Allow(Trustee::AuthenticatedUsers, kModify));
    EXPECT_EQ(JudgeFoldersAbove({rootUsersModify}), FolderVerdict::Safe);
    // A folder a user made at the root: the user may rename it and put another in its place.
    FolderSecurity usersFolder = root;
    usersFolder.owner = Trustee::Other;
    EXPECT_EQ(JudgeFoldersAbove({usersFolder, root}), FolderVerdict::MovableByOthers);
    for (unsigned right : {kDeleteRight, kDeleteChildRight, kChangeSecurityRight}) {
        FolderSecurity tools = ProgramFilesLike();
        tools.entries.push_back(Allow(Trustee::Users, right));
        EXPECT_EQ(JudgeFoldersAbove({tools, root}), FolderVerdict::MovableByOthers) << right;
        tools.entries.back().appliesHere = false;  // shows in the lists below, judged there
        EXPECT_EQ(JudgeFoldersAbove({tools, root}), FolderVerdict::Safe) << right;
    }
    EXPECT_EQ(JudgeFoldersAbove({std::nullopt, root}), FolderVerdict::Unreadable);
    // As Wine reports a Unix folder with mode 0777: Everyone has every right but the security's.
    FolderSecurity wineShared{Trustee::Installer, true,
                              {Allow(Trustee::System, kFull), Allow(Trustee::Installer, kFull),
                               Allow(Trustee::Everyone, kWriteRight | kDeleteRight | kDeleteChildRight)}};
    EXPECT_EQ(JudgeFoldersAbove({wineShared, root}), FolderVerdict::MovableByOthers);
}

TEST(InstallFolder, ANewFolderGetsItsOwnAccessListUnlessTheParentKeepsOthersOut) {
    EXPECT_FALSE(NewFolderNeedsOwnAccessList(ProgramFilesLike(Trustee::TrustedInstaller)));
    EXPECT_TRUE(NewFolderNeedsOwnAccessList(DriveRootLike()));
    EXPECT_TRUE(NewFolderNeedsOwnAccessList(std::nullopt));
}

TEST(InstallFolder, EachRefusalSaysWhyNamesTheFolderAndThatNothingWasCopied) {
    const Texts& t = TextsFor(Language::English);
    EXPECT_EQ(FolderRefusal(FolderVerdict::Safe, L"C:\\App", t), L"");
    const std::pair<FolderVerdict, const wchar_t*> reasons[] = {
        {FolderVerdict::OwnedByOther, t.folderOwnedByOther}, {FolderVerdict::WritableByOthers, t.folderWritableByOthers},
        {FolderVerdict::MovableByOthers, t.folderMovableByOthers}, {FolderVerdict::Unreadable, t.folderUnreadable}};
    for (const auto& [verdict, reason] : reasons)
        EXPECT_EQ(FolderRefusal(verdict, L"C:\\App", t), std::wstring(reason) + L"C:\\App" + t.folderRefusedAdvice);
}

// Owners and access lists by folder; a folder nobody set up here has what setup gives the folders
// it makes under Program Files.
class FakeFolderSecurity : public FolderSecurityReader {
public:
    std::optional<FolderSecurity> Read(const std::wstring& folder) override {
        read.push_back(folder);
        auto it = known.find(Fold(folder));
        return it == known.end() ? ProgramFilesLike() : it->second;
    }
    std::map<std::wstring, std::optional<FolderSecurity>> known;  // by folded path
    std::vector<std::wstring> read;
};

class SilentCopy : public CopyDialogs {
public:
    bool AskOverwrite(const std::wstring&, bool) override { return true; }
    void ReportNotCopied(const std::wstring&) override {}
    void NoteSkipped(const std::wstring&) override {}
    void RepaintBackground() override {}
};

// A per-machine copying step into a folder that was missing when the run was asked for (and so
// accepted), at the root of the system drive where every user may make folders.
class MachineCopy : public ::testing::Test {
protected:
    MachineCopy() {
        files.AddFolder(L"D:\\dist");
        files.AddFile(L"D:\\dist\\app.exe", 100, L"app");
        files.AddFile(L"D:\\dist\\setup.exe", 100, L"setup");
        security.known[Fold(L"C:")] = DriveRootLike();
        ini.Write(L"CopyFile", L"0", L"app.exe");
        ini.Write(L"MakeDirectory", L"1", L"data");
        ini.Write(L"CopyFile", L"Self", L"setup.exe");
        ini.writes.clear();
    }
    CopyResult Copy(const std::wstring& folder, bool perMachine = true) {
        EXPECT_EQ(JudgeInstallPlace(folder, files, security), FolderVerdict::Safe);  // when the run was asked for
        for (const auto& [path, made] : madeMeanwhile) {
            files.AddFolder(path);
            security.known[Fold(path)] = made;
        }
        return CopyFiles(ini, files, sys, dialogs, journal, TextsFor(Language::English),
                         {folder, L"D:\\dist", true, false, perMachine ? &security : nullptr});
    }
    void ExpectNothingDone() {
        EXPECT_TRUE(files.copies.empty());
        EXPECT_EQ(files.temporaries, 0);
        EXPECT_TRUE(journal.appended.empty());
        EXPECT_TRUE(ini.writes.empty()) << ini.writes.front();  // no record, not even the folder's name
        EXPECT_FALSE(InstallRecord(ini).Installed());
    }

    FakeProfile ini;
    FakeSystem sys;
    FakeFiles files;
    FakeJournal journal;
    SilentCopy dialogs;
    FakeFolderSecurity security;
    std::vector<std::pair<std::wstring, FolderSecurity>> madeMeanwhile;  // by another user, before the copy
};

TEST_F(MachineCopy, AnInstallFolderAnotherUserMadeMeanwhileIsJudgedAgainAndRefused) {
    const FolderSecurity usersOwn{Trustee::Other, true, {Allow(Trustee::Other, kFull)}};
    FolderSecurity openToAll = ProgramFilesLike();
    openToAll.entries.push_back(Allow(Trustee::Everyone, kWriteRight));
    for (const auto& [made, verdict] : {std::pair{usersOwn, FolderVerdict::OwnedByOther},
                                        std::pair{openToAll, FolderVerdict::WritableByOthers}}) {
        files.folders.erase(Fold(L"C:\\ZEP!"));
        madeMeanwhile = {{L"C:\\ZEP!", made}};
        EXPECT_EQ(Copy(L"C:\\ZEP!").folder, verdict);
        ExpectNothingDone();
        EXPECT_TRUE(files.Exists(L"C:\\ZEP!"));  // not setup's to remove
    }
    // Per user, the folder is the user's own anyway: nothing is judged.
    files.folders.erase(Fold(L"C:\\ZEP!"));
    security.read.clear();
    EXPECT_EQ(Copy(L"C:\\ZEP!", false).folder, FolderVerdict::Safe);
    EXPECT_EQ(security.read.size(), 1u);  // the root, when the run was asked for
    EXPECT_EQ(files.Content(L"C:\\ZEP!\\app.exe"), L"app");
}

TEST_F(MachineCopy, AFolderAboveAnotherUserMadeMeanwhileTakesAwayWhatSetupMadeInIt) {
    madeMeanwhile = {{L"C:\\Tools", FolderSecurity{Trustee::Other, true, {Allow(Trustee::Other, kFull)}}}};
    EXPECT_EQ(Copy(L"C:\\Tools\\App").folder, FolderVerdict::MovableByOthers);
    ExpectNothingDone();
    EXPECT_FALSE(files.Exists(L"C:\\Tools\\App"));  // made by setup a moment ago, and gone again
    EXPECT_TRUE(files.Exists(L"C:\\Tools"));
}

TEST_F(MachineCopy, AFolderSetupMadeItselfIsJudgedSafeAndRecordedAsBefore) {
    const CopyResult result = Copy(L"C:\\Apps\\ZEP!");
    EXPECT_EQ(result.folder, FolderVerdict::Safe);
    EXPECT_EQ(ini.Keys(L"MakedDirectory"),
              (std::vector<std::wstring>{L"C:\\Apps", L"C:\\Apps\\ZEP!", L"C:\\Apps\\ZEP!\\data"}));
    EXPECT_EQ(ini.Keys(L"CopiedFile"), (std::vector<std::wstring>{L"C:\\Apps\\ZEP!\\app.exe", L"C:\\Apps\\ZEP!\\setup.exe"}));
    EXPECT_EQ(files.Content(L"C:\\Apps\\ZEP!\\app.exe"), L"app");
    // Judged once made: the folder and each folder above it.
    EXPECT_EQ(std::count(security.read.begin(), security.read.end(), L"C:\\Apps\\ZEP!"), 1);
}

const ProcessRights kUser{L"S-1-5-21-1-2-3-1001", false, false};
const ProcessRights kElevatedUser{L"S-1-5-21-1-2-3-1001", true, false};
const ProcessRights kOtherAdmin{L"S-1-5-21-1-2-3-500", true, false};
const ProcessRights kSystem{L"S-1-5-18", true, true};

TEST(UserLaunch, TheWayFollowsTheRightsOfSetupAndOfTheDesktopShell) {
    struct Case {
        ProcessRights setup;
        std::optional<ProcessRights> shell;
        LaunchWay way;
    } cases[] = {
        {kUser, kUser, LaunchWay::Direct},                      // a per-user run
        {kUser, std::nullopt, LaunchWay::Direct},               // nothing to gain rights from
        {kElevatedUser, kUser, LaunchWay::ThroughShell},        // elevated through the consent prompt
        {kElevatedUser, kElevatedUser, LaunchWay::Direct},      // the prompt off; Wine
        {kOtherAdmin, kUser, LaunchWay::ThroughShell},          // another administrator's rights asked for
        {kOtherAdmin, kElevatedUser, LaunchWay::ThroughShell},  // the same rights, but not the desktop's account
        {kElevatedUser, std::nullopt, LaunchWay::NotStarted},   // no shell running
        {kSystem, kUser, LaunchWay::ThroughShell},              // a deployment tool on a user's desktop
        {kSystem, kSystem, LaunchWay::NotStarted},              // the system's account is no desktop user
        {kSystem, std::nullopt, LaunchWay::NotStarted},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseLaunchWay({c.setup, c.shell}), c.way)
            << std::string(c.setup.account.begin(), c.setup.account.end()) << " shell " << c.shell.has_value();
}

TEST(UserLaunch, AShellThatRefusesLeavesTheProgramUnstartedAndNamedInTheClosingMessage) {
    FakeLauncher launcher;
    launcher.facts = {kElevatedUser, kUser};
    launcher.shellTakesIt = false;
    UserLaunches launches(launcher);
    EXPECT_EQ(launches.Start({L"C:\\Menu\\ZEP!.lnk", L"", ShowState::Normal}), LaunchOutcome::Deferred);
    EXPECT_EQ(launches.Start({L"\"C:\\Program Files\\App\\tool.exe\"", L"-x", ShowState::Hidden}),
              LaunchOutcome::Deferred);
    EXPECT_TRUE(launcher.direct.empty());  // never with setup's own rights
    EXPECT_EQ(launcher.throughShell.size(), 2u);
    EXPECT_EQ(launcher.factQueries, 1);
    const Texts& t = TextsFor(Language::English);
    EXPECT_EQ(launches.DeferredMessage(t),
              std::wstring(t.notStartedAsUser) + L"ZEP!\ntool.exe\n" + t.startsAtNextLogon);
}

TEST(UserLaunch, StartedProgramsLeaveNoMessageAndADirectFailureIsAFailure) {
    FakeLauncher launcher;
    launcher.facts = {kElevatedUser, kUser};
    UserLaunches shell(launcher);
    EXPECT_EQ(shell.Start({L"a.exe", L"", ShowState::Normal}), LaunchOutcome::Started);
    EXPECT_EQ(shell.DeferredMessage(TextsFor(Language::Japanese)), L"");

    launcher.facts = {kUser, std::nullopt};
    launcher.directWorks = false;
    UserLaunches direct(launcher);
    EXPECT_EQ(direct.Start({L"b.exe", L"", ShowState::Normal}), LaunchOutcome::Failed);
    EXPECT_EQ(launcher.direct, std::vector<std::wstring>{L"b.exe"});
    EXPECT_EQ(direct.DeferredMessage(TextsFor(Language::Japanese)), L"");

    launcher.facts = {kSystem, std::nullopt};
    UserLaunches none(launcher);
    EXPECT_EQ(none.Start({L"c.exe", L"", ShowState::Normal}), LaunchOutcome::Deferred);
    EXPECT_EQ(launcher.direct.size(), 1u);
    EXPECT_EQ(launcher.throughShell, std::vector<std::wstring>{L"a.exe"});
}

TEST(InstalledSetup, ACopyThatFailsIsReportedSoNothingStartsFromTheFolder) {
    FakeFiles files;
    files.AddFolder(L"D:\\dist");
    files.AddFolder(L"C:\\App");
    files.AddFile(L"D:\\dist\\setup.exe", 200, L"new");
    files.AddFile(L"C:\\App\\Setup.exe", 100, L"old");
    EXPECT_EQ(PlaceInstalledSetup(files, L"C:\\App\\setup.exe", L"C:\\App"), SetupPlacement::AlreadyThere);
    EXPECT_TRUE(files.copies.empty());

    files.locked.insert(Fold(L"C:\\App\\Setup.exe"));
    EXPECT_EQ(PlaceInstalledSetup(files, L"D:\\dist\\setup.exe", L"C:\\App"), SetupPlacement::Failed);
    EXPECT_EQ(files.Content(L"C:\\App\\Setup.exe"), L"old");

    files.locked.clear();
    EXPECT_EQ(PlaceInstalledSetup(files, L"D:\\dist\\setup.exe", L"C:\\App"), SetupPlacement::Copied);
    EXPECT_EQ(files.Content(L"C:\\App\\Setup.exe"), L"new");
}

}  // namespace
}  // namespace setup::testing
