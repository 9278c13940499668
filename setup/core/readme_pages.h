// The painted readme pages ("ReadMe.Special"): the Readme lines hold page markers "page,<id>", and
// each page its drawing lines and the lines that set up the three page buttons
// ("button1,<target>[,<caption>]" for the left one, button2 the middle, button3 the right).
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "profile.h"

namespace setup {

// The Readme File value that asks for painted pages instead of a text file.
constexpr wchar_t kSpecialReadme[] = L"ReadMe.Special";
// More lines than this are not read, whatever Readme No says.
constexpr int kMaxReadmeLines = 10000;
// A readme file is shown up to this many bytes.
constexpr size_t kMaxReadmeBytes = size_t{1} << 18;

// What is shown of a readme file whose first bytes (up to kMaxReadmeBytes + 1 of them) are `head`:
// all of it when it fits, else the lines that fit whole, and `cut` is set.
std::string ReadmeShown(std::string head, bool& cut);

// Readme "0" ... No - 1 (an absent key is an empty line).
std::vector<std::wstring> ReadReadmeLines(Profile& ini);

// The first line of page `id`: the one after the first marker whose id (the whole rest of the
// line) equals it without regard to case; the second line (1) when no marker names it.
size_t PageStart(const std::vector<std::wstring>& lines, std::wstring_view id);

struct PageButton {
    std::wstring target = L"none";  // "install", "versionup", "uninstall", "none" or a number
    std::wstring caption;
    bool operator==(const PageButton&) const = default;
};
using PageButtons = std::array<PageButton, 3>;

// A button line's target: one of the words, recognised by its beginning without regard to case,
// or else the number it starts with.
std::wstring PageTarget(std::wstring_view text);
inline bool IsNoPage(const std::wstring& target) { return target == L"none"; }

// Sets the buttons up for the page that starts at `start`: every target "none" unless the page's
// button lines give one; a caption stays as an earlier page left it unless this one gives one.
void SetPageButtons(const std::vector<std::wstring>& lines, size_t start, PageButtons& buttons);

}  // namespace setup
