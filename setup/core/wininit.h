// The rename list that the 9x family of Windows carries out at its next start (WinInit.Ini).
#pragma once
#include <string>

namespace setup {

// The entry line for renaming `existing` to `replacement` (short path forms, ANSI); an empty
// replacement deletes: "NUL" for a file, "DIRNUL" for a folder.
std::string WinInitEntry(const std::string& replacement, const std::string& existing, bool existingIsFolder);

// The file's new text: the entry as the last line of its [Rename] section, or, without such a
// section, a new one at the end. Empty lines of the old text are dropped.
std::string AddWinInitEntry(const std::string& oldText, const std::string& entryLine);

}  // namespace setup
