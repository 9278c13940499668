#include <gtest/gtest.h>

#include "associations.h"
#include "fakes.h"
#include "reg_entries.h"
#include "uninstall_registration.h"

namespace setup::testing {
namespace {

constexpr auto HKCU = RegRoot::CurrentUser;
constexpr auto HKLM = RegRoot::LocalMachine;
constexpr auto HKCR = RegRoot::ClassesRoot;

class Files : public FileReader {
public:
    std::vector<uint8_t> ReadBytes(const std::wstring& path) override {
        if (path == L"blob.bin") return {0xde, 0xad};
        return {};
    }
    std::wstring ReadText(const std::wstring& path) override { return path == L"note.txt" ? L"メモ" : L""; }
};

class RegLines : public ::testing::Test {
protected:
    void Make(const std::wstring& line) { MakeRegEntry(reg, sys, files, line, L"C:\\App"); }
    FakeRegistry reg;
    FakeSystem sys;
    Files files;
};

TEST_F(RegLines, MakeWalksKeysThenWritesTheValueInItsForm) {
    Make(L"HKEY_CURRENT_USER\\Software\\Acme\\Tool\\\\Size\\#D10");
    Make(L"hkey_current_user\\Software\\Acme\\Tool\\\\\\!on");
    Make(L"HKEY_CURRENT_USER\\Software\\Acme\\Empty\\");
    Make(L"Anything\\Software\\Acme\\\\Plain\\1");
    Make(L"HKLM\\Software\\Acme\\\\Literal\\!1");
    Make(L"HKLM\\Software\\Acme\\\\Hash\\##1");
    Make(L"HKLM\\Software\\Acme\\\\Odd\\#B0aFfzZ1");
    Make(L"HKLM\\Software\\Acme\\\\Hex\\#hFFzz");
    Make(L"HKLM\\Software\\Acme\\\\Esc\\#Sa\\tb\\Nc\\\\d\\qe");
    Make(L"HKLM\\Software\\Acme\\\\File\\#Fblob.bin");
    Make(L"HKLM\\Software\\Acme\\\\Missing\\#Fnone.bin");
    Make(L"HKLM\\Software\\Acme\\\\Text\\#tnote.txt");
    Make(L"HKLM\\Software\\Acme\\\\Nothing\\#X");
    Make(L"HKLM\\Software\\Acme\\\\NoData");
    EXPECT_EQ(reg.Text(HKCU, L"Software\\Acme\\Tool", L"Size"), L"dword:10");
    EXPECT_EQ(reg.Text(HKCU, L"Software\\Acme\\Tool", L""), L"sz:on");
    EXPECT_TRUE(reg.KeyExists(HKCU, L"Software\\Acme\\Empty"));
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Plain"), L"sz:C:\\App\\1");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Literal"), L"sz:1");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Hash"), L"sz:C:\\App\\#1");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Odd"), L"binary:0aff00");  // odd last digit dropped
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Hex"), L"dword:65280");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Esc"), L"sz:a\tb\nc\\d\\qe");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"File"), L"binary:dead");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Missing"), L"binary:");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Text"), L"sz:メモ");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Nothing"), L"(none)");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"NoData"), L"(none)");
}

TEST_F(RegLines, DwordsTakeTheWholeUnsignedRangeOtherNumbersTheirOwn) {
    Make(L"HKLM\\Software\\Acme\\\\Max\\#D4294967295");
    Make(L"HKLM\\Software\\Acme\\\\Above\\#D99999999999");
    Make(L"HKLM\\Software\\Acme\\\\Minus\\#D-1");
    Make(L"HKLM\\Software\\Acme\\\\Big\\#D3000000000");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Max"), L"dword:4294967295");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Above"), L"dword:4294967295");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Minus"), L"dword:4294967295");
    EXPECT_EQ(reg.Text(HKLM, L"Software\\Acme", L"Big"), L"dword:3000000000");
    // Numbers of the settings themselves stay within an int.
    EXPECT_EQ(LeadingInt(L"4294967295"), 2147483647);
    EXPECT_EQ(LeadingInt(L"-99999999999"), -2147483647);
}

