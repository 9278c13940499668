// Comparisons of texts without regard to case (case folding), and the leading number of a text.
#pragma once
#include <string>
#include <string_view>

namespace setup {

wchar_t FoldCase(wchar_t c);
// The text with each character folded: equal for texts that compare equal without regard to case.
std::wstring FoldedCase(std::wstring_view text);
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
// The index of the first occurrence of `needle`, compared without regard to case, or npos.
size_t FindNoCase(std::wstring_view text, std::wstring_view needle);

// Decimal integer at the start of `text` (optional sign), as far as digits go; 0 without digits. The
// magnitude stops at `limit` (absurd input neither overflows nor wraps): a signed 32-bit number's by
// default.
inline constexpr long long kIntLimit = 0x7fffffffLL;
long long LeadingInt(std::wstring_view text, long long limit = kIntLimit);

}  // namespace setup
