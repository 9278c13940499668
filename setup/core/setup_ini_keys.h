// Every section and key of Setup.ini, each with its type, its value when absent and the buffer it
// is read with. Code names a key only through this table: a misspelt key is a compiler error, never
// a key that silently reads as absent, and a key has one value when absent wherever it is read.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "profile.h"

namespace setup {

namespace keys {

// A string key; "" when absent.
struct Text {
    const wchar_t* section;
    const wchar_t* key;
    size_t bufferChars = kPathChars;
};

// An integer key, read as the system reads integers (leading digits; `absent` when absent or empty).
struct Number {
    const wchar_t* section;
    const wchar_t* key;
    int absent = 0;
};

// A numbered list: keys prefix + first, prefix + first + 1, ... up to the first absent or empty one.
struct List {
    const wchar_t* section;
    const wchar_t* prefix;
    int first = 0;
    size_t bufferChars = kPathChars;
};

// Numbered sections ("Menu0", "Send1", "Ext2", ...): one shortcut or association each.
struct NumberedSections {
    const wchar_t* prefix;
    std::wstring Section(size_t index) const { return prefix + std::to_wstring(index); }
};

// A key of each section of a kind (a shortcut's or an association's), the section named when read.
struct FieldText {
    const wchar_t* key;
    size_t bufferChars = kPathChars;
};
struct FieldNumber {
    const wchar_t* key;
    int absent = 0;
};

// The Desktop or the Startup shortcut: its section (named as the user's shell folder it goes into),
// its option, and the LastGo keys that keep the link made and ask for it to be opened.
struct Place {
    const wchar_t* section;
    Number check;
    Text made;
    Number openAfter;
};

//                                section         key             absent / buffer
inline constexpr Text kProductName{L"Setup", L"Name"};  // "Install" as the window's title
inline constexpr Number kAuto{L"Setup", L"Auto"};
inline constexpr Number kPerUser{L"Setup", L"PerUser"};
inline constexpr Text kVersion{L"Setup", L"Version"};
inline constexpr Text kPublisher{L"Setup", L"Publisher"};
inline constexpr Text kUrl{L"Setup", L"URL"};

inline constexpr Text kRootName{L"Root", L"Name"};
inline constexpr Text kRootNamed{L"Root", L"Named"};  // written: the folder installed into

inline constexpr Text kMenuName{L"Menu", L"Name"};
inline constexpr Text kMenuNamed{L"Menu", L"Named"};    // written: the menu folder in use
inline constexpr Text kMenuChange{L"Menu", L"Change"};  // written: the folder picked with "..."
inline constexpr Number kMenuOpen{L"Menu", L"Open"};

// The options (0 hidden, 1 shown unchecked, 2 shown checked, 3 checked and hidden); written.
inline constexpr Number kCheckMenu{L"Check", L"Menu"};
inline constexpr Number kCheckDesktop{L"Check", L"Desktop"};
inline constexpr Number kCheckStartup{L"Check", L"Startup"};
inline constexpr Number kCheckExt{L"Check", L"Ext"};
inline constexpr Number kCheckSend{L"Check", L"Send"};
inline constexpr Number kCheckCopy{L"Check", L"Copy"};
inline constexpr Number kCheckDel{L"Check", L"Del"};

// The installer window's icon.
inline constexpr Text kWindowIcon{L"Desktop", L"Icon"};
inline constexpr Number kWindowIconNo{L"Check", L"IconNo"};

inline constexpr List kCopyFiles{L"CopyFile", L"", 0, kLongValueChars};  // entries are never cut
inline constexpr Number kCopyReboot{L"CopyFile", L"Reboot"};
inline constexpr Number kCopyDefaultNo{L"CopyFile", L"DefaultNo"};
inline constexpr Text kCopySelf{L"CopyFile", L"Self"};
inline constexpr List kMakeDirectories{L"MakeDirectory", L"", 1};

// The install record (InstallRecord reads and writes these sections); written.
inline constexpr const wchar_t* kRecordFolders = L"MakedDirectory";
inline constexpr const wchar_t* kRecordFiles = L"CopiedFile";
inline constexpr const wchar_t* kRecordCount = L"Count";

inline constexpr List kDelPatterns{L"Del", L"", 0};
inline constexpr Number kDelForce{L"Del", L"Force"};
inline constexpr Number kDelReboot{L"Del", L"Reboot"};
inline constexpr Number kDelShowError{L"Del", L"ShowError"};
inline constexpr Number kDelAuto{L"Del", L"Auto"};
inline constexpr Number kDelChecked{L"Del", L"Checked"};
inline constexpr List kDirRemove{L"DirRemove", L"", 1};

inline constexpr Text kReadmeFile{L"Readme", L"File"};
inline constexpr Number kReadmeDone{L"Readme", L"Done"};  // written
inline constexpr Number kReadmeNo{L"Readme", L"No"};      // the number of page lines below
inline constexpr List kReadmeLines{L"Readme", L"", 0};
inline constexpr Number kAgree{L"Go", L"Agree"};

inline constexpr List kGo2Make{L"Go2", L"Make", 0, 1040};
inline constexpr List kGo2Erase{L"Go2", L"Erase", 0, 1040};
inline constexpr List kLastGo{L"LastGo", L"", 0};

inline constexpr Text kRegistryCompany{L"Registry", L"Company"};
inline constexpr Text kRegistryName{L"Registry", L"Name"};
inline constexpr List kRegMake{L"Reg", L"Make", 0, kLongValueChars};
inline constexpr List kRegErase{L"Reg", L"Erase", 0, kLongValueChars};

inline constexpr Number kBackDo{L"Back", L"Do"};
inline constexpr List kBackLines{L"Back", L"", 0};

// Shortcuts: the "Menu%d" and "Send%d" sections, the Desktop and the Startup section.
inline constexpr NumberedSections kMenuShortcuts{L"Menu"};
inline constexpr NumberedSections kSendToShortcuts{L"Send"};
inline constexpr Place kDesktop{L"Desktop", kCheckDesktop, {L"LastGo", L"Desktop"}, {L"LastGo", L"DesktopAndGo"}};
inline constexpr Place kStartup{L"Startup", kCheckStartup, {L"LastGo", L"Startup"}, {L"LastGo", L"StartupAndGo"}};
inline constexpr FieldText kShortcutName{L"Name"};
inline constexpr FieldText kShortcutPath{L"Path"};
inline constexpr FieldText kShortcutArg{L"Arg"};
inline constexpr FieldText kShortcutIcon{L"Icon"};
inline constexpr FieldNumber kShortcutIconNo{L"IconNo"};
inline constexpr FieldText kShortcutWork{L"Work"};
inline constexpr FieldNumber kShortcutShow{L"Show"};
inline constexpr FieldText kShortcutHotKey{L"Short"};  // Desktop and Startup only

// Associations: the "Ext%d" sections.
inline constexpr NumberedSections kAssociations{L"Ext"};
inline constexpr FieldText kAssociationExt{L"Ext", 256};
inline constexpr FieldText kAssociationKind{L"Kind"};
inline constexpr FieldText kAssociationIcon{L"Icon"};
inline constexpr FieldText kAssociationIconNo{L"IconNo"};  // a string: written after the icon's path as it is
inline constexpr FieldText kAssociationVerb{L"Verb", 256};
inline constexpr FieldText kAssociationVerb2{L"Verb2", 256};
inline constexpr FieldText kAssociationCommand{L"Command"};
inline constexpr FieldNumber kAssociationForce{L"Force"};

}  // namespace keys

std::wstring Read(Profile& ini, const keys::Text& key);
int Read(Profile& ini, const keys::Number& key);
// None when the key is absent or empty.
std::optional<int> ReadIfPresent(Profile& ini, const keys::Number& key);
std::vector<std::wstring> Read(Profile& ini, const keys::List& list, bool* cut = nullptr);
// The entry at `index` of a list read by a count of its own (the readme's page lines).
std::wstring ReadEntry(Profile& ini, const keys::List& list, int index);
std::wstring Read(Profile& ini, const std::wstring& section, const keys::FieldText& key);
int Read(Profile& ini, const std::wstring& section, const keys::FieldNumber& key);

void Write(Profile& ini, const keys::Text& key, const std::wstring& value);
void Write(Profile& ini, const keys::Number& key, int value);

// An option carried out is raised to checked (2) unless it is forced (3); one undone is lowered to
// shown and unchecked (1) unless it is hidden (0). An absent option stays absent.
void RaiseCheck(Profile& ini, const keys::Number& check);
void LowerCheck(Profile& ini, const keys::Number& check);

}  // namespace setup