TEST_F(RegLines, AKeyThatCannotBeMadeStopsTheLine) {
    reg.refused.insert(L"software\\acme\\locked");
    Make(L"HKLM\\Software\\Acme\\Locked\\Sub\\\\V\\#D1");
    EXPECT_FALSE(reg.KeyExists(HKLM, L"Software\\Acme\\Locked\\Sub"));
}

TEST_F(RegLines, EraseDeletesKeyOrValueAndTheAncestorsItLeavesEmpty) {
    Make(L"HKEY_CURRENT_USER\\Software\\Acme\\Tool\\Deep\\\\V\\#D1");
    Make(L"HKEY_CURRENT_USER\\Software\\Acme\\Tool\\\\Size\\#D10");
    Make(L"HKEY_CURRENT_USER\\Software\\Other\\\\Keep\\#D1");
    EraseRegEntry(reg, L"HKEY_CURRENT_USER\\Software\\Acme\\Tool\\Deep");
    EXPECT_FALSE(reg.KeyExists(HKCU, L"Software\\Acme\\Tool\\Deep"));
    EXPECT_TRUE(reg.KeyExists(HKCU, L"Software\\Acme\\Tool"));  // still holds Size
    EraseRegEntry(reg, L"HKEY_CURRENT_USER\\Software\\Acme\\Tool\\Size");
    EXPECT_EQ(reg.deleted, (std::vector<std::wstring>{L"Software\\Acme\\Tool\\Deep", L"Software\\Acme\\Tool",
                                                      L"Software\\Acme"}));
    EXPECT_TRUE(reg.KeyExists(HKCU, L"Software\\Other"));
}

TEST_F(RegLines, DeletingATreeGivesUpOnAKeyItCannotDelete) {
    Make(L"HKLM\\Software\\Acme\\A\\Locked\\Inner\\");
    Make(L"HKLM\\Software\\Acme\\B\\");
    reg.undeletable.insert(L"software\\acme\\a\\locked");
    EXPECT_FALSE(DeleteKeyTree(reg, HKLM, L"Software\\Acme"));
    EXPECT_LT(reg.deleteAttempts, 10);
    EXPECT_FALSE(reg.KeyExists(HKLM, L"Software\\Acme\\A\\Locked\\Inner"));
    EXPECT_TRUE(reg.KeyExists(HKLM, L"Software\\Acme\\A\\Locked"));
}

TEST_F(RegLines, NoLineDeletesARootWhole) {
    Make(L"HKEY_CURRENT_USER\\Software\\Other\\\\Keep\\#D1");
    EraseRegEntry(reg, L"HKEY_CURRENT_USER\\");
    EXPECT_FALSE(DeleteKeyTree(reg, HKCU, L""));
    EXPECT_EQ(reg.Text(HKCU, L"Software\\Other", L"Keep"), L"dword:1");
}

TEST(AssociationCommand, ProgramResolvedRestKept) {
    FakeSystem sys;
    sys.executables[Fold(L"C:\\App\\app.exe")] = L"C:\\App\\app.exe";
    sys.files.insert(Fold(L"C:\\App\\app.exe"));
    EXPECT_EQ(AssociationCommand(L"\"app.exe\" \"%1\"", L"C:\\App", sys), L"\"C:\\App\\app.exe\" \"%1\"");
    EXPECT_EQ(AssociationCommand(L"app.exe\t-o %1", L"C:\\App", sys), L"C:\\App\\app.exe -o %1");
    EXPECT_EQ(AssociationCommand(L"app.exe", L"C:\\App", sys), L"C:\\App\\app.exe ");
    EXPECT_EQ(AssociationCommand(L"\"app.exe", L"C:\\App", sys), L"\"C:\\App\\app.exe\"");
}

