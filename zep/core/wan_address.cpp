#include "wan_address.h"

#include <algorithm>

namespace zep {
namespace {

bool AddressCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == ':' ||
           c == '-' || c == ' ';
}

}  // namespace

bool IsWanAddressText(std::string_view text) {
    return !text.empty() && text.size() <= kWanAddressLimit && std::all_of(text.begin(), text.end(), AddressCharacter);
}

std::string WanAddressPrefix(std::string_view text) {
    const size_t end = std::find_if_not(text.begin(), text.end(), AddressCharacter) - text.begin();
    return std::string(text.substr(0, std::min(end, kWanAddressLimit)));
}

}  // namespace zep
