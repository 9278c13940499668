// In-memory stand-ins for the installer core's view of the settings file, the machine and its files.
#pragma once
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "case_fold.h"
#include "file_system.h"
#include "install_record.h"
#include "paths.h"
#include "profile.h"
#include "registry.h"
#include "shortcuts.h"
#include "system.h"
#include "user_launch.h"

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
    // Keys folded, in their order (the fake keeps no other).
    std::vector<std::wstring> ReadSectionLines(const std::wstring& section) override {
        std::vector<std::wstring> lines;
        for (const auto& [at, value] : values_)
            if (at.first == Fold(section)) lines.push_back(at.second + L"=" + value);
        return lines;
    }
    void Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        values_[{Fold(section), Fold(key)}] = value;
        writes.push_back(section + L"/" + key + L"=" + value);
    }
    void WriteSection(const std::wstring& section,
                      const std::vector<std::pair<std::wstring, std::wstring>>& entries) override {
        std::erase_if(values_, [&](const auto& value) { return value.first.first == Fold(section); });
        for (const auto& [key, value] : entries) values_[{Fold(section), Fold(key)}] = value;
        writes.push_back(section + L"/(" + std::to_wstring(entries.size()) + L" keys)");
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

// The journal file: its text, how much of it reached the disk, whether it was removed.
class FakeJournal : public RecordJournal {
public:
    std::wstring Read() override { return text; }
    bool Append(const std::wstring& lines) override {
        text += lines;
        appended += lines;
        return true;
    }
    void Sync() override { synced = text.size(); }
    void Remove() override {
        text.clear();
        synced = 0;
        removed = true;
    }

    std::wstring text, appended;  // what is in it; all that was ever appended
    size_t synced = 0;
    bool removed = false;
};

// A Japanese Windows on drive C:.
class FakeSystem : public System {
public:
    std::wstring SystemFolder() override { return L"C:\\Windows\\system32"; }
    std::wstring WindowsFolder() override { return L"C:\\Windows"; }
    std::wstring DesktopFolder() override { return desktop; }
    std::wstring ProgramFilesDir() override { return programFiles; }
    std::wstring UserProgramsFolder() override { return userPrograms; }
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
    std::wstring userPrograms = L"C:\\Users\\taro\\AppData\\Local\\Programs";
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
        File copy = from->second;
        if (room && copy.content.size() > *room) {  // the disk fills up midway: a short file stays
            copy.content.resize(*room);
            files[Fold(target)] = copy;
            room = 0;
            outOfRoom = true;
            return false;
        }
        if (room) *room -= copy.content.size();
        files[Fold(target)] = copy;
        copies.push_back(target);
        return true;
    }
    bool Rename(const std::wstring& from, const std::wstring& to) override {
        auto it = files.find(Fold(from));
        if (it == files.end() || locked.count(Fold(to)) || readOnly.count(Fold(to))) return false;
        File moved = it->second;
        files.erase(it);
        files[Fold(to)] = moved;
        return true;
    }
    bool OutOfRoom() override { return outOfRoom; }
    void SetNormalAttributes(const std::wstring& path) override { readOnly.erase(Fold(path)); }
    std::optional<std::wstring> MakeTempFile(const std::wstring& folder, const std::wstring& prefix) override {
        if (!folders.count(Fold(folder))) return std::nullopt;
        std::wstring name = JoinPath(folder, prefix + std::to_wstring(++temporaries) + L".tmp");
        files[Fold(name)] = {};
        return name;
    }
    bool Remove(const std::wstring& path) override { return files.erase(Fold(path)) != 0; }
    bool RemoveFolder(const std::wstring& path) override {
        if (!folders.count(Fold(path)) || !Find(JoinPath(path, L"*")).empty()) return false;
        folders.erase(Fold(path));
        return true;
    }
    // As the shell's recycling: a folder goes whole, with everything in it.
    bool Recycle(const std::wstring& path) override {
        std::wstring folded = Fold(path);
        if (folded.size() > 3 && folded.back() == L'\\') folded.pop_back();
        if (locked.count(folded) || (!files.count(folded) && !folders.count(folded))) return false;
        recycled.push_back(path);
        const std::wstring inside = folded + L"\\";
        std::erase_if(files, [&](const auto& f) { return f.first == folded || f.first.starts_with(inside); });
        std::erase_if(folders, [&](const auto& f) { return f == folded || f.starts_with(inside); });
        return true;
    }
    // Patterns: a folder and a name with at most one "*" (enough for "*" and "*.log").
    std::vector<FoundFile> Find(const std::wstring& pattern) override {
        const std::wstring folder = Fold(FolderOf(pattern)) + L"\\", name = Fold(LeafName(pattern));
        const size_t star = name.find(L'*');
        auto matches = [&](const std::wstring& leaf) {
            if (star == std::wstring::npos) return leaf == name;
            return leaf.size() >= name.size() - 1 && leaf.compare(0, star, name, 0, star) == 0 &&
                   leaf.compare(leaf.size() - (name.size() - star - 1), std::wstring::npos, name, star + 1) == 0;
        };
        std::vector<FoundFile> found;
        auto scan = [&](const std::wstring& path, bool folder_) {
            if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return;
            const std::wstring leaf = path.substr(folder.size());
            if (leaf.find(L'\\') == std::wstring::npos && matches(leaf)) found.push_back({leaf, folder_});
        };
        for (const auto& [path, file] : files) scan(path, false);
        for (const auto& path : folders) scan(path, true);
        return found;
    }
    bool ScheduleAtRestart(const std::wstring& existing, const std::wstring& replacement) override {
        if (!canSchedule) return false;
        scheduled.emplace_back(existing, replacement);
        return true;
    }
    // A file's size is the length of its content.
    std::optional<uint64_t> FileSize(const std::wstring& path) override {
        auto it = files.find(Fold(path));
        if (it == files.end()) return std::nullopt;
        return it->second.content.size();
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
    std::optional<size_t> room;  // characters the disk still takes; none: no limit
    bool outOfRoom = false;
    int temporaries = 0;
    std::vector<std::wstring> copies, recycled;
    std::vector<std::pair<std::wstring, std::wstring>> scheduled;
};

// A registry: keys by root and folded path, values by folded name. Keys listed in `undeletable`
// cannot be deleted (no rights).
class FakeRegistry : public Registry {
public:
    struct Value {
        std::wstring type, data;  // "sz" text, "dword" decimal, "binary" hex
    };
    using Key = std::pair<RegRoot, std::wstring>;

    // Where a key is kept: the 64-bit view of HKEY_LOCAL_MACHINE is the machine's own; with `wow64`
    // (a 32-bit setup on 64-bit Windows) the plain view's SOFTWARE is SOFTWARE\WOW6432Node.
    Key Where(RegRoot root, const std::wstring& key) const {
        const std::wstring k = Fold(key);
        if (root == RegRoot::LocalMachine64) return {RegRoot::LocalMachine, k};
        if (wow64 && root == RegRoot::LocalMachine && (k == L"software" || k.rfind(L"software\\", 0) == 0))
            return {root, L"software\\wow6432node" + k.substr(8)};
        return {root, k};
    }

    // The root itself (an empty key) always opens, as the system's roots do.
    bool KeyExists(RegRoot root, const std::wstring& key) override {
        return key.empty() || keys.count(Where(root, key)) != 0;
    }
    bool CreateKey(RegRoot root, const std::wstring& key) override {
        if (refused.count(Fold(key))) return false;
        const Key where = Where(root, key);
        for (std::wstring k = where.second; !k.empty(); k = FolderOf(k)) keys[{where.first, k}];
        return true;
    }
    std::optional<std::wstring> FirstSubkey(RegRoot root, const std::wstring& key) override {
        const Key where = Where(root, key);
        for (const auto& [k, values] : keys)
            if (k.first == where.first && FolderOf(k.second) == where.second) return LeafName(k.second);
        return std::nullopt;
    }
    bool HasSubkeyOrValue(RegRoot root, const std::wstring& key) override {
        auto it = keys.find(Where(root, key));
        return it != keys.end() && (!it->second.empty() || FirstSubkey(root, key));
    }
    bool DeleteKey(RegRoot root, const std::wstring& key) override {
        ++deleteAttempts;
        if (key.empty() || !KeyExists(root, key) || FirstSubkey(root, key) || undeletable.count(Fold(key))) return false;
        keys.erase(Where(root, key));
        deleted.push_back(key);
        return true;
    }
    std::optional<std::wstring> ReadString(RegRoot root, const std::wstring& key, const std::wstring& name) override {
        auto v = Get(root, key, name);
        if (!v || v->type != L"sz") return std::nullopt;
        return v->data;
    }
    bool ValueExists(RegRoot root, const std::wstring& key, const std::wstring& name) override {
        return Get(root, key, name).has_value();
    }
    bool DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) override {
        auto it = keys.find(Where(root, key));
        return it != keys.end() && it->second.erase(Fold(name)) != 0;
    }
    bool WriteString(RegRoot root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& value) override {
        return Put(root, key, name, {L"sz", value});
    }
    bool WriteDword(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t value) override {
        return Put(root, key, name, {L"dword", std::to_wstring(value)});
    }
    bool WriteBinary(RegRoot root, const std::wstring& key, const std::wstring& name,
                     const std::vector<uint8_t>& value) override {
        std::wstring hex;
        for (uint8_t b : value) {
            const wchar_t digits[] = L"0123456789abcdef";
            hex += digits[b >> 4];
            hex += digits[b & 15];
        }
        return Put(root, key, name, {L"binary", hex});
    }

    std::optional<Value> Get(RegRoot root, const std::wstring& key, const std::wstring& name) {
        auto it = keys.find(Where(root, key));
        if (it == keys.end()) return std::nullopt;
        auto v = it->second.find(Fold(name));
        if (v == it->second.end()) return std::nullopt;
        return v->second;
    }
    std::wstring Text(RegRoot root, const std::wstring& key, const std::wstring& name) {
        auto v = Get(root, key, name);
        return v ? v->type + L":" + v->data : L"(none)";
    }

    std::map<Key, std::map<std::wstring, Value>> keys;
    std::set<std::wstring> undeletable, refused;
    bool wow64 = false;
    std::vector<std::wstring> deleted;
    int deleteAttempts = 0;

private:
    bool Put(RegRoot root, const std::wstring& key, const std::wstring& name, Value value) {
        auto it = keys.find(Where(root, key));
        if (it == keys.end()) return false;
        it->second[Fold(name)] = std::move(value);
        return true;
    }
};