class Associations : public ::testing::Test {
protected:
    Associations() {
        sys.executables[Fold(L"C:\\App\\app.exe")] = L"C:\\App\\app.exe";
        sys.files.insert(Fold(L"C:\\App\\app.exe"));
        for (auto [k, v] : std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>{
                 {L"Ext", L".zep"}, {L"Kind", L"ZepFile"}, {L"Icon", L"app.exe"}, {L"IconNo", L"1"},
                 {L"Verb", L"open"}, {L"Verb2", L"ZEPで開く"}, {L"Command", L"\"app.exe\" \"%1\""}})
            ini.Write(L"Ext0", k, v);
        ini.Write(L"Root", L"Named", L"C:\\App");
    }
    void OwnedBy(const wchar_t* other) {
        reg.CreateKey(HKCR, L".zep");
        reg.WriteString(HKCR, L".zep", L"", other);
        reg.CreateKey(HKCR, std::wstring(other) + L"\\shell\\open\\command");
    }
    // The system's class for text files, as a Windows installation has it.
    void TextClass() {
        reg.CreateKey(HKCR, L"txtfile\\DefaultIcon");
        reg.CreateKey(HKCR, L"txtfile\\shell\\open\\command");
        reg.WriteString(HKCR, L"txtfile", L"", L"Text Document");
        reg.WriteString(HKCR, L"txtfile\\DefaultIcon", L"", L"imageres.dll,-102");
        reg.WriteString(HKCR, L"txtfile\\shell\\open\\command", L"", L"notepad.exe %1");
    }
    void ExpectTextClassAsItWas() {
        EXPECT_EQ(reg.Text(HKCR, L"txtfile", L""), L"sz:Text Document");
        EXPECT_EQ(reg.Text(HKCR, L"txtfile\\DefaultIcon", L""), L"sz:imageres.dll,-102");
        EXPECT_EQ(reg.Text(HKCR, L"txtfile\\shell\\open\\command", L""), L"sz:notepad.exe %1");
    }
    FakeProfile ini;
    FakeRegistry reg;
    FakeSystem sys;
};

TEST_F(Associations, ANewExtensionGetsClassIconAndVerbAndLosesThemAgain) {
    ini.Write(L"Check", L"Ext", L"1");
    EXPECT_TRUE(MakeAssociations(ini, reg, sys));  // the shell is told
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:ZepFile");
    EXPECT_EQ(reg.Text(HKCR, L"ZepFile", L""), L"sz:ZepFile");
    EXPECT_EQ(reg.Text(HKCR, L"ZepFile\\DefaultIcon", L""), L"sz:C:\\App\\app.exe,1");
    EXPECT_EQ(reg.Text(HKCR, L"ZepFile\\shell\\open\\command", L""), L"sz:\"C:\\App\\app.exe\" \"%1\"");
    EXPECT_EQ(ini.Get(L"Check", L"Ext"), L"2");
    EXPECT_TRUE(RemoveAssociations(ini, reg, sys));
    EXPECT_FALSE(reg.KeyExists(HKCR, L".zep"));
    EXPECT_FALSE(reg.KeyExists(HKCR, L"ZepFile"));
    EXPECT_EQ(ini.Get(L"Check", L"Ext"), L"1");
    FakeProfile none;  // nothing to tell without an association
    EXPECT_FALSE(MakeAssociations(none, reg, sys));
    EXPECT_FALSE(RemoveAssociations(none, reg, sys));
}

TEST_F(Associations, AForeignClassKeepsItsOwnerAndGetsOnlyVerb2) {
    OwnedBy(L"txtfile");
    MakeAssociations(ini, reg, sys);
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:txtfile");
    EXPECT_FALSE(reg.KeyExists(HKCR, L"ZepFile"));
    EXPECT_EQ(reg.Text(HKCR, L"txtfile\\shell\\ZEPで開く\\command", L""), L"sz:\"C:\\App\\app.exe\" \"%1\"");
    EXPECT_FALSE(ini.Has(L"Check", L"Ext"));
    RemoveAssociations(ini, reg, sys);
    EXPECT_FALSE(reg.KeyExists(HKCR, L"txtfile\\shell\\ZEPで開く"));
    EXPECT_TRUE(reg.KeyExists(HKCR, L"txtfile\\shell\\open\\command"));
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:txtfile");
}

TEST_F(Associations, ForceTakesTheExtensionOverAndGivesItBack) {
    ini.Write(L"Ext0", L"Force", L"1");
    OwnedBy(L"txtfile");
    MakeAssociations(ini, reg, sys);
    MakeAssociations(ini, reg, sys);  // a second run keeps the first owner's name
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:ZepFile");
    EXPECT_EQ(reg.Text(HKCR, L".zep", L"Old Name"), L"sz:txtfile");
    RemoveAssociations(ini, reg, sys);
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:txtfile");
    EXPECT_EQ(reg.Text(HKCR, L".zep", L"Old Name"), L"(none)");
    EXPECT_FALSE(reg.KeyExists(HKCR, L"ZepFile"));
}

