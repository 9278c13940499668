#include "folder_field.h"

#include <string_view>

#include "case_fold.h"

namespace setup {

namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Where the folder names start after the root ("C:\" or "\\server\share\"); npos when the text
// does not start with one.
size_t NamesStart(const std::wstring& text) {
    if (text.size() >= 3 && IsLetter(text[0]) && text[1] == L':' && text[2] == L'\\') return 3;
    if (text.size() < 5 || text.compare(0, 2, L"\\\\") != 0) return std::wstring::npos;
    const size_t server = text.find(L'\\', 2);
    if (server == std::wstring::npos || server == 2 || server + 1 == text.size() || text[server + 1] == L'\\')
        return std::wstring::npos;
    const size_t share = text.find(L'\\', server + 1);
    return share == std::wstring::npos ? text.size() : share + 1;
}

bool IsDeviceName(std::wstring_view name) {
    const std::wstring_view stem = name.substr(0, name.find(L'.'));
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (EqualNoCase(stem, device)) return true;
    if (stem.size() == 4 && stem[3] >= L'1' && stem[3] <= L'9')
        return EqualNoCase(stem.substr(0, 3), L"COM") || EqualNoCase(stem.substr(0, 3), L"LPT");
    return false;
}

bool HoldsBadCharacter(std::wstring_view names) {
    for (wchar_t c : names)
        if (c < 32 || std::wstring_view(L"<>:\"/|?*").find(c) != std::wstring_view::npos) return true;
    return false;
}

}  // namespace

FolderFieldVerdict JudgeFolderField(const std::wstring& text, bool recordable) {
    if (text.find_first_not_of(L' ') == std::wstring::npos) return FolderFieldVerdict::Empty;
    const size_t start = NamesStart(text);
    if (start == std::wstring::npos) return FolderFieldVerdict::NotFullPath;
    // A share's names are checked with the folders'; a drive's colon is the one allowed.
    if (HoldsBadCharacter(std::wstring_view(text).substr(text[1] == L':' ? 3 : 0))) return FolderFieldVerdict::BadName;
    bool trailingBlank = false;
    // One name after another; a single "\" at the very end is allowed.
    for (size_t at = start; at < text.size();) {
        size_t end = text.find(L'\\', at);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring_view name = std::wstring_view(text).substr(at, end - at);
        if (name.empty() || IsDeviceName(name)) return FolderFieldVerdict::BadName;
        if (name.back() == L' ' || name.back() == L'.') trailingBlank = true;
        at = end + 1;
    }
    if (trailingBlank) return FolderFieldVerdict::TrailingBlank;
    return recordable ? FolderFieldVerdict::Usable : FolderFieldVerdict::NotRecordable;
}

std::wstring FolderFieldRefusal(FolderFieldVerdict verdict, const std::wstring& text, const Texts& texts) {
    switch (verdict) {
    case FolderFieldVerdict::Usable:
        return L"";
    case FolderFieldVerdict::Empty:
        return std::wstring(texts.folderEmpty) + texts.folderFieldAdvice;
    case FolderFieldVerdict::NotFullPath:
        return texts.folderNotFullPath + text + texts.folderFieldAdvice;
    case FolderFieldVerdict::BadName:
        return texts.folderBadName + text + texts.folderFieldAdvice;
    case FolderFieldVerdict::TrailingBlank:
        return texts.folderTrailingBlank + text + texts.folderFieldAdvice;
    case FolderFieldVerdict::NotRecordable:
        return texts.folderNotRecordable + text + texts.folderFieldAdvice;
    }
    return L"";
}

}  // namespace setup