// The user's shell: folders of a Japanese Windows, shortcuts kept in a map.
class FakeShortcutShell : public ShortcutShell {
public:
    std::wstring ShellFolder(const std::wstring& name) override {
        auto it = folders.find(Fold(name));
        return it == folders.end() ? L"" : it->second;
    }
    bool MakeShortcut(const std::wstring& link, const Shortcut& shortcut) override {
        if (!files.Exists(FolderOf(link))) return false;
        shortcuts[Fold(link)] = shortcut;
        files.AddFile(link, 1);
        return true;
    }
    void DeleteShortcut(const std::wstring& link) override {
        shortcuts.erase(Fold(link));
        files.Remove(link);
    }
    void OpenFolder(const std::wstring& folder) override { opened.push_back(folder); }
    void Pause(unsigned ms) override { paused += ms; }
    void ReportMenuNotMade(const std::wstring& folder) override { reports.push_back(folder); }

    explicit FakeShortcutShell(FakeFiles& f) : files(f) {
        for (const auto& [name, path] : folders) files.AddFolder(path);
    }
    FakeFiles& files;
    std::map<std::wstring, std::wstring> folders{
        {L"programs", L"C:\\Users\\taro\\Start Menu\\Programs"},
        {L"sendto", L"C:\\Users\\taro\\SendTo"},
        {L"desktop", L"C:\\Users\\taro\\Desktop"},
        {L"startup", L"C:\\Users\\taro\\Start Menu\\Programs\\Startup"},
    };
    std::map<std::wstring, Shortcut> shortcuts;
    std::vector<std::wstring> opened, reports;
    unsigned paused = 0;
};

// The system's side of starting programs, as a script of answers.
class FakeLauncher : public Launcher {
public:
    LaunchFacts Facts() override {
        ++factQueries;
        return facts;
    }
    bool StartDirect(const LaunchRequest& request) override {
        direct.push_back(request.file);
        return directWorks;
    }
    bool StartThroughShell(const LaunchRequest& request) override {
        throughShell.push_back(request.file);
        return shellTakesIt;
    }

    LaunchFacts facts;
    bool directWorks = true, shellTakesIt = true;
    int factQueries = 0;
    std::vector<std::wstring> direct, throughShell;
};

}  // namespace setup::testing
