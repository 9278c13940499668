// Protection of the FTP password in the settings file: Blowfish under the SHA-1 digest of a fixed
// pass phrase, in 8-bit cipher feedback, stored as Base64.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zep {

class PasswordCipher {
public:
    // Password bytes (ANSI code page, no terminator) to the stored text. Empty stays empty.
    static std::string Protect(std::string_view password);
    // Stored text back to the password. Empty stays empty; nullopt when the text is not Base64.
    // The decrypted bytes are not validated.
    static std::optional<std::string> Reveal(std::string_view stored);

    // The raw CFB-8 transform under the fixed key, exposed for tests with known vectors.
    static std::string EncryptCfb8(std::string_view plain);
    static std::string DecryptCfb8(std::string_view cipher);
};

}  // namespace zep
