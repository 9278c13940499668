// Windows bitmap files (.bmp) read for painting. The file's own header sizes are checked against
// the file itself: a damaged or hostile file is refused, never read or allocated past its end.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace setup {

// A file larger than this is not read at all, and a bitmap of more pixels is refused (a 1-bit file
// of a few megabytes could otherwise ask for gigabytes of device bitmap).
constexpr size_t kMaxBitmapFileBytes = 64u << 20;
constexpr long long kMaxBitmapPixels = 1LL << 26;

struct BitmapFile {
    // A BITMAPINFOHEADER (40 bytes) followed by its colour table or its three colour masks: what
    // the system's device-independent bitmap functions take as BITMAPINFO.
    std::string info;
    // The pixel rows, inside the bytes the bitmap was read from.
    std::string_view pixels;
    int width = 0;   // pixels, > 0
    int height = 0;  // rows, > 0 (the rows may be stored bottom-up or top-down)
};

// The bitmap of a .bmp file's bytes: a 14-byte file header, an information header of 40 bytes
// (or one of its longer versions), the colour table (2 to the power of the bit count entries, or
// as many as the header says it uses; none for 24 bits per pixel), the pixel data at bfOffBits.
// Uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, and 16 and 32 with colour masks. None when
// anything points past the file or past bfSize, when the pixel data is shorter than the rows
// need, or the sizes are absurd.
std::optional<BitmapFile> ReadBitmapFile(std::string_view bytes);

}  // namespace setup
