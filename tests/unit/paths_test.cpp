#include "paths.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace zep {
namespace {

// "表" is 0x95 0x5C in code page 932: its second byte is no folder separator.
constexpr char kHyo[] = "\x95\x5C";

TEST(Paths, FolderAndFileName) {
    EXPECT_EQ(FolderWithSlash("C:\\zep\\zep.exe"), "C:\\zep\\");
    EXPECT_EQ(FolderOf("C:\\zep\\zep.exe"), "C:\\zep");
    EXPECT_EQ(LeafName("C:\\zep\\zep.exe"), "zep.exe");
    EXPECT_EQ(FolderWithSlash("zep.exe"), "");
    EXPECT_EQ(FolderOf("zep.exe"), "");
    EXPECT_EQ(LeafName("zep.exe"), "zep.exe");
}

TEST(Paths, DoubleByteCharactersAreNeverSplit) {
    const std::string tool = std::string("C:\\Tools\\") + kHyo + ".exe";
    EXPECT_EQ(FolderWithSlash(tool), "C:\\Tools\\");
    EXPECT_EQ(LeafName(tool), std::string(kHyo) + ".exe");
    EXPECT_EQ(FolderWithSlash(std::string("C:\\") + kHyo + "\\a.exe"), std::string("C:\\") + kHyo + "\\");
    EXPECT_EQ(FolderWithSlash(std::string("C:\\") + kHyo), "C:\\");
}

TEST(Paths, ExtensionOfTheFileNameOnly) {
    EXPECT_EQ(WithExtension("C:\\zep\\zep.exe", ".txt"), "C:\\zep\\zep.txt");
    EXPECT_EQ(WithExtension("C:\\a.b\\zep", ".txt"), "C:\\a.b\\zep.txt");
    EXPECT_EQ(WithExtension(std::string("C:\\x.") + kHyo, ".txt"), "C:\\x.txt");
    EXPECT_EQ(WithExtension("C:\\zep\\zep.exe", ".ini"), "C:\\zep\\zep.ini");
}

TEST(Paths, RouterLibraryOnlyInTheProgramAndSystemFolders) {
    EXPECT_EQ(RouterLibraryCandidates("C:\\ZEP!", "C:\\Windows\\system32"),
              (std::vector<std::string>{"C:\\ZEP!\\MRLExhibits.dll", "C:\\Windows\\system32\\MRLExhibits.dll"}));
    // A program in a drive's root; a folder whose last character ends in the byte of "\".
    const std::string hyo = std::string("C:\\") + kHyo;
    EXPECT_EQ(RouterLibraryCandidates("C:\\", hyo),
              (std::vector<std::string>{"C:\\MRLExhibits.dll", hyo + "\\MRLExhibits.dll"}));
    // A folder the system could not give is no candidate (a bare name would be searched for).
    EXPECT_EQ(RouterLibraryCandidates("", "C:\\Windows\\system32"),
              (std::vector<std::string>{"C:\\Windows\\system32\\MRLExhibits.dll"}));
}

TEST(Paths, OwnFilesGoToApplicationDataOnlyWhereTheProgramFolderIsClosed) {
    const std::string program = "C:\\Program Files\\ZEP!", appData = "C:\\Users\\ann\\AppData\\Roaming";
    const std::string mine = appData + "\\ZEP!";
    std::set<std::string> files;
    const auto exists = [&](const std::string& path) { return files.count(path) > 0; };
    const auto place = [&](bool writable, const char* appDataFolder = "C:\\Users\\ann\\AppData\\Roaming") {
        const OwnFilesPlace p = PlaceOwnFiles(program, writable, appDataFolder, "zep.ini", exists);
        return std::make_pair(p.folder, p.takeOverSettings);
    };

    EXPECT_EQ(place(true), std::make_pair(program, false));
    EXPECT_EQ(place(false), std::make_pair(mine, false));  // nothing to take over
    files.insert(program + "\\zep.ini");
    EXPECT_EQ(place(true), std::make_pair(program, false));
    EXPECT_EQ(place(false), std::make_pair(mine, true));
    files.insert(mine + "\\zep.ini");  // taken over once: the user's own file wins from then on
    EXPECT_EQ(place(false), std::make_pair(mine, false));
    EXPECT_EQ(place(false, ""), std::make_pair(program, false));  // no application-data folder
}

}  // namespace
}  // namespace zep
