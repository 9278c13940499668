#include "painting.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "paint_script.h"
#include "win_system.h"

namespace setup {

namespace {

RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// The drawing lines' canvas: a memory device context with the picture selected. At the end the
// device context gets back the font it had, and the lines' font is deleted.
class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(HDC dc)
        : dc_(dc), originalFont_(GetCurrentObject(dc, OBJ_FONT)), originalMode_(SetBkMode(dc, TRANSPARENT)) {}
    ~GdiCanvas() override {
        SelectObject(dc_, originalFont_);
        if (font_) DeleteObject(font_);
        SetBkMode(dc_, originalMode_);
    }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void Fill(const Rect& r, Colour colour) override {
        HBRUSH brush = CreateSolidBrush(RGB(colour.red, colour.green, colour.blue));
        if (!brush) return;
        const RECT rect = ToRect(r);
        FillRect(dc_, &rect, brush);
        DeleteObject(brush);
    }

    void SetTextColour(Colour colour) override { SetTextColor(dc_, RGB(colour.red, colour.green, colour.blue)); }

    void UseFont(const FontDescription& f) override {
        const LOGFONTW font = LogFont(f);
        HFONT made = CreateFontIndirectW(&font);
        if (!made) return;
        SelectObject(dc_, made);
        if (font_) DeleteObject(font_);
        font_ = made;
    }

    int DefaultFontHeight(const FontDescription& f) override {
        LOGFONTW font = LogFont(f);
        font.lfHeight = 0;
        HFONT made = CreateFontIndirectW(&font);
        if (!made) return 0;
        HGDIOBJ old = SelectObject(dc_, made);
        TEXTMETRICW metrics{};
        const int height = GetTextMetricsW(dc_, &metrics) ? metrics.tmHeight : 0;
        SelectObject(dc_, old);
        DeleteObject(made);
        return height;
    }

    std::optional<std::string> ReadFile(const std::wstring& path, size_t limit) override {
        return ReadWholeFile(path, limit);
    }

    std::wstring TextOfFile(const std::string& bytes) override { return WideFromAnsi(bytes); }

    bool PlayMetafile(const std::wstring& path, const Rect& r) override {
        HENHMETAFILE metafile = GetEnhMetaFileW(path.c_str());
        if (!metafile) return false;
        const RECT rect = ToRect(r);
        PlayEnhMetaFile(dc_, metafile, &rect);
        DeleteEnhMetaFile(metafile);
        return true;
    }

    void DrawBitmap(const BitmapFile& bitmap, const BitmapPlacement& placement) override {
        // Stretched into the rectangle from the file's own size; else each copy is as large as
        // the placement says (the file's size at the window's resolution).
        const Size size = placement.stretch ? Size{bitmap.width, bitmap.height} : placement.size;
        HBITMAP device = DeviceBitmap(bitmap, size);
        if (!device) return;
        HDC source = CreateCompatibleDC(dc_);
        if (source) {
            HGDIOBJ old = SelectObject(source, device);
            const Rect& r = placement.first;
            if (placement.stretch) {
                Stretch(dc_, r, source, bitmap.width, bitmap.height);
            } else if (placement.columns == 1 && placement.rows == 1) {
                BitBlt(dc_, r.left, r.top, size.width, size.height, source, 0, 0, SRCCOPY);
            } else if (placement.columns > 0 && placement.rows > 0) {
                Tile(device, placement, size.width, size.height);
            }
            SelectObject(source, old);
            DeleteDC(source);
        }
        DeleteObject(device);
    }

    Size MeasureText(const std::wstring& text, bool singleLine) override {
        RECT r{0, 0, 0, 0};
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, Format(singleLine) | DT_CALCRECT);
        return Size{r.right - r.left, r.bottom - r.top};
    }

    void PutText(const std::wstring& text, const Rect& r, bool singleLine, bool clip) override {
        RECT rect = ToRect(r);
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &rect, Format(singleLine) | (clip ? 0 : DT_NOCLIP));
    }

