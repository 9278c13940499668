// Every text of setup that a user sees, in Japanese and in English.
#pragma once

namespace setup {

enum class Language { Japanese, English };

// Japanese when the OEM code page is 932, English otherwise.
Language LanguageForOemCodePage(unsigned codePage);

struct Texts {
    // Main window captions.
    const wchar_t* folderLabel;
    const wchar_t* menuBox;
    const wchar_t* shortcutBox;
    const wchar_t* startupBox;
    const wchar_t* associateBox;
    const wchar_t* sendToBox;
    const wchar_t* copyBox;
    const wchar_t* deleteAfterBox;
    const wchar_t* okButton;
    const wchar_t* cancelButton;
    const wchar_t* readmeButton;
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
    const wchar_t* endReadme;
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
    // Start of a per-machine run whose elevation was refused.
    const wchar_t* notElevated;
    // Started without the Setup.ini beside it (from inside a package).
    const wchar_t* settingsMissing;
};

const Texts& TextsFor(Language language);

}  // namespace setup
