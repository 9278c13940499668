// The option boxes of the main window: which show, which start checked, and how the window closes
// up the rows of hidden boxes.
#pragma once
#include <array>
#include <optional>

namespace setup {

// A Check value: 0 hidden, 1 shown unchecked, 2 shown checked, 3 checked and hidden (forced on).
inline bool OptionShown(int check) { return check == 1 || check == 2; }
inline bool OptionChecked(int check) { return check == 2 || check == 3; }

// A shown option's value at a version-up: the earlier installation's choice (checked when its Check
// value was 2 or more), or the distribution's `check` when the earlier Setup.ini is gone (its folder
// deleted by hand) and so tells no choice. Hidden and forced options keep `check`.
int OptionAfterEarlier(int check, std::optional<int> earlier);

// The left column, top to bottom.
enum LeftOption { kMenu, kShortcut, kStartup, kAssociate, kSendTo, kLeftOptions };

struct OptionLayout {
    std::array<int, kLeftOptions> leftUp{};  // rows each left box (and its row) moves up
    int deleteAfterUp = 0;                   // rows the Delete-after box moves up
    int groupShorter = 0;                    // rows the package group box loses
    int buttonsUp = 0;                       // rows the buttons and the icon place move up
    int windowShorter = 0;                   // rows the window loses
};

// `left` and the package boxes' values as shown (after any earlier installation's choices).
OptionLayout LayOutOptions(const std::array<int, kLeftOptions>& left, int copy, int deleteAfter, bool installed,
                           bool unattended);

}  // namespace setup
