#include "option_layout.h"

#include <algorithm>

namespace setup {

int OptionAfterEarlier(int check, std::optional<int> earlier) {
    if (!OptionShown(check) || !earlier) return check;
    return *earlier < 2 ? 1 : 2;
}

OptionLayout LayOutOptions(const std::array<int, kLeftOptions>& left, int copy, int deleteAfter, bool installed,
                           bool unattended) {
    OptionLayout layout;
    int hiddenLeft = 0;
    for (int i = 0; i < kLeftOptions; ++i) {
        layout.leftUp[i] = hiddenLeft;
        if (!OptionShown(left[i])) ++hiddenLeft;
    }
    int rightRows = installed ? 4 : 2;
    if (!installed) {
        if (!OptionShown(copy)) {
            ++rightRows;
            layout.deleteAfterUp = 1;
            ++layout.groupShorter;
        }
        if (!OptionShown(deleteAfter)) {
            ++rightRows;
            ++layout.groupShorter;
        }
        if (!OptionShown(copy) && !OptionShown(deleteAfter)) rightRows = 5;  // no group box at all
    }
    layout.buttonsUp = std::min(hiddenLeft, rightRows);
    layout.windowShorter = layout.buttonsUp + (unattended ? 1 : 0);
    return layout;
}

}  // namespace setup
