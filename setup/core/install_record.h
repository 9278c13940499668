// The record of what an installation made (MakedDirectory, CopiedFile), kept so that removal can
// undo exactly that.
#pragma once
#include "profile.h"

namespace setup {

// Appends to `record` every entry of `earlier` (the Setup.ini an earlier version left in the
// install folder) that `record` does not hold yet, so a version-up keeps the earlier files on
// record. `record` is flushed after each entry.
void MergeInstallRecord(Profile& record, Profile& earlier);

}  // namespace setup
