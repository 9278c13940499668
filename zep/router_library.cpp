#include "router_library.h"

#include "dll_search.h"
#include "paths.h"
#include "win_system.h"

namespace zep {
namespace {

template <typename Fn>
bool BindExport(HMODULE module, const char* name, Fn& target) {
    target = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return target != nullptr;
}

}  // namespace

void MrlLibrary::Bind() {
    // Where the maker's setup may have put it, by full path: the program's folder first, then the
    // system folder.
    char system[MAX_PATH];
    const UINT n = GetSystemDirectoryA(system, MAX_PATH);
    const std::string systemFolder = n > 0 && n < MAX_PATH ? std::string(system, n) : std::string();
    for (const std::string& path : RouterLibraryCandidates(ProgramFolder(), systemFolder))
        if ((module_ = dll_search::LoadByFullPath(path.c_str()))) break;
    if (!module_) return;
    // The version export is never called; only its presence counts.
    bool all = GetProcAddress(module_, "_MRL_GetDllVersion@8") != nullptr;
    all = BindExport(module_, "_MRL_Find@8", Find) && all;
    all = BindExport(module_, "_MRL_GetInformation@8", GetInformation) && all;
    all = BindExport(module_, "_MRL_Connect@12", Connect) && all;
    all = BindExport(module_, "_MRL_Disconnect@12", Disconnect) && all;
    all = BindExport(module_, "_MRL_GetCondition@8", GetCondition) && all;
    all = BindExport(module_, "_MRL_ChangeSite@12", ChangeSite) && all;
    if (!all) {
        Find = nullptr, GetInformation = nullptr, Connect = nullptr, Disconnect = nullptr;
        GetCondition = nullptr, ChangeSite = nullptr;
        FreeLibrary(module_);
        module_ = nullptr;
        return;
    }
    bound_ = true;  // kept until the program ends
}

}  // namespace zep
