// The entries of setup's log (/LOG=<file>): UTF-8 lines, each with its time, appended.
#pragma once
#include <string>
#include <string_view>

namespace setup {

struct LogTime {
    int year, month, day, hour, minute, second;
};

// One entry: "2026-12-09 07:51:22  text" and CR LF; the further lines of a text of several lines
// (a message's list) follow indented, so every line of the file is either an entry or part of one.
std::string LogEntry(const LogTime& time, std::wstring_view text);

// The text as UTF-8 (UTF-16 where wchar_t is 16 bits; a lone surrogate becomes U+FFFD).
std::string Utf8(std::wstring_view text);

}  // namespace setup
