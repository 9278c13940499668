#include "run_log.h"

#include <cstdio>

namespace setup {

namespace {

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool HighSurrogate(char32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool LowSurrogate(char32_t c) { return c >= 0xDC00 && c < 0xE000; }

}  // namespace

std::string Utf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (HighSurrogate(c) && i + 1 < text.size() && LowSurrogate(static_cast<char32_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        } else if (HighSurrogate(c) || LowSurrogate(c) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        Append(out, c);
    }
    return out;
}

std::string LogEntry(const LogTime& time, std::wstring_view text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d  ", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    std::string entry = stamp;
    // Lines end with CR LF, LF or CR; empty lines and the breaks at the end of a text are dropped.
    std::wstring line;
    bool first = true;
    const auto flush = [&] {
        if (line.empty()) return;
        if (!first) entry += "    ";
        entry += Utf8(line) + "\r\n";
        line.clear();
        first = false;
    };
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n') flush();
        else line += c;
    }
    flush();
    if (first) entry += "\r\n";
    return entry;
}

}  // namespace setup
