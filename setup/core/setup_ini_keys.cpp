#include "setup_ini_keys.h"

namespace setup {

std::wstring Read(Profile& ini, const keys::Text& key) { return ini.Read(key.section, key.key, L"", key.bufferChars); }

int Read(Profile& ini, const keys::Number& key) { return ini.ReadInt(key.section, key.key, key.absent); }

std::optional<int> ReadIfPresent(Profile& ini, const keys::Number& key) {
    if (ini.Read(key.section, key.key, L"", kPathChars).empty()) return std::nullopt;
    return Read(ini, key);
}

std::vector<std::wstring> Read(Profile& ini, const keys::List& list, bool* cut) {
    return ReadList(ini, list.section, list.first, list.prefix, list.bufferChars, cut);
}

std::wstring ReadEntry(Profile& ini, const keys::List& list, int index) {
    return ini.Read(list.section, list.prefix + std::to_wstring(index), L"", list.bufferChars);
}

std::wstring Read(Profile& ini, const std::wstring& section, const keys::FieldText& key) {
    return ini.Read(section, key.key, L"", key.bufferChars);
}

int Read(Profile& ini, const std::wstring& section, const keys::FieldNumber& key) {
    return ini.ReadInt(section, key.key, key.absent);
}

void Write(Profile& ini, const keys::Text& key, const std::wstring& value) { ini.Write(key.section, key.key, value); }

void Write(Profile& ini, const keys::Number& key, int value) {
    ini.Write(key.section, key.key, std::to_wstring(value));
}

void RaiseCheck(Profile& ini, const keys::Number& check) {
    if (const auto value = ReadIfPresent(ini, check); value && *value < 2) Write(ini, check, 2);
}

void LowerCheck(Profile& ini, const keys::Number& check) {
    if (Read(ini, check) != 0) Write(ini, check, 1);
}

}  // namespace setup
