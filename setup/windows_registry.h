// The registry of the installer's rules through the system's registry functions.
#pragma once
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

}  // namespace setup
