// The record of what an installation made (MakedDirectory, CopiedFile), kept so that removal can
// undo exactly that.
#pragma once
#include <string>

#include "profile.h"
#include "texts.h"

namespace setup {

// Appends to `record` every entry of `earlier` (the Setup.ini an earlier version left in the
// install folder) that `record` does not hold yet, so a version-up keeps the earlier files on
// record. `record` is flushed after each entry.
void MergeInstallRecord(Profile& record, Profile& earlier);

// Whether `found`, the Setup.ini in the chosen install folder, is a record of this product (an
// earlier version, or this run's own file): the same folder name (the leaf of Root Name) and the
// same product name (Setup Name). Only such a record is merged, has its menu cleaned up, and is
// replaced without a question; another product's record belongs to that product's removal.
bool SameProductRecord(Profile& ours, Profile& found);

// The question before another product's setup in the install folder is replaced.
std::wstring ForeignSetupQuestion(Profile& found, const Texts& texts);

// Empties the record (nothing made, nothing copied): the Setup.ini shows no installation.
void ForgetInstallRecord(Profile& record);

// The record stands in two Setup.ini files: the one in the install folder and the one of the
// distribution it was installed from. Only the copy of setup in the install folder acts on it: its
// Setup.ini holds the whole record (a version-up merges the earlier ones into it), and it is the
// copy that removes itself and its folder at the end of a removal.
struct SetupCopy {
    bool recorded = false;               // CopiedFile Count is non-zero
    std::wstring installFolder;          // Root Named
    bool isInstalledCopy = false;        // this program is the install folder's Setup.exe
    bool installedCopyExists = false;    // that Setup.exe is there
    bool handedOver = false;             // started by another copy's hand-over
};
enum class CopyRole {
    RunHere,       // not installed, or the installed copy itself
    HandOver,      // start the installed copy instead (same command word) and end
    ForgetRecord,  // the product's setup is gone (removed): the record is stale, install afresh
};
CopyRole RoleOf(const SetupCopy& copy);

}  // namespace setup
