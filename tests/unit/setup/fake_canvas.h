// A canvas that records what the drawing lines ask of it, with files in memory. Text measures 8
// pixels a character and 16 a line; a font of the default size is 16 pixels high.
#pragma once
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes.h"
#include "paint_script.h"

namespace setup::testing {

class FakeCanvas : public Canvas {
public:
    struct Filled {
        Rect rect;
        Colour colour;
        bool operator==(const Filled&) const = default;
    };
    struct Drawn {
        std::wstring text;
        Rect rect;
        bool singleLine, clip;
        bool operator==(const Drawn&) const = default;
    };
    struct Copied {
        Size size;
        BitmapPlacement placement;
    };

    void Fill(const Rect& r, Colour colour) override { fills.push_back({r, colour}); }
    void SetTextColour(Colour colour) override { textColours.push_back(colour); }
    void UseFont(const FontDescription& font) override { fonts.push_back(font); }
    int DefaultFontHeight(const FontDescription&) override { return 16; }
    std::optional<std::string> ReadFile(const std::wstring& path, size_t limit) override {
        tried.push_back(path);
        auto it = files.find(Fold(path));
        if (it == files.end() || it->second.size() > limit) return std::nullopt;
        return it->second;
    }
    std::wstring TextOfFile(const std::string& bytes) override { return std::wstring(bytes.begin(), bytes.end()); }
    bool PlayMetafile(const std::wstring& path, const Rect& r) override {
        tried.push_back(path);
        if (!metafiles.count(Fold(path))) return false;
        played.emplace_back(path, r);
        return true;
    }
    void DrawBitmap(const BitmapFile& bitmap, const BitmapPlacement& placement) override {
        bitmaps.push_back({Size{bitmap.width, bitmap.height}, placement});
    }
    Size MeasureText(const std::wstring& text, bool singleLine) override {
        size_t longest = 0, lines = 1, run = 0;
        for (wchar_t c : text) {
            if (c == L'\n' && !singleLine) {
                ++lines;
                run = 0;
            } else if (c != L'\r') {
                longest = std::max(longest, ++run);
            }
        }
        return Size{static_cast<int>(8 * longest), static_cast<int>(16 * lines)};
    }
    void PutText(const std::wstring& text, const Rect& r, bool singleLine, bool clip) override {
        texts.push_back({text, r, singleLine, clip});
    }

    void AddFile(const std::wstring& path, std::string bytes) { files[Fold(path)] = std::move(bytes); }

    std::vector<Filled> fills;
    std::vector<Colour> textColours;
    std::vector<FontDescription> fonts;
    std::vector<Drawn> texts;
    std::vector<Copied> bitmaps;
    std::vector<std::pair<std::wstring, Rect>> played;
    std::vector<std::wstring> tried;  // files opened or asked for, in order
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> metafiles;  // folded paths
};

// A .bmp file: 24 bits per pixel unless told, rows bottom-up, every pixel byte `fill`.
inline std::string BmpFile(int width, int height, int bitCount = 24, unsigned coloursUsed = 0, char fill = 0x11) {
    const auto u32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    const auto u16 = [](std::string& s, uint16_t v) {
        s += static_cast<char>(v & 0xff);
        s += static_cast<char>(v >> 8);
    };
    const unsigned entries = bitCount <= 8 ? (coloursUsed ? coloursUsed : 1u << bitCount) : 0;
    const long long rows = height < 0 ? -static_cast<long long>(height) : height;
    const size_t stride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    const size_t offset = 14 + 40 + 4 * entries, size = offset + stride * static_cast<size_t>(rows);
    std::string s = "BM";
    u32(s, static_cast<uint32_t>(size));
    u32(s, 0);
    u32(s, static_cast<uint32_t>(offset));
    u32(s, 40);
    u32(s, static_cast<uint32_t>(width));
    u32(s, static_cast<uint32_t>(height));
    u16(s, 1);
    u16(s, static_cast<uint16_t>(bitCount));
    u32(s, 0);
    u32(s, 0);
    u32(s, 2835);
    u32(s, 2835);
    u32(s, coloursUsed);
    u32(s, 0);
    for (unsigned i = 0; i < entries; ++i) u32(s, 0x00102030 + i);
    s.append(size - offset, fill);
    return s;
}

}  // namespace setup::testing
