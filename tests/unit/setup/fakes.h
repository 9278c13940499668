// In-memory stand-ins for the installer core's view of the settings file, the machine and its files.
#pragma once
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "file_system.h"
#include "paths.h"
#include "profile.h"
#include "system.h"
#include "text.h"

namespace setup::testing {

inline std::wstring Fold(const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) out += FoldCase(c);
    return out;
}

// A Setup.ini: sections and keys without regard to case; values cut to the reader's buffer.
class FakeProfile : public Profile {
public:
    FakeProfile() = default;
    FakeProfile(std::initializer_list<std::tuple<std::wstring, std::wstring, std::wstring>> entries) {
        for (const auto& [s, k, v] : entries) Write(s, k, v);
    }
    std::wstring Read(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                      size_t bufferChars) override {
        auto it = values_.find({Fold(section), Fold(key)});
        const std::wstring value = it == values_.end() ? fallback : it->second;
        return value.substr(0, bufferChars - 1);
    }
    int ReadInt(const std::wstring& section, const std::wstring& key, int fallback) override {
        const std::wstring value = Read(section, key, L"", 30);
        return value.empty() ? fallback : static_cast<int>(LeadingInt(value));
    }
    void Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        values_[{Fold(section), Fold(key)}] = value;
        writes.push_back(section + L"/" + key + L"=" + value);
    }
    void Flush() override { ++flushes; }

    std::wstring Get(const std::wstring& section, const std::wstring& key) { return Read(section, key, L"", 4096); }
    bool Has(const std::wstring& section, const std::wstring& key) const {
        return values_.count({Fold(section), Fold(key)}) != 0;
    }
    // Keys "0" ... of a section while present.
    std::vector<std::wstring> Keys(const std::wstring& section) {
        std::vector<std::wstring> out;
        for (int i = 0; Has(section, std::to_wstring(i)); ++i) out.push_back(Get(section, std::to_wstring(i)));
        return out;
    }

    std::vector<std::wstring> writes;
    int flushes = 0;

private:
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> values_;
};

// A Japanese Windows on drive C:.
class FakeSystem : public System {
public:
    std::wstring SystemFolder() override { return L"C:\\Windows\\system32"; }
    std::wstring WindowsFolder() override { return L"C:\\Windows"; }
    std::wstring DesktopFolder() override { return desktop; }
    std::wstring ProgramFilesDir() override { return programFiles; }
    std::wstring FindProgram(const std::wstring& file, const std::wstring& folder) override {
        auto it = executables.find(Fold(JoinPath(folder, file)));
        return it == executables.end() ? L"" : it->second;
    }
    bool FileExists(const std::wstring& path) override { return files.count(Fold(path)) != 0; }
    bool ClassKeyExists(const std::wstring& subkey) override {
        return subkey.empty() || classKeys.count(Fold(subkey)) != 0 || classes.count(Fold(subkey)) != 0;
    }
    std::optional<std::wstring> ClassDefaultValue(const std::wstring& subkey) override {
        auto it = classes.find(Fold(subkey));
        if (it == classes.end()) return std::nullopt;
        return it->second;
    }

    std::wstring desktop = L"C:\\Users\\taro\\Desktop\\";
    std::wstring programFiles = L"C:\\Program Files";
    std::map<std::wstring, std::wstring> executables;  // folded folder\file -> program
    std::set<std::wstring> files;                      // folded paths that exist
    std::set<std::wstring> classKeys;                  // folded keys without a default value
    std::map<std::wstring, std::wstring> classes;      // folded key -> default value
};

// A file tree: files with a time and contents, folders, and the ways copying can fail.
class FakeFiles : public FileSystem {
public:
    struct File {
        uint64_t time = 0;
        std::wstring content;
    };

    bool CreateFolder(const std::wstring& path) override {
        if (Exists(path) || refusedFolders.count(Fold(path)) || !Exists(FolderOf(path))) return false;
        folders.insert(Fold(path));
        return true;
    }
    bool Exists(const std::wstring& path) override {
        return path.size() == 2 || folders.count(Fold(path)) || files.count(Fold(path));  // "C:" always
    }
    std::optional<uint64_t> LastWriteTime(const std::wstring& path) override {
        auto it = files.find(Fold(path));
        if (it == files.end() || locked.count(Fold(path))) return std::nullopt;
        return it->second.time;
    }
    bool CopyOver(const std::wstring& source, const std::wstring& target) override {
        auto from = files.find(Fold(source));
        if (from == files.end() || locked.count(Fold(target)) || readOnly.count(Fold(target)) ||
            !folders.count(Fold(FolderOf(target))))
            return false;
        files[Fold(target)] = from->second;
        copies.push_back(target);
        return true;
    }
    void SetNormalAttributes(const std::wstring& path) override { readOnly.erase(Fold(path)); }
    std::optional<std::wstring> MakeTempFile(const std::wstring& folder, const std::wstring& prefix) override {
        if (!folders.count(Fold(folder))) return std::nullopt;
        std::wstring name = JoinPath(folder, prefix + std::to_wstring(++temporaries) + L".tmp");
        files[Fold(name)] = {};
        return name;
    }
    bool Remove(const std::wstring& path) override { return files.erase(Fold(path)) != 0; }
    bool ScheduleAtRestart(const std::wstring& existing, const std::wstring& replacement) override {
        if (!canSchedule) return false;
        scheduled.emplace_back(existing, replacement);
        return true;
    }

    void AddFolder(const std::wstring& path) { folders.insert(Fold(path)); }
    void AddFile(const std::wstring& path, uint64_t time, const std::wstring& content = L"") {
        files[Fold(path)] = {time, content};
    }
    std::wstring Content(const std::wstring& path) { return files.at(Fold(path)).content; }

    std::set<std::wstring> folders{L"c:\\"};
    std::map<std::wstring, File> files;
    std::set<std::wstring> locked, readOnly, refusedFolders;
    bool canSchedule = true;
    int temporaries = 0;
    std::vector<std::wstring> copies;
    std::vector<std::pair<std::wstring, std::wstring>> scheduled;
};

}  // namespace setup::testing
