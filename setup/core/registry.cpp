#include "registry.h"

#include "case_fold.h"
#include "paths.h"

namespace setup {

RegRoot RegRootNamed(const std::wstring& name) {
    static const std::pair<const wchar_t*, RegRoot> kRoots[] = {
        {L"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},         {L"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
        {L"HKEY_CURRENT_USER", RegRoot::CurrentUser},         {L"HKEY_USERS", RegRoot::Users},
        {L"HKEY_PERFORMANCE_DATA", RegRoot::PerformanceData}, {L"HKEY_DYN_DATA", RegRoot::DynData},
    };
    for (const auto& [text, root] : kRoots)
        if (EqualNoCase(name, text)) return root;
    return RegRoot::LocalMachine;
}

bool DeleteKeyTree(Registry& registry, RegRoot root, const std::wstring& key) {
    // An empty name would be the root itself: an association without a class or an erase line
    // naming only a root must not empty HKEY_CLASSES_ROOT or HKEY_CURRENT_USER.
    if (key.empty() || !registry.KeyExists(root, key)) return false;
    while (const auto sub = registry.FirstSubkey(root, key)) {
        if (!DeleteKeyTree(registry, root, JoinPath(key, *sub))) return false;  // it stays: no second try
    }
    return registry.DeleteKey(root, key);
}

void DeleteKeyIfEmpty(Registry& registry, RegRoot root, const std::wstring& key) {
    if (!registry.HasSubkeyOrValue(root, key)) registry.DeleteKey(root, key);
}

void SetClassValue(Registry& registry, const std::wstring& path, const std::wstring& text) {
    const std::wstring key = FolderOf(path);
    if (!registry.CreateKey(RegRoot::ClassesRoot, key)) return;
    registry.WriteString(RegRoot::ClassesRoot, key, LeafName(path), text);
}

}  // namespace setup
