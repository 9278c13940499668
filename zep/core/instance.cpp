#include "instance.h"

namespace zep {

bool IsQuitSwitch(const std::string& p) {
    if (p.size() != 5 || (p[0] != '-' && p[0] != '/')) return false;
    static const char kWord[] = "quit";
    for (int i = 0; i < 4; ++i) {
        char c = p[i + 1];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kWord[i]) return false;
    }
    return true;
}

bool HasQuitSwitch(const std::vector<std::string>& parameters) {
    for (const std::string& p : parameters)
        if (IsQuitSwitch(p)) return true;
    return false;
}

}  // namespace zep
