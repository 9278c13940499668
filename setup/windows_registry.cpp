#include "windows_registry.h"

#include <windows.h>

#include "paths.h"
#include "run_report.h"

namespace setup {

namespace {

HKEY Handle(RegRoot root) {
    switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RegRoot::PerformanceData: return HKEY_PERFORMANCE_DATA;
    case RegRoot::DynData: return HKEY_DYN_DATA;
    case RegRoot::LocalMachine:
    case RegRoot::LocalMachine64: break;
    }
    return HKEY_LOCAL_MACHINE;
}

// The view a root is seen in: the 64-bit one where asked for (a 32-bit process on 64-bit Windows
// otherwise sees WOW6432Node), the process's own elsewhere.
REGSAM View(RegRoot root) { return root == RegRoot::LocalMachine64 ? KEY_WOW64_64KEY : 0; }

LONG DeleteSubkey(HKEY parent, const std::wstring& name, RegRoot root) {
    return View(root) ? RegDeleteKeyExW(parent, name.c_str(), View(root), 0) : RegDeleteKeyW(parent, name.c_str());
}

// An open key, closed (and, when changed, flushed) at the end of its scope.
class Key {
public:
    Key(RegRoot root, const std::wstring& path, REGSAM access) : changes_((access & KEY_SET_VALUE) != 0) {
        if (RegOpenKeyExW(Handle(root), path.c_str(), 0, access | View(root), &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (!key_) return;
        if (changes_) RegFlushKey(key_);
        RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
    bool changes_;
};

const wchar_t* ValueName(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

const wchar_t* RootName(RegRoot root) {
    switch (root) {
    case RegRoot::ClassesRoot: return L"HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser: return L"HKEY_CURRENT_USER";
    case RegRoot::Users: return L"HKEY_USERS";
    case RegRoot::CurrentConfig: return L"HKEY_CURRENT_CONFIG";
    case RegRoot::PerformanceData: return L"HKEY_PERFORMANCE_DATA";
    case RegRoot::DynData: return L"HKEY_DYN_DATA";
    case RegRoot::LocalMachine:
    case RegRoot::LocalMachine64: break;
    }
    return L"HKEY_LOCAL_MACHINE";
}

// A change of the registry, logged with its result.
bool Changed(const wchar_t* what, RegRoot root, const std::wstring& key, const std::wstring* name, LONG result) {
    std::wstring entry = what + std::wstring(RootName(root)) + L"\\" + key;
    if (name) entry += L" : " + (name->empty() ? std::wstring(L"(default)") : *name);
    report::Result(entry, result == ERROR_SUCCESS, static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

bool Write(RegRoot root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, size_t size) {
    Key k(root, key, KEY_SET_VALUE);
    const LONG result = k ? RegSetValueExW(k.get(), ValueName(name), 0, type, static_cast<const BYTE*>(data),
                                           static_cast<DWORD>(size))
                          : ERROR_FILE_NOT_FOUND;
    return Changed(log_text::registryWritten, root, key, &name, result);
}

}  // namespace

bool WindowsRegistry::KeyExists(RegRoot root, const std::wstring& key) {
    return static_cast<bool>(Key(root, key, KEY_READ));
}

bool WindowsRegistry::CreateKey(RegRoot root, const std::wstring& key) {
    HKEY created;
    const LONG result = RegCreateKeyExW(Handle(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_CREATE_SUB_KEY | KEY_SET_VALUE | View(root), nullptr, &created, nullptr);
    if (!Changed(log_text::registryKeyMade, root, key, nullptr, result)) return false;
    RegFlushKey(created);
    RegCloseKey(created);
    return true;
}

std::optional<std::wstring> WindowsRegistry::FirstSubkey(RegRoot root, const std::wstring& key) {
    Key k(root, key, KEY_READ);
    wchar_t name[256];
    DWORD length = 256;
    if (!k || RegEnumKeyExW(k.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(name, length);
}

bool WindowsRegistry::HasSubkeyOrValue(RegRoot root, const std::wstring& key) {
    Key k(root, key, KEY_READ);
    if (!k) return false;
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(k.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) return true;
    length = 256;
    const LONG value = RegEnumValueW(k.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    return value == ERROR_SUCCESS || value == ERROR_MORE_DATA;
}

bool WindowsRegistry::DeleteKey(RegRoot root, const std::wstring& key) {
    if (key.empty()) return false;  // never a root
    const std::wstring parent = FolderOf(key);
    LONG result = ERROR_FILE_NOT_FOUND;
    if (parent.empty()) {
        result = DeleteSubkey(Handle(root), key, root);
    } else if (Key k(root, parent, KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS); k) {
        result = DeleteSubkey(k.get(), LeafName(key), root);
    }
    return Changed(log_text::registryKeyDeleted, root, key, nullptr, result);
}

std::optional<std::wstring> WindowsRegistry::ReadString(RegRoot root, const std::wstring& key,
                                                        const std::wstring& name) {
    Key k(root, key, KEY_QUERY_VALUE);
    if (!k) return std::nullopt;
    DWORD size = 0;
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (RegGetValueW(k.get(), nullptr, ValueName(name), flags, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(k.get(), nullptr, ValueName(name), flags, nullptr, value.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcslen(value.c_str()));
    return value;
}

bool WindowsRegistry::ValueExists(RegRoot root, const std::wstring& key, const std::wstring& name) {
    Key k(root, key, KEY_READ);
    return k && RegQueryValueExW(k.get(), ValueName(name), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool WindowsRegistry::DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) {
    Key k(root, key, KEY_SET_VALUE);
    const LONG result = k ? RegDeleteValueW(k.get(), ValueName(name)) : ERROR_FILE_NOT_FOUND;
    return Changed(log_text::registryValueDeleted, root, key, &name, result);
}

bool WindowsRegistry::WriteString(RegRoot root, const std::wstring& key, const std::wstring& name,
                                  const std::wstring& value) {
    return Write(root, key, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

bool WindowsRegistry::WriteDword(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t value) {
    const DWORD data = value;
    return Write(root, key, name, REG_DWORD, &data, sizeof data);
}

bool WindowsRegistry::WriteBinary(RegRoot root, const std::wstring& key, const std::wstring& name,
                                  const std::vector<uint8_t>& value) {
    return Write(root, key, name, REG_BINARY, value.data(), value.size());
}

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

}  // namespace

std::vector<std::wstring> PendingRenameOperations() {
    std::vector<std::wstring> operations;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return operations;
    DWORD type = 0, size = 0;
    std::wstring data;
    if (RegQueryValueExW(key, kPendingRenames, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, kPendingRenames, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS)
            data.resize(size / sizeof(wchar_t));
        else
            data.clear();
    }
    RegCloseKey(key);
    if (!data.empty() && data.back() == L'\0') data.pop_back();  // the list's own end
    // Every name ends with a zero; an empty one (a deletion's new name) counts too.
    for (size_t at = 0; at < data.size();) {
        size_t end = data.find(L'\0', at);
        if (end == std::wstring::npos) end = data.size();
        operations.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    return operations;
}

bool SetPendingRenameOperations(const std::vector<std::wstring>& operations) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    std::wstring data;
    for (const std::wstring& name : operations) data += name + L'\0';
    data += L'\0';
    const LONG result = operations.empty()
                            ? RegDeleteValueW(key, kPendingRenames)
                            : RegSetValueExW(key, kPendingRenames, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                             static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    RegFlushKey(key);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace setup
