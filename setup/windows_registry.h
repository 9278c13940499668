// The registry through the system's registry functions: the one place setup reads and writes it (the
// installer's rules through the Registry interface, and the renames waiting for the restart).
#pragma once
#include <string>
#include <vector>

#include "registry.h"

namespace setup {

class WindowsRegistry : public Registry {
public:
    bool KeyExists(RegRoot root, const std::wstring& key) override;
    bool CreateKey(RegRoot root, const std::wstring& key) override;
    std::optional<std::wstring> FirstSubkey(RegRoot root, const std::wstring& key) override;
    bool HasSubkeyOrValue(RegRoot root, const std::wstring& key) override;
    bool DeleteKey(RegRoot root, const std::wstring& key) override;
    std::optional<std::wstring> ReadString(RegRoot root, const std::wstring& key, const std::wstring& name) override;
    bool ValueExists(RegRoot root, const std::wstring& key, const std::wstring& name) override;
    bool DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) override;
    bool WriteString(RegRoot root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& value) override;
    bool WriteDword(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t value) override;
    bool WriteBinary(RegRoot root, const std::wstring& key, const std::wstring& name,
                     const std::vector<uint8_t>& value) override;
};

// The renames the NT family carries out at its next start (PendingFileRenameOperations), each name
// as it stands there; and that list replaced (removed when empty).
std::vector<std::wstring> PendingRenameOperations();
bool SetPendingRenameOperations(const std::vector<std::wstring>& operations);

}  // namespace setup
