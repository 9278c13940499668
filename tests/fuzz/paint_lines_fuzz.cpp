// Fuzzes setup's drawing lines, readme page lines and bitmap reader. Nothing may crash, read or
// allocate past what the input holds, and what comes out must keep its guaranteed properties.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap_file.h"
#include "paint_script.h"
#include "readme_pages.h"
#include "system.h"

namespace {

using namespace setup;

void Check(bool condition) {
    if (!condition) std::abort();
}

class NoSystem : public System {
public:
    std::wstring SystemFolder() override { return L"C:\\Windows\\system32"; }
    std::wstring WindowsFolder() override { return L"C:\\Windows"; }
    std::wstring DesktopFolder() override { return L"C:\\Desktop"; }
    std::wstring ProgramFilesDir() override { return L""; }
    std::wstring UserProgramsFolder() override { return L"C:\\Users\\u\\AppData\\Local\\Programs"; }
    std::wstring FindProgram(const std::wstring&, const std::wstring&) override { return L""; }
    bool FileExists(const std::wstring&) override { return false; }
    bool ClassKeyExists(const std::wstring&) override { return false; }
    std::optional<std::wstring> ClassDefaultValue(const std::wstring&) override { return std::nullopt; }
};

void CheckBitmap(std::string_view bytes) {
    const auto bitmap = ReadBitmapFile(bytes);
    if (!bitmap) return;
    Check(bitmap->width > 0 && bitmap->height > 0);
    Check(static_cast<long long>(bitmap->width) * bitmap->height <= kMaxBitmapPixels);
    Check(bitmap->pixels.data() >= bytes.data() &&
          bitmap->pixels.data() + bitmap->pixels.size() <= bytes.data() + bytes.size());
    const unsigned bits = static_cast<uint8_t>(bitmap->info[14]) | static_cast<uint8_t>(bitmap->info[15]) << 8;
    const uint64_t stride = (static_cast<uint64_t>(bitmap->width) * bits + 31) / 32 * 4;
    Check(bitmap->pixels.size() == stride * static_cast<uint64_t>(bitmap->height));
    Check(bitmap->info.size() >= 40 && bitmap->info.size() <= 40 + 256 * 4 && bitmap->info.size() % 4 == 0);
}

// Checks each drawing against the script's state; keeps nothing, so a long gradient costs no memory.
class CheckingCanvas : public Canvas {
public:
    CheckingCanvas(const Rect& area, std::string_view file) : area_(area), file_(file) {}
    void Watch(const PaintScript* script) { script_ = script; }

    void Fill(const Rect& r, Colour) override {
        const Rect& c = script_->current();
        if (r == area_ || c.left > c.right || c.top > c.bottom) return;
        Check(r.left >= c.left && r.right <= c.right && r.top >= c.top && r.bottom <= c.bottom);
    }
    void SetTextColour(Colour) override {}
    void UseFont(const FontDescription& font) override { Check(font.face.size() <= kFaceChars); }
    int DefaultFontHeight(const FontDescription&) override { return 16; }
    std::optional<std::string> ReadFile(const std::wstring& path, size_t limit) override {
        if (path.size() < 4 || file_.size() > limit) return std::nullopt;
        return std::string(file_);
    }
    std::wstring TextOfFile(const std::string& bytes) override { return std::wstring(bytes.begin(), bytes.end()); }
    bool PlayMetafile(const std::wstring&, const Rect&) override { return true; }
    void DrawBitmap(const BitmapFile& bitmap, const BitmapPlacement& p) override {
        Check(bitmap.width > 0 && bitmap.height > 0);
        if (p.stretch) return;
        const long long W = area_.right - area_.left, H = area_.bottom - area_.top;
        Check(p.columns >= 0 && p.rows >= 0);
        Check(p.size.width > 0 && p.size.height > 0);
        Check(1LL * (p.columns - 1) * p.size.width < std::max(W, 1LL) &&
              1LL * (p.rows - 1) * p.size.height < std::max(H, 1LL));
    }
    Size MeasureText(const std::wstring& text, bool) override { return Size{static_cast<int>(text.size()), 16}; }
    void PutText(const std::wstring&, const Rect&, bool, bool) override {}

private:
    Rect area_;
    std::string_view file_;
    const PaintScript* script_ = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckBitmap(bytes);

    // The input as lines of text, one character a byte; a line's first byte 1 ... 15 stands for a
    // keyword and its comma, so that every keyword is a byte away.
    static const wchar_t* const kKeywords[] = {L"mode,",   L"page,",    L"rect,",    L"fill,",    L"gradation,",
                                               L"height,", L"font,",    L"meta,",    L"bitmap,",  L"text,",
                                               L"string,", L"button1,", L"button2,", L"button3,", L"mode,center,"};
    std::vector<std::wstring> lines(1);
    for (char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (c == '\n')
            lines.emplace_back();
        else if (lines.back().empty() && byte >= 1 && byte <= 15)
            lines.back() = kKeywords[byte - 1];
        else
            lines.back() += static_cast<wchar_t>(byte);
    }
    // At 100 %, 150 % or 200 % display scale, on a screen as much larger.
    const int dpi = static_cast<int>(size % 3 + 2) * kDesignDpi / 2;
    const Rect area{0, 0, ScaleToDpi(1024, dpi), ScaleToDpi(768, dpi)};
    NoSystem system;
    CheckingCanvas canvas(area, bytes);
    PaintScript script(canvas, area, L"C:\\App", system, dpi);
    canvas.Watch(&script);
    script.Run(lines);

    PageButtons buttons;
    for (const std::wstring& id : {std::wstring(L"install"), lines.front()}) {
        const size_t start = PageStart(lines, id);
        Check(start == 1 || (start <= lines.size() && IsPageMarker(lines[start - 1])));
        SetPageButtons(lines, start, buttons);
        for (const PageButton& b : buttons) Check(!b.target.empty());
        PaintScript page(canvas, area, L"", system);
        canvas.Watch(&page);
        page.Run(lines, start);
    }
    return 0;
}