TEST_F(Associations, WithForceAProgramThatTookTheExtensionLaterKeepsIt) {
    ini.Write(L"Ext0", L"Force", L"1");
    OwnedBy(L"txtfile");
    MakeAssociations(ini, reg, sys);
    reg.WriteString(HKCR, L".zep", L"", L"NewerFile");
    RemoveAssociations(ini, reg, sys);
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:NewerFile");
    EXPECT_EQ(reg.Text(HKCR, L".zep", L"Old Name"), L"(none)");
}

// Kind names a class of the system's: it is linked to, never described, given an icon or deleted.
TEST_F(Associations, AKindNamingAnotherProgramsClassGetsOnlyVerb2AndSurvivesRemoval) {
    ini.Write(L"Ext0", L"Kind", L"txtfile");
    TextClass();
    MakeAssociations(ini, reg, sys);
    MakeAssociations(ini, reg, sys);  // a version-up finds the extension linked by the first run
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:txtfile");
    EXPECT_EQ(reg.Text(HKCR, L".zep", L"Old Name"), L"sz:");
    EXPECT_EQ(reg.Text(HKCR, L"txtfile\\shell\\ZEPで開く\\command", L""), L"sz:\"C:\\App\\app.exe\" \"%1\"");
    ExpectTextClassAsItWas();
    RemoveAssociations(ini, reg, sys);
    EXPECT_FALSE(reg.KeyExists(HKCR, L".zep"));
    EXPECT_FALSE(reg.KeyExists(HKCR, L"txtfile\\shell\\ZEPで開く"));
    ExpectTextClassAsItWas();
}

TEST_F(Associations, AnExtensionLinkedToAnotherProgramsClassBeforeUsStaysLinked) {
    ini.Write(L"Ext0", L"Kind", L"txtfile");
    TextClass();
    OwnedBy(L"txtfile");
    MakeAssociations(ini, reg, sys);
    EXPECT_EQ(reg.Text(HKCR, L".zep", L"Old Name"), L"(none)");
    RemoveAssociations(ini, reg, sys);
    EXPECT_EQ(reg.Text(HKCR, L".zep", L""), L"sz:txtfile");
    EXPECT_FALSE(reg.KeyExists(HKCR, L"txtfile\\shell\\ZEPで開く"));
    ExpectTextClassAsItWas();
}

TEST_F(Associations, ASectionWithoutAClassLeavesTheOtherClassesAlone) {
    ini.Write(L"Ext0", L"Kind", L"");
    OwnedBy(L"txtfile");
    reg.WriteString(HKCR, L".zep", L"", L"");
    RemoveAssociations(ini, reg, sys);
    EXPECT_TRUE(reg.KeyExists(HKCR, L"txtfile\\shell\\open\\command"));
}

