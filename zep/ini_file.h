// The settings file through the system's private-profile functions (ANSI).
#pragma once
#include <string>

#include "settings.h"

namespace zep {

class PrivateProfileFile : public ProfileFile {
public:
    explicit PrivateProfileFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    std::string Read(const std::string& section, const std::string& key, const std::string& fallback) override;
    bool Write(const std::string& section, const std::string& key, const std::string& value) override;
    bool DeleteKey(const std::string& section, const std::string& key) override;
    void Flush() override;

private:
    std::string path_;
};

}  // namespace zep
