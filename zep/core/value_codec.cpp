#include "value_codec.h"

namespace zep {
namespace {

std::optional<int64_t> DigitsValue(std::string_view digits, int base) {
    if (digits.empty() || digits.size() > 16) return std::nullopt;
    int64_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        value = value * base + d;
    }
    return value;
}

}  // namespace

std::optional<int32_t> ParseStoredInt(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        auto v = DigitsValue(text.substr(2), 16);
        // Eight hex digits cover the whole 32-bit pattern, so 0xFFFFFFFF reads as -1.
        if (!v || *v > 0xFFFFFFFFLL) return std::nullopt;
        return static_cast<int32_t>(static_cast<uint32_t>(*v));
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    auto v = DigitsValue(text, 10);
    if (!v) return std::nullopt;
    int64_t signed_value = negative ? -*v : *v;
    if (signed_value < INT32_MIN || signed_value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(signed_value);
}

int32_t ReadStoredInt(std::string_view text, int32_t fallback) {
    return ParseStoredInt(text).value_or(fallback);
}

bool ReadStoredBool(std::string_view text, bool fallback) {
    auto v = ParseStoredInt(text);
    return v ? *v != 0 : fallback;
}

std::string WriteStoredInt(int32_t value) { return std::to_string(value); }
std::string WriteStoredBool(bool value) { return value ? "1" : "0"; }

}  // namespace zep