TEST(UninstallRegistration, QuotedCommandIconAndPlaceThenAllRemoved) {
    FakeProfile ini{{L"Setup", L"Name", L"ZEP!"}, {L"Root", L"Name", L"ZEP"},
                    {L"Root", L"Named", L"C:\\Program Files\\ZEP"}, {L"Del", L"Auto", L"1"},
                    {L"Registry", L"Company", L"Acme"}, {L"Registry", L"Name", L"ZEP"}};
    FakeRegistry reg;
    FakeFiles files;
    RegisterUninstall(ini, reg, files);
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZEP";
    EXPECT_EQ(reg.Text(HKLM, key, L"DisplayName"), L"sz:ZEP!");
    EXPECT_EQ(reg.Text(HKLM, key, L"UninstallString"), L"sz:\"C:\\Program Files\\ZEP\\Setup.exe\" uninstall");
    EXPECT_EQ(reg.Text(HKLM, key, L"DisplayIcon"), L"sz:C:\\Program Files\\ZEP\\Setup.exe");
    EXPECT_EQ(reg.Text(HKLM, key, L"InstallLocation"), L"sz:C:\\Program Files\\ZEP");
    for (RegRoot root : {HKCU, HKLM}) reg.CreateKey(root, L"SOFTWARE\\Acme\\ZEP\\Settings");
    reg.CreateKey(HKLM, L"SOFTWARE\\Acme\\Other");
    UnregisterUninstall(ini, reg);
    EXPECT_FALSE(reg.KeyExists(HKLM, key));
    EXPECT_TRUE(reg.KeyExists(HKLM, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    EXPECT_FALSE(reg.KeyExists(HKCU, L"SOFTWARE\\Acme"));        // left empty: gone
    EXPECT_FALSE(reg.KeyExists(HKLM, L"SOFTWARE\\Acme\\ZEP"));
    EXPECT_TRUE(reg.KeyExists(HKLM, L"SOFTWARE\\Acme\\Other"));  // another product's stays

    FakeProfile unnamed{{L"Root", L"Named", L"C:\\"}};
    FakeRegistry empty;
    RegisterUninstall(unnamed, empty, files);
    EXPECT_TRUE(empty.keys.empty());
}

TEST(UninstallRegistration, TheEntryTellsVersionPublisherSizeAndHowToRemoveQuietly) {
    const std::wstring root = L"C:\\Program Files\\ZEP";
    FakeProfile ini{{L"Setup", L"Name", L"ZEP!"}, {L"Setup", L"Version", L"2.1.0"}, {L"Setup", L"Publisher", L"ZEP!"},
                    {L"Setup", L"URL", L"http://www.example.jp/zep/"}, {L"Root", L"Name", L"ZEP"},
                    {L"Root", L"Named", root}, {L"CopiedFile", L"0", root + L"\\zep.exe"},
                    {L"CopiedFile", L"1", root + L"\\zep.txt"}, {L"CopiedFile", L"2", L"c:\\program files\\zep\\ZEP.EXE"},
                    {L"CopiedFile", L"3", root + L"\\gone.htm"}, {L"CopiedFile", L"Count", L"4"}};
    FakeFiles files;
    files.AddFile(root + L"\\zep.exe", 1, std::wstring(3000, L'x'));
    files.AddFile(root + L"\\zep.txt", 1, std::wstring(1097, L'x'));
    FakeRegistry reg;
    RegisterUninstall(ini, reg, files);
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZEP";
    EXPECT_EQ(reg.Text(HKLM, key, L"DisplayVersion"), L"sz:2.1.0");
    EXPECT_EQ(reg.Text(HKLM, key, L"Publisher"), L"sz:ZEP!");
    EXPECT_EQ(reg.Text(HKLM, key, L"URLInfoAbout"), L"sz:http://www.example.jp/zep/");
    EXPECT_EQ(reg.Text(HKLM, key, L"EstimatedSize"), L"dword:5");  // 4097 bytes: each file once, rounded up
    EXPECT_EQ(reg.Text(HKLM, key, L"NoModify"), L"dword:1");
    EXPECT_EQ(reg.Text(HKLM, key, L"NoRepair"), L"dword:1");
    // The entry's own command opens the window (no Del Auto); the quiet one removes by itself.
    EXPECT_EQ(reg.Text(HKLM, key, L"UninstallString"), L"sz:\"C:\\Program Files\\ZEP\\Setup.exe\"");
    EXPECT_EQ(reg.Text(HKLM, key, L"QuietUninstallString"), L"sz:\"C:\\Program Files\\ZEP\\Setup.exe\" uninstall /S");

    // A version-up renews them; what its Setup.ini no longer says goes.
    ini.Write(L"Setup", L"Version", L"2.2.0");
    ini.Write(L"Setup", L"Publisher", L"");
    files.AddFile(root + L"\\zep.exe", 2, std::wstring(5000, L'x'));
    RegisterUninstall(ini, reg, files);
    EXPECT_EQ(reg.Text(HKLM, key, L"DisplayVersion"), L"sz:2.2.0");
    EXPECT_EQ(reg.Text(HKLM, key, L"Publisher"), L"(none)");
    EXPECT_EQ(reg.Text(HKLM, key, L"URLInfoAbout"), L"sz:http://www.example.jp/zep/");
    EXPECT_EQ(reg.Text(HKLM, key, L"EstimatedSize"), L"dword:6");
}

}  // namespace
}  // namespace setup::testing
