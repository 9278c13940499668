// Every text of setup that a user sees, in Japanese and in English.
#pragma once
#include <span>

namespace setup {

enum class Language { Japanese, English };

// Japanese when the OEM code page is 932, English otherwise.
Language LanguageForOemCodePage(unsigned codePage);

struct Texts {
    // Main window captions set at run time (the others stand in setup.rc and EnglishCaptions).
    const wchar_t* installerGroup;  // the package group box without a package
    const wchar_t* uninstallBox;    // the Copy box in the installed state
    // Folder label during a run.
    const wchar_t* installed;
    const wchar_t* versionUpLabel;
    const wchar_t* copying;
    const wchar_t* systemSetup;
    const wchar_t* completed;
    const wchar_t* unsetupSystem;
    const wchar_t* deletingFiles;
    const wchar_t* uninstallCompleted;
    // Pickers.
    const wchar_t* browseTitle;
    const wchar_t* menuPickerBefore;  // + '"' + Menu Name + '"' + menuPickerAfter
    const wchar_t* menuPickerAfter;
    const wchar_t* menuNotMade;
    // Readme window.
    const wchar_t* agree;
    const wchar_t* refuse;
    const wchar_t* readmeCut;  // after a readme too long to be shown whole
    // Copying.
    const wchar_t* newerExist;
    const wchar_t* overwrite;
    const wchar_t* notCopied;
    const wchar_t* noRoom;  // after a target in that list: the disk was full
    const wchar_t* continuing;
    // After installation.
    const wchar_t* executeFailed;
    const wchar_t* loadFailed;
    const wchar_t* notLibrary;
    const wchar_t* entryMissing;
    const wchar_t* restartAfterInstall;
    const wchar_t* restartAfterRemoval;
    const wchar_t* setupNotCopied;      // + the install folder
    const wchar_t* notStartedAsUser;    // + the programs, one a line, + startsAtNextLogon
    const wchar_t* startsAtNextLogon;
    // An install folder refused before anything is copied: + the folder + folderRefusedAdvice.
    const wchar_t* folderOwnedByOther;
    const wchar_t* folderWritableByOthers;
    const wchar_t* folderMovableByOthers;
    const wchar_t* folderUnreadable;
    const wchar_t* folderRefusedAdvice;
    // A folder field refused before anything is copied: folderEmpty, or a reason + the text; then
    // folderFieldAdvice.
    const wchar_t* folderEmpty;
    const wchar_t* folderNotFullPath;
    const wchar_t* folderBadName;
    const wchar_t* folderTrailingBlank;
    const wchar_t* folderNotRecordable;
    const wchar_t* folderFieldAdvice;
    // Another product's setup in the chosen folder: + its name + foreignSetupAfter (a question).
    const wchar_t* foreignSetupBefore;
    const wchar_t* foreignSetupAfter;
    // Removal.
    const wchar_t* notDeleted;
    const wchar_t* deleteAfterRestart;
    const wchar_t* deleteCaption;
    // A copy of setup that hands its run to the installed copy, which could not be started: + its path.
    const wchar_t* installedSetupNotStarted;
    // Start of a per-machine run whose elevation was refused.
    const wchar_t* notElevated;
    // Started without the Setup.ini beside it (from inside a package).
    const wchar_t* settingsMissing;
    // Too little room on the install folder's drive: + the folder + roomNeeded + KB + roomFree + KB
    // + nothingCopied.
    const wchar_t* driveTooFull;
    const wchar_t* roomNeeded;
    const wchar_t* roomFree;
    const wchar_t* nothingCopied;
    // "setup.exe /?": the command line and the exit codes.
    const wchar_t* usage;
};

const Texts& TextsFor(Language language);

// The dialogs' captions are Japanese in setup.rc; these replace them where the texts are English.
struct ControlCaption {
    int control;  // control_ids.h
    const wchar_t* text;
};
std::span<const ControlCaption> EnglishCaptions();

// The words of the log (/LOG), in one language whatever the user's: a log is read by tools and
// compared across machines. Messages are logged as the user saw them.
namespace log_text {
inline constexpr const wchar_t* started = L"setup started: ";
inline constexpr const wchar_t* program = L"program: ";
inline constexpr const wchar_t* fresh = L"installation into ";
inline constexpr const wchar_t* versionUp = L"version-up in ";
inline constexpr const wchar_t* installed = L"installed copy in ";
inline constexpr const wchar_t* removal = L"removal";
inline constexpr const wchar_t* relaunching = L"relaunching as administrator";
inline constexpr const wchar_t* elevationRefused = L"not running as administrator: nothing changed";
inline constexpr const wchar_t* alreadyRunning = L"another setup of this product is running: nothing changed";
inline constexpr const wchar_t* badSwitch = L"unknown switch: ";
inline constexpr const wchar_t* agreementAccepted = L"agreement accepted by /ACCEPT";
inline constexpr const wchar_t* agreementNotAccepted = L"agreement not accepted (no /ACCEPT): nothing changed";
inline constexpr const wchar_t* folderRefused = L"install folder refused: nothing changed";
inline constexpr const wchar_t* installedSetupNotStarted = L"the installed setup could not be started: nothing changed: ";
inline constexpr const wchar_t* noRoom = L"too little room: nothing copied";
inline constexpr const wchar_t* folderMade = L"folder made: ";
inline constexpr const wchar_t* copied = L"copied: ";
inline constexpr const wchar_t* skipped = L"skipped (not older than the distribution's): ";
inline constexpr const wchar_t* atRestart = L"replaced at restart: ";
inline constexpr const wchar_t* deleteAtRestart = L"deleted at restart: ";
inline constexpr const wchar_t* deleted = L"deleted: ";
inline constexpr const wchar_t* recycled = L"moved to the recycle bin: ";
inline constexpr const wchar_t* folderRemoved = L"folder removed: ";
inline constexpr const wchar_t* folderKept = L"folder kept, not empty: ";
inline constexpr const wchar_t* shortcutMade = L"shortcut made: ";
inline constexpr const wchar_t* shortcutDeleted = L"shortcut deleted: ";
inline constexpr const wchar_t* registryWritten = L"registry value written: ";
inline constexpr const wchar_t* registryKeyMade = L"registry key made: ";
inline constexpr const wchar_t* registryKeyDeleted = L"registry key deleted: ";
inline constexpr const wchar_t* registryValueDeleted = L"registry value deleted: ";
inline constexpr const wchar_t* go2Started = L"Go2 started: ";
inline constexpr const wchar_t* go2Called = L"Go2 entry called: ";
inline constexpr const wchar_t* go2Loaded = L"Go2 library loaded: ";
inline constexpr const wchar_t* restartFollowUp = L"restart needed: the replaced files take effect after it";
inline constexpr const wchar_t* restarting = L"restarting the computer (/RESTART)";
inline constexpr const wchar_t* selfRemoval = L"setup and its folder go once this process has ended";
inline constexpr const wchar_t* finished = L"finished, exit code ";
inline constexpr const wchar_t* message = L"message: ";
inline constexpr const wchar_t* answer = L"answer: ";
inline constexpr const wchar_t* yes = L"Yes";
inline constexpr const wchar_t* no = L"No";
inline constexpr const wchar_t* ok = L"OK";
inline constexpr const wchar_t* failedWith = L" FAILED: ";
}  // namespace log_text

}  // namespace setup
