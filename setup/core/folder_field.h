// The text of the main window's folder field, judged before anything is copied: only a full path
// that names folders Windows keeps as written, and that the Setup.ini can record, is installed into.
#pragma once
#include <string>

#include "texts.h"

namespace setup {

enum class FolderFieldVerdict {
    Usable,
    Empty,          // nothing but blanks
    NotFullPath,    // relative, drive-relative ("C:App") or rooted without a drive ("\App")
    BadName,        // a character or a name (CON, NUL, ...) that no folder can have, or an empty name
    TrailingBlank,  // a name ending in a blank or a period, which Windows drops
    NotRecordable,  // characters outside the code page the Setup.ini is written in
};

// `recordable`: the system's code page holds every character of `text` (the record, the registration
// and the shortcuts are written through it).
FolderFieldVerdict JudgeFolderField(const std::wstring& text, bool recordable);

// The message refusing `text` for `verdict`; empty when it is usable.
std::wstring FolderFieldRefusal(FolderFieldVerdict verdict, const std::wstring& text, const Texts& texts);

}  // namespace setup
