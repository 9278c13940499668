// Fuzzes the readers of stored setting values: integers, Base64, the protected password and the
// locale date-time text. They must never crash, and what they accept must round-trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base64.h"
#include "password_cipher.h"
#include "date_time.h"
#include "value_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    if (auto v = zep::ParseStoredInt(text)) {
        if (zep::ParseStoredInt(zep::WriteStoredInt(*v)) != v) std::abort();
    }
    // Unused low bits before the padding are ignored, so compare decoded bytes, not texts.
    if (auto bytes = zep::Base64Decode(text)) {
        if (zep::Base64Decode(zep::Base64Encode(*bytes)) != bytes) std::abort();
    }
    if (auto password = zep::PasswordCipher::Reveal(text); password && !password->empty()) {
        if (zep::PasswordCipher::Reveal(zep::PasswordCipher::Protect(*password)) != password) std::abort();
    }
    const zep::LocaleFormats formats[] = {zep::LocaleFormats{}, {"M/d/yyyy", "h:mm:ss tt", "/", ":", "AM", "PM"}};
    for (const auto& f : formats) {
        if (auto t = zep::ParseDateTimeC(text, f)) {
            if (zep::ParseDateTimeC(zep::FormatDateTimeC(*t, f), f) != t) std::abort();
        }
    }
    return 0;
}
