#include <gtest/gtest.h>

#include "fakes.h"
#include "paths.h"

namespace setup::testing {
namespace {

TEST(JoinPath, AddsOneBackslashAtMost) {
    EXPECT_EQ(JoinPath(L"C:\\App", L"x"), L"C:\\App\\x");
    EXPECT_EQ(JoinPath(L"C:\\", L"x"), L"C:\\x");
    EXPECT_EQ(JoinPath(L"", L"x"), L"x");
    EXPECT_EQ(JoinPath(L"C:\\App", L"\\x"), L"C:\\App\\\\x");
}

TEST(ResolvePath, PlainValues) {
    FakeSystem sys;
    const struct {
        std::wstring value, base, expected;
    } cases[] = {
        {L"%system%\\x.dll", L"C:\\App", L"C:\\Windows\\system32\\x.dll"},
        {L"%SYSTEM%x.dll", L"C:\\App", L"C:\\Windows\\system32x.dll"},
        {L"%desktop%\\a.lnk", L"C:\\App", L"C:\\Users\\taro\\Desktop\\a.lnk"},
        {L"%windows%\\win.ini", L"C:\\App", L"C:\\Windows\\win.ini"},
        {L"%programs%\\Tool", L"C:\\App", L"C:\\Program Files\\Tool"},
        {L"%root%\\x.txt", L"C:\\App", L"C:\\App\\\\x.txt"},
        {L"%root%x.txt", L"C:\\App", L"C:\\App\\x.txt"},
        {L"!D:\\literal.txt", L"C:\\App", L"D:\\literal.txt"},
        {L"sub\\x.txt", L"C:\\App\\", L"C:\\App\\sub\\x.txt"},
        {L"x.txt", L"", L"x.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolvePath(c.value, c.base, PathMode::Plain, sys), c.expected) << std::string(c.value.begin(), c.value.end());
    sys.programFiles.clear();
    EXPECT_EQ(ResolvePath(L"%programs%\\Tool", L"", PathMode::Plain, sys), L"C:\\Windows\\Tool");
}

TEST(ResolvePath, ATooLongResultIsNeverCut) {
    FakeSystem sys;
    const std::wstring base = L"C:\\" + std::wstring(250, L'd');
    EXPECT_EQ(ResolvePath(L"abcde", base, PathMode::Plain, sys)->size(), 259u);
    EXPECT_FALSE(ResolvePath(L"abcdef", base, PathMode::Plain, sys));
    EXPECT_FALSE(ResolvePath(L"!" + std::wstring(260, L'x'), L"", PathMode::Plain, sys));
}

TEST(ResolvePath, ProgramModeAsksTheShell) {
    FakeSystem sys;
    sys.executables[Fold(L"C:\\App\\app.exe")] = L"C:\\App\\app.exe";
    sys.files.insert(Fold(L"C:\\App\\app.exe"));
    sys.classes[L".txt"] = L"txtfile";
    sys.classes[L"txtfile\\shell\\open\\command"] = L"C:\\Windows\\notepad.exe %1";
    sys.files.insert(Fold(L"C:\\Windows\\notepad.exe"));
    sys.classes[L".htm"] = L"htmlfile";
    sys.classes[L"htmlfile\\shell\\open\\command"] = L"\"C:\\Program Files\\Web\\web.exe\" -nohome";
    sys.classes[L".dat"] = L"datfile";  // a class without a command
    sys.classKeys.insert(L".odd");        // an extension key without a class

    const struct {
        std::wstring value, expected;
    } cases[] = {
        {L"app.exe", L"C:\\App\\app.exe"},                      // found in the install folder
        {L"readme.txt", L"C:\\Windows\\notepad.exe"},           // the longest leading part that exists
        {L"page.htm", L"C:\\Program Files\\Web\\web.exe"},      // a quoted command
        {L"x.dat", L"C:\\App\\x.dat"},                          // no command: joined
        {L"x.odd", L"C:\\App\\x.odd"},                          // no class: joined
        {L"1", L"C:\\App\\1"},                                  // no extension: the classes root has no command
        {L"x.none", L""},                                       // no key at all: what the shell found
        {L"!on", L"on"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolvePath(c.value, L"C:\\App", PathMode::Program, sys), c.expected)
            << std::string(c.value.begin(), c.value.end());
}

TEST(ExpandMacros, KnownNamesAnywhereOthersUntouched) {
    FakeSystem sys;
    EXPECT_EQ(ExpandMacros(L"\"%ROOT%\\app.exe\" /s", L"C:\\App", sys), L"\"C:\\App\\app.exe\" /s");
    EXPECT_EQ(ExpandMacros(L"%windows%%system%", L"", sys), L"C:\\WindowsC:\\Windows\\system32");
    EXPECT_EQ(ExpandMacros(L"%desktop%\\x", L"", sys), L"C:\\Users\\taro\\Desktop\\x");
    EXPECT_EQ(ExpandMacros(L"%root%\\x", L"", sys), L"%root%\\x");
    EXPECT_EQ(ExpandMacros(L"50% done", L"C:\\App", sys), L"50% done");
    sys.programFiles.clear();
    EXPECT_EQ(ExpandMacros(L"%foo% %programs%", L"C:\\App", sys), L"%foo% %programs%");
}

TEST(DefaultInstallFolder, MacroWordOrSystemDrive) {
    FakeSystem sys;
    EXPECT_EQ(DefaultInstallFolder(L"%programs%\\App", sys), L"C:\\Program Files\\App");
    EXPECT_EQ(DefaultInstallFolder(L"%Windows%\\App", sys), L"C:\\Windows\\App");
    EXPECT_EQ(DefaultInstallFolder(L"App", sys), L"C:\\App");
    EXPECT_EQ(DefaultInstallFolder(L"Tools\\App", sys), L"C:\\Tools\\App");
    EXPECT_EQ(DefaultInstallFolder(L"%abc%App", sys), L"C:\\%abc\\App");
    sys.programFiles = L"D:\\";
    EXPECT_EQ(DefaultInstallFolder(L"%programs%\\App", sys), L"D:\\App");
}

TEST(UserProgramsMacro, TheUsersOwnProgramFolderInEveryRule) {
    FakeSystem sys;
    const std::wstring mine = L"C:\\Users\\taro\\AppData\\Local\\Programs";
    EXPECT_EQ(DefaultInstallFolder(L"%userprograms%\\ZEP!", sys), mine + L"\\ZEP!");
    EXPECT_EQ(DefaultInstallFolder(L"%UserPrograms%ZEP!", sys), mine + L"ZEP!");
    EXPECT_EQ(ExpandMacros(L"\"%userprograms%\\x.exe\" %programs%", L"", sys),
              L"\"" + mine + L"\\x.exe\" C:\\Program Files");
    EXPECT_EQ(ResolvePath(L"%USERPROGRAMS%\\Tool\\*.log", L"C:\\App", PathMode::Plain, sys), mine + L"\\Tool\\*.log");
    sys.userPrograms = L"D:\\";  // a folder ending in "\" takes the rest without a second one
    EXPECT_EQ(DefaultInstallFolder(L"%userprograms%\\ZEP!", sys), L"D:\\ZEP!");

    // Unknown to the system: no path at the drive's root, the macro kept as the other rules keep theirs.
    sys.userPrograms.clear();
    EXPECT_FALSE(ResolvePath(L"%userprograms%\\Tool", L"C:\\App", PathMode::Plain, sys));
    EXPECT_EQ(ExpandMacros(L"%userprograms%\\x", L"", sys), L"%userprograms%\\x");
}

TEST(WithFolderName, AppendedUnlessThePickedFolderEndsWithIt) {
    EXPECT_EQ(WithFolderName(L"D:\\Tools", L"App"), L"D:\\Tools\\App");
    EXPECT_EQ(WithFolderName(L"D:\\", L"App"), L"D:\\App");
    EXPECT_EQ(WithFolderName(L"D:\\Tools\\app", L"App"), L"D:\\Tools\\app");
    EXPECT_EQ(WithFolderName(L"D:\\App\\Old", L"App"), L"D:\\App\\Old\\App");  // only at the very end
    EXPECT_EQ(WithFolderName(L"D:\\MyApp", L"App"), L"D:\\MyApp");                  // the first place found
    EXPECT_EQ(WithFolderName(L"D:\\Tools", L""), L"D:\\Tools");
}

TEST(PreviousInstallFolder, QuotedOrNot) {
    EXPECT_EQ(PreviousInstallFolder(L"C:\\App\\Setup.exe"), L"C:\\App");
    EXPECT_EQ(PreviousInstallFolder(L"C:\\App\\Setup.exe uninstall"), L"C:\\App");
    EXPECT_EQ(PreviousInstallFolder(L"\"C:\\Program Files\\App\\Setup.exe\" uninstall"), L"C:\\Program Files\\App");
    EXPECT_FALSE(PreviousInstallFolder(L"Setup.exe"));
}

}  // namespace
}  // namespace setup::testing
