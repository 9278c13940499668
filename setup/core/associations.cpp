#include "associations.h"

#include <optional>

#include "case_fold.h"
#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

std::wstring AssociationCommand(const std::wstring& command, const std::wstring& installFolder, System& system) {
    std::wstring program, rest;
    const bool quoted = !command.empty() && command[0] == L'"';
    if (quoted) {
        const size_t close = command.find(L'"', 1);
        program = command.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
        rest = close == std::wstring::npos ? L"" : command.substr(close + 1);
    } else {
        const size_t separator = command.find_first_of(L" \t");
        program = command.substr(0, separator);
        rest = separator == std::wstring::npos ? L"" : command.substr(separator + 1);
    }
    const auto resolved = ResolvePath(program, installFolder, PathMode::Program, system);
    if (!resolved) return {};
    return quoted ? L"\"" + *resolved + L"\"" + rest : *resolved + L" " + rest;
}

namespace {

struct Association {
    std::wstring ext, kind, icon, iconNo, verb, verb2, command;
    std::optional<std::wstring> owner;  // the extension's class as found
    bool force = false;
    bool foreign = false;      // the extension belongs to another class: only Verb2 is ours
    bool sharedClass = false;  // Kind names a class another program made: only Verb2 is ours in it
};

constexpr wchar_t kOldName[] = L"Old Name";

// The association of one section, with the extension's current owner taken into account.
Association ReadAssociation(Profile& ini, Registry& registry, const std::wstring& section) {
    Association a;
    a.ext = Read(ini, section, keys::kAssociationExt);
    a.kind = Read(ini, section, keys::kAssociationKind);
    a.icon = Read(ini, section, keys::kAssociationIcon);
    a.iconNo = Read(ini, section, keys::kAssociationIconNo);
    a.verb = Read(ini, section, keys::kAssociationVerb);
    a.verb2 = Read(ini, section, keys::kAssociationVerb2);
    a.command = Read(ini, section, keys::kAssociationCommand);
    a.force = Read(ini, section, keys::kAssociationForce) != 0;
    a.owner = registry.ReadString(RegRoot::ClassesRoot, a.ext, L"");
    if (a.owner && !EqualNoCase(*a.owner, a.kind)) {
        if (a.force) {
            // Also at removal: a program that took the extension after us is the one it goes back to.
            registry.WriteString(RegRoot::ClassesRoot, a.ext, kOldName, *a.owner);
        } else {
            a.foreign = true;
            a.kind = *a.owner;
            a.verb = a.verb2;
            return a;
        }
    }
    // A class of ours is named after itself; one that exists under another description (the
    // system's text files, say) is not ours to describe, give an icon, take a verb from or delete.
    if (!a.kind.empty() && registry.KeyExists(RegRoot::ClassesRoot, a.kind)) {
        const auto description = registry.ReadString(RegRoot::ClassesRoot, a.kind, L"");
        a.sharedClass = !description || !EqualNoCase(*description, a.kind);
        if (a.sharedClass) a.verb = a.verb2;
    }
    return a;
}

// The "Ext%d" sections from 0 upward while they name an extension, as many as a list holds at
// most. True when there was one: the shell's view of the classes is then stale.
template <typename Action>
bool ForEachAssociation(Profile& ini, Action action) {
    int i = 0;
    for (; i < kMaxListEntries; ++i) {
        const std::wstring section = keys::kAssociations.Section(i);
        if (Read(ini, section, keys::kAssociationExt).empty()) break;
        action(section);
    }
    return i > 0;
}

std::wstring VerbCommandPath(const Association& a) {
    return JoinPath(JoinPath(a.kind, L"shell\\") + a.verb, L"command") + L"\\";
}

}  // namespace

bool MakeAssociations(Profile& ini, Registry& registry, System& system) {
    const std::wstring root = Read(ini, keys::kRootNamed);
    return ForEachAssociation(ini, [&](const std::wstring& section) {
        const Association a = ReadAssociation(ini, registry, section);
        if (!a.foreign) {
            RaiseCheck(ini, keys::kCheckExt);
            const bool linked = a.owner && EqualNoCase(*a.owner, a.kind);
            // An extension already linked to a shared class was linked before us: it stays as it is.
            if (!a.sharedClass || !linked) SetClassValue(registry, a.ext + L"\\", a.kind);
            if (a.sharedClass && !linked && !registry.ValueExists(RegRoot::ClassesRoot, a.ext, kOldName))
                registry.WriteString(RegRoot::ClassesRoot, a.ext, kOldName, L"");  // no owner before us
            if (!a.sharedClass) SetClassValue(registry, a.kind + L"\\", a.kind);
            if (!a.sharedClass && !a.icon.empty()) {
                if (const auto icon = ResolvePath(a.icon, root, PathMode::Program, system))
                    SetClassValue(registry, JoinPath(a.kind, L"DefaultIcon\\"),
                                  a.iconNo.empty() ? *icon : *icon + L"," + a.iconNo);
            }
        }
        if (!a.verb.empty()) {
            const std::wstring command = AssociationCommand(a.command, root, system);
            if (!command.empty()) SetClassValue(registry, VerbCommandPath(a), command);
        }
    });
}

bool RemoveAssociations(Profile& ini, Registry& registry, System&) {
    return ForEachAssociation(ini, [&](const std::wstring& section) {
        const Association a = ReadAssociation(ini, registry, section);
        const RegRoot classes = RegRoot::ClassesRoot;
        if (!a.foreign) {
            LowerCheck(ini, keys::kCheckExt);
            const auto old = registry.ReadString(classes, a.ext, kOldName);
            if (old && !old->empty()) {
                registry.WriteString(classes, a.ext, L"", *old);
                registry.DeleteValue(classes, a.ext, kOldName);
            } else if (old || !a.sharedClass) {
                registry.DeleteValue(classes, a.ext, L"");
                registry.DeleteValue(classes, a.ext, kOldName);
                registry.DeleteKey(classes, a.ext);
            }
            if (!a.sharedClass && !a.icon.empty()) {
                const std::wstring icon = JoinPath(a.kind, L"DefaultIcon");
                registry.DeleteValue(classes, icon, L"");
                registry.DeleteKey(classes, icon);
                registry.DeleteKey(classes, a.kind);
            }
        }
        if (a.verb.empty()) return;
        if (a.foreign || a.sharedClass) DeleteKeyTree(registry, classes, JoinPath(JoinPath(a.kind, L"shell"), a.verb2));
        else DeleteKeyTree(registry, classes, a.kind);
    });
}

}  // namespace setup
