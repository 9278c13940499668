#include "case_fold.h"

#include <cwctype>

namespace setup {

wchar_t FoldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
    if (c < 0x80) return c;
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

std::wstring FoldedCase(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = FoldCase(c);
    return out;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

size_t FindNoCase(std::wstring_view text, std::wstring_view needle) {
    if (needle.size() > text.size()) return std::wstring_view::npos;
    for (size_t i = 0; i + needle.size() <= text.size(); ++i)
        if (EqualNoCase(text.substr(i, needle.size()), needle)) return i;
    return std::wstring_view::npos;
}

long long LeadingInt(std::wstring_view text, long long limit) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > limit) value = limit;
    }
    return negative ? -value : value;
}

}  // namespace setup
