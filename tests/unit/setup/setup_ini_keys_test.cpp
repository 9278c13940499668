#include <gtest/gtest.h>

#include "fakes.h"
#include "setup_ini_keys.h"

namespace setup::testing {
namespace {

TEST(SetupIniLists, EndAtTheFirstAbsentOrEmptyKeyAndStartWhereTheirSectionDoes) {
    FakeProfile ini{{L"CopyFile", L"0", L"a.exe"}, {L"copyfile", L"1", L"b.dll"}, {L"CopyFile", L"3", L"gap.txt"},
                    {L"MakeDirectory", L"0", L"never"}, {L"MakeDirectory", L"1", L"data"},
                    {L"MakeDirectory", L"2", L""}, {L"MakeDirectory", L"3", L"after-empty"},
                    {L"Go2", L"Make0", L"x.exe"}, {L"Go2", L"make1", L"y.exe"}, {L"Go2", L"Erase0", L"z.exe"},
                    {L"DirRemove", L"0", L"never"}, {L"DirRemove", L"1", L"logs"}};
    EXPECT_EQ(Read(ini, keys::kCopyFiles), (std::vector<std::wstring>{L"a.exe", L"b.dll"}));
    EXPECT_EQ(Read(ini, keys::kMakeDirectories), (std::vector<std::wstring>{L"data"}));
    EXPECT_EQ(Read(ini, keys::kDirRemove), (std::vector<std::wstring>{L"logs"}));
    EXPECT_EQ(Read(ini, keys::kGo2Make), (std::vector<std::wstring>{L"x.exe", L"y.exe"}));
    EXPECT_EQ(Read(ini, keys::kGo2Erase), (std::vector<std::wstring>{L"z.exe"}));
    EXPECT_EQ(Read(ini, keys::kRootName), L"");
}

TEST(SetupIniKeys, ReadWithTheirOwnBuffers) {
    const std::wstring longPath(1000, L'p');
    FakeProfile ini{{L"CopyFile", L"0", longPath}, {L"Reg", L"Make0", longPath}, {L"Root", L"Named", longPath},
                    {L"Ext0", L"Ext", longPath}, {L"Go2", L"Make0", std::wstring(2000, L'g')}};
    EXPECT_EQ(Read(ini, keys::kCopyFiles).front(), longPath);  // never cut: it would name another file
    EXPECT_EQ(Read(ini, keys::kRegMake).front(), longPath);
    EXPECT_EQ(Read(ini, keys::kRootNamed).size(), kPathChars - 1);
    EXPECT_EQ(Read(ini, keys::kAssociations.Section(0), keys::kAssociationExt).size(), 255u);
    EXPECT_EQ(Read(ini, keys::kGo2Make).front().size(), 1039u);
}

TEST(SetupIniChecks, RiseWhenCarriedOutAndFallWhenUndoneButAbsentAndForcedOnesStay) {
    FakeProfile ini{{L"Check", L"Menu", L"1"}, {L"Check", L"Desktop", L"3"}, {L"Check", L"Ext", L"0"},
                    {L"Check", L"Send", L"2"}};
    ini.writes.clear();
    for (const keys::Number& check : {keys::kCheckMenu, keys::kCheckDesktop, keys::kCheckExt, keys::kCheckSend,
                                      keys::kCheckStartup})
        RaiseCheck(ini, check);
    EXPECT_EQ(ini.writes, (std::vector<std::wstring>{L"Check/Menu=2", L"Check/Ext=2"}));
    EXPECT_FALSE(ReadIfPresent(ini, keys::kCheckStartup));

    ini.writes.clear();
    for (const keys::Number& check : {keys::kCheckMenu, keys::kCheckDesktop, keys::kCheckStartup})
        LowerCheck(ini, check);
    EXPECT_EQ(ini.writes, (std::vector<std::wstring>{L"Check/Menu=1", L"Check/Desktop=1"}));
    EXPECT_FALSE(ReadIfPresent(ini, keys::kCheckStartup));
}

}  // namespace
}  // namespace setup::testing
