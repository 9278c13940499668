// An in-memory settings file that records the order of writes.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings.h"

namespace zep {

class FakeProfile : public ProfileFile {
public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::pair<std::string, std::string>> writeOrder;
    std::string readOnlyKey;  // a write to this key fails
    int flushes = 0;

    std::string Read(const std::string& section, const std::string& key, const std::string& fallback) override {
        auto it = values.find({section, key});
        return it == values.end() ? fallback : it->second;
    }
    bool Write(const std::string& section, const std::string& key, const std::string& value) override {
        if (key == readOnlyKey) return false;
        values[{section, key}] = value;
        writeOrder.push_back({section, key});
        return true;
    }
    bool DeleteKey(const std::string& section, const std::string& key) override {
        return values.erase({section, key}) > 0;
    }
    void Flush() override { ++flushes; }

    void Set(const std::string& key, const std::string& value) { values[{"ZEP", key}] = value; }
    std::string Get(const std::string& key) { return Read("ZEP", key, "<missing>"); }
};

inline SettingsEnvironment TestEnvironment() {
    SettingsEnvironment env;
    env.desktopWidth = 1024;
    env.desktopHeight = 768;
    env.windowsFolder = "C:\\windows";
    env.programFolder = "C:\\zep";
    env.dataFolder = env.programFolder;
    env.folderExists = [](const std::string& f) { return f == "C:\\zep" || f == "D:\\logs"; };
    return env;
}

}  // namespace zep
