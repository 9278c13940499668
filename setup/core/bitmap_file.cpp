#include "bitmap_file.h"

#include <cstdint>

namespace setup {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kLargestInfoHeaderBytes = 124;  // BITMAPV5HEADER
constexpr size_t kMaskBytes = 12;                // red, green and blue masks
constexpr uint32_t kUncompressed = 0;            // BI_RGB
constexpr uint32_t kBitFields = 3;               // BI_BITFIELDS

uint32_t U32(std::string_view b, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t U16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

void PutU32(std::string& b, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

}  // namespace

std::optional<BitmapFile> ReadBitmapFile(std::string_view bytes) {
    if (bytes.size() < kFileHeaderBytes + kInfoHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    const uint64_t fileSize = U32(bytes, 2);      // bfSize
    const uint64_t pixelOffset = U32(bytes, 10);  // bfOffBits
    const uint64_t infoSize = U32(bytes, 14);
    if (infoSize < kInfoHeaderBytes || infoSize > kLargestInfoHeaderBytes) return std::nullopt;
    if (fileSize > bytes.size() || pixelOffset > fileSize || pixelOffset < kFileHeaderBytes + infoSize)
        return std::nullopt;

    const int32_t width = static_cast<int32_t>(U32(bytes, 18));
    const int32_t height = static_cast<int32_t>(U32(bytes, 22));
    const uint16_t planes = U16(bytes, 26);
    const uint16_t bitCount = U16(bytes, 28);
    const uint32_t compression = U32(bytes, 30);
    const uint32_t coloursUsed = U32(bytes, 46);
    if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    if (static_cast<int64_t>(width) * rows > kMaxBitmapPixels) return std::nullopt;

    // What follows the information header: a colour table, the masks, or nothing.
    uint64_t tableBytes = 0;
    switch (bitCount) {
    case 1:
    case 4:
    case 8: {
        if (compression != kUncompressed) return std::nullopt;
        const uint32_t full = 1u << bitCount;
        const uint32_t entries = coloursUsed > 0 && coloursUsed < full ? coloursUsed : full;
        tableBytes = 4ull * entries;
        break;
    }
    case 24:
        if (compression != kUncompressed) return std::nullopt;
        break;
    case 16:
    case 32:
        if (compression == kBitFields)
            tableBytes = kMaskBytes;
        else if (compression != kUncompressed)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    // The masks of the longer headers sit where they follow a 40-byte one: always right after it.
    const uint64_t tableAt =
        compression == kBitFields ? kFileHeaderBytes + kInfoHeaderBytes : kFileHeaderBytes + infoSize;
    if (tableAt + tableBytes > bytes.size()) return std::nullopt;

    const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    const uint64_t pixelBytes = stride * static_cast<uint64_t>(rows);
    if (pixelBytes > fileSize - pixelOffset) return std::nullopt;

    BitmapFile bitmap;
    bitmap.info.assign(bytes.substr(kFileHeaderBytes, kInfoHeaderBytes));
    PutU32(bitmap.info, 0, kInfoHeaderBytes);
    PutU32(bitmap.info, 20, 0);  // biSizeImage: computed from the size
    if (bitCount <= 8) PutU32(bitmap.info, 32, static_cast<uint32_t>(tableBytes / 4));  // biClrUsed
    bitmap.info.append(bytes.substr(tableAt, tableBytes));
    bitmap.pixels = bytes.substr(pixelOffset, pixelBytes);
    bitmap.width = width;
    bitmap.height = static_cast<int>(rows);
    return bitmap;
}

}  // namespace setup
