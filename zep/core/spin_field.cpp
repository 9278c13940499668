#include "spin_field.h"

namespace zep {

int32_t SpinField::Read(std::string_view text) const {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return min;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return min;
        v = v * 10 + (text[i] - '0');
        if (v > int64_t{INT32_MAX} + 1) return min;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return min;
    return static_cast<int32_t>(v);
}

}  // namespace zep
