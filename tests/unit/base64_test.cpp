#include "base64.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(Base64, Rfc4648Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (auto [plain, coded] : vectors) {
        EXPECT_EQ(Base64Encode(plain), coded);
        EXPECT_EQ(Base64Decode(coded), std::string(plain));
    }
}

TEST(Base64, AllByteValuesRoundTrip) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes);
}

TEST(Base64, MalformedTextIsRefused) {
    for (const char* bad : {"Zg=", "Zg", "Z===", "Zm9v\n", "Zm=v", "=m9v", "Zm9vYg==Zm9v", "Zm 9"})
        EXPECT_EQ(Base64Decode(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace zep
