#include "ini_file.h"

#include <windows.h>

namespace zep {

std::string PrivateProfileFile::Read(const std::string& section, const std::string& key, const std::string& fallback) {
    char buffer[2048];  // a value is read with at most 2,047 characters
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer,
                                       path_.c_str());
    return std::string(buffer, n);
}

bool PrivateProfileFile::Write(const std::string& section, const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != FALSE;
}

bool PrivateProfileFile::DeleteKey(const std::string& section, const std::string& key) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path_.c_str()) != FALSE;
}

void PrivateProfileFile::Flush() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str()); }

}  // namespace zep
