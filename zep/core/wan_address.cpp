#include "wan_address.h"

namespace zep {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsIPv4Literal(std::string_view text) {
    int octets = 0;
    size_t i = 0;
    while (true) {
        const size_t start = i;
        unsigned value = 0;
        while (i < text.size() && IsDigit(text[i]) && i - start < 3) value = value * 10 + unsigned(text[i++] - '0');
        const size_t digits = i - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
        if (++octets == 4) return i == text.size();
        if (i == text.size() || text[i] != '.') return false;
        ++i;
    }
}

}  // namespace

bool IsWanAddressText(std::string_view text) {
    const size_t blanks = text.find_first_not_of(' ');
    return blanks != std::string_view::npos && text.size() <= kWanAddressLimit && IsIPv4Literal(text.substr(blanks));
}

std::string WanAddressPrefix(std::string_view text) {
    const size_t blanks = text.find_first_not_of(' ');
    if (blanks == std::string_view::npos) return {};
    size_t end = blanks;
    while (end < text.size() && (IsDigit(text[end]) || text[end] == '.')) ++end;
    const std::string_view address = text.substr(0, end);
    return IsWanAddressText(address) ? std::string(address) : std::string();
}

}  // namespace zep
