// The registry as the installer's rules use it: keys named by a root and a "\"-separated path.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setup {

enum class RegRoot {
    ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, PerformanceData, DynData,
    // HKEY_LOCAL_MACHINE as 64-bit programs see it, from the 32-bit setup too: on 64-bit Windows its
    // SOFTWARE is otherwise WOW6432Node. (HKEY_CURRENT_USER\Software is one for both.)
    LocalMachine64,
};

// A root by its name ("HKEY_CURRENT_USER", ...); any other name is HKEY_LOCAL_MACHINE.
RegRoot RegRootNamed(const std::wstring& name);

class Registry {
public:
    virtual ~Registry() = default;
    virtual bool KeyExists(RegRoot root, const std::wstring& key) = 0;
    virtual bool CreateKey(RegRoot root, const std::wstring& key) = 0;  // and its missing parents
    virtual std::optional<std::wstring> FirstSubkey(RegRoot root, const std::wstring& key) = 0;
    virtual bool HasSubkeyOrValue(RegRoot root, const std::wstring& key) = 0;
    virtual bool DeleteKey(RegRoot root, const std::wstring& key) = 0;  // fails while it has subkeys
    virtual std::optional<std::wstring> ReadString(RegRoot root, const std::wstring& key, const std::wstring& name) = 0;
    virtual bool ValueExists(RegRoot root, const std::wstring& key, const std::wstring& name) = 0;
    virtual bool DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) = 0;
    // Values are written into existing keys; name empty: the default value.
    virtual bool WriteString(RegRoot root, const std::wstring& key, const std::wstring& name,
                             const std::wstring& value) = 0;
    virtual bool WriteDword(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t value) = 0;
    virtual bool WriteBinary(RegRoot root, const std::wstring& key, const std::wstring& name,
                             const std::vector<uint8_t>& value) = 0;
};

// root\key\name with its sub-keys, deepest first; gives up on a key it cannot delete. An empty
// key (the root itself) is never deleted.
bool DeleteKeyTree(Registry& registry, RegRoot root, const std::wstring& key);
// Deletes key when it holds neither a sub-key nor a value.
void DeleteKeyIfEmpty(Registry& registry, RegRoot root, const std::wstring& key);
// HKEY_CLASSES_ROOT\path: the keys made as needed; the text after the last "\" names the value.
void SetClassValue(Registry& registry, const std::wstring& path, const std::wstring& text);

}  // namespace setup
