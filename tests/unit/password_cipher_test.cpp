#include "password_cipher.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

// Known vectors computed independently of this code, with PyCryptodome (Debian python3-pycryptodome):
//   key = hashlib.sha1(b"KLT by pavomire").digest()          # ba27856d...aef75ed8, all 20 bytes
//   iv  = Blowfish.new(key, MODE_ECB).encrypt(b"\xff" * 8)    # 066e1b324b92525d
//   Blowfish.new(key, MODE_CFB, iv=iv, segment_size=8).encrypt(password), then base64.
// (OpenSSL's command line cuts Blowfish keys to 128 bits, so it cannot produce these.)
struct Vector {
    const char* password;
    const char* stored;
};
const Vector kVectors[] = {
    {"a", "/Q=="},
    {"secret", "70hicIS0"},
    {"password123", "7BaqvLmVZWhrlRE="},
    {"\x83p\x83X\x83\x8f\x81[\x83h", "H7+aLc7rxxWO0Q=="},  // a Shift-JIS password
};

TEST(PasswordCipher, MatchesIndependentlyComputedVectorsBothWays) {
    for (const Vector& v : kVectors) {
        EXPECT_EQ(PasswordCipher::Protect(v.password), v.stored) << v.password;
        EXPECT_EQ(PasswordCipher::Reveal(v.stored), std::string(v.password)) << v.stored;
    }
}

TEST(PasswordCipher, StoredLengthIsFourCharactersPerThreeBytesAndStable) {
    for (size_t n = 1; n <= 40; ++n) {
        std::string password(n, static_cast<char>('A' + n % 26));
        password[n / 2] = static_cast<char>(0x80 + n);  // bytes above 0x7F survive
        const std::string stored = PasswordCipher::Protect(password);
        EXPECT_EQ(stored.size(), 4 * ((n + 2) / 3)) << n;
        EXPECT_EQ(PasswordCipher::Protect(password), stored) << "same password, same text";
        EXPECT_EQ(PasswordCipher::Reveal(stored), password);
    }
}

TEST(PasswordCipher, EmptyStaysEmptyAndBadBase64IsRefused) {
    EXPECT_EQ(PasswordCipher::Protect(""), "");
    EXPECT_EQ(PasswordCipher::Reveal(""), std::string());
    EXPECT_EQ(PasswordCipher::Reveal("abc"), std::nullopt);
    EXPECT_EQ(PasswordCipher::Reveal("ab!d"), std::nullopt);
}

TEST(PasswordCipher, EachByteDependsOnTheCipherTextBeforeIt) {
    // Cipher feedback: changing one plain byte changes that cipher byte and every later one,
    // but none before it.
    std::string a = PasswordCipher::EncryptCfb8("abcdefghij");
    std::string b = PasswordCipher::EncryptCfb8("abcdXfghij");
    EXPECT_EQ(a.substr(0, 4), b.substr(0, 4));
    for (size_t i = 4; i < a.size(); ++i) EXPECT_NE(a[i], b[i]) << i;
}

}  // namespace
}  // namespace zep
