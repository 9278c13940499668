// Text between the programs' bytes, which are in the ANSI code page, and the wide API. Both
// programs' window layers use these two (their win_system modules hand them on).
#pragma once
#include <string>
#include <string_view>

namespace code_page {

std::wstring WideFromAnsi(std::string_view text);
std::string AnsiFromWide(std::wstring_view text);

}  // namespace code_page
