// Where both programs let the system find DLLs. Called first thing in each program's entry, before
// any DLL is loaded by name: the program's own folder, the current folder and PATH are folders
// that other users or a downloaded file's neighbours may control (a planted version.dll beside
// the program would otherwise run with the program's rights).
#pragma once
#include <windows.h>

namespace dll_search {

// Limits the search for DLLs loaded by name to the system folder: SetDefaultDllDirectories where
// the system has it (looked up at run time); elsewhere the current folder is taken out of the
// search (SetDllDirectory). The safe search mode of SearchPath is made permanent.
void RestrictToSystemFolder();

// Loads a DLL named by its full path; the DLLs it needs come from its own folder and the system
// folder (where the system cannot restrict the search, from its own folder first). Null when it
// cannot be loaded.
HMODULE LoadByFullPath(const wchar_t* path);
HMODULE LoadByFullPath(const char* path);

}  // namespace dll_search
