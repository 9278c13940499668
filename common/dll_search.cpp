#include "dll_search.h"

#include <delayimp.h>

#include <string>

namespace dll_search {
namespace {

bool searchFlags = false;

DWORD FullPathLoadFlags() {
    return searchFlags ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
}

template <typename Fn>
Fn Kernel32Function(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// Delay-loaded DLLs come from the system folder by their full path, whatever search order the
// system offers.
FARPROC WINAPI LoadDelayedFromSystemFolder(unsigned notice, PDelayLoadInfo info) {
    if (notice != dliNotePreLoadLibrary) return nullptr;
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::string path = std::string(folder, n) + "\\" + info->szDll;
    return reinterpret_cast<FARPROC>(LoadByFullPath(path.c_str()));
}

}  // namespace

void RestrictToSystemFolder() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
    if (auto setDefault = Kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
        searchFlags = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
    if (!searchFlags) SetDllDirectoryW(L"");
    // SearchPath too looks in the current folder only after the system's folders.
    if (auto setMode = Kernel32Function<SetSearchPathModeFn>("SetSearchPathMode"))
        setMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

HMODULE LoadByFullPath(const wchar_t* path) { return LoadLibraryExW(path, nullptr, FullPathLoadFlags()); }
HMODULE LoadByFullPath(const char* path) { return LoadLibraryExA(path, nullptr, FullPathLoadFlags()); }

}  // namespace dll_search

// The delay-load helper asks this hook before it loads a DLL.
PfnDliHook __pfnDliNotifyHook2 = dll_search::LoadDelayedFromSystemFolder;  // C linkage: delayimp.h
