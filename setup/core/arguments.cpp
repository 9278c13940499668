#include "arguments.h"

#include "case_fold.h"

namespace setup {

namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

// One word from `at`: quotes group blanks into it and are dropped.
std::wstring NextWord(std::wstring_view text, size_t& at) {
    std::wstring word;
    bool quoted = false;
    for (; at < text.size() && (quoted || !Blank(text[at])); ++at) {
        if (text[at] == L'"') quoted = !quoted;
        else word += text[at];
    }
    return word;
}

std::wstring Trimmed(std::wstring_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && Blank(text[begin])) ++begin;
    while (end > begin && Blank(text[end - 1])) --end;
    return std::wstring(text.substr(begin, end - begin));
}

// A value that a tool quoted whole loses its quotes.
std::wstring Unquoted(std::wstring value) {
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

Arguments ParseArguments(std::wstring_view text) {
    Arguments arguments;
    size_t at = 0;
    while (true) {
        while (at < text.size() && Blank(text[at])) ++at;
        if (at >= text.size()) break;
        if ((text[at] == L'/' || text[at] == L'-') && StartsWithNoCase(text.substr(at + 1), L"D=")) {
            arguments.installFolder = Unquoted(Trimmed(text.substr(at + 3)));
            break;
        }
        const size_t start = at;
        const std::wstring word = NextWord(text, at);  // a switch may be quoted whole
        const bool isSwitch = !word.empty() && (word[0] == L'/' || word[0] == L'-');
        if (isSwitch && StartsWithNoCase(std::wstring_view(word).substr(1), L"D=")) {
            arguments.installFolder = word.substr(3);  // "/D=C:\My App": the whole folder
            break;
        }
        if (!isSwitch) {
            if (arguments.word.empty()) arguments.word = word;
            else arguments.unknown.push_back(word);
            continue;
        }
        const std::wstring_view name = std::wstring_view(word).substr(1);
        if (EqualNoCase(name, L"S")) arguments.silent = true;
        else if (EqualNoCase(name, L"NORESTART")) arguments.noRestart = true;
        else if (EqualNoCase(name, L"RESTART")) arguments.restart = true;
        else if (EqualNoCase(name, L"ACCEPT")) arguments.accept = true;
        else if (name == L"?") arguments.help = true;
        else if (StartsWithNoCase(name, L"LOG=") && name.size() > 4) arguments.logFile = std::wstring(name.substr(4));
        else arguments.unknown.push_back(std::wstring(text.substr(start, at - start)));
    }
    return arguments;
}

bool RestartsUnasked(const Arguments& arguments, bool restartNeeded) {
    return restartNeeded && arguments.silent && arguments.restart && !arguments.noRestart;
}

bool StopsAtAgreement(const Arguments& arguments, bool agreement) {
    return agreement && arguments.silent && !arguments.accept;
}

std::wstring SingleSetupName(std::wstring_view productName) {
    // "\" separates a namespace from a name: none may come from the product's name.
    std::wstring name(L"Local\\setup-run-");
    for (wchar_t c : productName.substr(0, 200)) name += c == L'\\' ? L'_' : FoldCase(c);
    return name;
}

}  // namespace setup
