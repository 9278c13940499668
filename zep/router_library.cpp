#include "router_library.h"

namespace zep {
namespace {

template <typename Fn>
bool BindExport(HMODULE module, const char* name, Fn& target) {
    target = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return target != nullptr;
}

}  // namespace

void MrlLibrary::Bind() {
    // By name, where the maker's setup may have put it: the program's folder first, then the
    // system's folders and the path; never the current folder, where any file of that name may lie.
    SetDllDirectoryW(L"");
    module_ = LoadLibraryW(L"MRLExhibits.dll");
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
