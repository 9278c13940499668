// The safeguards of a per-machine installation: which install folders an elevated setup refuses,
// which new folders get an access list of their own, how the programs at the end are started, and
// what follows when setup could not be left in the install folder.
#include <gtest/gtest.h>

#include "fakes.h"
#include "file_copy.h"
#include "folder_security.h"
#include "user_launch.h"

namespace setup::testing {
namespace {

constexpr bool kWrite = true, kRead = false;

AccessEntry Allow(Trustee who, bool writes) { return {who, true, writes}; }
AccessEntry Deny(Trustee who) { return {who, false, true}; }

// As Windows sets them: an elevated administrator's folder under Program Files...
FolderSecurity ProgramFilesLike(Trustee owner = Trustee::Administrators) {
    return {owner, true,
            {Allow(Trustee::TrustedInstaller, kWrite), Allow(Trustee::System, kWrite),
             Allow(Trustee::Administrators, kWrite), Allow(Trustee::Users, kRead),
             Allow(Trustee::CreatorOwner, kWrite)}};
}
// ...and one made at the root of the system drive, where every signed-in user may change what is made.
FolderSecurity DriveRootLike(Trustee owner = Trustee::Administrators) {
    FolderSecurity security = ProgramFilesLike(owner);
    security.entries.push_back(Allow(Trustee::AuthenticatedUsers, kWrite));
    return security;
}

TEST(InstallFolder, TheAdministratorsTheSystemAndTheInstallerAreFineOwners) {
    for (Trustee owner : {Trustee::System, Trustee::Administrators, Trustee::TrustedInstaller, Trustee::Installer})
        EXPECT_EQ(JudgeInstallFolder(ProgramFilesLike(owner)), FolderVerdict::Safe) << static_cast<int>(owner);
    // A version-up by the same administrator who installed it, with the owner's own entry.
    FolderSecurity own = ProgramFilesLike(Trustee::Installer);
    own.entries.push_back(Allow(Trustee::Installer, kWrite));
    EXPECT_EQ(JudgeInstallFolder(own), FolderVerdict::Safe);
}

TEST(InstallFolder, AnotherOwnerIsRefusedEvenWithATightAccessList) {
    for (Trustee owner : {Trustee::Other, Trustee::Users, Trustee::Everyone, Trustee::AuthenticatedUsers})
        EXPECT_EQ(JudgeInstallFolder(ProgramFilesLike(owner)), FolderVerdict::OwnedByOther);
    // An empty folder a user made before the first installation is refused the same way.
    EXPECT_EQ(JudgeInstallFolder(FolderSecurity{Trustee::Other, true, {Allow(Trustee::Other, kWrite)}}),
              FolderVerdict::OwnedByOther);
}

TEST(InstallFolder, WriteAccessForAnyoneButTheTrustedIsRefused) {
    for (Trustee who : {Trustee::Users, Trustee::AuthenticatedUsers, Trustee::Everyone, Trustee::Other}) {
        FolderSecurity security = ProgramFilesLike();
        security.entries.push_back(Allow(who, kWrite));
        EXPECT_EQ(JudgeInstallFolder(security), FolderVerdict::WritableByOthers) << static_cast<int>(who);
        // Reading and running are fine; a deny entry in front does not make an allow entry safe.
        security.entries.back().writes = false;
        EXPECT_EQ(JudgeInstallFolder(security), FolderVerdict::Safe);
        security.entries.back().writes = true;
        security.entries.insert(security.entries.begin(), Deny(who));
        EXPECT_EQ(JudgeInstallFolder(security), FolderVerdict::WritableByOthers);
    }
    EXPECT_EQ(JudgeInstallFolder(DriveRootLike()), FolderVerdict::WritableByOthers);
    // No access list at all (a FAT volume): everyone may do anything.
    EXPECT_EQ(JudgeInstallFolder(FolderSecurity{Trustee::Administrators, false, {}}), FolderVerdict::WritableByOthers);
    EXPECT_EQ(JudgeInstallFolder(std::nullopt), FolderVerdict::Unreadable);
}

TEST(InstallFolder, ANewFolderGetsItsOwnAccessListUnlessTheParentKeepsOthersOut) {
    EXPECT_FALSE(NewFolderNeedsOwnAccessList(ProgramFilesLike(Trustee::TrustedInstaller)));
    EXPECT_TRUE(NewFolderNeedsOwnAccessList(DriveRootLike()));
    EXPECT_TRUE(NewFolderNeedsOwnAccessList(std::nullopt));
    // Under an "Everyone may write" folder, as Wine reports a Unix folder with mode 0777.
    EXPECT_TRUE(NewFolderNeedsOwnAccessList(FolderSecurity{
        Trustee::Installer, true,
        {Allow(Trustee::System, kWrite), Allow(Trustee::Installer, kWrite), Allow(Trustee::Everyone, kWrite)}}));
}

// The system's side of starting programs, as a script of answers.
class FakeLauncher : public Launcher {
public:
    LaunchFacts Facts() override {
        ++factQueries;
        return facts;
    }
    bool StartDirect(const LaunchRequest& request) override {
        direct.push_back(request.file);
        return directWorks;
    }
    bool StartThroughShell(const LaunchRequest& request) override {
        throughShell.push_back(request.file);
        return shellTakesIt;
    }

    LaunchFacts facts;
    bool directWorks = true, shellTakesIt = true;
    int factQueries = 0;
    std::vector<std::wstring> direct, throughShell;
};

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
