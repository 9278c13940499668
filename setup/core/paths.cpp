#include "paths.h"

#include "case_fold.h"

namespace setup {

namespace {

std::wstring WithoutTrailingBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring ProgramsFolder(System& system) {
    std::wstring programs = system.ProgramFilesDir();
    return programs.empty() ? system.WindowsFolder() : programs;
}

std::optional<std::wstring> Limited(std::wstring path) {
    if (path.size() > kMaxPathLength) return std::nullopt;
    return path;
}

// The extension of the file name with its dot; empty when the name has none.
std::wstring Extension(const std::wstring& path) {
    const std::wstring leaf = LeafName(path);
    const size_t dot = leaf.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : leaf.substr(dot);
}

// The program that opens `value`, as the shell knows it.
std::wstring ProgramFor(const std::wstring& value, const std::wstring& base, System& system) {
    std::wstring found = system.FindProgram(value, base);
    if (!found.empty() && system.FileExists(found)) return found;
    const std::wstring extension = Extension(value);
    if (!system.ClassKeyExists(extension)) return found;
    const auto fileClass = system.ClassDefaultValue(extension);
    if (!fileClass || fileClass->empty()) return JoinPath(base, value);
    const auto command = system.ClassDefaultValue(*fileClass + L"\\shell\\open\\command");
    if (!command || command->empty()) return JoinPath(base, value);
    if ((*command)[0] == L'"') {
        const size_t close = command->find(L'"', 1);
        return command->substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    for (size_t length = command->size(); length > 0; --length) {
        std::wstring part = command->substr(0, length);
        if (system.FileExists(part)) return part;
    }
    return JoinPath(base, value);
}

}  // namespace

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

std::wstring LeafName(const std::wstring& path) {
    const size_t cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::optional<std::wstring> ResolvePath(const std::wstring& value, const std::wstring& base, PathMode mode,
                                        System& system) {
    struct Prefix {
        const wchar_t* text;
        std::wstring (*folder)(System&);
    };
    static const Prefix kFolders[] = {
        {L"%system%", [](System& s) { return s.SystemFolder(); }},
        {L"%desktop%", [](System& s) { return WithoutTrailingBackslash(s.DesktopFolder()); }},
        {L"%windows%", [](System& s) { return s.WindowsFolder(); }},
        {L"%programs%", [](System& s) { return ProgramsFolder(s); }},
        {L"%userprograms%", [](System& s) { return s.UserProgramsFolder(); }},
    };
    for (const Prefix& prefix : kFolders) {
        if (!StartsWithNoCase(value, prefix.text)) continue;
        const std::wstring folder = prefix.folder(system);
        // A folder the system does not know: the rest alone would name a place at the drive's root.
        if (folder.empty()) return std::nullopt;
        return Limited(folder + value.substr(std::wstring_view(prefix.text).size()));
    }
    if (StartsWithNoCase(value, L"%root%")) return Limited(JoinPath(base, value.substr(6)));
    if (!value.empty() && value[0] == L'!') return Limited(value.substr(1));
    if (mode == PathMode::Plain) return Limited(JoinPath(base, value));
    return Limited(ProgramFor(value, base, system));
}

std::wstring ExpandMacros(const std::wstring& text, const std::wstring& rootNamed, System& system) {
    std::wstring out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find(L'%', at);
        const size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        out.append(text, at, open - at);
        const std::wstring name = text.substr(open + 1, close - open - 1);
        std::wstring whole = text.substr(open, close - open + 1);
        if (EqualNoCase(name, L"system")) {
            whole = system.SystemFolder();
        } else if (EqualNoCase(name, L"desktop")) {
            whole = WithoutTrailingBackslash(system.DesktopFolder());
        } else if (EqualNoCase(name, L"windows")) {
            whole = system.WindowsFolder();
        } else if (EqualNoCase(name, L"programs")) {
            if (std::wstring programs = system.ProgramFilesDir(); !programs.empty()) whole = programs;
        } else if (EqualNoCase(name, L"userprograms")) {
            if (std::wstring programs = system.UserProgramsFolder(); !programs.empty()) whole = programs;
        } else if (EqualNoCase(name, L"root")) {
            if (!rootNamed.empty()) whole = rootNamed;
        }
        out += whole;
        at = close + 1;
    }
    out.append(text, at, std::wstring::npos);
    return out;
}

std::wstring DefaultInstallFolder(const std::wstring& rootName, System& system) {
    std::wstring name = rootName;
    const size_t second = name.size() > 1 && name[0] == L'%' ? name.find(L'%', 1) : std::wstring::npos;
    if (second != std::wstring::npos) {
        const std::wstring word = name.substr(0, second);
        std::wstring folder;
        if (EqualNoCase(word, L"%system")) folder = system.SystemFolder();
        else if (EqualNoCase(word, L"%windows")) folder = system.WindowsFolder();
        else if (EqualNoCase(word, L"%desktop")) folder = system.DesktopFolder();
        else if (EqualNoCase(word, L"%programs")) folder = ProgramsFolder(system);
        else if (EqualNoCase(word, L"%userprograms")) folder = system.UserProgramsFolder();
        if (!folder.empty()) {
            std::wstring rest = name.substr(second + 1);
            if (folder.back() == L'\\' && !rest.empty()) rest.erase(0, 1);
            return folder + rest;
        }
        name[second] = L'\\';
    }
    const std::wstring systemFolder = system.SystemFolder();
    const size_t firstBackslash = systemFolder.find(L'\\');
    const std::wstring drive =
        firstBackslash == std::wstring::npos ? systemFolder + L'\\' : systemFolder.substr(0, firstBackslash + 1);
    return drive + name;
}

std::wstring WithFolderName(const std::wstring& picked, const std::wstring& name) {
    if (name.empty()) return picked;
    const size_t at = FindNoCase(picked, name);
    if (at != std::wstring::npos && at + name.size() == picked.size()) return picked;
    return JoinPath(picked, name);
}

std::optional<std::wstring> PreviousInstallFolder(const std::wstring& uninstallString) {
    std::wstring program = uninstallString;
    if (!program.empty() && program[0] == L'"') {
        const size_t close = program.find(L'"', 1);
        program = program.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    const size_t cut = program.rfind(L'\\');
    if (cut == std::wstring::npos) return std::nullopt;
    return program.substr(0, cut);
}

}  // namespace setup
