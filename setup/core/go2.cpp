#include "go2.h"

#include "case_fold.h"
#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

Go2Entry SplitGo2Entry(const std::wstring& text) {
    Go2Entry entry;
    std::wstring* fields[] = {&entry.target, &entry.entry, &entry.option};
    size_t at = 0;
    for (size_t i = 0; i < 3 && at <= text.size(); ++i) {
        size_t end = i == 2 ? std::wstring::npos : text.find(L';', at);
        if (end == std::wstring::npos) end = text.size();
        *fields[i] = text.substr(at, end - at);
        at = end + 1;
    }
    return entry;
}

CommandLine SplitCommandLine(const std::wstring& text) {
    if (!text.empty() && text[0] == L'"') {
        const size_t close = text.find(L'"', 1);
        if (close == std::wstring::npos) return {text + L'"', L""};
        return {text.substr(0, close + 1), close + 2 < text.size() ? text.substr(close + 2) : L""};
    }
    const size_t space = text.find(L' ');
    if (space == std::wstring::npos) return {text, L""};
    return {text.substr(0, space), text.substr(space + 1)};
}

ShowState ShowStateFor(const std::wstring& option) {
    if (EqualNoCase(option, L"hide")) return ShowState::Hidden;
    if (EqualNoCase(option, L"min")) return ShowState::Minimized;
    if (EqualNoCase(option, L"max")) return ShowState::Maximized;
    return ShowState::Normal;
}

std::optional<std::wstring> LibraryFile(const std::wstring& target, System& system) {
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const bool drive = target.size() > 2 && target[1] == L':' && separator(target[2]);
    const bool unc = target.size() > 2 && separator(target[0]) && separator(target[1]);
    if (drive || unc) return target;
    if (target.empty() || target.find_first_of(L"\\/:") != std::wstring::npos) return std::nullopt;
    return JoinPath(system.SystemFolder(), target);
}

void RunGo2(Profile& ini, System& system, Go2Host& host, const Texts& texts, Go2Kind kind) {
    const std::wstring rootNamed = Read(ini, keys::kRootNamed);
    std::wstring loadFailures, notLibraries, missingEntries;
    for (const std::wstring& text : Read(ini, kind == Go2Kind::Erase ? keys::kGo2Erase : keys::kGo2Make)) {
        const Go2Entry entry = SplitGo2Entry(text);
        const std::wstring target = ExpandMacros(entry.target, rootNamed, system);
        const bool quiet = EqualNoCase(entry.option, L"hide");
        if (entry.entry.empty()) {
            const CommandLine command = SplitCommandLine(target);
            if (!host.Execute(command.file, command.parameters, ShowStateFor(entry.option)) && !quiet)
                host.ReportLaunchFailure(command.file);
            continue;
        }
        const bool checkOnly = EqualNoCase(entry.entry, L"#CheckExist");
        const std::optional<std::wstring> file = LibraryFile(target, system);
        if (const Go2Host::Library library =
                file ? host.Load(*file, checkOnly ? LibraryUse::Inspect : LibraryUse::Call) : 0) {
            if (!checkOnly && !host.CallEntry(library, entry.entry) && !quiet)
                missingEntries += target + L"\n -> " + entry.entry + L"\n";
            host.Release(library);
        } else if (checkOnly) {
            notLibraries += target + (entry.option.empty() ? L"" : L"\n -> " + entry.option) + L"\n";
        } else if (!quiet) {
            loadFailures += target + L"\n";
        }
    }
    if (kind == Go2Kind::Erase) host.WaitForStarted(kEraseWaitMs);
    if (!loadFailures.empty()) host.ReportList(texts.loadFailed + loadFailures);
    if (!notLibraries.empty()) host.ReportList(texts.notLibrary + notLibraries);
    if (!missingEntries.empty()) host.ReportList(texts.entryMissing + missingEntries);
}

}  // namespace setup