private:
    static LOGFONTW LogFont(const FontDescription& f) {
        LOGFONTW font{};
        font.lfHeight = f.height;
        font.lfWidth = f.width;
        font.lfEscapement = f.escapement;
        font.lfOrientation = f.orientation;
        font.lfWeight = f.weight;
        font.lfItalic = f.italic;
        font.lfUnderline = f.underline;
        font.lfStrikeOut = f.strikeOut;
        font.lfCharSet = f.charSet;
        font.lfOutPrecision = f.outPrecision;
        font.lfClipPrecision = f.clipPrecision;
        font.lfQuality = f.quality;
        font.lfPitchAndFamily = f.pitchAndFamily;
        const size_t n = std::min<size_t>(f.face.size(), LF_FACESIZE - 1);
        std::memcpy(font.lfFaceName, f.face.data(), n * sizeof(wchar_t));
        return font;
    }

    // The file's pixels as a bitmap of the picture's format, `size` large: as they are, or
    // stretched smoothly; none when it cannot be made.
    HBITMAP DeviceBitmap(const BitmapFile& bitmap, Size size) {
        if (size.width <= 0 || size.height <= 0) return nullptr;
        // BITMAPINFO wants its own alignment.
        std::vector<DWORD> info((bitmap.info.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
        std::memcpy(info.data(), bitmap.info.data(), bitmap.info.size());
        const auto* header = reinterpret_cast<const BITMAPINFO*>(info.data());
        HBITMAP device =
            CreateDIBitmap(dc_, &header->bmiHeader, CBM_INIT, bitmap.pixels.data(), header, DIB_RGB_COLORS);
        if (!device || (size.width == bitmap.width && size.height == bitmap.height)) return device;
        HBITMAP scaled = CreateCompatibleBitmap(dc_, size.width, size.height);
        HDC from = CreateCompatibleDC(dc_), to = CreateCompatibleDC(dc_);
        if (scaled && from && to) {
            HGDIOBJ oldFrom = SelectObject(from, device), oldTo = SelectObject(to, scaled);
            Stretch(to, Rect{0, 0, size.width, size.height}, from, bitmap.width, bitmap.height);
            SelectObject(from, oldFrom);
            SelectObject(to, oldTo);
        } else if (scaled) {
            DeleteObject(scaled);
            scaled = nullptr;
        }
        if (from) DeleteDC(from);
        if (to) DeleteDC(to);
        DeleteObject(device);
        return scaled;
    }

    // The whole of `source` (width x height) into `r` of `target`, averaged rather than dropped
    // pixel by pixel.
    static void Stretch(HDC target, const Rect& r, HDC source, int width, int height) {
        const int oldMode = SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, nullptr);
        StretchBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, width, height, SRCCOPY);
        SetStretchBltMode(target, oldMode);
    }

    // Copies side by side and one under another: a brush of the bitmap, aligned with the first copy.
    void Tile(HBITMAP device, const BitmapPlacement& placement, int width, int height) {
        HBRUSH brush = CreatePatternBrush(device);
        if (!brush) return;
        const Rect& r = placement.first;
        POINT oldOrigin;
        SetBrushOrgEx(dc_, r.left, r.top, &oldOrigin);
        const RECT all{r.left, r.top,
                       static_cast<int>(std::min<long long>(r.left + 1LL * placement.columns * width, INT_MAX)),
                       static_cast<int>(std::min<long long>(r.top + 1LL * placement.rows * height, INT_MAX))};
        FillRect(dc_, &all, brush);
        SetBrushOrgEx(dc_, oldOrigin.x, oldOrigin.y, nullptr);
        DeleteObject(brush);
    }

    // Left and top aligned, as the system draws texts ("&" underlines the next character).
    static UINT Format(bool singleLine) {
        return DT_LEFT | DT_TOP | (singleLine ? DT_SINGLELINE : 0);
    }

    HDC dc_;
    HGDIOBJ originalFont_;
    int originalMode_;
    HFONT font_ = nullptr;
};

}  // namespace

HBITMAP MakeBlackPicture(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    if (picture) {
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, picture);
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
    return picture;
}

void PaintPicture(HBITMAP picture, int dpi, const std::wstring& base, System& system,
                  const std::vector<std::wstring>& lines, size_t first) {
    BITMAP size{};
    if (!picture || !GetObjectW(picture, sizeof size, &size)) return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, picture);
    {
        GdiCanvas canvas(dc);
        PaintScript(canvas, Rect{0, 0, size.bmWidth, size.bmHeight}, base, system, dpi).Run(lines, first);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
}

void CopyPicture(HDC dc, HBITMAP picture, const RECT& part) {
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, picture);
    BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, source, part.left, part.top,
           SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

bool PaintFromPicture(HWND window, UINT message, HBITMAP picture) {
    if (!picture) return false;
    if (message == WM_ERASEBKGND) return true;  // the picture covers it all
    if (message != WM_PAINT) return false;
    PAINTSTRUCT ps;
    CopyPicture(BeginPaint(window, &ps), picture, ps.rcPaint);
    EndPaint(window, &ps);
    return true;
}

}  // namespace setup
