#include <gtest/gtest.h>

#include <cstring>

#include "bitmap_file.h"
#include "fake_canvas.h"

namespace setup::testing {
namespace {

uint32_t Get32(const std::string& s, size_t at) {
    uint32_t v;
    std::memcpy(&v, s.data() + at, 4);  // little-endian like the file
    return v;
}
void Put32(std::string& s, size_t at, uint32_t v) { std::memcpy(s.data() + at, &v, 4); }
void Put16(std::string& s, size_t at, uint16_t v) { std::memcpy(s.data() + at, &v, 2); }

// Read from an exact-size copy, so that any read past the end shows under the sanitizer.
std::optional<BitmapFile> Read(const std::string& bytes, std::string& keep) {
    keep = bytes;
    return ReadBitmapFile(keep);
}

TEST(BitmapFile, TheHeadersTableAndPixelsOfWellFormedFiles) {
    std::string keep;
    const auto rgb = Read(BmpFile(3, 2), keep);
    ASSERT_TRUE(rgb);
    EXPECT_EQ((Size{rgb->width, rgb->height}), (Size{3, 2}));
    EXPECT_EQ(rgb->info.size(), 40u);
    EXPECT_EQ(rgb->pixels.data(), keep.data() + 54);
    EXPECT_EQ(rgb->pixels.size(), 24u);  // rows of 9 bytes padded to 12

    const auto mono = Read(BmpFile(17, 3, 1), keep);
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->info.size(), 40u + 2 * 4);
    EXPECT_EQ(mono->pixels.size(), 12u);
    EXPECT_EQ(Get32(mono->info, 40), 0x00102030u);

    // A table shorter than the bit count allows, as the header says.
    const auto used = Read(BmpFile(4, 4, 8, 2), keep);
    ASSERT_TRUE(used);
    EXPECT_EQ(used->info.size(), 40u + 2 * 4);
    EXPECT_EQ(Get32(used->info, 32), 2u);
    EXPECT_EQ(used->pixels.data(), keep.data() + 14 + 40 + 8);

    std::string topDown = BmpFile(2, -5);
    const auto flipped = Read(topDown, keep);
    ASSERT_TRUE(flipped);
    EXPECT_EQ(flipped->height, 5);
    EXPECT_EQ(static_cast<int32_t>(Get32(flipped->info, 8)), -5);
}

TEST(BitmapFile, ALongerHeaderWithMasksAndPixelsAfterAGap) {
    const std::string plain = BmpFile(2, 2, 32);
    std::string v5 = plain.substr(0, 54);
    const uint32_t masks[3] = {0xff0000, 0xff00, 0xff};
    v5.append(reinterpret_cast<const char*>(masks), 12);
    v5.append(124 - 40 - 12, '\0');
    v5.append(6, '\x7f');  // a gap before the pixels
    const size_t offset = v5.size();
    v5.append(plain.substr(54));
    Put32(v5, 2, static_cast<uint32_t>(v5.size()));
    Put32(v5, 10, static_cast<uint32_t>(offset));
    Put32(v5, 14, 124);
    Put32(v5, 30, 3);  // colour masks
    std::string keep;
    const auto bitmap = Read(v5, keep);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->info.size(), 52u);
    EXPECT_EQ(Get32(bitmap->info, 0), 40u);
    EXPECT_EQ(Get32(bitmap->info, 48), 0xffu);
    EXPECT_EQ(bitmap->pixels.data(), keep.data() + offset);
    EXPECT_EQ(bitmap->pixels.size(), 16u);
}

TEST(BitmapFile, DamagedAndHostileFilesAreRefused) {
    const std::string good = BmpFile(4, 4, 8);
    const auto damaged = [&](auto change) {
        std::string bytes = good, keep;
        change(bytes);
        return !Read(bytes, keep);
    };
    for (uint16_t bits : {0, 2, 33, 64, 0xffff})
        EXPECT_TRUE(damaged([&](std::string& b) { Put16(b, 28, bits); })) << bits;
    // As many colours used as a 32-bit count can say: the table is still at most 256 entries.
    EXPECT_FALSE(damaged([](std::string& b) { Put32(b, 46, 0xffffffff); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put16(b, 28, 32); }));          // the rows need more than there is
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 10, 0xfffffff0); }));  // pixels past the file
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 10, 20); }));          // pixels inside the header
    EXPECT_TRUE(damaged([&](std::string& b) { Put32(b, 2, static_cast<uint32_t>(good.size() + 1)); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 2, 0xffffffff); }));
    EXPECT_TRUE(damaged([&](std::string& b) { Put32(b, 2, static_cast<uint32_t>(good.size() - 1)); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 18, 0x7fffffff), Put32(b, 22, 0x7fffffff); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 18, 1 << 16), Put32(b, 22, 1 << 16); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 18, 0); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 18, static_cast<uint32_t>(-4)); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 22, 0); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 22, 0x80000000); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put16(b, 26, 2); }));  // planes
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 30, 1); }));  // run-length coded
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 14, 12); }));
    EXPECT_TRUE(damaged([](std::string& b) { Put32(b, 14, 0xffffffff); }));
    EXPECT_TRUE(damaged([](std::string& b) { b[1] = 'A'; }));
    for (size_t n = 0; n < good.size(); ++n) {
        std::string keep;
        EXPECT_FALSE(Read(good.substr(0, n), keep)) << n;
    }
}

}  // namespace
}  // namespace setup::testing
