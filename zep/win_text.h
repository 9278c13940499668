// Conversions at the one boundary between the program's bytes (ANSI code page) and the wide API.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace zep {

inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

inline std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace zep
