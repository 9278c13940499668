// The numeric fields of the settings window: what they accept, how their text reads, and where
// their values are brought into range.
#pragma once
#include <cstdint>
#include <string_view>

namespace zep {

struct SpinField {
    int32_t min = 0, max = 0;
    int32_t step = 1;       // one press of an arrow
    int maxLength = 0;      // characters; 0 = no limit

    // Typed characters: digits and signs only (control characters such as backspace pass).
    static bool Accepts(char16_t c) { return c < 0x20 || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-'; }
    // The decimal number of the text, or the minimum when the text is not one (empty, a lone sign,
    // anything beyond 32 bits). Not clamped: a field with the focus reads what was typed.
    int32_t Read(std::string_view text) const;
    int32_t Clamp(int64_t v) const { return v < min ? min : v > max ? max : static_cast<int32_t>(v); }
    // One arrow press of `delta` steps from the current text.
    int32_t Stepped(std::string_view text, int delta) const {
        return Clamp(static_cast<int64_t>(Read(text)) + static_cast<int64_t>(delta) * step);
    }
};

inline constexpr SpinField kHourSpin{0, 23, 1, 2};
inline constexpr SpinField kMinuteSpin{0, 59, 1, 0};
inline constexpr SpinField kSecondSpin{10, 99999, 60, 0};
inline constexpr SpinField kWaitSpin{0, 60, 1, 0};

}  // namespace zep
