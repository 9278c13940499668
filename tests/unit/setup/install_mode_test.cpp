#include <gtest/gtest.h>

#include "fakes.h"
#include "install_mode.h"
#include "setup_state.h"
#include "uninstall_registration.h"

namespace setup::testing {
namespace {

constexpr auto HKCU = RegRoot::CurrentUser;
constexpr auto HKLM = RegRoot::LocalMachine;
const std::wstring kEntry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZEP!";

TEST(InstallMode, PerUserOnlyWhenTheKeySaysSo) {
    for (const auto& [value, expected] : std::initializer_list<std::pair<const wchar_t*, InstallMode>>{
             {nullptr, InstallMode::PerMachine}, {L"", InstallMode::PerMachine}, {L"0", InstallMode::PerMachine},
             {L"1", InstallMode::PerUser}, {L"2", InstallMode::PerUser}, {L"-1", InstallMode::PerUser}}) {
        FakeProfile ini;
        if (value) ini.Write(L"setup", L"peruser", value);
        EXPECT_EQ(ReadInstallMode(ini), expected) << (value ? value : L"(absent)");
        EXPECT_EQ(UninstallRoot(expected), expected == InstallMode::PerUser ? HKCU : RegRoot::LocalMachine64);
    }
}

TEST(StartAction, OnlyAPerMachineRunWithoutItsRightsElevatesAndOnlyOnce) {
    using enum StartAction;
    const auto perMachine = InstallMode::PerMachine, perUser = InstallMode::PerUser;
    const auto limited = Elevation::Limited, elevated = Elevation::Elevated, unknown = Elevation::Unknown;
    const struct {
        InstallMode mode;
        const wchar_t* word;
        Elevation elevation;
        bool waiting;
        StartAction expected;
    } cases[] = {
        {perMachine, L"", limited, false, RelaunchElevated},
        {perMachine, L"uninstall", limited, false, RelaunchElevated},  // the registration's command
        {perMachine, L"anything", limited, false, RelaunchElevated},
        {perMachine, L"", limited, true, RefuseUnelevated},  // the relaunch came back without rights
        {perMachine, L"", elevated, false, Run},
        {perMachine, L"", elevated, true, Run},
        {perMachine, L"", unknown, false, Run},  // a system without elevation
        {perMachine, L"reboot", limited, false, Run},
        {perMachine, L"remove", limited, false, Run},
        {perUser, L"", limited, false, Run},
        {perUser, L"uninstall", limited, true, Run},
        {perUser, L"", elevated, false, Run},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartActionFor(c.mode, c.word, c.elevation, c.waiting), c.expected)
            << c.word << " " << static_cast<int>(c.mode) << " " << static_cast<int>(c.elevation) << " " << c.waiting;
}

// A version-up's Setup.ini keeps its Root Name with the folder macro: the entry is named by the leaf.
TEST(PrivatePlace, ElevatedSetupKeepsItsOwnFilesWhereOnlyTheAdministratorsCanChangeThem) {
    // The account's %TEMP% is open to its unelevated programs; a folder of setup's own under the
    // system's temporary folder is not.
    const std::wstring userTemp = L"C:\\Users\\taro\\AppData\\Local\\Temp";
    const PrivatePlace elevated = PrivatePlaceFor(Elevation::Elevated, userTemp, L"C:\\Windows");
    EXPECT_EQ(elevated.folder, L"C:\\Windows\\Temp");
    EXPECT_TRUE(elevated.administratorsOnly);
    EXPECT_EQ(PrivatePlaceFor(Elevation::Elevated, userTemp, L"").folder, L"");  // not %TEMP% instead
    for (Elevation other : {Elevation::Limited, Elevation::Unknown}) {
        const PrivatePlace place = PrivatePlaceFor(other, userTemp, L"C:\\Windows");
        EXPECT_EQ(place.folder, userTemp);
        EXPECT_FALSE(place.administratorsOnly);
    }
}

TEST(UninstallRegistration, APerUserProductRegistersFindsAndRemovesItsEntryUnderTheUser) {
    FakeProfile ini{{L"Setup", L"Name", L"ZEP!"}, {L"Setup", L"PerUser", L"1"}, {L"Root", L"Name", L"%userprograms%\\ZEP!"},
                    {L"Root", L"Named", L"C:\\Users\\taro\\AppData\\Local\\Programs\\ZEP!"},
                    {L"Registry", L"Company", L"Acme"}};
    FakeRegistry reg;
    FakeFiles files;
    reg.CreateKey(HKLM, kEntry);  // a per-machine product of the same folder name
    reg.WriteString(HKLM, kEntry, L"UninstallString", L"\"C:\\ZEP!\\Setup.exe\"");
    for (RegRoot root : {HKCU, HKLM}) reg.CreateKey(root, L"SOFTWARE\\Acme");

    EXPECT_FALSE(RegisteredInstallFolder(ini, reg));  // the other product's entry is not this one's
    RegisterUninstall(ini, reg, files);
    EXPECT_EQ(reg.Text(HKCU, kEntry, L"UninstallString"),
              L"sz:\"C:\\Users\\taro\\AppData\\Local\\Programs\\ZEP!\\Setup.exe\"");
    EXPECT_EQ(reg.Text(HKCU, kEntry, L"DisplayName"), L"sz:ZEP!");
    EXPECT_FALSE(reg.KeyExists(HKCU, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%userprograms%"));
    EXPECT_EQ(reg.Text(HKLM, kEntry, L"UninstallString"), L"sz:\"C:\\ZEP!\\Setup.exe\"");
    EXPECT_EQ(RegisteredInstallFolder(ini, reg), L"C:\\Users\\taro\\AppData\\Local\\Programs\\ZEP!");

    UnregisterUninstall(ini, reg);
    EXPECT_FALSE(reg.KeyExists(HKCU, kEntry));
    EXPECT_TRUE(reg.KeyExists(HKLM, kEntry));
    EXPECT_FALSE(reg.KeyExists(HKCU, L"SOFTWARE\\Acme"));  // the product keys go from both roots, as before
    EXPECT_FALSE(reg.KeyExists(HKLM, L"SOFTWARE\\Acme"));
    EXPECT_FALSE(RegisteredInstallFolder(ini, reg));

    // The same Setup.ini without the key: the per-machine entry is this product's.
    ini.Write(L"Setup", L"PerUser", L"0");
    EXPECT_EQ(RegisteredInstallFolder(ini, reg), L"C:\\ZEP!");
}

TEST(UninstallRegistration, TheX86AndTheX64SetupShareOneEntryInTheMachinesOwnView) {
    FakeProfile ini{{L"Setup", L"Name", L"ZEP!"}, {L"Root", L"Name", L"ZEP!"}, {L"Root", L"Named", L"C:\\ZEP!"}};
    FakeRegistry reg;
    FakeFiles files;
    reg.wow64 = true;  // the x86 setup on 64-bit Windows
    RegisterUninstall(ini, reg, files);
    EXPECT_FALSE(reg.KeyExists(HKLM, L"SOFTWARE\\Microsoft"));  // nothing under WOW6432Node

    reg.wow64 = false;  // the x86-64 setup finds it: a version-up, not a second entry
    EXPECT_EQ(reg.Text(HKLM, kEntry, L"UninstallString"), L"sz:\"C:\\ZEP!\\Setup.exe\"");
    EXPECT_EQ(RegisteredInstallFolder(ini, reg), L"C:\\ZEP!");
    ini.Write(L"Root", L"Named", L"D:\\ZEP!");
    RegisterUninstall(ini, reg, files);

    reg.wow64 = true;  // and the x86 setup finds the x86-64 one's, and removes it
    EXPECT_EQ(RegisteredInstallFolder(ini, reg), L"D:\\ZEP!");
    UnregisterUninstall(ini, reg);
    reg.wow64 = false;
    EXPECT_FALSE(reg.KeyExists(HKLM, kEntry));
}

TEST(StartingPoint, TheRecordTheRegistrationAndTheCommandLineDecideTheStateAndTheFolder) {
    const std::wstring userPrograms = L"C:\\Users\\taro\\AppData\\Local\\Programs";
    const auto profile = [] {
        return FakeProfile{{L"Setup", L"PerUser", L"1"}, {L"Root", L"Name", L"%userprograms%\\ZEP!"}};
    };
    FakeSystem sys;
    FakeRegistry reg;

    FakeProfile fresh = profile();
    StartingPoint start = FindStartingPoint(fresh, reg, sys, L"");
    EXPECT_EQ(start.state, SetupState::Fresh);
    EXPECT_EQ(start.folder, userPrograms + L"\\ZEP!");
    EXPECT_EQ(start.earlierFolder, L"");
    EXPECT_EQ(start.readmePage, L"install");
    EXPECT_EQ(fresh.Get(L"Root", L"Name"), L"ZEP!");  // the name the registration will carry
    fresh = profile();
    EXPECT_EQ(FindStartingPoint(fresh, reg, sys, L"D:\\Tools").folder, L"D:\\Tools");

    // An earlier installation registered under the folder name, moved by its user.
    reg.CreateKey(HKCU, kEntry);
    reg.WriteString(HKCU, kEntry, L"UninstallString", L"\"D:\\Apps\\ZEP!\\Setup.exe\"");
    FakeProfile versionUp = profile();
    start = FindStartingPoint(versionUp, reg, sys, L"");
    EXPECT_EQ(start.state, SetupState::VersionUp);
    EXPECT_EQ(start.folder, L"D:\\Apps\\ZEP!");
    EXPECT_EQ(start.earlierFolder, L"D:\\Apps\\ZEP!");
    EXPECT_EQ(start.readmePage, L"versionup");
    EXPECT_EQ(versionUp.Get(L"Root", L"Name"), L"%userprograms%\\ZEP!");  // kept as written
    versionUp = profile();
    EXPECT_EQ(FindStartingPoint(versionUp, reg, sys, L"E:\\ZEP!").folder, L"E:\\ZEP!");

    // The installed copy: its record decides, and the command line's folder is not its own.
    FakeProfile installed = profile();
    installed.Write(L"CopiedFile", L"Count", L"1");
    start = FindStartingPoint(installed, reg, sys, L"E:\\ZEP!");
    EXPECT_EQ(start.state, SetupState::Installed);
    EXPECT_EQ(start.folder, L"D:\\Apps\\ZEP!");
    EXPECT_EQ(start.readmePage, L"uninstall");
}

}  // namespace
}  // namespace setup::testing
